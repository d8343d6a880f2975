#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/itemscript.h"
#include "descriptions/xmlj1939device.h"
#include "descriptions/xmlsiddevice.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/buttonlistparameter.h"
#include "model/j1939device.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxlistparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QDomDocument>
#include <QtTest>

#include <memory>

namespace {

QString func(const QString &body, const QString &attributes = QString())
{
    return QStringLiteral("<func key=\"t\" address=\"ff10\" %1>%2</func>").arg(attributes, body);
}

QString param(const QString &type, const QString &name, const QString &inner = QString(),
              const QString &extra = QString())
{
    return QStringLiteral("<param type=\"%1\" %4><name>%2</name>%3</param>")
        .arg(type, name, inner, extra);
}

// An int parameter of one byte at `startByte`, unscaled.
QString byteParam(const QString &name, int startByte, const QString &extra = QString())
{
    return param("int", name,
                 extra
                     + QStringLiteral("<startbyte>%1</startbyte><bitlength>8</bitlength>"
                                      "<multiplier>1</multiplier>")
                           .arg(startByte));
}

CanMessage frameFor(const StaticPgnJ1939DeviceFunction &f, const QByteArray &hex)
{
    const QByteArray data = QByteArray::fromHex(hex);
    return CanMessage(f.canMessageId(), reinterpret_cast<const quint8 *>(data.constData()),
                      int(data.size()));
}

} // namespace

class tst_XmlDescriptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void cleanup() { ItemScript::setTimeLimitMs(250); }
    void localTypeList();
    void unboundParameter();
    void shortnameFallback();
    void endian_data();
    void endian();
    void precision_data();
    void precision();
    void priority_data();
    void priority();
    void unknownTypeSkipped();
    void buttonList();
    void textGroups();
    void textIndexOutOfRange();
    void savedElementCarriesDescription();
    void emptyAndBrokenDescriptions();
    void internalFunctionsAndStopRule();
    void sidDevice();
    void scriptHooks();
    void scriptSandbox_data();
    void scriptSandbox();
    void runawayScriptAborted_data();
    void runawayScriptAborted();
    void emptyFuncsDirectory();
    void brokenLibraryFileSkipped();
};

void tst_XmlDescriptions::localTypeList()
{
    QStringList values;
    for (int i = 0; i < 8; ++i)
        values << QStringLiteral("<value>v%1</value>").arg(i);
    const QString xml = func(QStringLiteral("<types><type key=\"io3bit\" basetype=\"list\">"
                                            "<bitlength>3</bitlength><multiplier>5</multiplier>"
                                            "<list>%1</list></type></types>")
                                 .arg(values.join(QString()))
                             + param("io3bit", "Out",
                                     QStringLiteral("<startbyte>1</startbyte>"
                                                    "<startbit>2</startbit>")));
    XmlStaticPgnJ1939DeviceFunction f(xml, nullptr);
    auto *list = dynamic_cast<ZxListParameter *>(f.parameters().value(0));
    QVERIFY(list);
    QCOMPARE(list->items().size(), 8);
    const ParameterBinding *b = f.binding(list);
    QVERIFY(b);
    QCOMPARE(b->bitLength, 3);
    QCOMPARE(b->multiplier, 1.0f); // lists ignore the scaling
    QCOMPARE(b->adder, 0.0f);
    QCOMPARE(b->startByte, 1u);
    QCOMPARE(b->startBit, 2);
    DispatchResult r;
    f.dispatchMessageImpl(frameFor(f, "0014000000000000"), &r); // 0x14 >> 2 = 5
    QCOMPARE(list->value(), 5);
}

void tst_XmlDescriptions::unboundParameter()
{
    XmlStaticPgnJ1939DeviceFunction f(func(param("bool", "Flag")), nullptr);
    QCOMPARE(f.parameters().size(), 1);
    QVERIFY(!f.binding(f.parameters().first()));
    DispatchResult r;
    f.dispatchMessageImpl(frameFor(f, "ffffffffffffffff"), &r);
    QCOMPARE(f.parameters().first()->toString(), QStringLiteral("0"));
}

void tst_XmlDescriptions::shortnameFallback()
{
    XmlStaticPgnJ1939DeviceFunction f(
        func(byteParam("Engine Load", 0) + param("int", "Other", "<shortname>OT</shortname>")),
        nullptr);
    QVERIFY(f.parameter(QStringLiteral("Engine Load")));
    QCOMPARE(f.parameters().at(0)->id(), QStringLiteral("Engine Load"));
    QVERIFY(f.parameter(QStringLiteral("OT")));
    QVERIFY(!f.parameter(QStringLiteral("Other")));
    f.setParameterValue(QStringLiteral("Engine Load"), 42);
    QCOMPARE(f.parameterValue(QStringLiteral("Engine Load")).toInt(), 42);
}

void tst_XmlDescriptions::endian_data()
{
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<bool>("big");
    QTest::addColumn<QString>("value");
    QTest::newRow("big") << "endian=\"big\"" << true << "4660";
    QTest::newRow("little") << "endian=\"little\"" << false << "13330";
    QTest::newRow("anything else is little") << "endian=\"BIG\"" << false << "13330";
    QTest::newRow("absent") << "" << false << "13330";
}

void tst_XmlDescriptions::endian()
{
    QFETCH(QString, attribute);
    QFETCH(bool, big);
    QFETCH(QString, value);
    if (big)
        QTest::ignoreMessage(QtDebugMsg, "Parameter Word is BIGENDIAN");
    XmlStaticPgnJ1939DeviceFunction f(
        func(param("int", "Word",
                   QStringLiteral("<startbyte %1>0</startbyte><bitlength>16</bitlength>"
                                  "<multiplier>1</multiplier>")
                       .arg(attribute))),
        nullptr);
    QCOMPARE(f.binding(f.parameters().first())->bigEndian, big);
    DispatchResult r;
    f.dispatchMessageImpl(frameFor(f, "1234000000000000"), &r);
    QCOMPARE(f.parameters().first()->toString(), value);
}

void tst_XmlDescriptions::precision_data()
{
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<int>("decimals");
    QTest::newRow("0.125") << "<multiplier>0.125</multiplier>" << 2;
    QTest::newRow("0.4") << "<multiplier>0.4</multiplier>" << 2;
    QTest::newRow("0.1") << "<multiplier>0.1</multiplier>" << 2;
    QTest::newRow("0.05") << "<multiplier>0.05</multiplier>" << 3;
    QTest::newRow("1") << "<multiplier>1</multiplier>" << 1;
    QTest::newRow("10") << "<multiplier>10</multiplier>" << 0;
    QTest::newRow("absent stays unset") << "" << -1;
    QTest::newRow("negative uses its size") << "<multiplier>-0.05</multiplier>" << 3;
    QTest::newRow("tiny is capped") << "<multiplier>1e-30</multiplier>" << 15;
    QTest::newRow("infinite stays unset") << "<multiplier>inf</multiplier>" << -1;
}

void tst_XmlDescriptions::precision()
{
    QFETCH(QString, multiplier);
    QFETCH(int, decimals);
    XmlStaticPgnJ1939DeviceFunction f(
        func(
            param("float", "F",
                  QStringLiteral("<startbyte>0</startbyte><bitlength>8</bitlength>") + multiplier)),
        nullptr);
    QCOMPARE(static_cast<ZxFloatParameter *>(f.parameters().first())->decimals(), decimals);
}

void tst_XmlDescriptions::priority_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("priority");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("interval");
    QTest::newRow("priority 9 kept (low bits of a byte)") << "priority=\"9\"" << 9 << 1 << -1;
    QTest::newRow("priority not a number gives 3") << "priority=\"x\"" << 3 << 1 << -1;
    QTest::newRow("absent gives 3") << "" << 3 << 1 << -1;
    QTest::newRow("period 0 commits") << "period=\"0\"" << 3 << 0x1004 << 0;
    QTest::newRow("period 100 continuous") << "period=\"100\"" << 3 << 2 << 100;
}

void tst_XmlDescriptions::priority()
{
    QFETCH(QString, attributes);
    QFETCH(int, priority);
    QFETCH(int, type);
    QFETCH(int, interval);
    XmlStaticPgnJ1939DeviceFunction f(func(QString(), attributes), nullptr);
    QCOMPARE(int(f.defaultPriority()), priority);
    QVERIFY(f.canMessageId() <= 0x1FFFFFFFu); // the identifier keeps three bits of it
    QCOMPARE(int(f.deviceType()), type);
    QCOMPARE(f.transmissionInterval(), interval);
    QCOMPARE(f.objectName(), QStringLiteral("XmlFunctiont"));
    QCOMPARE(f.pgnValue(), 0xFF10u);
}

void tst_XmlDescriptions::unknownTypeSkipped()
{
    XmlStaticPgnJ1939DeviceFunction f(
        func(param("complex", "A") + param("int", "B")
             + QStringLiteral("<types><type key=\"weird\" basetype=\"matrix\"/></types>")
             + param("weird", "C")),
        nullptr);
    QCOMPARE(f.parameters().size(), 1);
    QCOMPARE(f.parameters().first()->name(), QStringLiteral("B"));
}

void tst_XmlDescriptions::buttonList()
{
    XmlStaticPgnJ1939DeviceFunction f(
        func(param("buttonlist", "Mode",
                   "<list minsize=\"7\"><value>off</value><value>on</value></list>")),
        nullptr);
    auto *p = dynamic_cast<ButtonListParameter *>(f.parameters().first());
    QVERIFY(p);
    QCOMPARE(p->items(), (QStringList{"off", "on"}));
    QCOMPARE(p->minimumContentsLength(), 7);
}

void tst_XmlDescriptions::textGroups()
{
    const QString params = byteParam("A", 0) + byteParam("B", 1) + byteParam("C", 2);
    XmlStaticPgnJ1939DeviceFunction f(
        func(params
             + QStringLiteral(
                 "<text format=\"IO=%1 X=%2 AUX=%3 Z=%4\"><group><a>0</a><b>1</b></group>"
                 "<other/><param>2</param><group/></text>")),
        nullptr);
    DispatchResult r;
    f.dispatchMessageImpl(frameFor(f, "0102030000000000"), &r);
    // The element that is neither group nor param consumes a marker with an empty string.
    QCOMPARE(f.textDataImpl(), QStringLiteral("IO=12 X= AUX=3 Z="));
    QCOMPARE(r.description, f.textDataImpl());
    QCOMPARE(f.textGroups().size(), 4);
}

void tst_XmlDescriptions::textIndexOutOfRange()
{
    XmlStaticPgnJ1939DeviceFunction f(
        func(
            param("int", "A")
            + QStringLiteral("<text format=\"A=%1 B=%2\"><param>0</param><param>7</param></text>")),
        nullptr);
    QCOMPARE(f.textDataImpl(), QStringLiteral("A=0 B="));
}

void tst_XmlDescriptions::savedElementCarriesDescription()
{
    const QString xml = func(QStringLiteral("<name>Test group</name>") + byteParam("A", 0)
                                 + "<widget layout=\"vbox\"><parameter id=\"0\"/></widget>",
                             "period=\"100\"");
    XmlStaticPgnJ1939DeviceFunction f(xml, nullptr);
    QVERIFY(f.widgetXml().contains(QLatin1String("<parameter id=\"0\"")));
    QDomDocument doc;
    QDomElement element = doc.createElement(QStringLiteral("genericitem"));
    doc.appendChild(element);
    f.saveItemToXmlNode(element);
    QCOMPARE(element.tagName(), QStringLiteral("func"));
    QCOMPARE(element.attribute(QStringLiteral("period")), QStringLiteral("100"));
    QCOMPARE(element.attribute(QStringLiteral("key")), QStringLiteral("t"));
    // Built again from what was saved, it is the same function.
    XmlStaticPgnJ1939DeviceFunction again(doc.toString(), nullptr);
    QCOMPARE(again.name(), QStringLiteral("Test group"));
    QCOMPARE(again.parameters().size(), 1);
    QCOMPARE(again.transmissionInterval(), 100);
    QCOMPARE(again.widgetXml(), f.widgetXml());
}

void tst_XmlDescriptions::emptyAndBrokenDescriptions()
{
    XmlStaticPgnJ1939DeviceFunction notXml(QStringLiteral("<<<not xml"), nullptr);
    QVERIFY(notXml.parameters().isEmpty());
    QVERIFY(notXml.name().isEmpty());
    XmlStaticPgnJ1939DeviceFunction wrongRoot(QStringLiteral("<device key=\"x\"/>"), nullptr);
    QVERIFY(wrongRoot.key().isEmpty());
    XmlJ1939Device device(QStringLiteral("<func/>"));
    QVERIFY(device.children().isEmpty());
}

void tst_XmlDescriptions::internalFunctionsAndStopRule()
{
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    const QString xml = QStringLiteral(
        "<device key=\"d\" address=\"10\">"
        "<func internal=\"true\" key=\"eec1\" address=\"f004\" period=\"50\"/>"
        "<func key=\"own\" address=\"ff55\"><name>Own</name></func>"
        "<func internal=\"true\" key=\"nosuch\" address=\"f004\"/>" // falls back to the PGN
        "<func internal=\"true\" key=\"nosuch\" address=\"1234\"/>" // stops the rest
        "<func internal=\"true\" key=\"et1\" address=\"feee\"/>"
        "</device>");
    XmlJ1939Device device(xml);
    QStringList keys;
    for (AbstractDisplayableItem *f : device.children())
        keys << QString::fromLatin1(f->key());
    QCOMPARE(keys, (QStringList{"eec1", "own"}));
    QCOMPARE(device.children().first()->transmissionInterval(), 50);
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("device"));
    device.saveItemToXmlNodeImpl(e);
    QCOMPARE(e.attribute(QStringLiteral("internal")), QStringLiteral("false"));
}

void tst_XmlDescriptions::sidDevice()
{
    XmlSidDevice device(
        QStringLiteral("<device key=\"s\" type=\"sid\" address=\"1a0\" period=\"100\">"
                       "<name>Node</name><text format=\"%1\"><param>0</param></text>"
                       "<param type=\"int\"><name>V</name><startbyte>0</startbyte>"
                       "<bitlength>16</bitlength><multiplier>1</multiplier></param></device>"));
    QCOMPARE(device.address().kind, int(ItemAddress::Sid));
    QCOMPARE(device.userReadableAddress(), QStringLiteral("SID:1a0"));
    QCOMPARE(device.objectName(), QStringLiteral("XmlSidDevices"));
    QCOMPARE(device.transmissionInterval(), 100);
    const quint8 data[] = {0x34, 0x12};
    DispatchResult r;
    CanMessage m(0x1A0, data, 2);
    m.extended = false;
    QVERIFY(device.matchMessage(m));
    QVERIFY(device.dispatchMessageImpl(m, &r));
    QCOMPARE(device.parameters().first()->toString(), QStringLiteral("4660"));
    TestCanHandler handler;
    QVERIFY(handler.start());
    handler.adopt(&device);
    device.transmitState();
    QCOMPARE(handler.writtenFrames().size(), 1);
    QCOMPARE(handler.writtenFrames().first().toString(),
             QStringLiteral("SID1a0 34 12 ff ff ff ff ff ff"));
}

void tst_XmlDescriptions::scriptHooks()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    const QString body
        = byteParam("A", 0, "<shortname>A</shortname>")
          + byteParam("B", 1, "<shortname>B</shortname>")
          + param("int", "Sum", "<shortname>Sum</shortname>")
          + QStringLiteral("<script>var calls = 0;"
                           "function dispatch() { xmlfunc.setParameterValue('Sum', "
                           "xmlfunc.parameterValue('A') + this.parameterValue('B')); }"
                           "function transmit() { xmlfunc.setParameterValue('B', 2 * "
                           "xmlfunc.parameterValue('A')); xmlfunc.transmitState(); }"
                           "</script>");
    J1939Device device(0x21);
    handler.adopt(&device);
    auto *f = new XmlStaticPgnJ1939DeviceFunction(func(body), &device);
    QVERIFY(f->hasScript());
    DispatchResult r;
    f->dispatchMessageImpl(frameFor(*f, "0507000000000000"), &r);
    QCOMPARE(f->parameter(QStringLiteral("Sum"))->toString(), QStringLiteral("12"));
    f->setParameterValue(QStringLiteral("A"), 9);
    // The hook computes B first and transmits; the hook does not start itself over, and the
    // outer transmission follows with the same payload.
    f->transmitState();
    QCOMPARE(handler.writtenFrames().size(), 2);
    QCOMPARE(handler.writtenFrames().first().toString(),
             QStringLiteral("3 ff1021 09 12 ff ff ff ff ff ff"));
    QCOMPARE(handler.writtenFrames().last().toString(), handler.writtenFrames().first().toString());
}

void tst_XmlDescriptions::scriptSandbox_data()
{
    QTest::addColumn<QString>("expression");
    QTest::newRow("no deleteLater") << "typeof xmlfunc.deleteLater";
    QTest::newRow("no objectName") << "typeof xmlfunc.objectName";
    QTest::newRow("no destroyed signal") << "typeof xmlfunc.destroyed";
    QTest::newRow("no children") << "typeof xmlfunc.children";
    QTest::newRow("no findChild") << "typeof xmlfunc.findChild";
    QTest::newRow("no file access") << "typeof File";
    QTest::newRow("no process") << "typeof Process";
    QTest::newRow("no network") << "typeof XMLHttpRequest";
    QTest::newRow("no import") << "typeof importExtension";
}

void tst_XmlDescriptions::scriptSandbox()
{
    QFETCH(QString, expression);
    XmlStaticPgnJ1939DeviceFunction f(
        func(QStringLiteral("<script>var probe = %1;</script>").arg(expression)), nullptr);
    QVERIFY(f.hasScript());
    QCOMPARE(f.script()->engine()->globalObject().property(QStringLiteral("probe")).toString(),
             QStringLiteral("undefined"));
    // What the script may use is there.
    QCOMPARE(f.script()
                 ->engine()
                 ->evaluate(QStringLiteral("typeof xmlfunc.setParameterValue"))
                 .toString(),
             QStringLiteral("function"));
    QCOMPARE(f.script()->engine()->evaluate(QStringLiteral("Math.max(1, 2)")).toInt32(), 2);
}

void tst_XmlDescriptions::runawayScriptAborted_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("atLoad");
    QTest::newRow("endless loop at load") << "while (true) {}" << true;
    QTest::newRow("endless loop in dispatch") << "function dispatch() { for (;;) {} }" << false;
    QTest::newRow("endless recursion in dispatch")
        << "function f(n) { return f(n + 1) + 1; } function dispatch() { f(0); }" << false;
}

void tst_XmlDescriptions::runawayScriptAborted()
{
    QFETCH(QString, script);
    QFETCH(bool, atLoad);
    QElapsedTimer clock;
    clock.start();
    XmlStaticPgnJ1939DeviceFunction f(
        func(byteParam("A", 0) + QStringLiteral("<script>%1</script>").arg(script.toHtmlEscaped())),
        nullptr);
    DispatchResult r;
    f.dispatchMessageImpl(frameFor(f, "0500000000000000"), &r);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    if (atLoad || script.contains(QLatin1String("for (;;)")))
        QVERIFY(!f.script()->isEnabled());
    // Decoding goes on: the frame's values are there and later frames cost nothing more.
    QCOMPARE(f.parameters().first()->toString(), QStringLiteral("5"));
    clock.restart();
    f.dispatchMessageImpl(frameFor(f, "0600000000000000"), &r);
    if (!f.script()->isEnabled())
        QVERIFY(clock.elapsed() < 100);
}

void tst_XmlDescriptions::emptyFuncsDirectory()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("funcs")));
    DescriptionFiles::setBaseDirectory(dir.path());
    QCOMPARE(DescriptionFiles::functionLibraryFiles(), QStringList());
    J1939Device device(0x10);
    int xmlEntries = 0;
    for (const DeviceFactoryEntry &e : device.subFactory()->entries())
        xmlEntries += e.xml.isEmpty() ? 0 : 1;
    QCOMPARE(xmlEntries, 0); // the built-in library is not read
    DescriptionFiles::setBaseDirectory(QString());
}

void tst_XmlDescriptions::brokenLibraryFileSkipped()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("funcs"));
    QVERIFY(!TestEnvironment::writeFile(
                 dir, QStringLiteral("funcs/a.xml"),
                 "<doc><func key=\"mine\" address=\"ff42\"><name>Mine</name></func></doc>")
                 .isEmpty());
    QVERIFY(!TestEnvironment::writeFile(dir, QStringLiteral("funcs/b.xml"),
                                        "<doc><func key=\"broken\"></doc>")
                 .isEmpty());
    DescriptionFiles::setBaseDirectory(dir.path());
    QStringList reported;
    DescriptionFiles::setFaultReporter([&](const QString &m) { reported << m; });
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^XML Fault: .* \\[l:1,c:\\d+\\]$")));
    J1939Device first(0x10);
    QVERIFY(first.subFactory()->getEntry("mine"));
    QVERIFY(!first.subFactory()->getEntry("broken"));
    // The next unit's catalogue is made from what the first one read: the same entries, the
    // broken file neither read nor told again.
    J1939Device second(0x11);
    QVERIFY(second.subFactory()->getEntry("mine"));
    QVERIFY(!second.subFactory()->getEntry("broken"));
    QCOMPARE(reported.size(), 1); // told once
    QVERIFY(reported.first().contains(QLatin1String("b.xml")));
    DescriptionFiles::setFaultReporter({});
    DescriptionFiles::setBaseDirectory(QString());
}

QTEST_MAIN(tst_XmlDescriptions)
#include "tst_xmldescriptions.moc"
