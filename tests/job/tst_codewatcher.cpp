#include "job/codewatcher.h"

#include "framestext.h"

#include <QtTest>

namespace {

QStringList events(const QByteArray &log, CodeWatcher *watcher)
{
    QStringList out;
    for (const TimedFrame &f : framesFromText(log)) {
        for (const CodeWatcher::Change &c : watcher->take(f))
            out << QStringLiteral("%1 %2 %3%4")
                       .arg(c.source, 2, 16, QLatin1Char('0'))
                       .arg(double(c.timeUs) / 1e6, 0, 'f', 3)
                       .arg(c.baseline ? QStringLiteral("baseline: ") : QString(), c.text());
    }
    return out;
}

QString codesText(const CodeWatcher::Codes &codes)
{
    QStringList list;
    for (const CodeWatcher::Code &c : codes)
        list << QStringLiteral("%1/%2/%3").arg(c.spn).arg(c.fmi).arg(c.oc);
    return list.join(QLatin1Char(' '));
}

} // namespace

class tst_CodeWatcher : public QObject
{
    Q_OBJECT

private slots:
    void changes_data();
    void changes();
    void changeCarriesCodes();
};

void tst_CodeWatcher::changes_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("codesOf05"); // the codes unit 0x05 holds at the end
    // Codes: SPN 100 FMI 3 is "64 00 03 oc", SPN 110 FMI 0 "6E 00 00 oc", SPN 111 FMI 2
    // "6F 00 02 oc"; "00 00 00 00" is no code and "FF FF FF FF" padding.
    QTest::newRow("appear") << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                                          "(11.000000) can0 18FECA05#04FF64000301FFFF\n")
                            << QStringList{"05 11.000 SPN 100 FMI 3 appeared"} << "100/3/1";
    QTest::newRow("disappear") << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                                             "(11.000000) can0 18FECA05#04FF64000301FFFF\n"
                                             "(12.500000) can0 18FECA05#00FF00000000FFFF\n")
                               << QStringList{"05 11.000 SPN 100 FMI 3 appeared",
                                              "05 12.500 SPN 100 FMI 3 gone"}
                               << "";
    QTest::newRow("count change, the conversion bit no count")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.000000) can0 18FECA05#04FF64000301FFFF\n"
                      "(12.000000) can0 18FECA05#04FF64000381FFFF\n"
                      "(13.000000) can0 18FECA05#04FF64000302FFFF\n")
        << QStringList{"05 11.000 SPN 100 FMI 3 appeared",
                       "05 13.000 SPN 100 FMI 3 occurrence count 2"}
        << "100/3/2";
    QTest::newRow("same codes again: no change")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(12.000000) can0 18FECA05#00FFFFFFFFFFFFFF\n")
        << QStringList{} << "";
    QTest::newRow("baseline without codes is no event")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n") << QStringList{} << "";
    QTest::newRow("baseline with codes is noted, then changes count")
        << QByteArray("(10.000000) can0 18FECA05#04FF64000301FFFF\n"
                      "(11.000000) can0 18FECA03#04FF64000301FFFF\n"
                      "(12.000000) can0 18FECA05#04FF64000301FFFF\n"
                      "(13.000000) can0 18FECA05#00FF00000000FFFF\n")
        << QStringList{"05 10.000 baseline: SPN 100 FMI 3 active at the start",
                       "03 11.000 baseline: SPN 100 FMI 3 active at the start",
                       "05 13.000 SPN 100 FMI 3 gone"}
        << "";
    QTest::newRow("too short to hold a code")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.000000) can0 18FECA05#04FF6400\n")
        << QStringList{} << "";
    QTest::newRow("standard frame and other PGN ignored")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.000000) can0 0CA#04FF64000301FFFF\n"
                      "(11.000000) can0 18FECB05#04FF64000301FFFF\n")
        << QStringList{} << "";
    // A broadcast (BAM) of two codes: the change counts from its last packet.
    QTest::newRow("BAM with several codes")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.500000) can0 1CECFF05#200A0002FFCAFE00\n"
                      "(11.550000) can0 1CEBFF05#0140FF6E0000016F\n"
                      "(11.600000) can0 1CEBFF05#02000202FFFFFFFF\n"
                      "(12.500000) can0 1CECFF05#200A0002FFCAFE00\n"
                      "(12.550000) can0 1CEBFF05#0140FF6E0000026F\n"
                      "(12.600000) can0 1CEBFF05#02000202FFFFFFFF\n")
        << QStringList{"05 11.600 SPN 110 FMI 0 appeared; SPN 111 FMI 2 appeared",
                       "05 12.600 SPN 110 FMI 0 occurrence count 2"}
        << "110/0/2 111/2/2";
    QTest::newRow("broken BAM: no change, the next one counts")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.500000) can0 1CECFF05#200A0002FFCAFE00\n"
                      "(11.550000) can0 1CEBFF05#0140FF6E0000016F\n"
                      "(11.600000) can0 1CEBFF05#03000202FFFFFFFF\n"
                      "(12.500000) can0 1CECFF05#200A0002FFCAFE00\n"
                      "(12.550000) can0 1CEBFF05#0140FF6E0000016F\n"
                      "(14.000000) can0 1CEBFF05#02000202FFFFFFFF\n"
                      "(15.000000) can0 1CECFF05#200A0002FFCAFE00\n"
                      "(15.050000) can0 1CEBFF05#0140FF6E0000016F\n"
                      "(15.100000) can0 1CEBFF05#02000202FFFFFFFF\n")
        << QStringList{"05 15.100 SPN 110 FMI 0 appeared; SPN 111 FMI 2 appeared"}
        << "110/0/1 111/2/2";
    QTest::newRow("BAM announced too big for its packets")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.500000) can0 1CECFF05#20FF0002FFCAFE00\n"
                      "(11.550000) can0 1CEBFF05#0140FF6E0000016F\n"
                      "(11.600000) can0 1CEBFF05#02000202FFFFFFFF\n")
        << QStringList{} << "";
    // DM1 sent to a requester over a connection (RTS, CTS, data, acknowledgement).
    QTest::newRow("DM1 by connection")
        << QByteArray("(10.000000) can0 18FECA05#00FF00000000FFFF\n"
                      "(11.000000) can0 1CECF905#100A0002FFCAFE00\n"
                      "(11.010000) can0 1CEC05F9#110201FFFFCAFE00\n"
                      "(11.020000) can0 1CEBF905#0140FF6E0000016F\n"
                      "(11.030000) can0 1CEBF905#02000202FFFFFFFF\n"
                      "(11.040000) can0 1CEC05F9#130A0002FFCAFE00\n")
        << QStringList{"05 11.040 SPN 110 FMI 0 appeared; SPN 111 FMI 2 appeared"}
        << "110/0/1 111/2/2";
}

void tst_CodeWatcher::changes()
{
    QFETCH(QByteArray, log);
    QFETCH(QStringList, expected);
    QFETCH(QString, codesOf05);
    CodeWatcher watcher;
    QCOMPARE(events(log, &watcher), expected);
    QVERIFY(watcher.knows(0x05));
    QCOMPARE(codesText(watcher.codes(0x05)), codesOf05);
    QVERIFY(!watcher.knows(0x04));
}

// Every change says what the unit's codes are after it, beside what changed.
void tst_CodeWatcher::changeCarriesCodes()
{
    CodeWatcher watcher;
    QVector<CodeWatcher::Change> all;
    for (const TimedFrame &f : framesFromText("(10.000000) can0 18FECA05#04FF64000301FFFF\n"
                                              "(11.000000) can0 18FECA05#04FF64000302FFFF\n"
                                              "(12.000000) can0 18FECA05#04FF6E000001FFFF\n"))
        all += watcher.take(f);
    QCOMPARE(all.size(), 3);
    QCOMPARE(codesText(all.at(0).codesAfter), QStringLiteral("100/3/1"));
    QCOMPARE(codesText(all.at(1).countChanged), QStringLiteral("100/3/2"));
    QCOMPARE(codesText(all.at(1).codesAfter), QStringLiteral("100/3/2"));
    QCOMPARE(codesText(all.at(2).appeared), QStringLiteral("110/0/1"));
    QCOMPARE(codesText(all.at(2).gone), QStringLiteral("100/3/2"));
    QCOMPARE(codesText(all.at(2).codesAfter), QStringLiteral("110/0/1"));
    QCOMPARE(all.at(2).text(), QStringLiteral("SPN 110 FMI 0 appeared; SPN 100 FMI 3 gone"));
}

QTEST_GUILESS_MAIN(tst_CodeWatcher)
#include "tst_codewatcher.moc"
