#include "can/adapterrecords.h"
#include "support/hex.h"
#include "support/testcanhandler.h"

#include <QtTest>

#include <cstring>

using namespace AdapterRecords;

namespace {

QByteArray bytes(const unsigned char *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

CanMessage frame(quint32 id, bool extended, const QByteArray &data)
{
    CanMessage m(id, reinterpret_cast<const quint8 *>(data.constData()), data.size());
    m.extended = extended;
    return m;
}

} // namespace

class tst_AdapterRecords : public QObject
{
    Q_OBJECT

private slots:
    void passThruEncode_data();
    void passThruEncode();
    void passThruDecode_data();
    void passThruDecode();
    void slcanRecord();
    void slmcpWord_data();
    void slmcpWord();
    void slmcpRecord();
    void slmcpBitRates_data();
    void slmcpBitRates();
};

void tst_AdapterRecords::passThruEncode_data()
{
    QTest::addColumn<CanMessage>("message");
    QTest::addColumn<ulong>("txFlags");
    QTest::addColumn<ulong>("dataSize");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("standard 0x1A0 01 02") << frame(0x1A0, false, hex("0102"))
                                          << 0ul << 6ul << hex("000001a00102");
    QTest::newRow("extended 0x18FEF100") << frame(0x18FEF100, true, hex("ff"))
                                         << 0x100ul << 5ul << hex("18fef100ff");
    QTest::newRow("length 0") << frame(0x18EAFF00, true, {}) << 0x100ul << 4ul << hex("18eaff00");
    QTest::newRow("eight bytes") << frame(0x7FF, false, hex("0102030405060708"))
                                 << 0ul << 12ul << hex("000007ff0102030405060708");
    CanMessage corrupt = frame(0x100, true, hex("0102030405060708"));
    corrupt.length = 12;
    QTest::newRow("length 12 clamped to 8")
        << corrupt << 0x100ul << 12ul << hex("000001000102030405060708");
    QTest::newRow("standard identifier above 11 bits masked")
        << frame(0x1234, false, {}) << 0ul << 4ul << hex("00000234");
}

void tst_AdapterRecords::passThruEncode()
{
    QFETCH(CanMessage, message);
    QFETCH(ulong, txFlags);
    QFETCH(ulong, dataSize);
    QFETCH(QByteArray, data);
    J2534Api::PassThruMsg msg;
    std::memset(&msg, 0xAB, sizeof msg);
    toPassThru(message, &msg);
    QCOMPARE(msg.ProtocolID, 5ul);
    QCOMPARE(msg.RxStatus, 0ul);
    QCOMPARE(msg.TxFlags, txFlags);
    QCOMPARE(msg.Timestamp, 0ul);
    QCOMPARE(msg.ExtraDataIndex, 0ul);
    QCOMPARE(msg.DataSize, dataSize);
    QCOMPARE(bytes(msg.Data, int(msg.DataSize)).toHex(), data.toHex());
    // Decoding what was encoded gives the frame back.
    msg.RxStatus = message.extended ? J2534Api::RxCan29BitId : 0;
    CanMessage back;
    QCOMPARE(fromPassThru(msg, &back), PassThruResult::Frame);
    QCOMPARE(back.extended, message.extended);
    QCOMPARE(back.id, maskedId(message));
    QCOMPARE(int(back.length), int(dataSize) - 4);
}

void tst_AdapterRecords::passThruDecode_data()
{
    QTest::addColumn<ulong>("protocol");
    QTest::addColumn<ulong>("rxStatus");
    QTest::addColumn<ulong>("dataSize");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("frame");
    const int ok = int(PassThruResult::Frame);
    QTest::newRow("data size 3 skipped") << 5ul << 0x100ul << 3ul << int(PassThruResult::BadSize)
                                         << "";
    QTest::newRow("data size 4: length 0") << 5ul << 0x100ul << 4ul << ok << "6 fef100";
    QTest::newRow("data size 12: length 8")
        << 5ul << 0x100ul << 12ul << ok << "6 fef100 00 01 02 03 04 05 06 07";
    QTest::newRow("data size 13 skipped")
        << 5ul << 0x100ul << 13ul << int(PassThruResult::BadSize) << "";
    QTest::newRow("protocol 6 skipped")
        << 6ul << 0x100ul << 6ul << int(PassThruResult::WrongProtocol) << "";
    QTest::newRow("29-bit status: extended") << 5ul << 0x100ul << 5ul << ok << "6 fef100 00";
    QTest::newRow("no 29-bit status: standard stays standard")
        << 5ul << 0ul << 5ul << ok << "SID100 00";
    QTest::newRow("own frame looped back skipped")
        << 5ul << 0x101ul << 5ul << int(PassThruResult::Echo) << "";
    QTest::newRow("transmit indication skipped")
        << 5ul << 0x108ul << 4ul << int(PassThruResult::Echo) << "";
}

void tst_AdapterRecords::passThruDecode()
{
    QFETCH(ulong, protocol);
    QFETCH(ulong, rxStatus);
    QFETCH(ulong, dataSize);
    QFETCH(int, result);
    QFETCH(QString, frame);
    J2534Api::PassThruMsg msg{};
    msg.ProtocolID = protocol;
    msg.RxStatus = rxStatus;
    msg.DataSize = dataSize;
    const QByteArray data = hex("18fef100000102030405060708");
    std::memcpy(msg.Data, data.constData(), size_t(data.size()));
    CanMessage m;
    QCOMPARE(int(fromPassThru(msg, &m)), result);
    if (result != int(PassThruResult::Frame))
        return;
    QCOMPARE(m.toString().trimmed(), frame);
    if (!m.extended)
        QCOMPARE(m.id, 0x100u); // 0x18FEF100 with only the standard bits kept
}

// Frames themselves are the adapter contract's (tst_adaptercontract); here the record's unused
// bytes, an identifier above its 11 bits masked, and the length clamped on receive.
void tst_AdapterRecords::slcanRecord()
{
    unsigned char out[SlcanRecordSize];
    std::memset(out, 0xAB, sizeof out);
    toSlcanRecord(frame(0x11A0, false, hex("01")), out);
    QCOMPARE(bytes(out, SlcanRecordSize).toHex(), QByteArray("00a0010000010100000000000000"));
    bool clamped = true;
    QCOMPARE(fromSlcanRecord(out, &clamped).toString(), QStringLiteral("SID1a0 01"));
    QVERIFY(!clamped);
    out[5] = 9;
    QCOMPARE(int(fromSlcanRecord(out, &clamped).length), 8);
    QVERIFY(clamped);
}

void tst_AdapterRecords::slmcpWord_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<quint32>("word");
    QTest::newRow("0x18FEF100 extended") << 0x18FEF100u << true << 0xC7EAF100u;
    QTest::newRow("all 29 bits") << 0x1FFFFFFFu << true << 0xFFEBFFFFu;
    QTest::newRow("extended zero") << 0u << true << 0x00080000u;
    QTest::newRow("low 18 bits only") << 0x3FFFFu << true << 0x000BFFFFu;
    QTest::newRow("bit 18 moves to bit 21") << 0x40000u << true << 0x00280000u;
    // Standard identifiers stay in the low bits as the vendor's description says; to be checked
    // on an adapter.
    QTest::newRow("standard 0x7FF") << 0x7FFu << false << 0x000007FFu;
}

void tst_AdapterRecords::slmcpWord()
{
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(quint32, word);
    QCOMPARE(QString::number(slmcpIdWord(id, extended), 16), QString::number(word, 16));
    QCOMPARE(QString::number(slmcpIdFromWord(word), 16), QString::number(id, 16));
    QCOMPARE(slmcpWordIsExtended(word), extended);
    // Bits 18 and 20 of the word carry nothing and are ignored on receive.
    QCOMPARE(slmcpIdFromWord(word | 0x00140000u), id);
}

void tst_AdapterRecords::slmcpRecord()
{
    const CanMessage m = frame(0x18FEF100, true, hex("0102030405060708"));
    unsigned char out[SlmcpRecordSize];
    std::memset(out, 0xAB, sizeof out);
    toSlmcpRecord(m, out);
    QCOMPARE(bytes(out, SlmcpRecordSize).toHex(),
             QByteArray("00f1eac7080102030405060708000000"));
    QCOMPARE(fromSlmcpRecord(out).toString(), m.toString());
    out[4] = 200;
    bool clamped = false;
    QCOMPARE(int(fromSlmcpRecord(out, &clamped).length), 8);
    QVERIFY(clamped);
}

void tst_AdapterRecords::slmcpBitRates_data()
{
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<int>("code");
    QTest::newRow("10k") << 10000u << 7;
    QTest::newRow("20k") << 20000u << 6;
    QTest::newRow("50k") << 50000u << 5;
    QTest::newRow("125k") << 125000u << 4;
    QTest::newRow("250k") << 250000u << 3;
    QTest::newRow("500k") << 500000u << 2;
    QTest::newRow("800k") << 800000u << 1;
    QTest::newRow("1M") << 1000000u << 0;
    QTest::newRow("100k not offered") << 100000u << -1;
    QTest::newRow("0 not offered") << 0u << -1;
}

void tst_AdapterRecords::slmcpBitRates()
{
    QFETCH(unsigned, rate);
    QFETCH(int, code);
    QCOMPARE(slmcpBitRateCode(rate), code);
}

QTEST_GUILESS_MAIN(tst_AdapterRecords)
#include "tst_adapterrecords.moc"
