#pragma once

#include "model/troublecode.h"

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

// The DM1 history of every source in a recording: lamps, the active codes with first and last
// sighting and occurrence counts, and each change (code active or gone, lamp switched) in time;
// the previously active codes (DM2) each source sent; and every request to clear codes (DM11,
// DM3) with the acknowledgements that answered it within the answer time.
class FaultHistory
{
public:
    enum Lamp { Mil = 0, Rsl, Awl, Pl, LampCount };
    using Code = TroubleCode;
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
        int previousMessages = 0; // DM2 messages
        QMap<QPair<quint32, quint32>, Sighting> previous;
        // Kept as values and written out only in the report: a long recording has many.
        struct Change
        {
            enum Kind : quint8 { LampSwitched, Active, Count, Gone, Previous, NoLongerPrevious };
            qint64 timeUs = 0;
            Kind kind = LampSwitched;
            qint8 lamp = 0;
            qint8 state = 0;
            quint32 spn = 0;
            quint32 fmi = 0;
            quint32 occurrences = 0;
        };
        QVector<Change> changes;
    };
    struct ClearRequest
    {
        qint64 timeUs = 0;
        quint8 requester = 0;
        quint8 destination = 0;              // 0xFF: every unit
        quint32 pgn = 0;                     // DM11 0xFED3 or DM3 0xFECC
        QVector<QPair<quint8, int>> answers; // unit, acknowledgement control
    };
    static constexpr quint32 Dm11Pgn = 0xFED3;
    static constexpr quint32 Dm3Pgn = 0xFECC;
    // Acknowledgements later than this after a clear request answer no request of it.
    static constexpr qint64 AnswerTimeUs = 1250 * 1000;

    explicit FaultHistory(qint64 startUs)
        : m_startUs(startUs)
    {}

    // One DM1 message of `source`: lamp states (0 off, 1 on, 2 and 3 as sent) and active codes.
    void take(qint64 timeUs, quint8 source, const int lamps[LampCount], const QVector<Code> &codes);
    // One DM2 message of `source`: its previously active codes.
    void takePrevious(qint64 timeUs, quint8 source, const QVector<Code> &codes);
    // A request for DM11 or DM3 (other requests are not kept), and an acknowledgement.
    void takeClearRequest(qint64 timeUs, quint8 requester, quint8 destination, quint32 pgn);
    void takeAcknowledgement(qint64 timeUs, quint8 source, quint8 destination, quint8 requester,
                             quint32 pgn, int control);
    const QVector<ClearRequest> &clearRequests() const { return m_clearRequests; }
    const QMap<quint8, Source> &sources() const { return m_sources; }
    QString report() const;
    // The same, written to `out` a source at a time.
    void report(QTextStream &out) const;

    static QString lampName(int lamp);
    static QString lampState(int state);

private:
    QString timeText(qint64 us) const;
    QString changeText(const Source::Change &change) const;
    QString clearReport() const;
    static QString codeText(quint32 spn, quint32 fmi);

    qint64 m_startUs;
    QMap<quint8, Source> m_sources;
    QVector<ClearRequest> m_clearRequests;
};
