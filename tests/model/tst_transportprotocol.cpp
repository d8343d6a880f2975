#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/tpconnection.h"
#include "support/recordingfunction.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/tpframes.h"
#include "ui/editors/connectiontimeoutsdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

namespace {

// From the peer at 0x21 to the unit at 0x30 under test, for PGN 0xFEDA.
CanMessage rts(int size, int packets, quint8 from = 0x21)
{
    return tpControl(from, 0x30,
                     {0x10, quint8(size), quint8(size >> 8), quint8(packets), 0xFF, 0xDA, 0xFE, 0});
}

CanMessage dt(quint8 sequence, const QByteArray &seven, quint8 from = 0x21)
{
    return tpData(from, 0x30, sequence, seven);
}

} // namespace

// Connection-mode reception (RTS/CTS) and the receiver's timing settings.
class tst_TransportProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void cleanup();
    void rtsCtsExchange();
    void ctsNearTheEnd_data();
    void ctsNearTheEnd();
    void repeatedPacketIgnored();
    void skippedPacketDrops();
    void abortDrops();
    void newRtsReplaces();
    void noDataAfterCtsDropsSilently();
    void twoPeersAtOnce();
    void unexpectedControl();
    void dataWithoutConnection();
    void timingSettings_data();
    void timingSettings();
    void timingDialogDefaults();

private:
    // Hands a frame from the peer to the unit under test.
    bool receive(const CanMessage &m) { return m_device->dispatchTargetMessage(m, &m_result); }

    TestCanHandler *m_handler = nullptr;
    // The unit at 0x30 on the handler's bus with a function for PGN 0xFEDA, sending.
    std::unique_ptr<J1939Device> m_device;
    RecordingFunction *m_function = nullptr;
    DispatchResult m_result;
};

void tst_TransportProtocol::init()
{
    delete m_handler;
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    // Short receiver timings keep the suite fast; their order is the real one.
    TPConnection::Timing t = quickTiming(20);
    t.timeoutDataToData = 150;
    t.timeoutCtsToData = 300;
    m_handler->bus()->setTransportTiming(t);
    m_device = std::make_unique<J1939Device>(0x30);
    m_handler->adopt(m_device.get());
    m_function = new RecordingFunction(0xFE, 0xDA, m_device.get());
    m_function->setState(AbstractDisplayableItem::Send);
}

void tst_TransportProtocol::cleanup()
{
    m_device.reset();
}

void tst_TransportProtocol::rtsCtsExchange()
{
    const QByteArray data = tpMessage(23);
    CanMessage announcement = rts(23, 4);
    QVERIFY(receive(announcement));
    QCOMPARE(announcement.text,
             QStringLiteral("TP.CM.RTS from 21, size 23 bytes 4 packets, PGN feda"));
    QVERIFY(m_device->getConnection(0x21));
    QCOMPARE(m_device->getConnection(0x21)->state(), TPConnection::WaitingToRespondRTS);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    QCOMPARE(m_handler->writtenFrames().at(0).toString(),
             QStringLiteral("6 ec2130 11 02 01 ff ff da fe 00"));
    QCOMPARE(m_handler->writtenFrames().at(0).text,
             QStringLiteral("TP.CM CTS windowSize 2 seq 1 PGN feda"));
    receive(dt(1, data.mid(0, 7)));
    receive(dt(2, data.mid(7, 7)));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 2);
    QCOMPARE(m_handler->writtenFrames().at(1).toString(),
             QStringLiteral("6 ec2130 11 00 ff ff ff da fe 00"));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 3);
    QCOMPARE(m_handler->writtenFrames().at(2).toString(),
             QStringLiteral("6 ec2130 11 02 03 ff ff da fe 00"));
    receive(dt(3, data.mid(14, 7)));
    receive(dt(4, data.mid(21, 2) + QByteArray(5, '\xff')));
    // The last packet leads straight to the acknowledgement.
    QCOMPARE(m_function->connections.size(), 1);
    QCOMPARE(m_function->connections.first(), data);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 4);
    const CanMessage ack = m_handler->writtenFrames().at(3);
    QCOMPARE(ack.toString(), QStringLiteral("6 ec2130 13 17 00 04 ff da fe 00"));
    QCOMPARE(ack.text, QStringLiteral("TP.CM EndOfMsgAck 23 bytes, 4 packets, pgn feda"));
    QVERIFY(!m_device->getConnection(0x21));
    QTest::qWait(60);
    QCOMPARE(m_handler->writtenFrames().size(), 4);
}

void tst_TransportProtocol::ctsNearTheEnd_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("ctsSequence"); // packets/next of each CTS
    QTest::newRow("5 packets, window 2: the last CTS asks 1")
        << 33 << 2 << "2/1 0/255 2/3 0/255 1/5";
    QTest::newRow("4 packets, window 2: full windows") << 23 << 2 << "2/1 0/255 2/3";
    QTest::newRow("4 packets, window 3") << 25 << 3 << "3/1 0/255 1/4";
    QTest::newRow("7 packets, window 3") << 49 << 3 << "3/1 0/255 3/4 0/255 1/7";
    QTest::newRow("window above the packet count") << 15 << 5 << "3/1";
    QTest::newRow("one packet") << 5 << 2 << "1/1";
}

void tst_TransportProtocol::ctsNearTheEnd()
{
    QFETCH(int, size);
    QFETCH(int, window);
    QFETCH(QString, ctsSequence);
    TPConnection::Timing t = m_handler->bus()->transportTiming();
    t.windowSize = window;
    m_handler->bus()->setTransportTiming(t);
    const QByteArray data = tpMessage(size);
    const quint8 packets = quint8((size + 6) / 7);
    receive(rts(size, packets));
    // Play the originator: send what each CTS asks for, until the acknowledgement.
    QStringList got;
    int seen = 0;
    bool acknowledged = false;
    while (!acknowledged) {
        QTRY_VERIFY(m_handler->writtenFrames().size() > seen);
        const CanMessage frame = m_handler->writtenFrames().at(seen++);
        if (frame.data[0] == TPConnection::EndOfMsgAck) {
            acknowledged = true;
            break;
        }
        QCOMPARE(frame.data[0], quint8(TPConnection::Cts));
        const int count = frame.data[1];
        const int next = frame.data[2];
        got << QStringLiteral("%1/%2").arg(count).arg(next);
        QVERIFY2(count == 0 || next + count - 1 <= packets, qPrintable(got.join(QLatin1Char(' '))));
        for (int s = next; count > 0 && s < next + count; ++s)
            receive(dt(quint8(s), data.mid((s - 1) * 7, 7)));
    }
    QCOMPARE(got.join(QLatin1Char(' ')), ctsSequence);
    QCOMPARE(m_function->connections, QList<QByteArray>{data});
}

void tst_TransportProtocol::repeatedPacketIgnored()
{
    const QByteArray data = tpMessage(10);
    receive(rts(10, 2));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    receive(dt(1, data));
    receive(dt(1, tpMessage(7))); // again: ignored
    QVERIFY(m_device->getConnection(0x21));
    receive(dt(2, data.mid(7)));
    QCOMPARE(m_function->connections.size(), 1);
    QCOMPARE(m_function->connections.first(), data);
}

void tst_TransportProtocol::skippedPacketDrops()
{
    receive(rts(21, 3));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    receive(dt(1, tpMessage(7)));
    QTest::ignoreMessage(QtDebugMsg, "Unexpected message");
    receive(dt(3, tpMessage(7)));
    QVERIFY(!m_device->getConnection(0x21));
    QVERIFY(m_function->connections.isEmpty());
    QTest::qWait(80);
    QCOMPARE(m_handler->writtenFrames().size(), 1); // no abort is sent
}

void tst_TransportProtocol::abortDrops()
{
    receive(rts(21, 3));
    QVERIFY(m_device->getConnection(0x21));
    CanMessage abort = tpControl(0x21, 0x30, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDA, 0xFE, 0});
    receive(abort);
    QCOMPARE(abort.text, QStringLiteral("TP.CM ConnAbort"));
    QVERIFY(!m_device->getConnection(0x21));
    QTest::qWait(60);
    QVERIFY(m_handler->writtenFrames().isEmpty());
}

void tst_TransportProtocol::newRtsReplaces()
{
    receive(rts(100, 15));
    QPointer<TPConnection> first = m_device->getConnection(0x21);
    receive(rts(9, 2));
    TPConnection *second = m_device->getConnection(0x21);
    QVERIFY(second && second != first.data());
    QCOMPARE(second->totalSize(), quint16(9));
    QTRY_VERIFY(first.isNull()); // deleted later
    QCOMPARE(m_device->connectionCount(), 1);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    receive(dt(1, tpMessage(7)));
    receive(dt(2, tpMessage(7)));
    QCOMPARE(m_function->connections.size(), 1);
    QCOMPARE(m_function->connections.first().size(), 9);
}

void tst_TransportProtocol::noDataAfterCtsDropsSilently()
{
    receive(rts(21, 3));
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE(m_handler->writtenFrames().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_device->getConnection(0x21), 5000);
    QVERIFY(clock.elapsed() >= 300); // the CTS-to-data time-out
    QCOMPARE(m_handler->writtenFrames().size(), 1);
}

void tst_TransportProtocol::twoPeersAtOnce()
{
    const QByteArray a = tpMessage(14);
    const QByteArray b(14, 'b');
    receive(rts(14, 2));
    receive(rts(14, 2, 0x22));
    QCOMPARE(m_device->connectionCount(), 2);
    QTRY_COMPARE(m_handler->writtenFrames().size(), 2);
    receive(dt(1, b.mid(0, 7), 0x22));
    receive(dt(1, a.mid(0, 7)));
    receive(dt(2, a.mid(7, 7)));
    receive(dt(2, b.mid(7, 7), 0x22));
    QCOMPARE(m_function->connections, (QList<QByteArray>{a, b}));
    QTRY_COMPARE(m_handler->writtenFrames().size(), 4);
    QSet<quint32> acked;
    for (int i = 2; i < 4; ++i)
        acked.insert(m_handler->writtenFrames().at(i).id);
    QCOMPARE(acked, (QSet<quint32>{0x18EC2130, 0x18EC2230}));
}

void tst_TransportProtocol::unexpectedControl()
{
    m_device->setState(AbstractDisplayableItem::Send);
    for (quint8 control : {quint8(0x11), quint8(0x13), quint8(0x20)}) {
        QTest::ignoreMessage(QtDebugMsg, "Got unexpected TP.CM message");
        QVERIFY(receive(tpControl(0x21, 0x30, {control, 9, 0, 2, 0xFF, 0xDA, 0xFE, 0})));
    }
    QCOMPARE(m_device->connectionCount(), 0);
}

void tst_TransportProtocol::dataWithoutConnection()
{
    QTest::ignoreMessage(
        QtDebugMsg, "TP error, no connection for data message 7 eb3021 01 10 11 12 13 14 15 16");
    receive(dt(1, tpMessage(7)));
    // An RTS whose size and packet count disagree opens nothing.
    receive(rts(30, 2));
    QCOMPARE(m_device->connectionCount(), 0);
}

void tst_TransportProtocol::timingSettings_data()
{
    QTest::addColumn<QVariant>("saved"); // TimeoutDataToData in the settings, invalid: absent
    QTest::addColumn<int>("dataToData");
    QTest::newRow("absent: the default T1 of 750 ms") << QVariant() << 750;
    QTest::newRow("a saved 250 stays the user's") << QVariant(250) << 250;
    QTest::newRow("a saved 1000") << QVariant(1000) << 1000;
    QTest::newRow("not a number: the default") << QVariant(QStringLiteral("fast")) << 750;
}

void tst_TransportProtocol::timingSettings()
{
    QFETCH(QVariant, saved);
    QFETCH(int, dataToData);
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("ConnectionTiming/DelayRtsToCts"), 123);
    settings.setValue(QStringLiteral("ConnectionTiming/WindowSize"), QStringLiteral("abc"));
    if (saved.isValid())
        settings.setValue(QStringLiteral("ConnectionTiming/TimeoutDataToData"), saved);
    TPConnection::Timing t = TPConnection::readTiming(settings);
    QCOMPARE(t.delayRtsToCts, 123);
    QCOMPARE(t.windowSize, 2); // not a number: kept
    QCOMPARE(t.timeoutCtsToData, 1250);
    QCOMPARE(t.timeoutDataToData, dataToData);
    t.windowSize = 7;
    TPConnection::writeTiming(settings, t);
    QCOMPARE(settings.value(QStringLiteral("ConnectionTiming/WindowSize")).toInt(), 7);
    QCOMPARE(settings.value(QStringLiteral("ConnectionTiming/TimeoutDataToData")).toInt(),
             dataToData);
    settings.clear();
}

void tst_TransportProtocol::timingDialogDefaults()
{
    QSettings settings;
    settings.clear();
    QCOMPARE(TPConnection::defaultTiming().timeoutDataToData, 750);
    settings.setValue(QStringLiteral("ConnectionTiming/TimeoutDataToData"), 250);
    auto cleanup = qScopeGuard([&settings] { settings.clear(); });
    ConnectionTimeoutsDialog dialog;
    auto *dataToData = dialog.findChild<QSpinBox *>(QStringLiteral("dataToData"));
    QVERIFY(dataToData);
    QCOMPARE(dataToData->value(), 250); // opens with the stored values
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QTest::mouseClick(buttons->button(QDialogButtonBox::RestoreDefaults), Qt::LeftButton);
    QCOMPARE(dataToData->value(), 750);
    QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("ctsToData"))->value(), 1250);
}

QTEST_MAIN(tst_TransportProtocol)
#include "tst_transportprotocol.moc"
