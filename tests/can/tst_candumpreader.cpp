#include "can/candumpreader.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QtTest>

class tst_CandumpReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void line_data();
    void line();
    void recordingSkipsAndCounts();
    void missingFile();
};

void tst_CandumpReader::line_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("timeUs");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QByteArray>("data");

    auto good = [](const char *name, const char *line, qint64 timeUs, quint32 id, bool extended,
                   const char *data) {
        QTest::newRow(name) << QByteArray(line) << true << timeUs << id << extended << hex(data);
    };
    auto bad = [](const char *name, const char *line) {
        QTest::newRow(name) << QByteArray(line) << false << qint64(0) << 0u << false
                            << QByteArray();
    };
    good("extended, 8 bytes", "(1436509052.249713) can0 18FEF100#0102030405060708",
         1436509052249713, 0x18FEF100u, true, "0102030405060708");
    good("standard 3 digits", "(0.500000) can1 1A0#01A2", 500000, 0x1A0u, false, "01A2");
    good("no data", "(1.000000) vcan0 18EA0021#", 1000000, 0x18EA0021u, true, "");
    good("lower-case hex, CR, blanks", "  (2.5) can0 0cf00400#f0ff7d \r", 2500000, 0x0CF00400u,
         true, "F0FF7D");
    good("fraction beyond microseconds ignored", "(3.1234567) can0 123#", 3123456, 0x123u, false,
         "");
    // A logger's usual widths take a shorter way; near misses must read the same as ever.
    good("usual widths, direction", "(1436509052.249713) can0 0CF00400#F0FF7D R",
         1436509052249713, 0x0CF00400u, true, "F0FF7D");
    good("usual widths, CR after data", "(1436509052.249713) can0 0CF00400#F0FF7D\r",
         1436509052249713, 0x0CF00400u, true, "F0FF7D");
    good("usual widths, 7 fraction digits", "(1436509052.2497139) can0 123#00",
         1436509052249713, 0x123u, false, "00");
    good("usual widths, 11 second digits", "(14365090520.249713) can0 18FEF100#",
         14365090520249713, 0x18FEF100u, true, "");
    bad("usual widths, non-digit second", "(14365x9052.249713) can0 18FEF100#00");
    bad("usual widths, non-digit fraction", "(1436509052.2497x3) can0 18FEF100#00");
    bad("usual widths, non-digit first", "(:436509052.249713) can0 18FEF100#00");
    bad("usual widths, non-digit after point", "(1436509052./49713) can0 18FEF100#00");
    good("usual widths, all nines", "(9999999999.999999) can0 123#", 9999999999999999, 0x123u,
         false, "");
    bad("usual widths, non-hex identifier", "(1436509052.249713) can0 18FEG100#00");
    bad("usual widths, non-hex data", "(1436509052.249713) can0 18FEF100#01020304050607G8");
    bad("usual widths, 29-bit overflow", "(1436509052.249713) can0 3FFFFFFF#00");
    good("usual widths, every hex digit", "(1436509052.249713) can0 1abcdefA#0123456789aBcDeF",
         1436509052249713, 0x1ABCDEFAu, true, "0123456789ABCDEF");
    bad("usual widths, letter after f", "(1436509052.249713) can0 18FEF100#0102030405060g08");
    bad("usual widths, byte above 0x7F", "(1436509052.249713) can0 18FEF100#01020304050607\xC6");
    bad("usual widths, colon after 9", "(1436509052.249713) can0 18FE:100#0102030405060708");
    bad("nine data bytes", "(1.0) can0 18FEF100#010203040506070809");
    bad("odd data digit", "(1.0) can0 18FEF100#012");
    bad("five-digit identifier", "(1.0) can0 12345#00");
    bad("29-bit overflow", "(1.0) can0 3FFFFFFF#00");
    bad("standard overflow", "(1.0) can0 800#00");
    bad("remote frame", "(1.0) can0 123#R");
    bad("CAN FD", "(1.0) can0 123##100");
    bad("missing time", "can0 123#00");
    bad("no interface", "(1.0) 123#00");
    bad("garbage after data", "(1.0) can0 123#00 x");
    bad("non-hex identifier", "(1.0) can0 12G#00");
}

void tst_CandumpReader::line()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(qint64, timeUs);
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(QByteArray, data);
    TimedFrame frame;
    QCOMPARE(CandumpReader::parseLine(line.constData(), line.constData() + line.size(), &frame),
             ok);
    if (!ok)
        return;
    QCOMPARE(frame.timeUs, timeUs);
    QCOMPARE(frame.message.id, id);
    QCOMPARE(frame.message.extended, extended);
    QCOMPARE(int(frame.message.length), data.size());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(frame.message.data), data.size()), data);
    // Bytes beyond the length are zero, whatever way the line was read.
    for (int i = int(data.size()); i < CanMessage::MaxLength; ++i)
        QCOMPARE(int(frame.message.data[i]), 0);
}

void tst_CandumpReader::recordingSkipsAndCounts()
{
    CandumpReader reader;
    reader.parse("(0.0) can0 18FEF100#01\n"
                 "this is not a frame\n"
                 "\n"
                 "(0.1) can0 18FEF100#0102030405060708090A\n"
                 "(0.2) can0 1A0#\n"
                 "(0.3) can0 18FEF1"); // cut off at the end
    QCOMPARE(reader.frames().size(), 2);
    QCOMPARE(reader.skippedLines(), 3);
    QCOMPARE(reader.frames().at(1).message.id, 0x1A0u);
}

void tst_CandumpReader::missingFile()
{
    CandumpReader reader;
    QVERIFY(!reader.readFile(QStringLiteral("/nonexistent/recording.log")));
    QVERIFY(!reader.errorString().isEmpty());
    QVERIFY(reader.frames().isEmpty());
}

QTEST_GUILESS_MAIN(tst_CandumpReader)
#include "tst_candumpreader.moc"
