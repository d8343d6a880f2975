#pragma once

#include "model/troublecode.h"
#include "model/zxparameter.h"

#include <QHash>
#include <QPair>
#include <QVector>

#include <mutex>

class QListWidgetItem;

// The trouble codes of a DM1 or DM2, shown as a live list: new or changed codes green for two
// seconds, vanished ones grey for two seconds. The codes are written on the bus thread and read
// by the list on the GUI thread under the parameter's lock.
class DtcArrayParameter : public ZxParameter
{
public:
    struct DtcItem
    {
        quint32 spn = 0;
        quint32 fmi = 0;
        quint32 oc = 0;
        bool operator==(const DtcItem &o) const
        {
            return spn == o.spn && fmi == o.fmi && oc == o.oc;
        }
        // The list keeps the fourth byte whole (the conversion method bit in the value).
        static DtcItem from(const TroubleCode &code)
        {
            return {code.spn, code.fmi, code.fourthByte()};
        }
        TroubleCode code() const
        {
            TroubleCode c;
            c.spn = spn;
            c.fmi = quint8(fmi);
            c.oc = quint8(oc & TroubleCode::MaxOccurrences);
            c.conversionMethod = (oc & 0x80) != 0;
            return c;
        }
    };

    enum RowRole {
        StateRole = Qt::UserRole + 1,
        SpnRole = Qt::UserRole + 2,
        FmiRole = Qt::UserRole + 3,
        OcRole = Qt::UserRole + 4,
        DeadlineRole = Qt::UserRole + 5,
    };
    enum RowState { RowNew = 1, RowSteady = 2, RowGone = 3 };
    static constexpr qint64 HighlightMs = 2000;

    DtcArrayParameter();

    Type type() const override { return ErrorCodes; }
    // "[SPN,FMI]" pairs separated by blanks; empty without codes.
    QString toString() const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;

    QVector<DtcItem> codes() const;
    void setCodes(const QVector<DtcItem> &codes);
    // The machine's text for the code, else the library's name of the SPN, else empty.
    QString descriptionFor(quint32 spn, quint32 fmi) const;
    // "[SPN,FMI] description · failure mode · 3×" as the list shows the code: the parts that
    // are known, the occurrence count unless the unit reports it as not available.
    QString rowText(const DtcItem &code) const;
    // The occurrence count of the code's fourth byte (the conversion method bit left out); -1
    // when not available.
    static int occurrences(const DtcItem &code);
    // What the code is about and how it failed, in English, for the console program: "Engine
    // Oil Pressure - Data valid but below normal operational range, most severe level".
    static QString englishDescription(quint32 spn, quint32 fmi);
    // What descriptionFor() says, in the current language: the machine's text of the code,
    // else the library's name of the SPN.
    static QString description(quint32 spn, quint32 fmi);
    // The refresh of a list widget at a given time (ms since the epoch).
    void refreshList(QWidget *widget, qint64 now) const;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;

private:
    mutable std::mutex m_mutex;
    QVector<DtcItem> m_codes;
    QHash<QPair<quint32, quint32>, QString> m_descriptions;
};
