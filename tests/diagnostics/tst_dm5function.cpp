#include "can/tooladdress.h"
#include "diagnostics/dm5function.h"
#include "diagnostics/editors/dm5schemetreeitem.h"
#include "diagnostics/toolrequest.h"
#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

// DM5 diagnostic readiness: the counts, the OBD compliance and every monitor's support and
// completion from the eight bytes, and the same bytes back when the tool stands in for a unit.
class tst_DM5Function : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void parameterLayout();
    void decode_data();
    void decode();
    void obdTexts_data();
    void obdTexts();
    void editsEncodeAsSent_data();
    void editsEncodeAsSent();
    void noAnswerYetAfterAsking();
    void standInAnswersARequest();
    void detailsShowEveryMonitor();
};

namespace {

// Every monitor's MonitorState as one digit, in the parameters' order.
QString monitorStates(const DM5Function &f)
{
    QString out;
    for (int i = DM5Function::FirstMonitor; i < DM5Function::ParameterCount; ++i)
        out += QString::number(f.listParameter(i)->value());
    return out;
}

} // namespace

void tst_DM5Function::parameterLayout()
{
    DM5Function f;
    QCOMPARE(f.pgnValue(), 0xFECEu);
    QCOMPARE(f.name(), QStringLiteral("DM5 - Diagnostic Readiness 1"));
    QCOMPARE(int(f.deviceType()), int(AbstractDisplayableItem::Spontaneous));
    QStringList keys;
    for (const ZxParameter *p : f.parameters())
        keys << p->key();
    QCOMPARE(keys.join(QLatin1Char(' ')),
             QStringLiteral("ACTIVE PREVIOUS OBD MISFIRE FUEL CCM CAT HCAT EVAP SAIR AC EGS EGSH "
                            "EGR CSA BOOST DPF NOX NMHC"));
    QCOMPARE(f.listParameter(DM5Function::FirstMonitor)->items().size(), 4);
}

struct DecodeRow
{
    QByteArray data;
    bool ok;
    QString active;   // the parameter's text
    QString previous;
    int obd;          // -1: not available
    QString monitors; // MonitorState digits
    QString summary;  // the tree's data column
    QByteArray sent;  // what encoding the decoded values sends
};
Q_DECLARE_METATYPE(DecodeRow)

void tst_DM5Function::decode_data()
{
    QTest::addColumn<DecodeRow>("row");
    QTest::newRow("engine with codes, misfire and EGR not complete")
        << DecodeRow{hex("020105 15 8104 8000"), true, "2", "1", 5, "2011000000200100",
                     QString::fromUtf8("2 active, 1 previously active · Not OBD compliant · not "
                                       "complete: Misfire, EGR/VVT system"),
                     hex("020105 15 8104 8000")};
    QTest::newRow("all zeros")
        << DecodeRow{hex("0000000000000000"), true, "0", "0", 0, "0000000000000000",
                     QString::fromUtf8("0 active, 0 previously active · Reserved · supported "
                                       "monitors complete"),
                     hex("0000000000000000")};
    QTest::newRow("all ones: counts and compliance not available, reserved bits dropped")
        << DecodeRow{hex("ffffffffffffffff"), true, "n/a", "n/a", -1, "2222222222222222",
                     QString::fromUtf8("n/a active, n/a previously active · OBD compliance n/a · "
                                       "not complete: Misfire, Fuel system, Comprehensive "
                                       "component, Catalyst, Heated catalyst, Evaporative system, "
                                       "Secondary air system, A/C system refrigerant, Exhaust gas "
                                       "sensor, Exhaust gas sensor heater, EGR/VVT system, Cold "
                                       "start aid system, Boost pressure control system, Diesel "
                                       "particulate filter, NOx converting catalyst/adsorber, NMHC "
                                       "converting catalyst"),
                     hex("ffffff77ff1fff1f")};
    QTest::newRow("error indicator and the largest count")
        << DecodeRow{hex("fefa16 00 0000 0000"), true, "error", "250", 22, "0000000000000000",
                     QString::fromUtf8("error active, 250 previously active · World-wide "
                                       "harmonized OBD (WWH OBD) · supported monitors complete"),
                     hex("fefa16 00 0000 0000")};
    QTest::newRow("251 is no count")
        << DecodeRow{hex("fb0014 00 0000 0000"), true, "n/a", "0", 20, "0000000000000000",
                     QString::fromUtf8("n/a active, 0 previously active · Heavy-duty OBD, partial "
                                       "(HD OBD P) · supported monitors complete"),
                     hex("ff0014 00 0000 0000")};
    QTest::newRow("unsupported but reported not complete is kept")
        << DecodeRow{hex("00001e 10 0000 0010"), true, "0", "0", 30, "3000000000000003",
                     QString::fromUtf8("0 active, 0 previously active · Reserved · supported "
                                       "monitors complete"),
                     hex("00001e 10 0000 0010")};
    QTest::newRow("non-continuous monitors of byte 5: cold start aid to NMHC")
        << DecodeRow{hex("000006 00 001f 0015"), true, "0", "0", 6, "0000000000021212",
                     QString::fromUtf8("0 active, 0 previously active · EOBD · not complete: Cold "
                                       "start aid system, Diesel particulate filter, NMHC "
                                       "converting catalyst"),
                     hex("000006 00 001f 0015")};
    QTest::newRow("longer than eight bytes: the first eight")
        << DecodeRow{hex("0301070000000000 ffff"), true, "3", "1", 7, "0000000000000000",
                     QString::fromUtf8("3 active, 1 previously active · EOBD and OBD II · "
                                       "supported monitors complete"),
                     hex("0301070000000000")};
    QTest::newRow("seven bytes: nothing changes")
        << DecodeRow{hex("03010700000000"), false, "0", "0", 0, "0000000000000000",
                     QStringLiteral("no answer yet"), hex("0000000000000000")};
}

void tst_DM5Function::decode()
{
    QFETCH(DecodeRow, row);
    J1939Device unit(0x00);
    auto *f = new DM5Function(&unit);
    f->counterInc(); // heard from: the summary is the function's own text
    QCOMPARE(f->decode(row.data), row.ok);
    QCOMPARE(f->intParameter(DM5Function::Active)->toString(), row.active);
    QCOMPARE(f->intParameter(DM5Function::Previous)->toString(), row.previous);
    const ZxListParameter *obd = f->listParameter(DM5Function::Obd);
    QCOMPARE(obd->isValid() ? obd->value() : -1, row.obd);
    QCOMPARE(monitorStates(*f), row.monitors);
    QCOMPARE(f->summaryText(), row.summary);
    QCOMPARE(f->encode().toHex(' '), row.sent.toHex(' '));
}

void tst_DM5Function::obdTexts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0 reserved") << 0 << "Reserved";
    QTest::newRow("1 first") << 1 << "OBD II (California ARB)";
    QTest::newRow("13 last of the first run") << 13 << "JOBD, EOBD and OBD II";
    QTest::newRow("14 reserved") << 14 << "Reserved";
    QTest::newRow("17 reserved") << 17 << "Reserved";
    QTest::newRow("18 EMD") << 18 << "Engine manufacturer diagnostics (EMD)";
    QTest::newRow("22 last assigned") << 22 << "World-wide harmonized OBD (WWH OBD)";
    QTest::newRow("23 reserved") << 23 << "Reserved";
    QTest::newRow("250 reserved") << 250 << "Reserved";
    QTest::newRow("251 not available") << 251 << "";
    QTest::newRow("255 not available") << 255 << "";
}

void tst_DM5Function::obdTexts()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(DM5Function::obdText(value), text);
}

void tst_DM5Function::editsEncodeAsSent_data()
{
    QTest::addColumn<int>("active");
    QTest::addColumn<bool>("activeValid");
    QTest::addColumn<int>("obd");
    QTest::addColumn<bool>("obdValid");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("counts clamped to 250") << 300 << true << 19 << true << hex("fa00130000000000");
    QTest::newRow("negative count sends 0") << -4 << true << 1 << true << hex("0000010000000000");
    QTest::newRow("not available") << 3 << false << 1 << false << hex("ff00ff0000000000");
}

void tst_DM5Function::editsEncodeAsSent()
{
    QFETCH(int, active);
    QFETCH(bool, activeValid);
    QFETCH(int, obd);
    QFETCH(bool, obdValid);
    QFETCH(QByteArray, sent);
    DM5Function f;
    f.intParameter(DM5Function::Active)->setValue(active);
    f.intParameter(DM5Function::Active)->setValid(activeValid);
    f.intParameter(DM5Function::Previous)->setValue(0);
    f.listParameter(DM5Function::Obd)->setValue(obd);
    f.listParameter(DM5Function::Obd)->setValid(obdValid);
    QCOMPARE(f.encode().toHex(' '), sent.toHex(' '));
    // What is sent decodes to what was meant.
    DM5Function receiver;
    QVERIFY(receiver.decode(f.encode()));
    QCOMPARE(receiver.intParameter(DM5Function::Active)->isValid(), activeValid);
    if (activeValid)
        QCOMPARE(receiver.intParameter(DM5Function::Active)->value(), std::clamp(active, 0, 250));
}

void tst_DM5Function::noAnswerYetAfterAsking()
{
    AdoptedUnit bus(0x00);
    auto *f = new DM5Function(&bus.unit);
    QCOMPARE(f->summaryText(), QStringLiteral("no data yet"));
    QVERIFY(ToolRequest::ask(f));
    QTRY_COMPARE(frameTexts(bus.handler.writtenFrames()), QStringList{"6 ea00f9 ce fe 00"});
    // The request counts as the function's traffic; its values still wait for the answer.
    QCOMPARE(f->summaryText(), QStringLiteral("no answer yet"));
    DispatchResult r;
    QVERIFY(bus.unit.dispatchMessage(makeFrame(0x18FECE00, {1, 0, 5, 0, 0, 0, 0, 0}), &r));
    QVERIFY(f->summaryText().startsWith(QStringLiteral("1 active")));
}

void tst_DM5Function::standInAnswersARequest()
{
    AdoptedUnit bus(0x01);
    auto *f = new DM5Function(&bus.unit);
    bus.unit.setState(AbstractDisplayableItem::Send);
    f->intParameter(DM5Function::Active)->setValue(2);
    f->intParameter(DM5Function::Previous)->setValue(1);
    f->listParameter(DM5Function::Obd)->setValue(5);
    f->listParameter(DM5Function::FirstMonitor)->setValue(DM5Function::NotComplete);
    f->listParameter(DM5Function::FirstNonContinuous + 13 - 1)->setValue(DM5Function::Complete);
    DispatchResult r;
    bus.unit.dispatchTargetMessage(ToolRequest::frame(0xFECE, 0x01, ToolAddress::Default), &r);
    QTRY_COMPARE(frameTexts(bus.handler.writtenFrames()),
                 QStringList{"6 fece01 02 01 05 11 00 10 00 00"});
}

void tst_DM5Function::detailsShowEveryMonitor()
{
    J1939Device unit(0x00);
    auto *f = new DM5Function(&unit);
    std::unique_ptr<AbstractSchemeTreeItem> node(f->treeItem());
    QVERIFY(qobject_cast<DM5SchemeTreeItem *>(node.get()));
    QWidget *editor = node->getNewWidget();
    QVERIFY(editor);
    QVERIFY(editor->findChild<QPushButton *>(QStringLiteral("requestButton")));
    auto *line = editor->findChild<QLabel *>(QStringLiteral("requestLine"));
    QVERIFY(line);
    QCOMPARE(line->text(), QStringLiteral("Not asked yet"));
    QStringList labels;
    for (const QLabel *label : editor->findChildren<QLabel *>())
        labels << label->text();
    for (const char *text : {"Active trouble codes", "OBD compliance", "Misfire",
                             "Non-continuously monitored systems", "NMHC converting catalyst"})
        QVERIFY2(labels.contains(QLatin1String(text)), text);
    QVERIFY(f->decode(hex("020105 15 8104 8000")));
    f->counterInc();
    QVERIFY(node->doUpdate());
    QStringList shown;
    for (const QComboBox *box : editor->findChildren<QComboBox *>())
        shown << box->currentText();
    QVERIFY2(shown.contains(QStringLiteral("Not OBD compliant")), qPrintable(shown.join('|')));
    QCOMPARE(shown.count(QStringLiteral("Not complete")), 2);
    QCOMPARE(shown.count(QStringLiteral("Complete")), 3);
    QVERIFY2(line->text().startsWith(QStringLiteral("Last received at ")),
             qPrintable(line->text()));
}

QTEST_MAIN(tst_DM5Function)
#include "tst_dm5function.moc"
