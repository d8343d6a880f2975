// Arbitrary sequences of TP.CM and TP.DT frames from a few peers, and timer expiries chosen by
// the input, into a J1939 device the tool simulates and one it only listens to. Every delivered
// message must have exactly its announced size and PGN; memory stays bounded.
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/tpconnection.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

namespace {

class CheckingFunction : public StaticPgnJ1939DeviceFunction
{
public:
    CheckingFunction(quint8 pf, quint8 ps, QObject *parent)
        : StaticPgnJ1939DeviceFunction(pf, ps, parent)
    {}
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
            if (pf == 0xEC && destination == 0xFF && payload[0] == 0x20) {
                const int announced = payload[1] | payload[2] << 8;
                bam[peer].valid = TPConnection::isValidAnnouncement(quint16(announced), payload[3]);
                bam[peer].pgn = quint32(payload[5]) | quint32(payload[6]) << 8;
                bam[peer].size = announced;
            }
            DispatchResult r(DispatchResult::Received, 0);
            dispatcher.dispatchMessage(m, &r);
            if (!r.payload.isEmpty()) {
                if (!bam[peer].valid || r.payload.size() != bam[peer].size
                    || r.pgn != bam[peer].pgn)
                    std::abort();
            }
            break;
        }
        case 2:
            (op & 0x80 ? simulated : listened)->slotBroadcastTimeout();
            break;
        case 3:
            if (TPConnection *c = simulated->getConnection(peer))
                c->slotTimeout();
            break;
        }
        if (simulated->connectionCount() > 256)
            std::abort();
    }
    dispatcher.clearScheme();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
