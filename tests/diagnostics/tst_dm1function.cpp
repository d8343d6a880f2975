#include "descriptions/descriptionfiles.h"
#include "descriptions/spnnames.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/editors/dm1schemetreeitem.h"
#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QListWidget>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// `count` codes SPN 521025 FMI 16, their occurrence counts from `firstOc` up, in the slots.
void fillSlots(DM1Function *f, int count, int firstOc)
{
    for (int i = 0; i < count; ++i) {
        f->intParameter(8 + 3 * i)->setValue(521025);
        f->intParameter(9 + 3 * i)->setValue(16);
        f->intParameter(10 + 3 * i)->setValue(firstOc + i);
    }
}

} // namespace

class tst_DM1Function : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void parameterLayout();
    void treeItemShowsTheCodeList();
    void decode_data();
    void decode();
    void encodeLimits_data();
    void encodeLimits();
    void singleFrameAndBroadcastPaths();
    void transmitsBySingleFrameOrBam_data();
    void transmitsBySingleFrameOrBam();
    void codeListOverTime();
    void codeListDescriptions();
    void codeNamesFromTheLibrary_data();
    void codeNamesFromTheLibrary();
};

void tst_DM1Function::parameterLayout()
{
    DM1Function f;
    QStringList keys;
    for (const ZxParameter *p : f.parameters())
        keys << p->key();
    QCOMPARE(
        keys.join(QLatin1Char(' ')),
        QStringLiteral("MIL RSL AWL PL FMIL FRSL FAWL FPL SPN0 FMI0 OC0 SPN1 FMI1 OC1 SPN2 FMI2 "
                       "OC2 SPN3 FMI3 OC3 SPN4 FMI4 OC4 COUNT DTC"));
    QCOMPARE(int(f.parameters().at(24)->type()), 11);
    QCOMPARE(f.pgnValue(), 0xFECAu);
    QCOMPARE(int(f.deviceType()), int(AbstractDisplayableItem::ContinuousCommit));
    QCOMPARE(f.transmissionInterval(), 1000);
    QCOMPARE(f.listParameter(2)->items().size(), 4);
}

void tst_DM1Function::decode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("codeSlots"); // "spn/fmi/oc" per slot
    QTest::addColumn<QString>("lamps");
    QTest::addColumn<QString>("text");

    // "spn/fmi/oc" of the slots given, the rest empty (-1/-1/-1).
    auto codes = [](QStringList given) {
        while (given.size() < DM1Function::SlotCount)
            given << QStringLiteral("-1/-1/-1");
        return given.join(QLatin1Char(' '));
    };
    const QString none = codes({});
    QTest::newRow("no active code: SPN 0 FMI 0")
        << hex("0000000000 00ffff") << true << 0 << none << "0000 0000" << "";
    QTest::newRow("no active code, lamps on")
        << hex("4400000000 00ffff") << true << 0 << none << "1010 0000" << "";
    QTest::newRow("no active code, 6 bytes")
        << hex("0000 00000000") << true << 0 << none << "0000 0000" << "";
    // Which entries are codes is the trouble-code decoder's rule; the slots show what it keeps.
    QTest::newRow("no code and padding beside a code are left out")
        << hex("0000 00000000 64001201 ffffffff") << true << 1 << codes({"100/18/1"})
        << "0000 0000" << "[100,18]";
    QTest::newRow("conversion method 4 and OC 2")
        << hex("44ff41f34702ffff") << true << 1 << codes({"193345/7/2"}) << "1010 3333"
        << "[193345,7]";
    QTest::newRow("OC keeps the conversion bit")
        << hex("0000010000850000") << true << 1 << codes({"1/0/133"}) << "0000 0000" << "[1,0]";
    QTest::newRow("count 2: slots 2 to 4 read -1")
        << hex("0400 6e001003 64001201") << true << 2 << codes({"110/16/3", "100/18/1"})
        << "0010 0000" << "[110,16] [100,18]";
    QTest::newRow("22 bytes: five codes")
        << hex("0000 01000001 02000002 03000003 04000004 05000005") << true << 5
        << "1/0/1 2/0/2 3/0/3 4/0/4 5/0/5" << "0000 0000" << "[1,0] [2,0] [3,0] [4,0] [5,0]";
    QTest::newRow("26 bytes: the sixth only in the list")
        << hex("0000 01000001 02000002 03000003 04000004 05000005 41f34702") << true << 6
        << "1/0/1 2/0/2 3/0/3 4/0/4 5/0/5" << "0000 0000"
        << "[1,0] [2,0] [3,0] [4,0] [5,0] [193345,7]";
    QTest::newRow("shorter than 6 bytes: nothing changes")
        << hex("ffff000000") << false << 0 << "0/0/0 0/0/0 0/0/0 0/0/0 0/0/0"
        << "0000 0000"
        << "";
    QTest::newRow("SPN 521025 FMI 16")
        << hex("0000 41f3f000") << true << 1 << codes({"521025/16/0"}) << "0000 0000"
        << "[521025,16]";
}

void tst_DM1Function::decode()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, ok);
    QFETCH(int, count);
    QFETCH(QString, codeSlots);
    QFETCH(QString, lamps);
    QFETCH(QString, text);
    DM1Function f;
    QCOMPARE(f.decode(data), ok);
    QCOMPARE(f.intParameter(DM1Function::Count)->value(), count);
    QStringList got;
    for (int i = 0; i < DM1Function::SlotCount; ++i) {
        got << QStringLiteral("%1/%2/%3")
                   .arg(f.intParameter(8 + 3 * i)->value())
                   .arg(f.intParameter(9 + 3 * i)->value())
                   .arg(f.intParameter(10 + 3 * i)->value());
    }
    QCOMPARE(got.join(QLatin1Char(' ')), codeSlots);
    QString lampText;
    for (int i = 0; i < 8; ++i) {
        lampText += QString::number(f.listParameter(i)->value());
        if (i == 3)
            lampText += QLatin1Char(' ');
    }
    QCOMPARE(lampText, lamps);
    QCOMPARE(f.dtcParameter()->toString(), text);
}

void tst_DM1Function::encodeLimits_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("codes"); // the bytes after the lamps, in hex
    QTest::newRow("COUNT 9 sends five codes")
        << 9 << QByteArray("41f3f00041f3f00141f3f00241f3f00341f3f004");
    QTest::newRow("COUNT negative: no code") << -3 << QByteArray("00000000ffff");
    QTest::newRow("COUNT 0: no code in 8 bytes") << 0 << QByteArray("00000000ffff");
    QTest::newRow("COUNT 1: one frame of 8 bytes") << 1 << QByteArray("41f3f000ffff");
    QTest::newRow("COUNT 2: 10 bytes, no padding") << 2 << QByteArray("41f3f00041f3f001");
    QTest::newRow("COUNT 5") << 5 << QByteArray("41f3f00041f3f00141f3f00241f3f00341f3f004");
}

void tst_DM1Function::encodeLimits()
{
    QFETCH(int, count);
    QFETCH(QByteArray, codes);
    DM1Function f;
    f.intParameter(DM1Function::Count)->setValue(count);
    fillSlots(&f, 5, 0);
    f.listParameter(DM1Function::Awl)->setValue(1);
    const QByteArray out = f.encode();
    QCOMPARE(out.size(), 2 + codes.size() / 2);
    QCOMPARE(quint8(out.at(0)), quint8(0x04));
    QCOMPARE(quint8(out.at(1)), quint8(0x00));
    QCOMPARE(out.mid(2).toHex(), codes);
    // Decoding what was sent gives the count back (no code for COUNT 0 or below).
    DM1Function receiver;
    QVERIFY(receiver.decode(out));
    QCOMPARE(receiver.intParameter(DM1Function::Count)->value(), std::clamp(count, 0, 5));
}

void tst_DM1Function::singleFrameAndBroadcastPaths()
{
    J1939Device device(0x00);
    auto *f = new DM1Function(&device);
    DispatchResult r;
    // A single frame counts as handled even when too short to decode.
    QVERIFY(device.dispatchMessage(makeFrame(0x18FECA00, {0x00, 0x00, 0x01}), &r));
    QCOMPARE(f->intParameter(DM1Function::Count)->value(), 0);
    QVERIFY(device.dispatchMessage(makeFrame(0x18FECA00, {0x40, 0xFF, 0x64, 0, 0x12, 1, 0xFF, 0xFF}),
                                   &r));
    QCOMPARE(f->intParameter(DM1Function::Count)->value(), 1);
    QCOMPARE(f->listParameter(DM1Function::Mil)->value(), 1);
    // The no-code frame empties the list.
    QVERIFY(
        device.dispatchMessage(makeFrame(0x18FECA00, {0x00, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF}), &r));
    QCOMPARE(f->intParameter(DM1Function::Count)->value(), 0);
    QCOMPARE(f->dtcParameter()->codes().size(), 0);
    // Two codes by BAM, as the demo engine sends them.
    const QByteArray dm1 = hex("04ff6e00100364001201");
    qint64 before = f->totalEvents();
    QVERIFY(f->dispatchBroadcastData(dm1));
    QCOMPARE(f->totalEvents(), before + 1);
    QCOMPARE(f->dtcParameter()->toString(), QStringLiteral("[110,16] [100,18]"));
    QVERIFY(!f->dispatchBroadcastData(QByteArray(3, 0)));
    // The same message reassembled by the device counts once too.
    before = f->totalEvents();
    for (const CanMessage &frame : tpFrames(0x00, 0xFF, 0xFECA, hex("44ff6e00100364001201")))
        QVERIFY(device.dispatchMessage(frame, &r));
    QCOMPARE(f->totalEvents(), before + 1);
    QCOMPARE(f->intParameter(DM1Function::Count)->value(), 2);
    QCOMPARE(f->listParameter(DM1Function::Mil)->value(), 1);
}

void tst_DM1Function::transmitsBySingleFrameOrBam_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("no code") << 0 << QStringList{"6 feca00 00 00 00 00 00 00 ff ff"};
    QTest::newRow("one code") << 1 << QStringList{"6 feca00 00 00 41 f3 f0 01 ff ff"};
    QTest::newRow("two codes by BAM, last packet padded")
        << 2
        << QStringList{"6 ecff00 20 0a 00 02 ff ca fe 00", "6 ebff00 01 00 00 41 f3 f0 01 41",
                       "6 ebff00 02 f3 f0 02 ff ff ff ff"};
}

void tst_DM1Function::transmitsBySingleFrameOrBam()
{
    QFETCH(int, count);
    QFETCH(QStringList, frames);
    AdoptedUnit bus(0x00);
    auto *f = new DM1Function(&bus.unit);
    f->intParameter(DM1Function::Count)->setValue(count);
    fillSlots(f, count, 1);
    f->transmitState();
    QTRY_COMPARE(bus.handler.writtenFrames().size(), frames.size());
    QCOMPARE(frameTexts(bus.handler.writtenFrames()), frames);
    QCOMPARE(bus.unit.broadcastState(), int(J1939Device::BroadcastIdle));
}

void tst_DM1Function::codeListOverTime()
{
    DtcArrayParameter p;
    std::unique_ptr<QWidget> widget(p.createWidget(nullptr));
    auto *list = qobject_cast<QListWidget *>(widget.get());
    QVERIFY(list);
    QCOMPARE(list->minimumHeight(), 40);
    using Item = DtcArrayParameter::DtcItem;
    auto state = [&](int row) { return list->item(row)->data(DtcArrayParameter::StateRole).toInt(); };
    auto colour = [&](int row) { return list->item(row)->background().color(); };
    const qint64 t0 = 1'000'000;

    p.setCodes({Item{110, 16, 3}, Item{100, 18, 1}});
    p.refreshList(list, t0);
    QCOMPARE(list->count(), 2);
    QCOMPARE(state(0), int(DtcArrayParameter::RowNew));
    QCOMPARE(colour(0), QColor(Qt::green));

    p.refreshList(list, t0 + 1999); // still new
    QCOMPARE(state(1), int(DtcArrayParameter::RowNew));
    p.refreshList(list, t0 + 2000); // steady, plain
    QCOMPARE(state(0), int(DtcArrayParameter::RowSteady));
    QCOMPARE(list->item(0)->background().style(), Qt::NoBrush);

    p.setCodes({Item{110, 16, 4}}); // OC changed, the other code gone
    p.refreshList(list, t0 + 3000);
    QCOMPARE(state(0), int(DtcArrayParameter::RowNew));
    QCOMPARE(colour(0), QColor(Qt::green));
    QCOMPARE(state(1), int(DtcArrayParameter::RowGone));
    QCOMPARE(colour(1), QColor(Qt::lightGray));
    p.refreshList(list, t0 + 4999);
    QCOMPARE(list->count(), 2);
    p.refreshList(list, t0 + 5000); // gone rows vanish at their deadline
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->data(DtcArrayParameter::SpnRole).toUInt(), 110u);

    p.setCodes({Item{100, 18, 1}, Item{110, 16, 4}}); // order of first appearance is kept
    p.refreshList(list, t0 + 6000);
    QCOMPARE(list->item(0)->data(DtcArrayParameter::SpnRole).toUInt(), 110u);
    QCOMPARE(list->item(1)->data(DtcArrayParameter::SpnRole).toUInt(), 100u);
    QCOMPARE(state(1), int(DtcArrayParameter::RowNew));
}

void tst_DM1Function::codeListDescriptions()
{
    DtcArrayParameter p;
    std::unique_ptr<QWidget> widget(p.createWidget(nullptr));
    auto *list = qobject_cast<QListWidget *>(widget.get());
    p.setCodes({DtcArrayParameter::DtcItem{521025, 16, 1}, DtcArrayParameter::DtcItem{0, 0, 0}});
    p.refreshList(list, 0);
    QCOMPARE(list->item(0)->text(),
             QString::fromUtf8("[521025,16] Working platform overloaded · Data valid but above "
                               "normal operating range, moderately severe level · 1×"));
    QCOMPARE(list->item(1)->text(),
             QString::fromUtf8("[0,0] Data valid but above normal operational range, most "
                               "severe level · 0×"));
    // A new occurrence count rewrites the row's text.
    p.setCodes({DtcArrayParameter::DtcItem{521025, 16, 2}});
    p.refreshList(list, 10);
    QVERIFY2(list->item(0)->text().endsWith(QString::fromUtf8(" · 2×")),
             qPrintable(list->item(0)->text()));
    QCOMPARE(list->item(0)->toolTip(), list->item(0)->text());
    // Under the Russian catalogue the machine's texts read as on the machine's own display.
    QTranslator russian;
    QVERIFY(russian.load(QStringLiteral(":/tr/tarvik_ru.qm")));
    QCoreApplication::installTranslator(&russian);
    DtcArrayParameter translated;
    // The library's names of the SPNs read in the interface language as well.
    QCOMPARE(translated.descriptionFor(110, 16),
             QString::fromUtf8("Температура охлаждающей жидкости"));
    QCOMPARE(DtcArrayParameter::description(521025, 16),
             QString::fromUtf8("Перегрузка рабочей платформы"));
    QCoreApplication::removeTranslator(&russian);
    QCOMPARE(translated.descriptionFor(521041, 16),
             QString::fromUtf8("Превышение максимально допустимого вылет"));
    // Saving writes nothing.
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    QVERIFY(!p.save(out));
    QVERIFY(bytes.isEmpty());
}

void tst_DM1Function::codeNamesFromTheLibrary_data()
{
    QTest::addColumn<quint32>("spn");
    QTest::addColumn<quint32>("fmi");
    QTest::addColumn<quint32>("oc"); // the fourth byte of the code as received
    QTest::addColumn<QString>("row");
    const auto row = [](const char *utf8) { return QString::fromUtf8(utf8); };
    // Library names with plain counts: tst_CodeWalkthrough and tst_ServiceVisit read such rows.
    QTest::newRow("coolant temperature, count of 126")
        << 110u << 0u << 126u
        << row("[110,0] Engine Coolant Temperature · Data valid but above normal operational "
               "range, most severe level · 126×");
    QTest::newRow("machine text before the library")
        << 521025u << 15u << 1u
        << row("[521025,15] Working platform at rated load · Data valid but above normal "
               "operating range, least severe level · 1×");
    QTest::newRow("SPN the library does not know: the failure mode alone")
        << 523999u << 3u << 1u
        << row("[523999,3] Voltage above normal, or shorted to high source · 1×");
    QTest::newRow("conversion method bit is no occurrence")
        << 190u << 5u << 0x85u
        << row("[190,5] Engine Speed · Current below normal or open circuit · 5×");
    QTest::newRow("occurrence count not available (7F)")
        << 190u << 4u << 0x7Fu
        << row("[190,4] Engine Speed · Voltage below normal, or shorted to low source");
    QTest::newRow("all ones fourth byte")
        << 523999u << 31u << 0xFFu << row("[523999,31] Condition exists");
    QTest::newRow("reserved FMI") << 523999u << 25u << 2u
                                  << row("[523999,25] Reserved for SAE assignment · 2×");
}

void tst_DM1Function::codeNamesFromTheLibrary()
{
    QFETCH(quint32, spn);
    QFETCH(quint32, fmi);
    QFETCH(quint32, oc);
    QFETCH(QString, row);
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    SpnNames::reset();
    DtcArrayParameter p;
    std::unique_ptr<QWidget> widget(p.createWidget(nullptr));
    auto *list = qobject_cast<QListWidget *>(widget.get());
    p.setCodes({DtcArrayParameter::DtcItem{spn, fmi, oc}});
    p.refreshList(list, 0);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), row);
    QCOMPARE(list->item(0)->toolTip(), row);
    QCOMPARE(p.rowText(DtcArrayParameter::DtcItem{spn, fmi, oc}), row);
}

void tst_DM1Function::treeItemShowsTheCodeList()
{
    DM1Function dm1;
    std::unique_ptr<AbstractSchemeTreeItem> node(dm1.treeItem());
    QVERIFY(qobject_cast<DM1SchemeTreeItem *>(node.get()));
    dm1.dtcParameter()->setCodes({{110, 16, 3}, {100, 18, 1}});
    // The data column's editor is the live code list alone.
    std::unique_ptr<QWidget> column(node->createWidget(1));
    auto *box = qobject_cast<QVBoxLayout *>(column->layout());
    QVERIFY(box);
    QCOMPARE(box->count(), 1);
    auto *list = qobject_cast<QListWidget *>(box->itemAt(0)->widget());
    QVERIFY(list);
    dm1.setUpdateNeeded();
    QVERIFY(node->doUpdate());
    QCOMPARE(list->count(), 2);
}

QTEST_MAIN(tst_DM1Function)
#include "tst_dm1function.moc"
