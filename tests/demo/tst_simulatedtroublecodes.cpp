#include "demo/simulatedtroublecodes.h"

#include <QtTest>

// The diagnostic memory on its own clock: healing, clearing, codes that come back.

namespace {

using Code = SimulatedTroubleCode;

// "spn/fmi/oc" of each code, in order.
QStringList texts(const QVector<Code> &codes)
{
    QStringList list;
    for (const Code &c : codes)
        list.append(QStringLiteral("%1/%2/%3").arg(c.spn).arg(c.fmi).arg(c.occurrences));
    return list;
}

// A store with a code of each behaviour active and one previously active code.
void fill(SimulatedTroubleCodes *codes)
{
    codes->setHealMs(1000);
    codes->setReturnMs(300);
    codes->addActive({110, 16, 3, Code::AmberWarningLamp, Code::Persists, {{110, 108.0}}});
    codes->addActive({100, 18, 1, Code::AmberWarningLamp, Code::Steady, {}});
    codes->addActive({102, 4, 2, Code::MalfunctionLamp, Code::Heals, {}});
    codes->addPreviouslyActive({168, 1, 4, Code::AmberWarningLamp, Code::Steady, {}});
}

} // namespace

class tst_SimulatedTroubleCodes : public QObject
{
    Q_OBJECT

private slots:
    void timeline_data();
    void timeline();
    void lampsFollowActiveCodes();
    void occurrenceCountStopsBelowNotAvailable();
};

void tst_SimulatedTroubleCodes::timeline_data()
{
    // Events: "tNNN" advances the clock to NNN ms, "dm11" and "dm3" clear.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("active");
    QTest::addColumn<QStringList>("previous");
    const QStringList start{"110/16/3", "100/18/1", "102/4/2"};
    QTest::newRow("nothing happens before the heal time")
        << QStringList{"t0", "t999"} << start << QStringList{"168/1/4"};
    // Healing, DM11 and a code coming back one occurrence more are read on the bus by
    // tst_DemoUnits::intermittentCodeHeals and ::clearLoop; these rows are the corners.
    QTest::newRow("DM3 leaves the active codes alone")
        << QStringList{"t0", "dm3"} << start << QStringList();
    QTest::newRow("DM3 before the code comes back: it starts again at one")
        << QStringList{"t0", "dm11", "dm3", "t300"} << QStringList{"110/16/1"} << QStringList();
    QTest::newRow("a cleared code does not heal later")
        << QStringList{"t0", "dm11", "dm3", "t2000"} << QStringList{"110/16/1"} << QStringList();
    QTest::newRow("cleared twice: counted twice")
        << QStringList{"t0", "dm11", "t300", "dm11", "t600"} << QStringList{"110/16/5"}
        << QStringList{"168/1/4", "100/18/1", "102/4/2"};
    QTest::newRow("a healed code cleared again stays one entry")
        << QStringList{"t0", "t1000", "dm11", "t1300"} << QStringList{"110/16/4"}
        << QStringList{"168/1/4", "102/4/2", "100/18/1"};
}

void tst_SimulatedTroubleCodes::timeline()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, active);
    QFETCH(QStringList, previous);
    SimulatedTroubleCodes codes;
    fill(&codes);
    for (const QString &event : events) {
        if (event == QLatin1String("dm11"))
            codes.clearActive();
        else if (event == QLatin1String("dm3"))
            codes.clearPreviouslyActive();
        else
            codes.advance(event.mid(1).toLongLong());
    }
    QCOMPARE(texts(codes.active()), active);
    QCOMPARE(texts(codes.previouslyActive()), previous);
}

void tst_SimulatedTroubleCodes::lampsFollowActiveCodes()
{
    SimulatedTroubleCodes codes;
    fill(&codes);
    codes.advance(0);
    QCOMPARE(int(codes.lamps()), Code::AmberWarningLamp | Code::MalfunctionLamp);
    codes.advance(1000);
    QCOMPARE(int(codes.lamps()), int(Code::AmberWarningLamp));
    codes.clearActive();
    QCOMPARE(int(codes.lamps()), 0); // previously active codes light nothing
    codes.advance(1300);
    QCOMPARE(int(codes.lamps()), int(Code::AmberWarningLamp));
    // The code that came back has kept its freeze frame.
    QCOMPARE(codes.active().value(0).freezeFrame.value(110), 108.0);
}

void tst_SimulatedTroubleCodes::occurrenceCountStopsBelowNotAvailable()
{
    SimulatedTroubleCodes codes;
    codes.setReturnMs(0);
    codes.addActive({110, 16, SimulatedTroubleCodes::MaxOccurrences, 0, Code::Persists, {}});
    codes.advance(0);
    codes.clearActive();
    codes.advance(1);
    QCOMPARE(int(codes.active().value(0).occurrences), int(SimulatedTroubleCodes::MaxOccurrences));
}

QTEST_MAIN(tst_SimulatedTroubleCodes)
#include "tst_simulatedtroublecodes.moc"
