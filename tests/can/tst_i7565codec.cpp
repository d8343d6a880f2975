#include "can/i7565codec.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

class tst_I7565Codec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void encodeFrame_data();
    void encodeFrame();
    void bitRate_data();
    void bitRate();
    void parseLine_data();
    void parseLine();
    void secondFrameCutAcrossReads();
    void unknownAndEmptyLines();
    void batchLimit();
    void overflowWithoutLineEnd();
};

void tst_I7565Codec::encodeFrame_data()
{
    QTest::addColumn<CanMessage>("message");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("extended") << makeFrame(0x18FEF100, {0x01, 0xA2})
                              << QByteArray("e18FEF100201A2\r");
    QTest::newRow("standard, no data") << makeFrame(0x1A0, {}, false) << QByteArray("t1A00\r");
    QTest::newRow("eight bytes") << makeFrame(0x0CF00400,
                                              {0xF0, 0xFF, 0x7D, 0, 0, 0xFF, 0xFF, 0xFF})
                                 << QByteArray("e0CF004008F0FF7D0000FFFFFF\r");
    QTest::newRow("small extended id padded")
        << makeFrame(0x5, {0x0A}) << QByteArray("e0000000510A\r");
}

void tst_I7565Codec::encodeFrame()
{
    QFETCH(CanMessage, message);
    QFETCH(QByteArray, line);
    QByteArray out;
    I7565Codec::encodeFrame(message, &out);
    QCOMPARE(out, line);
}

void tst_I7565Codec::bitRate_data()
{
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<QByteArray>("command");
    const unsigned rates[] = {10000, 20000, 50000, 100000, 125000, 250000, 500000, 800000, 1000000};
    for (int i = 0; i < 9; ++i)
        QTest::newRow(qPrintable(QString::number(rates[i])))
            << rates[i] << QByteArray("P1") + char('0' + i);
    QTest::newRow("unsupported 83333") << 83333u << QByteArray();
}

void tst_I7565Codec::bitRate()
{
    QFETCH(unsigned, rate);
    QFETCH(QByteArray, command);
    QCOMPARE(I7565Codec::encodeBitRate(rate), command);
}

void tst_I7565Codec::parseLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::newRow("standard with data") << QByteArray("t1A0201A2") << true << "SID1a0 01 a2";
    QTest::newRow("length 3 with only 2 bytes") << QByteArray("t1A0301A2") << false << "";
    QTest::newRow("extended") << QByteArray("e18FEF100201A2") << true << "6 fef100 01 a2";
    QTest::newRow("lower case") << QByteArray("e18fef1002aBcD") << true << "6 fef100 ab cd";
    QTest::newRow("ZZ data byte becomes FF")
        << QByteArray("e18FEF1002ZZA2") << true << "6 fef100 ff a2";
    QTest::newRow("extra characters ignored") << QByteArray("t1A0101FF") << true << "SID1a0 01";
    QTest::newRow("short extended") << QByteArray("e18FEF10") << false << "";
    QTest::newRow("short standard") << QByteArray("t1A") << false << "";
    QTest::newRow("length above 8") << QByteArray("t1A09010203040506070809") << false << "";
    QTest::newRow("length not hex") << QByteArray("t1A0G") << false << "";
    QTest::newRow("identifier not hex") << QByteArray("e18FEX1000") << false << "";
    QTest::newRow("identifier above 29 bits") << QByteArray("e3FFFFFFF0") << false << "";
    QTest::newRow("standard identifier above 11 bits") << QByteArray("t8000") << false << "";
    QTest::newRow("empty standard") << QByteArray("t1A00") << true << "SID1a0 ";
}

void tst_I7565Codec::parseLine()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    CanMessage m;
    QCOMPARE(I7565Codec::parseFrameLine(line.constData(), int(line.size()), &m), ok);
    if (ok)
        QCOMPARE(m.toString(), text);
}

void tst_I7565Codec::secondFrameCutAcrossReads()
{
    I7565Codec codec;
    QVector<CanMessage> frames;
    const QByteArray first("e18FEF100201A2\re0CF0040");
    codec.feed(first.constData(), int(first.size()));
    QCOMPARE(codec.decode(&frames, 128), 1);
    QCOMPARE(codec.buffered(), 8);
    const QByteArray second("013F\r");
    codec.feed(second.constData(), int(second.size()));
    QCOMPARE(codec.decode(&frames, 128), 1);
    QCOMPARE(frames.at(1).toString(), QStringLiteral("3 f00400 3f"));
    QCOMPARE(codec.buffered(), 0);
}

void tst_I7565Codec::unknownAndEmptyLines()
{
    I7565Codec codec;
    QList<QByteArray> log;
    codec.setLogSink([&](const QByteArray &text) { log << text; });
    const QByteArray stream("\r\rx123\rt1A0101\r");
    codec.feed(stream.constData(), int(stream.size()));
    QVector<CanMessage> frames;
    QCOMPARE(codec.decode(&frames, 128), 1);
    QCOMPARE(log, QList<QByteArray>{"Unknown message: x123"});
}

void tst_I7565Codec::batchLimit()
{
    QByteArray stream;
    for (int i = 0; i < 200; ++i) {
        I7565Codec::encodeFrame(makeFrame(0x18FEF100, {quint8(i)}), &stream);
    }
    I7565Codec codec;
    QVERIFY(codec.feed(stream.constData(), int(stream.size())));
    QVector<CanMessage> frames;
    QCOMPARE(codec.decode(&frames, 128), 128);
    QCOMPARE(codec.decode(&frames, 128), 72);
    for (int i = 0; i < 200; ++i)
        QCOMPARE(int(frames.at(i).data[0]), i);
}

void tst_I7565Codec::overflowWithoutLineEnd()
{
    I7565Codec codec;
    const QByteArray noise(4094, 'e');
    QVERIFY(codec.feed(noise.constData(), 4093));
    QVector<CanMessage> frames;
    QCOMPARE(codec.decode(&frames, 128), 0);
    QCOMPARE(codec.buffered(), 4093);
    QCOMPARE(codec.room(), 1);
    QVERIFY(codec.feed("e", 1));
    codec.decode(&frames, 128); // a full buffer without a line end is dropped
    QCOMPARE(codec.buffered(), 0);
    const QByteArray big(5000, 'e');
    QVERIFY(!codec.feed(big.constData(), int(big.size())));
    QCOMPARE(codec.buffered(), 0);
    // The next valid line is decoded normally.
    const QByteArray line("t1A0101\r");
    codec.feed(line.constData(), int(line.size()));
    QCOMPARE(codec.decode(&frames, 128), 1);
}

QTEST_GUILESS_MAIN(tst_I7565Codec)
#include "tst_i7565codec.moc"
