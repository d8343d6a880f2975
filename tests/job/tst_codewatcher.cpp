#include "job/codewatcher.h"

#include "support/candumptext.h"

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
    QTest::newRow("appear") << candumpText(
        {"10 18FECA05#00FF00000000FFFF", "11 18FECA05#04FF64000301FFFF"})
                            << QStringList{"05 11.000 SPN 100 FMI 3 appeared"} << "100/3/1";
    QTest::newRow("disappear") << candumpText({"10 18FECA05#00FF00000000FFFF",
                                               "11 18FECA05#04FF64000301FFFF",
                                               "12.5 18FECA05#00FF00000000FFFF"})
                               << QStringList{"05 11.000 SPN 100 FMI 3 appeared",
                                              "05 12.500 SPN 100 FMI 3 gone"}
                               << "";
    QTest::newRow("count change, the conversion bit no count")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11 18FECA05#04FF64000301FFFF",
                        "12 18FECA05#04FF64000381FFFF", "13 18FECA05#04FF64000302FFFF"})
        << QStringList{"05 11.000 SPN 100 FMI 3 appeared",
                       "05 13.000 SPN 100 FMI 3 occurrence count 2"}
        << "100/3/2";
    QTest::newRow("same codes again: no change")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11 18FECA05#00FF00000000FFFF",
                        "12 18FECA05#00FFFFFFFFFFFFFF"})
        << QStringList{} << "";
    QTest::newRow("baseline without codes is no event")
        << candumpText({"10 18FECA05#00FF00000000FFFF"}) << QStringList{} << "";
    QTest::newRow("baseline with codes is noted, then changes count")
        << candumpText({"10 18FECA05#04FF64000301FFFF", "11 18FECA03#04FF64000301FFFF",
                        "12 18FECA05#04FF64000301FFFF", "13 18FECA05#00FF00000000FFFF"})
        << QStringList{"05 10.000 baseline: SPN 100 FMI 3 active at the start",
                       "03 11.000 baseline: SPN 100 FMI 3 active at the start",
                       "05 13.000 SPN 100 FMI 3 gone"}
        << "";
    QTest::newRow("too short to hold a code")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11 18FECA05#04FF6400"}) << QStringList{}
        << "";
    QTest::newRow("standard frame and other PGN ignored") << candumpText(
        {"10 18FECA05#00FF00000000FFFF", "11 0CA#04FF64000301FFFF", "11 18FECB05#04FF64000301FFFF"})
                                                          << QStringList{} << "";
    // A broadcast (BAM) of two codes: the change counts from its last packet.
    QTest::newRow("BAM with several codes")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11.5 1CECFF05#200A0002FFCAFE00",
                        "11.55 1CEBFF05#0140FF6E0000016F", "11.6 1CEBFF05#02000202FFFFFFFF",
                        "12.5 1CECFF05#200A0002FFCAFE00", "12.55 1CEBFF05#0140FF6E0000026F",
                        "12.6 1CEBFF05#02000202FFFFFFFF"})
        << QStringList{"05 11.600 SPN 110 FMI 0 appeared; SPN 111 FMI 2 appeared",
                       "05 12.600 SPN 110 FMI 0 occurrence count 2"}
        << "110/0/2 111/2/2";
    QTest::newRow("broken BAM: no change, the next one counts")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11.5 1CECFF05#200A0002FFCAFE00",
                        "11.55 1CEBFF05#0140FF6E0000016F", "11.6 1CEBFF05#03000202FFFFFFFF",
                        "12.5 1CECFF05#200A0002FFCAFE00", "12.55 1CEBFF05#0140FF6E0000016F",
                        "14 1CEBFF05#02000202FFFFFFFF", "15 1CECFF05#200A0002FFCAFE00",
                        "15.05 1CEBFF05#0140FF6E0000016F", "15.1 1CEBFF05#02000202FFFFFFFF"})
        << QStringList{"05 15.100 SPN 110 FMI 0 appeared; SPN 111 FMI 2 appeared"}
        << "110/0/1 111/2/2";
    QTest::newRow("BAM announced too big for its packets")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11.5 1CECFF05#20FF0002FFCAFE00",
                        "11.55 1CEBFF05#0140FF6E0000016F", "11.6 1CEBFF05#02000202FFFFFFFF"})
        << QStringList{} << "";
    // DM1 sent to a requester over a connection (RTS, CTS, data, acknowledgement).
    QTest::newRow("DM1 by connection")
        << candumpText({"10 18FECA05#00FF00000000FFFF", "11 1CECF905#100A0002FFCAFE00",
                        "11.01 1CEC05F9#110201FFFFCAFE00", "11.02 1CEBF905#0140FF6E0000016F",
                        "11.03 1CEBF905#02000202FFFFFFFF", "11.04 1CEC05F9#130A0002FFCAFE00"})
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
    for (const TimedFrame &f :
         framesFromText(candumpText({"10 18FECA05#04FF64000301FFFF", "11 18FECA05#04FF64000302FFFF",
                                     "12 18FECA05#04FF6E000001FFFF"})))
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
