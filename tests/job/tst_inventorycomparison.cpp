#include "job/inventorycomparison.h"
#include "support/testenvironment.h"

#include "jobfixtures.h"

#include <QtTest>

#include <functional>

using namespace JobFixtures;
using Comparison = InventoryComparison;
using Kind = Comparison::Kind;
using Field = Comparison::Field;
using Fate = Comparison::CodeFate;

namespace {

struct Expected
{
    int address;
    Field field;
    QString key;
    Kind kind;
    Fate fate;
};

struct Case
{
    std::function<void(InventoryRecord *)> visit; // what the visit changed, on the as-left copy
    QVector<Expected> rows; // every row that is not Same, plus chosen Same ones
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_InventoryComparison : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::init(); }
    void rows_data();
    void rows();
};

void tst_InventoryComparison::rows_data()
{
    QTest::addColumn<Case>("c");
    const QString cal = QStringLiteral("CAL-ENGINE-01");
    const auto unitAt = [](InventoryRecord *r, int address) {
        for (InventoryRecord::Unit &u : r->units) {
            if (u.address == address)
                return &u;
        }
        return static_cast<InventoryRecord::Unit *>(nullptr);
    };

    QTest::newRow("nothing changed")
        << Case{[](InventoryRecord *) {},
                {{0, Field::ActiveCode, "SPN 110 FMI 0", Kind::Same, Fate::StillActive},
                 {0, Field::Software, "", Kind::Same, Fate::None},
                 {0, Field::Calibration, cal, Kind::Same, Fate::None}}};
    QTest::newRow("software changed")
        << Case{[=](InventoryRecord *r) { unitAt(r, 0)->software = QStringLiteral("SW 4.2"); },
                {{0, Field::Software, "", Kind::Changed, Fate::None}}};
    QTest::newRow("CVN changed") << Case{[=](InventoryRecord *r) {
                                             unitAt(r, 0)->calibrations[0].cvn
                                                 = QStringLiteral("0x55AA55AA");
                                         },
                                         {{0, Field::Calibration, cal, Kind::Changed, Fate::None},
                                          {0, Field::Calibration, "BOOT", Kind::Same, Fate::None}}};
    QTest::newRow("calibration added")
        << Case{[=](InventoryRecord *r) {
                    unitAt(r, 0xA0)->calibrations << InventoryRecord::Calibration{
                        QStringLiteral("BC-CAL"), QStringLiteral("0x00000001")};
                },
                {{0xA0, Field::Calibration, "BC-CAL", Kind::Added, Fate::None}}};
    QTest::newRow("code cleared, other still active, one new")
        << Case{[=](InventoryRecord *r) {
                    unitAt(r, 0)->active = {{100, 18, 3}, {639, 9, 1}};
                },
                {{0, Field::ActiveCode, "SPN 110 FMI 0", Kind::Removed, Fate::Cleared},
                 {0, Field::ActiveCode, "SPN 100 FMI 18", Kind::Same, Fate::StillActive},
                 {0, Field::ActiveCode, "SPN 639 FMI 9", Kind::Added, Fate::New}}};
    QTest::newRow("still active with a higher count")
        << Case{[=](InventoryRecord *r) { unitAt(r, 0)->active[1].oc = 4; },
                {{0, Field::ActiveCode, "SPN 100 FMI 18", Kind::Changed, Fate::StillActive}}};
    QTest::newRow("cleared code now previously active")
        << Case{[=](InventoryRecord *r) {
                    InventoryRecord::Unit *u = unitAt(r, 0);
                    u->active.removeFirst();
                    u->previous << InventoryRecord::Code{110, 0, 1};
                },
                {{0, Field::ActiveCode, "SPN 110 FMI 0", Kind::Removed, Fate::Cleared},
                 {0, Field::PreviousCode, "SPN 190 FMI 2", Kind::Same, Fate::StillStored},
                 {0, Field::PreviousCode, "SPN 110 FMI 0", Kind::Added, Fate::NowStored}}};
    QTest::newRow("stored code that was never active: new")
        << Case{[=](InventoryRecord *r) {
                    unitAt(r, 0)->previous << InventoryRecord::Code{91, 3, 1};
                },
                {{0, Field::PreviousCode, "SPN 190 FMI 2", Kind::Same, Fate::StillStored},
                 {0, Field::PreviousCode, "SPN 91 FMI 3", Kind::Added, Fate::New}}};
    QTest::newRow("no DM1 as left: one row for the list")
        << Case{[=](InventoryRecord *r) {
                    unitAt(r, 0)->activeKnown = false;
                    unitAt(r, 0)->active.clear();
                },
                {{0, Field::ActiveCode, "", Kind::Changed, Fate::None}}};
    QTest::newRow("value written")
        << Case{[=](InventoryRecord *r) { unitAt(r, 0)->values[0].value = QStringLiteral("850"); },
                {{0, Field::Value, "Idle speed", Kind::Changed, Fate::None}}};
    QTest::newRow("unit removed: one row")
        << Case{[](InventoryRecord *r) { r->units.removeLast(); },
                {{0xA0, Field::Unit, "", Kind::Removed, Fate::None}}};
    QTest::newRow("unit added: one row")
        << Case{[](InventoryRecord *r) {
                    InventoryRecord::Unit u;
                    u.address = 0x21;
                    u.label = QStringLiteral("Unit 0x21");
                    u.software = QStringLiteral("X");
                    r->units.insert(1, u);
                },
                {{0x21, Field::Unit, "", Kind::Added, Fate::None}}};
}

void tst_InventoryComparison::rows()
{
    QFETCH(Case, c);
    const InventoryRecord found = record({engine(), controller()});
    InventoryRecord left = found;
    c.visit(&left);
    const QVector<Comparison::Row> rows = Comparison::compare(found, left);

    int expectedDifferences = 0;
    for (const Expected &e : c.rows) {
        if (e.kind != Kind::Same)
            ++expectedDifferences;
        int matches = 0;
        for (const Comparison::Row &row : rows) {
            if (row.address != e.address || row.field != e.field || row.key != e.key)
                continue;
            ++matches;
            QCOMPARE(row.kind, e.kind);
            QCOMPARE(row.fate, e.fate);
            QVERIFY(!Comparison::fieldText(row).isEmpty());
            QVERIFY(!row.unit.isEmpty());
            // Texts of both sides are kept for the table: an added row has nothing before.
            QCOMPARE(row.before.isEmpty(), e.kind == Kind::Added);
            QCOMPARE(row.after.isEmpty(), e.kind == Kind::Removed);
        }
        QVERIFY2(
            matches == 1,
            qPrintable(QStringLiteral("%1 %2: %3 rows").arg(e.address).arg(e.key).arg(matches)));
    }
    int differences = 0;
    for (const Comparison::Row &row : rows) {
        if (row.kind != Kind::Same)
            ++differences;
        // A unit in one inventory only has no field rows.
        if (!found.unit(row.address) || !left.unit(row.address))
            QCOMPARE(row.field, Field::Unit);
    }
    QCOMPARE(differences, expectedDifferences);
}

QTEST_GUILESS_MAIN(tst_InventoryComparison)
#include "tst_inventorycomparison.moc"
