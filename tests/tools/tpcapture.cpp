// Runs the transport protocol as the program does (DM1 in single frames and by BAM, an RTS/CTS
// reception of a software identification, a demo unit's RTS/CTS answer to the tool unit at 0xF9,
// a stand-in unit's RTS/CTS answer to a request and its BAM answer to a request to everyone) and
// the tool unit's address claim, on joining and when asked, and writes the frames, with their time
// stamps, as a pcap with the SocketCAN link type (227), plus the fields each frame must carry by
// the J1939 rules, for a check by an independent dissector (tests/tools/tshark_check.sh).
#include "can/abstractcanhandler.h"
#include "can/tooladdress.h"
#include "demo/simulatedidentification.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/softfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
#include "model/tpsendconnection.h"
#include "model/zxintparameter.h"
#include "support/testcanhandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

void put32(QByteArray &out, quint32 v, bool bigEndian = false)
{
    for (int i = 0; i < 4; ++i)
        out.append(char(bigEndian ? v >> (24 - 8 * i) : v >> (8 * i)));
}

void put16(QByteArray &out, quint16 v)
{
    out.append(char(v));
    out.append(char(v >> 8));
}

QByteArray pcap(const QVector<QPair<CanMessage, qint64>> &frames)
{
    QByteArray out;
    put32(out, 0xA1B2C3D4); // microsecond time stamps
    put16(out, 2);
    put16(out, 4);
    put32(out, 0);
    put32(out, 0);
    put32(out, 65535);
    put32(out, 227); // LINKTYPE_CAN_SOCKETCAN
    const qint64 epochUs = 1765000000LL * 1000000;
    for (const auto &entry : frames) {
        const CanMessage &m = entry.first;
        const qint64 us = epochUs + entry.second * 1000;
        put32(out, quint32(us / 1000000));
        put32(out, quint32(us % 1000000));
        put32(out, 16);
        put32(out, 16);
        // SocketCAN header, identifier in network byte order with the extended flag.
        put32(out, m.id | (m.extended ? 0x80000000u : 0u), true);
        out.append(char(m.length));
        out.append(3, '\0');
        out.append(reinterpret_cast<const char *>(m.data), 8);
    }
    return out;
}

bool waitFor(const std::function<bool()> &condition, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return condition();
}

// What each frame must carry on the wire, written from the J1939 rules rather than from what
// Tarvik sent: PGN, source, destination (255 for PDU2 and global), priority, data in hex.
struct ExpectedFrame
{
    const char *fields;
};

const ExpectedFrame Expected[] = {
    // DM1 with no active code: lamps, then SPN 0 / FMI 0 / OC 0 and FF FF, one whole frame.
    {"65226\t0\t255\t6\t000000000000ffff"},
    // DM1 with one code (SPN 521025, FMI 16, OC 1), padded with FF FF.
    {"65226\t0\t255\t6\t000041f3f001ffff"},
    // DM1 with two codes (SPN 521025 and 521026): 10 bytes by BAM, the last packet padded
    // with 0xFF.
    {"60416\t0\t255\t6\t200a0002ffcafe00"},
    {"60160\t0\t255\t6\t01000041f3f00142"},
    {"60160\t0\t255\t6\t02f3f002ffffffff"},
    // A 30-byte software identification received from 0x21 (5 packets, window 2): the last
    // CTS asks for the one packet left.
    {"60416\t249\t33\t6\t110201ffffdafe00"},
    {"60416\t249\t33\t6\t1100ffffffdafe00"},
    {"60416\t249\t33\t6\t110203ffffdafe00"},
    {"60416\t249\t33\t6\t1100ffffffdafe00"},
    {"60416\t249\t33\t6\t110105ffffdafe00"},
    {"60416\t249\t33\t6\t131e0005ffdafe00"},
    // The tool unit joins the bus claiming 0xF9 (its default identity number 0x1F9), then asks
    // the demo controller (0xA0) for its ECU identification; the 28-byte answer
    // "TVK-MC2*A0-0417*Boom*Tarvik*" comes by RTS/CTS (the unit's transport
    // frames at priority 7), paced by the tool's CTS frames (window 2), and is acknowledged.
    {"60928\t249\t255\t6\tf901000000810080"},
    {"59904\t249\t160\t6\tc5fd00"},
    {"60416\t160\t249\t7\t101c0004ffc5fd00"},
    {"60416\t249\t160\t6\t110201ffffc5fd00"},
    {"60160\t160\t249\t7\t0154564b2d4d4332"},
    {"60160\t160\t249\t7\t022a41302d303431"},
    {"60416\t249\t160\t6\t1100ffffffc5fd00"},
    {"60416\t249\t160\t6\t110203ffffc5fd00"},
    {"60160\t160\t249\t7\t03372a426f6f6d2a"},
    {"60160\t160\t249\t7\t0454617276696b2a"},
    {"60416\t249\t160\t6\t131c0004ffc5fd00"},
    // A stand-in engine (0x00) asked by name for its DM1 with three codes (SPN 521025..521027,
    // FMI 16, OC 1..3): 14 bytes by RTS/CTS to the requester (no packet limit per CTS), not by
    // BAM; the program's own receiver at 0xF9 asks for both packets and acknowledges.
    {"59904\t249\t0\t6\tcafe00"},
    {"60416\t0\t249\t6\t100e0002ffcafe00"},
    {"60416\t249\t0\t6\t110201ffffcafe00"},
    {"60160\t0\t249\t6\t01000041f3f00142"},
    {"60160\t0\t249\t6\t02f3f00243f3f003"},
    {"60416\t249\t0\t6\t130e0002ffcafe00"},
    // The same stand-in asked by everyone: the same 14 bytes by BAM, to everyone.
    {"59904\t249\t255\t6\tcafe00"},
    {"60416\t0\t255\t6\t200e0002ffcafe00"},
    {"60160\t0\t255\t6\t01000041f3f00142"},
    {"60160\t0\t255\t6\t02f3f00243f3f003"},
    // The tool unit claims 0xF9 (J1939-81) with its NAME: identity number 0x0A5F1, manufacturer
    // code 0, function 129 (off-board diagnostic-service tool), industry group 0, arbitrary
    // address capable; and claims again when a unit asks everyone for the claims.
    {"60928\t249\t255\t6\tf1a5000000810080"},
    {"59904\t0\t255\t6\t00ee00"},
    {"60928\t249\t255\t6\tf1a5000000810080"},
};

// Frames in the order they went on the bus: the program's, from the adapter as written, and
// those of the demo unit, as delivered.
struct Capture
{
    TestCanHandler *handler;
    QElapsedTimer clock;
    int seen = 0;
    QVector<QPair<CanMessage, qint64>> frames;

    void drain()
    {
        const QVector<CanMessage> written = handler->writtenFrames();
        for (; seen < written.size(); ++seen)
            frames.append(qMakePair(written.at(seen), clock.elapsed()));
    }
    void add(const CanMessage &frame)
    {
        drain();
        frames.append(qMakePair(frame, clock.elapsed()));
    }
};

// The demo controller answers the tool unit's request for its ECU identification.
bool unitAnswersTool(Capture &capture)
{
    OffBoardDiagnosticDevice toolUnit;
    const int before = capture.handler->writtenFrames().size();
    capture.handler->adopt(&toolUnit);
    if (!waitFor([&] { return capture.handler->writtenFrames().size() > before; }))
        return false; // the claim on joining
    SimulatedIdentification controller(0xA0, QByteArray("TVK-MC2*A0-0417*Boom*Tarvik*"),
                                       QByteArray("\x02MC2*"));
    const quint8 ask[3] = {0xC5, 0xFD, 0x00};
    CanMessage request(0x18EAA0F9, ask, 3);
    toolUnit.sendMessage(request);
    capture.drain();
    QVector<SimulatedReply> replies;
    controller.frameSent(request, &replies);
    int seen = capture.seen;
    for (;;) {
        for (const SimulatedReply &reply : replies) {
            capture.add(reply.frame);
            DispatchResult r(DispatchResult::Received, capture.clock.elapsed());
            toolUnit.dispatchTargetMessage(reply.frame, &r);
        }
        replies.clear();
        if (!waitFor([&] { return capture.handler->writtenFrames().size() > seen; }))
            return false;
        capture.drain();
        const CanMessage answer = capture.handler->writtenFrames().at(seen++);
        controller.frameSent(answer, &replies);
        if (answer.data[0] == TPConnection::EndOfMsgAck)
            return true;
    }
}

// A stand-in engine answers a request by name with its long DM1, to the program's receiver.
bool standInAnswersRequest(Capture &capture)
{
    J1939Device engine(0x00);
    capture.handler->adopt(&engine);
    auto *dm1 = new DM1Function(&engine);
    for (int i = 0; i < 3; ++i) {
        dm1->intParameter(8 + 3 * i)->setValue(521025 + i);
        dm1->intParameter(9 + 3 * i)->setValue(16);
        dm1->intParameter(10 + 3 * i)->setValue(i + 1);
    }
    dm1->intParameter(DM1Function::Count)->setValue(3);
    engine.setState(AbstractDisplayableItem::Send);
    J1939Device tool(0xF9);
    capture.handler->adopt(&tool);
    new DM1Function(&tool);
    tool.setState(AbstractDisplayableItem::Send);
    const quint8 ask[3] = {0xCA, 0xFE, 0x00};
    CanMessage request(0x18EA00F9, ask, 3);
    tool.sendMessage(request);
    capture.drain();
    int seen = capture.seen;
    DispatchResult r(DispatchResult::Received, 0);
    engine.dispatchTargetMessage(request, &r);
    // Each side hears the other, until the acknowledgement reached the engine.
    for (;;) {
        if (!waitFor([&] { return capture.handler->writtenFrames().size() > seen; }))
            return false;
        capture.drain();
        const CanMessage frame = capture.handler->writtenFrames().at(seen++);
        J1939Device *hearer = frame.address() == 0x00 ? &tool : &engine;
        hearer->dispatchTargetMessage(frame, &r);
        if (frame.pduFormat() == J1939Device::PfTransportControl
            && frame.data[0] == TPConnection::EndOfMsgAck)
            break;
    }
    if (engine.transport()->sendConnectionCount() != 0)
        return false;
    // Asked by everyone, the engine broadcasts (BAM) the same answer.
    CanMessage global(0x18EAFFF9, ask, 3);
    tool.sendMessage(global);
    seen = capture.handler->writtenFrames().size();
    engine.dispatchTargetMessage(global, &r);
    return waitFor([&] {
        capture.drain();
        return capture.handler->writtenFrames().size() >= seen + 3
               && engine.broadcastState() == J1939Device::BroadcastIdle;
    });
}

// The tool unit claims its address on joining the bus and again when asked.
bool toolClaims(Capture &capture)
{
    capture.handler->bus()->toolAddress().setIdentityNumber(0x0A5F1);
    OffBoardDiagnosticDevice toolUnit;
    capture.handler->adopt(&toolUnit);
    toolUnit.slotClaimAddress();
    const quint8 ask[3] = {0x00, 0xEE, 0x00};
    const CanMessage request(0x18EAFF00, ask, 3);
    capture.add(request);
    DispatchResult r(DispatchResult::Received, capture.clock.elapsed());
    if (!toolUnit.matchTargetMessage(request))
        return false;
    toolUnit.dispatchTargetMessage(request, &r);
    capture.drain();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tpcapture OUTPUT.pcap EXPECTED.tsv\n");
        return 2;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    TestCanHandler handler;
    handler.start();
    Capture capture{&handler, {}, 0, {}};
    capture.clock.start();
    TPConnection::Timing t;
    t.delayRtsToCts = 10;
    t.delayDataToCts0 = 10;
    t.delayCts0ToCts = 20;
    t.delayDataToAck = 10;
    handler.bus()->setTransportTiming(t);

    // A simulated engine sends its DM1 with no code, one code and two codes.
    J1939Device engine(0x00);
    handler.adopt(&engine);
    auto *dm1 = new DM1Function(&engine);
    for (int i = 0; i < 2; ++i) {
        dm1->intParameter(8 + 3 * i)->setValue(521025 + i);
        dm1->intParameter(9 + 3 * i)->setValue(16);
        dm1->intParameter(10 + 3 * i)->setValue(i + 1);
    }
    int frames = 0;
    for (const auto &step : {qMakePair(0, 1), qMakePair(1, 1), qMakePair(2, 3)}) {
        dm1->intParameter(DM1Function::Count)->setValue(step.first);
        dm1->transmitState();
        frames += step.second;
        if (!waitFor([&] {
                capture.drain();
                return handler.writtenFrames().size() >= frames;
            }))
            return 1;
    }

    // A simulated tool at 0xF9 receives a 30-byte software identification from 0x21.
    J1939Device tool(0xF9);
    handler.adopt(&tool);
    new SoftFunction(&tool);
    tool.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    const QByteArray soft = QByteArray(1, '\x03') + "TARVIK*0.36.3*ZENTRAX*TP*TEST";
    auto data = [&](int seq) {
        quint8 p[8] = {quint8(seq), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        const QByteArray chunk = soft.mid((seq - 1) * 7, 7);
        std::memcpy(p + 1, chunk.constData(), size_t(chunk.size()));
        return CanMessage(0x1CEBF921, p, 8);
    };
    const quint8 rts[8] = {0x10, 30, 0, 5, 0xFF, 0xDA, 0xFE, 0x00};
    tool.dispatchTargetMessage(CanMessage(0x1CECF921, rts, 8), &r);
    // Answer each CTS with the packets it asks for, until the acknowledgement.
    int seen = frames;
    for (;;) {
        if (!waitFor([&] {
                capture.drain();
                return handler.writtenFrames().size() > seen;
            }))
            return 1;
        const CanMessage cts = handler.writtenFrames().at(seen++);
        if (cts.data[0] != TPConnection::Cts)
            break;
        for (int s = cts.data[2]; cts.data[1] > 0 && s < cts.data[2] + cts.data[1]; ++s)
            tool.dispatchTargetMessage(data(s), &r);
    }

    capture.drain();
    if (!unitAnswersTool(capture) || !standInAnswersRequest(capture) || !toolClaims(capture))
        return 1;
    capture.drain();

    QFile pcapFile(QString::fromLocal8Bit(argv[1]));
    QFile expected(QString::fromLocal8Bit(argv[2]));
    if (!pcapFile.open(QIODevice::WriteOnly) || !expected.open(QIODevice::WriteOnly))
        return 1;
    pcapFile.write(pcap(capture.frames));
    QTextStream out(&expected);
    for (const ExpectedFrame &e : Expected)
        out << e.fields << '\n';
    std::printf("%d frames\n", int(capture.frames.size()));
    return 0;
}
