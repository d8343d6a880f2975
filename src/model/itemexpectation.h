#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QDomElement;

// What a healthy machine shows of one scheme item, for the bus check: whether the unit is there,
// how often the function comes, which values its parameters take and how the unit names itself.
// A default-constructed expectation says nothing; the check then applies its default rules.
// Kept in scheme files as an <expect> child of the item's element.
struct ItemExpectation
{
    enum Presence {
        DefaultPresence = 0, // a unit of the scheme is expected, for the whole time
        Present = 1,
        Absent = 2,       // must not be on the bus
        Intermittent = 3, // may fall silent (ignition off, a unit that sleeps)
    };

    struct Range
    {
        QString parameter; // the parameter's key (its id, else its name)
        bool hasLimits = false;
        double minimum = 0;
        double maximum = 0;
        bool allowNotAvailable = false;
        bool allowError = false;

        bool operator==(const Range &o) const;
        bool operator!=(const Range &o) const { return !(*this == o); }
    };

    struct Code
    {
        quint32 spn = 0;
        quint8 fmi = 0;
        bool operator==(const Code &o) const { return spn == o.spn && fmi == o.fmi; }
    };

    Presence presence = DefaultPresence;
    // The period in ms (0: the item's own period, judged by the receive supervision's rules) and
    // the tolerance of the mean period in percent (0: the mean is not judged).
    int periodMs = 0;
    int tolerancePercent = 0;
    // Sent on request or on a change: no period is judged.
    bool eventDriven = false;
    QList<Range> ranges;
    // Identification: the NAME of the address claim (hex) and the software identification.
    QString name;
    QString software;
    // Active trouble codes a healthy unit may show.
    QList<Code> codes;
    // Parameter groups a unit sends that no function of the scheme describes.
    QList<quint32> groups;

    bool isEmpty() const;
    const Range *range(const QString &parameter) const;
    bool allowsCode(quint32 spn, quint8 fmi) const { return codes.contains({spn, fmi}); }

    // Writes the <expect> child of `item` (nothing for an empty expectation), and reads it back:
    // attributes it does not know or cannot read leave the default.
    void save(QDomElement &item) const;
    static ItemExpectation load(const QDomElement &item);

    bool operator==(const ItemExpectation &o) const;
    bool operator!=(const ItemExpectation &o) const { return !(*this == o); }

    static QString presenceKeyword(Presence presence);
    static Presence presenceForKeyword(const QString &keyword);
};
