// Arbitrary sequences of TP.CM and TP.DT frames from a few peers, requests, passing time and
// timer expiries chosen by the input, into a J1939 device the tool simulates and one it only
// listens to. The listened device follows the broadcasts and connections it sends; the simulated
// one receives connections and answers requests by name with connections of its own, which the
// peers' hostile CTS and abort frames drive. Every delivered message must have exactly its
// announced size and PGN; memory stays bounded.
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"
#include "model/tpsendconnection.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

namespace {

// The size of the message a function answers a request with (chosen by the input).
int s_replySize = 9;

class CheckingFunction : public StaticPgnJ1939DeviceFunction
{
public:
    CheckingFunction(quint8 pf, quint8 ps, QObject *parent)
        : StaticPgnJ1939DeviceFunction(pf, ps, parent)
    {}
    void transmitState() override
    {
        const QByteArray reply(s_replySize, char(0x5A));
        transmitData(reinterpret_cast<const unsigned char *>(reply.constData()),
                     unsigned(reply.size()));
    }
    bool dispatchBroadcastDataImpl(const QByteArray &data) override
    {
        if (data.isEmpty() || data.size() > 255 * 7)
            std::abort();
        return true;
    }
    void dispatchTargetLongMessage(TPConnection *c) override
    {
        if (c->data().size() != c->totalSize() || c->pgn() != pgnValue())
            std::abort();
    }
};

const quint8 Sources[] = {0x10, 0x20, 0x21, 0x30};
const quint8 Destinations[] = {0x30, 0xFF, 0x40, 0x10};
const quint8 Pgns[][2] = {{0xFE, 0xCA}, {0xFE, 0xDA}, {0xFE, 0xE3}, {0xFD, 0xC5}};

struct Announcement
{
    bool valid = false;
    quint32 pgn = 0;
    int size = 0;
};

QCoreApplication *app()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *instance = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QCoreApplication(argc, argv);
    }();
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    app();
    DeviceDispatcher dispatcher;
    auto *simulated = new J1939Device(0x30);
    auto *listened = new J1939Device(0x10);
    for (const auto &pgn : Pgns) {
        new CheckingFunction(pgn[0], pgn[1], simulated);
        new CheckingFunction(pgn[0], pgn[1], listened);
    }
    simulated->setState(AbstractDisplayableItem::Send);
    dispatcher.registerDisplayable(simulated);
    dispatcher.registerDisplayable(listened);
    Announcement bam[256];
    // The last RTS each source sent to each destination (by its index in Destinations): what a
    // followed connection delivers.
    Announcement rts[256][4];
    qint64 now = 0;

    size_t i = 0;
    while (i + 1 < size) {
        const quint8 op = data[i++];
        const quint8 peer = Sources[(op >> 2) & 3];
        const quint8 destination = Destinations[(op >> 4) & 3];
        switch (op & 3) {
        case 0:
        case 1: {
            quint8 payload[8];
            std::memset(payload, 0xFF, sizeof payload);
            const size_t n = std::min<size_t>(8, size - i);
            std::memcpy(payload, data + i, n);
            i += n;
            const quint8 pf = (op & 3) == 0 ? 0xEC : 0xEB;
            if (pf == 0xEC && (op & 0x40)) {
                // Steer announcements towards known PGNs so deliveries happen.
                payload[5] = Pgns[op >> 7][1];
                payload[6] = Pgns[op >> 7][0];
                payload[7] = 0;
            }
            CanMessage m(quint32(6) << 26 | quint32(pf) << 16 | quint32(destination) << 8 | peer,
                         payload, 8);
            const bool announces = pf == 0xEC && payload[0] == (destination == 0xFF ? 0x20 : 0x10);
            Announcement &a = destination == 0xFF ? bam[peer] : rts[peer][(op >> 4) & 3];
            if (announces) {
                const int announced = payload[1] | payload[2] << 8;
                a.valid = TPConnection::isValidAnnouncement(quint16(announced), payload[3]);
                a.pgn = quint32(payload[5]) | quint32(payload[6]) << 8;
                a.size = announced;
            }
            DispatchResult r(DispatchResult::Received, now);
            dispatcher.dispatchMessage(m, &r);
            if (!r.payload.isEmpty()) {
                if (!a.valid || r.payload.size() != a.size || r.pgn != a.pgn)
                    std::abort();
            }
            break;
        }
        case 2:
            switch ((op >> 4) & 3) {
            case 0:
                (op & 0x80 ? simulated : listened)->slotBroadcastTimeout();
                break;
            case 1: {
                // A request for a known PGN, by name or to everyone, answered with a long
                // message of the chosen size (beyond 1785 bytes: refused).
                s_replySize = 9 + data[i++] * 7;
                const quint8 *pgn = Pgns[(op >> 6) & 1];
                const quint8 request[3] = {pgn[1], pgn[0], 0};
                const quint8 to = op & 0x80 ? 0xFF : 0x30;
                CanMessage m(quint32(6) << 26 | quint32(0xEA) << 16 | quint32(to) << 8 | peer,
                             request, 3);
                DispatchResult r(DispatchResult::Received, now);
                dispatcher.dispatchMessage(m, &r);
                break;
            }
            case 2:
                now += qint64(data[i++]) * 10;
                break;
            case 3:
                if (TPSendConnection *c = simulated->transport()->sendConnectionTo(peer))
                    c->slotTimeout();
                break;
            }
            break;
        case 3:
            if (TPConnection *c = simulated->getConnection(peer))
                c->slotTimeout();
            break;
        }
        if (simulated->connectionCount() > 256
            || simulated->transport()->sendConnectionCount() > 256
            || listened->transport()->observedSessionCount() > 256)
            std::abort();
        if (TPSendConnection *c = simulated->transport()->sendConnectionTo(peer)) {
            if (c->packetCount() < 2 || c->packetCount() > 255)
                std::abort();
        }
    }
    // Connections that ended delete themselves later: still their device's children meanwhile.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dispatcher.clearScheme();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
