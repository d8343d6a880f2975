#include "can/tooladdress.h"
#include "descriptions/unknownpgnfactory.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dm2function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/editors/dm1schemetreeitem.h"
#include "diagnostics/editors/requestline.h"
#include "diagnostics/fmitexts.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/toolrequest.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "support/busfixtures.h"
#include "support/hex.h"
#include "support/testenvironment.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <memory>

// The failure modes in words, and DM2 beside DM1: one layout, its own group, asked for by the
// tool and answered by a unit the tool stands in for.
class tst_TroubleCodes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fmiTexts_data();
    void fmiTexts();
    void fmiTextsTranslated();
    void englishDescription_data();
    void englishDescription();
    void dm2IsItsOwnFunction();
    void dm2EncodeRoundTrip_data();
    void dm2EncodeRoundTrip();
    void catalogueAndDetection_data();
    void catalogueAndDetection();
    void requestLeavesFromTheTool_data();
    void requestLeavesFromTheTool();
    void standInAnswersARequest_data();
    void standInAnswersARequest();
    void longAnswerToAnAddress_data();
    void longAnswerToAnAddress();
    void dataColumnText_data();
    void dataColumnText();
    void requestLineText_data();
    void requestLineText();
    void requestButtonNeedsTheBus();
};

namespace {

// "spn/fmi/oc" of every code, blank-separated.
QString codeList(const TroubleCodesFunction &f)
{
    QStringList out;
    for (const DtcArrayParameter::DtcItem &c : f.dtcParameter()->codes())
        out << QStringLiteral("%1/%2/%3").arg(c.spn).arg(c.fmi).arg(c.oc);
    return out.join(QLatin1Char(' '));
}

// `count` codes SPN 1000 + i, FMI i % 32, OC i + 1, after the lamp bytes 44 00.
QByteArray manyCodes(int count)
{
    QByteArray data = hex("4400");
    for (int i = 0; i < count; ++i) {
        const quint32 spn = 1000u + quint32(i);
        data.append(char(spn & 0xFF));
        data.append(char((spn >> 8) & 0xFF));
        data.append(char(i % 32));
        data.append(char(i + 1));
    }
    return data;
}

} // namespace

void tst_TroubleCodes::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikTroubleCodesTest"));
}

void tst_TroubleCodes::fmiTexts_data()
{
    QTest::addColumn<quint32>("fmi");
    QTest::addColumn<QString>("text");
    QTest::newRow("0 first") << 0u
                             << "Data valid but above normal operational range, most severe level";
    QTest::newRow("1") << 1u << "Data valid but below normal operational range, most severe level";
    QTest::newRow("5 open circuit") << 5u << "Current below normal or open circuit";
    QTest::newRow("11 root cause") << 11u << "Root cause not known";
    QTest::newRow("15 least severe") << 15u
                                     << "Data valid but above normal operating range, least "
                                        "severe level";
    QTest::newRow("21 last assigned") << 21u << "Data drifted low";
    QTest::newRow("22 first reserved") << 22u << "Reserved for SAE assignment";
    QTest::newRow("30 last reserved") << 30u << "Reserved for SAE assignment";
    QTest::newRow("31 condition exists") << 31u << "Condition exists";
    QTest::newRow("32 beyond five bits") << 32u << "";
    QTest::newRow("all ones") << 0xFFFFFFFFu << "";
}

void tst_TroubleCodes::fmiTexts()
{
    QFETCH(quint32, fmi);
    QFETCH(QString, text);
    QCOMPARE(FmiTexts::englishText(fmi), text);
    // Without a catalogue the window's text is the English one.
    QCOMPARE(FmiTexts::text(fmi), text);
}

void tst_TroubleCodes::fmiTextsTranslated()
{
    QTranslator russian;
    QVERIFY(russian.load(QStringLiteral(":/tr/tarvik_ru.qm")));
    QCoreApplication::installTranslator(&russian);
    QStringList untranslated;
    for (quint32 fmi = 0; fmi < 32; ++fmi) {
        if (FmiTexts::text(fmi).isEmpty() || FmiTexts::text(fmi) == FmiTexts::englishText(fmi))
            untranslated << QString::number(fmi);
    }
    const QString row = DtcArrayParameter().rowText({523999, 3, 2});
    QCoreApplication::removeTranslator(&russian);
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char(' '))));
    // The console keeps English whatever the window's language.
    QCOMPARE(FmiTexts::englishText(3),
             QStringLiteral("Voltage above normal, or shorted to high source"));
    QVERIFY2(row.startsWith(QStringLiteral("[523999,3] "))
                 && !row.contains(QLatin1String("Voltage")),
             qPrintable(row));
}

void tst_TroubleCodes::englishDescription_data()
{
    QTest::addColumn<quint32>("spn");
    QTest::addColumn<quint32>("fmi");
    QTest::addColumn<QString>("text");
    QTest::newRow("library name and failure mode")
        << 100u << 1u
        << "Engine Oil Pressure - Data valid but below normal operational range, most severe level";
    QTest::newRow("machine text first") << 521025u << 16u
                                        << "Working platform overloaded - Data valid but above "
                                           "normal operating range, moderately severe level";
    QTest::newRow("unknown SPN: failure mode alone") << 523999u << 31u << "Condition exists";
    QTest::newRow("FMI beyond five bits: name alone") << 190u << 40u << "Engine Speed";
    QTest::newRow("nothing known") << 523999u << 40u << "";
}

void tst_TroubleCodes::englishDescription()
{
    QFETCH(quint32, spn);
    QFETCH(quint32, fmi);
    QFETCH(QString, text);
    QTranslator russian;
    QVERIFY(russian.load(QStringLiteral(":/tr/tarvik_ru.qm")));
    QCoreApplication::installTranslator(&russian);
    const QString english = DtcArrayParameter::englishDescription(spn, fmi);
    QCoreApplication::removeTranslator(&russian);
    QCOMPARE(english, text);
}

void tst_TroubleCodes::dm2IsItsOwnFunction()
{
    DM1Function dm1;
    DM2Function dm2;
    QCOMPARE(dm2.pgnValue(), 0xFECBu);
    QCOMPARE(dm2.name(), QStringLiteral("DM2 - Previously Active Diagnostic Trouble Codes"));
    // Sent when asked: never sent or supervised on a period.
    QCOMPARE(int(dm2.deviceType()), int(AbstractDisplayableItem::Spontaneous));
    QCOMPARE(dm2.parameters().size(), dm1.parameters().size());
    for (int i = 0; i < dm1.parameters().size(); ++i)
        QCOMPARE(dm2.parameters().at(i)->key(), dm1.parameters().at(i)->key());
    // Whoever looks for a unit's DM1 among its functions does not find its DM2.
    QVERIFY(!qobject_cast<DM1Function *>(static_cast<QObject *>(&dm2)));
    QVERIFY(!qobject_cast<DM2Function *>(static_cast<QObject *>(&dm1)));
    QVERIFY(dm1.codesTitle() != dm2.codesTitle());
}

void tst_TroubleCodes::dm2EncodeRoundTrip_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("no code: 8 bytes") << hex("0000 00000000 ffff");
    QTest::newRow("one code: padded to 8") << hex("4400 41f34702 ffff");
    QTest::newRow("two codes: 10 bytes") << hex("0400 6e001003 64001201");
    QTest::newRow("five codes: 22 bytes") << manyCodes(5);
}

void tst_TroubleCodes::dm2EncodeRoundTrip()
{
    QFETCH(QByteArray, data);
    DM2Function f;
    QVERIFY(f.decode(data));
    QCOMPARE(f.encode().toHex(' '), data.toHex(' '));
}

void tst_TroubleCodes::catalogueAndDetection_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<quint32>("pgn");
    QTest::addColumn<QString>("className");
    QTest::newRow("dm1") << QByteArray("dm1") << 0xFECAu << "DM1Function";
    QTest::newRow("dm2") << QByteArray("dm2") << 0xFECBu << "DM2Function";
    QTest::newRow("dm5") << QByteArray("dm5") << 0xFECEu << "DM5Function";
}

void tst_TroubleCodes::catalogueAndDetection()
{
    QFETCH(QByteArray, key);
    QFETCH(quint32, pgn);
    QFETCH(QString, className);
    J1939PgnDescription d;
    QVERIFY(J1939Reg::find(pgn, &d));
    QCOMPARE(d.key, QString::fromLatin1(key));
    // Offered by a unit's function catalogue...
    J1939Device byHand(0x00);
    std::unique_ptr<AbstractDisplayableItem> made(byHand.subFactory()->createDevice(key));
    QVERIFY(made);
    QCOMPARE(QString::fromLatin1(made->metaObject()->className()), className);
    // ...and created when the unit is heard sending the group.
    J1939Device heard(0x00);
    const CanMessage frame = makeFrame(0x18000000u | pgn << 8, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    std::unique_ptr<AbstractDisplayableItem> detected(heard.subFactory()->createDevice(frame));
    QVERIFY(detected);
    QCOMPARE(QString::fromLatin1(detected->metaObject()->className()), className);
}

void tst_TroubleCodes::requestLeavesFromTheTool_data()
{
    QTest::addColumn<bool>("global");
    QTest::addColumn<QString>("frame");
    QTest::newRow("to the unit") << false << "6 ea05f9 cb fe 00";
    QTest::newRow("to every unit") << true << "6 eafff9 cb fe 00";
}

void tst_TroubleCodes::requestLeavesFromTheTool()
{
    QFETCH(bool, global);
    QFETCH(QString, frame);
    AdoptedUnit bus(0x05);
    QVERIFY(ToolRequest::ask(new DM2Function(&bus.unit), global));
    QTRY_COMPARE(frameTexts(bus.handler.writtenFrames()), QStringList{frame});
}

void tst_TroubleCodes::standInAnswersARequest_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("answer");
    QTest::newRow("no code, amber lamp") << 0 << "6 fecb00 04 00 00 00 00 00 ff ff";
    QTest::newRow("one code, amber lamp") << 1 << "6 fecb00 04 00 41 f3 f0 01 ff ff";
}

void tst_TroubleCodes::standInAnswersARequest()
{
    QFETCH(int, count);
    QFETCH(QString, answer);
    AdoptedUnit bus(0x00);
    J1939Device &unit = bus.unit;
    auto *dm2 = new DM2Function(&unit);
    unit.setState(AbstractDisplayableItem::Send);
    dm2->intParameter(TroubleCodesFunction::Count)->setValue(count);
    dm2->intParameter(TroubleCodesFunction::FirstSlot)->setValue(521025);
    dm2->intParameter(TroubleCodesFunction::FirstSlot + 1)->setValue(16);
    dm2->intParameter(TroubleCodesFunction::FirstSlot + 2)->setValue(1);
    dm2->listParameter(TroubleCodesFunction::Awl)->setValue(1);
    // A request for DM1 finds nothing to answer; the one for DM2 is answered.
    DispatchResult r;
    const CanMessage askDm1 = ToolRequest::frame(0xFECA, 0x00, ToolAddress::Default);
    QVERIFY(unit.matchTargetMessage(askDm1));
    unit.dispatchTargetMessage(askDm1, &r);
    unit.dispatchTargetMessage(ToolRequest::frame(0xFECB, 0x00, ToolAddress::Default), &r);
    QTRY_COMPARE(frameTexts(bus.handler.writtenFrames()), QStringList{answer});
    // Nothing goes out on a period of its own.
    QTest::qWait(50);
    QCOMPARE(bus.handler.writtenFrames().size(), 1);
}

void tst_TroubleCodes::longAnswerToAnAddress_data()
{
    QTest::addColumn<bool>("standIn");
    QTest::addColumn<QString>("codes");
    QTest::newRow("the tool's unit takes the unit's answer") << false << "110/16/3 100/18/1";
    QTest::newRow("a unit the tool stands in for keeps its own codes") << true << "";
}

void tst_TroubleCodes::longAnswerToAnAddress()
{
    QFETCH(bool, standIn);
    QFETCH(QString, codes);
    TestCanHandler handler;
    handler.bus()->setTransportTiming(quickTiming(1));
    QVERIFY(handler.start());
    OffBoardDiagnosticDevice tool;
    handler.adopt(&tool);
    auto *dm2 = new DM2Function;
    tool.registerChild(dm2);
    tool.setState(standIn ? AbstractDisplayableItem::Send : AbstractDisplayableItem::ReceiveOk);
    const QVector<CanMessage> frames = tpFrames(0x00, 0xF9, 0xFECB, hex("0400 6e001003 64001201"));
    DispatchResult r;
    tool.dispatchTargetMessage(frames.at(0), &r);
    QTRY_COMPARE(handler.writtenFrames(0xEC).size(), 1); // clear to send
    tool.dispatchTargetMessage(frames.at(1), &r);
    tool.dispatchTargetMessage(frames.at(2), &r);
    QTRY_COMPARE(handler.writtenFrames(0xEC).size(), 2); // end of message acknowledged
    QCOMPARE(codeList(*dm2), codes);
}

void tst_TroubleCodes::dataColumnText_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    const auto text = [](const char *utf8) { return QString::fromUtf8(utf8); };
    QTest::newRow("nothing heard yet") << QByteArray() << "no data yet";
    QTest::newRow("no code, lamps off") << hex("0000 00000000 ffff") << "No codes";
    QTest::newRow("lamps on, no code") << hex("4400 00000000 ffff") << "MIL, AWL on · No codes";
    QTest::newRow("two codes")
        << hex("0400 6e001003 be000201")
        << text("AWL on · [110,16] Engine Coolant Temperature · Data valid but above normal "
                "operating range, moderately severe level · 3×; [190,2] Engine Speed · Data "
                "erratic, intermittent or incorrect · 1×");
}

void tst_TroubleCodes::dataColumnText()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    J1939Device unit(0x00);
    auto *dm2 = new DM2Function(&unit);
    std::unique_ptr<AbstractSchemeTreeItem> node(dm2->treeItem());
    QVERIFY(qobject_cast<DM1SchemeTreeItem *>(node.get()));
    if (!data.isEmpty()) {
        DispatchResult r;
        if (data.size() <= 8) {
            QVERIFY(unit.dispatchMessage(frameOf(0x18FECB00, data), &r));
        } else {
            QVERIFY(dm2->dispatchBroadcastData(data));
        }
    }
    QCOMPARE(node->data(3, Qt::DisplayRole).toString(), text);
}

void tst_TroubleCodes::requestLineText_data()
{
    QTest::addColumn<qint64>("asked");
    QTest::addColumn<qint64>("decoded");
    QTest::addColumn<QString>("text");
    const qint64 t = QDateTime(QDate(2026, 12, 7), QTime(10, 32, 5)).toMSecsSinceEpoch();
    QTest::newRow("never") << qint64(0) << qint64(0) << "Not asked yet";
    QTest::newRow("heard, never asked") << qint64(0) << t << "Last received at 10:32:05";
    QTest::newRow("asked, no answer since")
        << t << t - 1 << "Asked at 10:32:05, no answer yet";
    QTest::newRow("asked and answered")
        << t << t + 1500 << "Asked at 10:32:05, answered at 10:32:06";
}

void tst_TroubleCodes::requestLineText()
{
    QFETCH(qint64, asked);
    QFETCH(qint64, decoded);
    QFETCH(QString, text);
    QCOMPARE(RequestLine::lineText(asked, decoded), text);
}

void tst_TroubleCodes::requestButtonNeedsTheBus()
{
    AdoptedUnit bus(0x00, false); // not started: no bus connection
    auto *dm1 = new DM1Function(&bus.unit);
    std::unique_ptr<AbstractSchemeTreeItem> node(dm1->treeItem());
    QWidget *editor = node->getNewWidget();
    auto *request = editor->findChild<QPushButton *>(QStringLiteral("requestButton"));
    auto *line = editor->findChild<QLabel *>(QStringLiteral("requestLine"));
    QVERIFY(request && line);
    QTest::mouseClick(request, Qt::LeftButton);
    QCOMPARE(line->text(), QStringLiteral("No bus connection: nothing was sent"));
    QTest::qWait(20);
    QVERIFY(bus.handler.writtenFrames().isEmpty());
}

QTEST_MAIN(tst_TroubleCodes)
#include "tst_troublecodes.moc"
