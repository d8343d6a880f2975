#pragma once

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// The DM1 history of every source in a recording: lamps, the active codes with first and last
// sighting and occurrence counts, and each change (code active or gone, lamp switched) in time.
class FaultHistory
{
public:
    enum Lamp { Mil = 0, Rsl, Awl, Pl, LampCount };
    struct Code
    {
        quint32 spn = 0;
        quint32 fmi = 0;
        quint32 occurrences = 0;
    };
    struct Sighting
    {
        qint64 firstUs = 0;
        qint64 lastUs = 0;
        quint32 occurrences = 0; // the latest occurrence count the unit sent
        int messages = 0;        // DM1 messages that listed it
        bool active = false;
    };
    struct Source
    {
        int messages = 0;
        qint64 firstUs = 0;
        qint64 lastUs = 0;
        int lamps[LampCount] = {-1, -1, -1, -1};
        QMap<QPair<quint32, quint32>, Sighting> codes;
        QStringList changes;
    };

    explicit FaultHistory(qint64 startUs)
        : m_startUs(startUs)
    {}

    // One DM1 message of `source`: lamp states (0 off, 1 on, 2 and 3 as sent) and active codes.
    void take(qint64 timeUs, quint8 source, const int lamps[LampCount], const QVector<Code> &codes);
    const QMap<quint8, Source> &sources() const { return m_sources; }
    QString report() const;

    static QString lampName(int lamp);
    static QString lampState(int state);

private:
    QString timeText(qint64 us) const;

    qint64 m_startUs;
    QMap<quint8, Source> m_sources;
};
