#pragma once

#include "can/simulatedbus.h"
#include "support/tpframes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QThread>

#include <functional>

// The tool's end of a SimulatedBus in the demo tests: sends from its address, takes what the
// units send, and receives their long messages by BAM or by a connection it paces with CTS
// frames of `packetsPerCts` packets, as a J1939 receiver does.
class DemoBusPeer
{
public:
    enum Path { Single, Broadcast, Connection };
    struct Message
    {
        quint8 source;
        quint8 destination;
        quint32 pgn;
        QByteArray data;
        Path path;
        qint64 atMs;
    };

    explicit DemoBusPeer(SimulatedBus *bus, quint8 address = 0xF9)
        : m_bus(bus)
        , m_address(address)
    {
        m_clock.start();
    }

    quint8 address() const { return m_address; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    void send(const CanMessage &frame)
    {
        sent.append(frame);
        m_bus->framesSent(&frame, 1);
    }

    // A request (PGN 0xEA00) for `pgn` to `destination`.
    void request(quint32 pgn, quint8 destination)
    {
        const quint8 bytes[3] = {quint8(pgn), quint8(pgn >> 8), quint8(pgn >> 16)};
        send(CanMessage(0x18EA0000u | quint32(destination) << 8 | m_address, bytes, 3));
    }

    void poll()
    {
        for (const CanMessage &frame : m_bus->takeDue()) {
            frames.append(frame);
            take(frame);
        }
    }

    // Polls until `done` holds or `timeoutMs` have passed.
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 3000)
    {
        QElapsedTimer timer;
        timer.start();
        while (true) {
            poll();
            if (done())
                return true;
            if (timer.elapsed() > timeoutMs)
                return false;
            QThread::msleep(2);
        }
    }

    // Polls for `ms` whatever comes.
    void run(int ms)
    {
        waitFor([] { return false; }, ms);
    }

    QVector<Message> from(quint8 source, quint32 pgn) const
    {
        QVector<Message> found;
        for (const Message &m : messages) {
            if (m.source == source && m.pgn == pgn)
                found.append(m);
        }
        return found;
    }

    // Waits for the next message of `pgn` from `source` and returns it (an empty one with
    // source 0xFE on time-out).
    Message next(quint8 source, quint32 pgn, int timeoutMs = 3000)
    {
        const int before = from(source, pgn).size();
        if (!waitFor([&] { return from(source, pgn).size() > before; }, timeoutMs))
            return {0xFE, 0, pgn, {}, Single, -1};
        return from(source, pgn).at(before);
    }

    // Asks `destination` for `pgn` and waits for the answer from `source`; a request to one
    // unit is not answered by a broadcast, so broadcasts meanwhile are passed over.
    Message ask(quint32 pgn, quint8 destination, quint8 source, int timeoutMs = 3000)
    {
        const int before = messages.size();
        request(pgn, destination);
        const auto answer = [&]() -> const Message * {
            for (int i = before; i < messages.size(); ++i) {
                const Message &m = messages.at(i);
                if (m.source == source && m.pgn == pgn
                    && (destination == 0xFF || m.path != Broadcast))
                    return &m;
            }
            return nullptr;
        };
        if (!waitFor([&] { return answer() != nullptr; }, timeoutMs))
            return {0xFE, 0, pgn, {}, Single, -1};
        return *answer();
    }

    void clear()
    {
        messages.clear();
        frames.clear();
        sent.clear();
    }

    int packetsPerCts = 2;
    QVector<Message> messages;  // complete messages, in order of completion
    QVector<CanMessage> frames; // every frame the units sent
    QVector<CanMessage> sent;   // every frame this peer sent
    int ctsCount = 0;
    int outOfWindowPackets = 0; // data packets a connection sent without a CTS asking for them
    int abortsReceived = 0;

private:
    struct Session
    {
        quint32 pgn = 0;
        int size = 0;
        int packets = 0;
        int next = 1;      // the next sequence number expected
        int windowEnd = 0; // the last sequence number the CTS asked for
        QByteArray data;
    };

    static quint32 pgnAt(const CanMessage &f, int at)
    {
        return quint32(f.data[at]) | quint32(f.data[at + 1]) << 8 | quint32(f.data[at + 2]) << 16;
    }

    void askPackets(quint8 source, Session *s)
    {
        const int count = std::min(packetsPerCts, s->packets - s->next + 1);
        s->windowEnd = s->next + count - 1;
        ++ctsCount;
        send(tpControl(m_address, source,
                       {0x11, quint8(count), quint8(s->next), 0xFF, 0xFF, quint8(s->pgn),
                        quint8(s->pgn >> 8), quint8(s->pgn >> 16)}));
    }

    void complete(quint8 source, quint8 destination, const Session &s, Path path)
    {
        messages.append({source, destination, s.pgn, s.data.left(s.size), path, m_clock.elapsed()});
    }

    void take(const CanMessage &f)
    {
        const quint8 pf = f.pduFormat();
        const quint8 da = CanMessage::isPdu1(pf) ? f.pduSpecific() : CanMessage::GlobalAddress;
        const quint8 source = f.address();
        if (pf == 0xEC && f.length == 8) {
            if (f.data[0] == 0x20 && da == CanMessage::GlobalAddress) {
                m_bams[source] = {pgnAt(f, 5), f.data[1] | f.data[2] << 8, f.data[3], 1, 0, {}};
            } else if (f.data[0] == 0x10 && da == m_address) {
                Session s{pgnAt(f, 5), f.data[1] | f.data[2] << 8, f.data[3], 1, 0, {}};
                askPackets(source, &s);
                m_connections[source] = s;
            } else if (f.data[0] == 0xFF && da == m_address) {
                ++abortsReceived;
                m_connections.remove(source);
            }
            return;
        }
        if (pf == 0xEB && f.length == 8) {
            auto &sessions = da == m_address ? m_connections : m_bams;
            if (da != m_address && da != CanMessage::GlobalAddress)
                return;
            auto it = sessions.find(source);
            if (it == sessions.end() || f.data[0] != it->next)
                return;
            if (da == m_address && it->next > it->windowEnd)
                ++outOfWindowPackets;
            it->data.append(reinterpret_cast<const char *>(f.data + 1), 7);
            ++it->next;
            if (it->next <= it->packets) {
                if (da == m_address && it->next > it->windowEnd)
                    askPackets(source, &*it);
                return;
            }
            const Session s = *it;
            sessions.erase(it);
            if (da == m_address)
                send(tpControl(m_address, source,
                               {0x13, quint8(s.size), quint8(s.size >> 8), quint8(s.packets), 0xFF,
                                quint8(s.pgn), quint8(s.pgn >> 8), quint8(s.pgn >> 16)}));
            complete(source, da, s, da == m_address ? Connection : Broadcast);
            return;
        }
        const quint32 pgn = f.pgn();
        messages.append({source, da, pgn,
                         QByteArray(reinterpret_cast<const char *>(f.data), f.length), Single,
                         m_clock.elapsed()});
    }

    SimulatedBus *m_bus;
    quint8 m_address;
    QElapsedTimer m_clock;
    QHash<quint8, Session> m_bams;
    QHash<quint8, Session> m_connections;
};
