// Runs the transport protocol as the program does (a BAM of a DM1 and an RTS/CTS reception of a
// software identification) and writes what Tarvik sent, with its time stamps, as a pcap with the
// SocketCAN link type (227), plus the fields each frame was meant to carry, for a check by an
// independent dissector (tests/tools/tshark_check.sh).
#include "can/abstractcanhandler.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/softfunction.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
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
    TPConnection::Timing t;
    t.delayRtsToCts = 10;
    t.delayDataToCts0 = 10;
    t.delayCts0ToCts = 20;
    t.delayDataToAck = 10;
    TPConnection::setTiming(t);

    // A simulated engine broadcasts a DM1 with three codes (14 bytes: one BAM of 2 packets).
    J1939Device engine(0x00);
    auto *dm1 = new DM1Function(&engine);
    dm1->intParameter(DM1Function::Count)->setValue(3);
    for (int i = 0; i < 3; ++i) {
        dm1->intParameter(8 + 3 * i)->setValue(521025 + i);
        dm1->intParameter(9 + 3 * i)->setValue(16);
        dm1->intParameter(10 + 3 * i)->setValue(i + 1);
    }
    dm1->transmitState();
    if (!waitFor([&] { return handler.writtenFrames().size() >= 3; }))
        return 1;

    // A simulated tool at 0xF9 receives a 23-byte software identification from 0x21.
    J1939Device tool(0xF9);
    new SoftFunction(&tool);
    tool.setState(AbstractDisplayableItem::Send);
    DispatchResult r;
    const QByteArray soft("\x02" "TARVIK*0.36.3*ZENTRAX*", 23);
    auto data = [&](int seq) {
        quint8 p[8] = {quint8(seq), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        const QByteArray chunk = soft.mid((seq - 1) * 7, 7);
        std::memcpy(p + 1, chunk.constData(), size_t(chunk.size()));
        return CanMessage(0x1CEBF921, p, 8);
    };
    const quint8 rts[8] = {0x10, 23, 0, 4, 0xFF, 0xDA, 0xFE, 0x00};
    tool.dispatchTargetMessage(CanMessage(0x1CECF921, rts, 8), &r);
    if (!waitFor([&] { return handler.writtenFrames().size() >= 4; }))
        return 1;
    tool.dispatchTargetMessage(data(1), &r);
    tool.dispatchTargetMessage(data(2), &r);
    if (!waitFor([&] { return handler.writtenFrames().size() >= 6; }))
        return 1;
    tool.dispatchTargetMessage(data(3), &r);
    tool.dispatchTargetMessage(data(4), &r);
    if (!waitFor([&] { return handler.writtenFrames().size() >= 7; }))
        return 1;

    // What was sent, from the handler's packs: frames with their time stamps.
    QVector<QPair<CanMessage, qint64>> sent;
    while (!handler.isMessageQueueEmpty()) {
        for (const auto &pair : handler.dequeuePack()) {
            if (!pair.second.isReceived())
                sent.append(qMakePair(pair.first, pair.second.timestamp));
        }
    }
    QFile capture(QString::fromLocal8Bit(argv[1]));
    QFile expected(QString::fromLocal8Bit(argv[2]));
    if (!capture.open(QIODevice::WriteOnly) || !expected.open(QIODevice::WriteOnly))
        return 1;
    capture.write(pcap(sent));
    QTextStream out(&expected);
    for (const auto &entry : sent) {
        const CanMessage &m = entry.first;
        const bool pdu1 = CanMessage::isPdu1(m.pduFormat());
        out << m.pgn() << '\t' << m.address() << '\t' << (pdu1 ? m.pduSpecific() : 255) << '\t'
            << m.priority() << '\t'
            << QByteArray(reinterpret_cast<const char *>(m.data), m.length).toHex() << '\n';
    }
    std::printf("%d frames\n", int(sent.size()));
    return sent.size() == 7 ? 0 : 1;
}
