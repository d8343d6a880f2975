#include "model/itemexpectation.h"

#include <QDomDocument>
#include <QtTest>

namespace {

QDomElement itemOf(QDomDocument *doc, const QString &expect)
{
    doc->setContent(QStringLiteral("<func key=\"eec1\" address=\"f004\">%1</func>").arg(expect));
    return doc->documentElement();
}

} // namespace

Q_DECLARE_METATYPE(ItemExpectation)

class tst_ItemExpectation : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void readsWhatItCan_data();
    void readsWhatItCan();
};

void tst_ItemExpectation::roundTrip_data()
{
    QTest::addColumn<ItemExpectation>("expectation");
    // Every other field survives save and open in tst_ExpectationWalkthrough.
    QTest::newRow("empty writes nothing") << ItemExpectation();
    ItemExpectation absent;
    absent.presence = ItemExpectation::Absent;
    QTest::newRow("absent only") << absent;
}

void tst_ItemExpectation::roundTrip()
{
    QFETCH(ItemExpectation, expectation);
    QDomDocument doc;
    QDomElement item = itemOf(&doc, QString());
    expectation.save(item);
    QCOMPARE(item.elementsByTagName(QStringLiteral("expect")).size(),
             expectation.isEmpty() ? 0 : 1);
    // Through the file's text, as a scheme file holds it.
    QDomDocument reread;
    QVERIFY(reread.setContent(doc.toString()));
    const ItemExpectation back = ItemExpectation::load(reread.documentElement());
    QVERIFY(back == expectation);
    QCOMPARE(back.isEmpty(), expectation.isEmpty());
}

void tst_ItemExpectation::readsWhatItCan_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("ranges");
    QTest::addColumn<bool>("limits");
    QTest::addColumn<int>("codes");
    QTest::addColumn<int>("groups");

    QTest::newRow("old file without expectation") << "" << 0 << 0 << 0 << false << 0 << 0;
    QTest::newRow("unknown presence is the default")
        << "<expect presence=\"sometimes\"/>" << 0 << 0 << 0 << false << 0 << 0;
    QTest::newRow("period and tolerance not numbers")
        << "<expect period=\"fast\" tolerance=\"x\"/>" << 0 << 0 << 0 << false << 0 << 0;
    QTest::newRow("negative period, huge tolerance")
        << "<expect period=\"-5\" tolerance=\"5000\"/>" << 0 << 0 << 0 << false << 0 << 0;
    QTest::newRow("minimum above maximum keeps the range without limits")
        << "<expect><range param=\"P\" min=\"10\" max=\"1\"/></expect>" << 0 << 0 << 1 << false << 0
        << 0;
    QTest::newRow("range without a parameter dropped")
        << "<expect period=\"100\"><range min=\"0\" max=\"1\"/></expect>" << 100 << 0 << 0 << false
        << 0 << 0;
    QTest::newRow("limits that are not numbers")
        << "<expect><range param=\"P\" min=\"low\" max=\"1\"/></expect>" << 0 << 0 << 1 << false
        << 0 << 0;
    QTest::newRow("codes beyond SPN and FMI dropped")
        << "<expect><code spn=\"524288\" fmi=\"1\"/><code spn=\"100\" fmi=\"32\"/>"
           "<code spn=\"100\" fmi=\"18\"/></expect>"
        << 0 << 0 << 0 << false << 1 << 0;
    QTest::newRow("groups beyond 18 bits and repeated dropped")
        << "<expect><group pgn=\"40000\"/><group pgn=\"FD9B\"/><group pgn=\"fd9b\"/>"
           "<group pgn=\"xyz\"/></expect>"
        << 0 << 0 << 0 << false << 0 << 1;
    QTest::newRow("valid") << "<expect period=\"20\" tolerance=\"30\"><range param=\"P\" min=\"0\" "
                              "max=\"250\"/></expect>"
                           << 20 << 30 << 1 << true << 0 << 0;
}

void tst_ItemExpectation::readsWhatItCan()
{
    QFETCH(QString, xml);
    QFETCH(int, period);
    QFETCH(int, tolerance);
    QFETCH(int, ranges);
    QFETCH(bool, limits);
    QFETCH(int, codes);
    QFETCH(int, groups);
    QDomDocument doc;
    const ItemExpectation x = ItemExpectation::load(itemOf(&doc, xml));
    QCOMPARE(x.periodMs, period);
    QCOMPARE(x.tolerancePercent, tolerance);
    QCOMPARE(x.ranges.size(), ranges);
    QCOMPARE(!x.ranges.isEmpty() && x.ranges.first().hasLimits, limits);
    QCOMPARE(x.codes.size(), codes);
    QCOMPARE(x.groups.size(), groups);
    QCOMPARE(x.presence, ItemExpectation::DefaultPresence);
}

QTEST_GUILESS_MAIN(tst_ItemExpectation)
#include "tst_itemexpectation.moc"
