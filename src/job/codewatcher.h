#pragma once

#include "can/candumpreader.h"
#include "model/transportmonitor.h"
#include "model/troublecode.h"

#include <QString>
#include <QVector>

// Follows every unit's active trouble codes (DM1) from single frames, broadcasts (BAM) and
// connections, and tells when they change: a code appears, goes, or its occurrence count
// changes. A unit's first DM1 is its baseline, not a change. Not thread-safe: one thread.
class CodeWatcher
{
public:
    static constexpr quint32 PgnDm1 = 0xFECA;

    using Code = TroubleCode;
    using Codes = QVector<Code>;

    struct Change
    {
        qint64 timeUs = 0;
        quint8 source = 0;
        // The unit's first DM1, which already held codes (in `codesAfter`).
        bool baseline = false;
        Codes appeared;
        Codes gone;
        Codes countChanged; // with the new occurrence count
        Codes codesAfter;
        // "SPN 110 FMI 0 appeared", several joined by "; ". The words of the job files: not
        // translated.
        QString text() const;
    };

    // Offers one frame in arrival order; gives the changes it completed (mostly none).
    QVector<Change> take(const TimedFrame &frame);
    // Whether a DM1 of that unit came yet, and its codes then.
    bool knows(quint8 source) const { return m_units[source].known; }
    Codes codes(quint8 source) const { return m_units[source].codes; }

private:
    void takeDm1(quint8 source, qint64 timeUs, const QByteArray &data, QVector<Change> *changes);

    struct Unit
    {
        bool known = false;
        Codes codes;
    };
    Unit m_units[256];
    TransportMonitor m_transport;
};
