#pragma once

#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "support/simulatedbushandler.h"
#include "support/tpframes.h"

#include <QByteArray>
#include <QDomDocument>
#include <QStringList>
#include <QVector>
#include <QtTest>

// Set-ups shared by the tests of functions that talk on a bus, and what they compare.

// A dispatcher on the simulated adapter: units registered with `dispatcher` talk to the units
// added to `handler.bus()`. The adapter stops and the scheme is cleared on the way out.
struct SimulatedBusRig
{
    ~SimulatedBusRig()
    {
        handler.stop();
        dispatcher.clearScheme();
    }
    DeviceDispatcher dispatcher;
    SimulatedBusHandler handler{&dispatcher};
};

// A unit on a test adapter of its own (started unless told): what its functions send is
// written there.
struct AdoptedUnit
{
    explicit AdoptedUnit(quint8 address, bool started = true)
        : unit(address)
    {
        if (started)
            QVERIFY(handler.start());
        handler.adopt(&unit);
    }
    TestCanHandler handler;
    J1939Device unit;
};

// The data bytes of a frame.
inline QByteArray payloadOf(const CanMessage &m)
{
    return QByteArray(reinterpret_cast<const char *>(m.data), m.length);
}

// A frame with the identifier and the bytes (at most 8).
inline CanMessage frameOf(quint32 id, const QByteArray &data)
{
    return CanMessage(id, reinterpret_cast<const quint8 *>(data.constData()), int(data.size()));
}

// Each frame as CanMessage::toString() writes it ("6 eaa0f9 c5 fd 00").
inline QStringList frameTexts(const QVector<CanMessage> &frames)
{
    QStringList out;
    for (const CanMessage &m : frames)
        out << m.toString();
    return out;
}

// A long message of group `pgn` from `source`: the announcement (BAM when `destination` is
// 0xFF, else RTS) and then its packets.
inline QVector<CanMessage> tpFrames(quint8 source, quint8 destination, quint32 pgn,
                                    const QByteArray &data)
{
    const quint8 packets = quint8((data.size() + 6) / 7);
    QVector<CanMessage> frames{tpControl(source, destination,
                                         {quint8(destination == 0xFF ? 0x20 : 0x10),
                                          quint8(data.size()), quint8(data.size() >> 8), packets,
                                          0xFF, quint8(pgn), quint8(pgn >> 8), quint8(pgn >> 16)})};
    for (quint8 i = 0; i < packets; ++i)
        frames << tpData(source, destination, i + 1, data.mid(i * 7, 7));
    return frames;
}

// The item as a scheme file saves it: a document whose element is the item's "device".
inline QDomDocument savedItem(AbstractDisplayableItem &item)
{
    QDomDocument doc;
    QDomElement element = doc.createElement(QStringLiteral("device"));
    doc.appendChild(element);
    item.saveItemToXmlNode(element);
    return doc;
}
