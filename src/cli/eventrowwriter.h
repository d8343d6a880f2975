#pragma once

#include "can/candumpreader.h"
#include "can/dispatchresult.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

class AbstractDisplayableItem;

// The rows of "decode --events": one per parameter of every decoded message, with the message's
// time (seconds from the recording's start), the bus's name where buses are told apart, source
// address, PGN, function, parameter id, value and unit. What stays the same for an item is
// formatted once.
class EventRowWriter
{
public:
    // An empty `bus` leaves the bus column out.
    explicit EventRowWriter(qint64 startUs, const QString &bus = QString());

    static QByteArray headerLine(bool withBus = false);
    // Adds the rows of one frame; true when enough text is gathered to be written.
    bool take(const TimedFrame &frame, const DispatchResult &result);
    QByteArray takeBlock();
    int blockSize() const { return m_block.size(); }
    qint64 rowCount() const { return m_rows; }

private:
    struct ItemText
    {
        QByteArray prefix;              // "[,bus],address,PGN,function,"
        QVector<QByteArray> parameters; // "id," for each parameter
        QVector<QByteArray> units;      // ",unit\n" for each parameter
        QVector<quint8> kinds;          // how each value is written (see ValueKind)
    };
    const ItemText &textFor(AbstractDisplayableItem *item, const TimedFrame &frame,
                            const DispatchResult &result);

    qint64 m_startUs;
    QByteArray m_busField; // ",bus" or nothing
    qint64 m_rows = 0;
    QByteArray m_block;
    QHash<const AbstractDisplayableItem *, ItemText> m_texts;
};
