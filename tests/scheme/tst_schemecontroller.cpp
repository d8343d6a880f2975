#include "descriptions/candevicefactory.h"
#include "descriptions/unknownj1939device.h"
#include "descriptions/unknownpgnfunction.h"
#include "descriptions/unknownsiddevice.h"
#include "descriptions/xmlj1939device.h"
#include "descriptions/xmlsiddevice.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/softfunction.h"
#include "model/devicedispatcher.h"
#include "model/zxintparameter.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "support/windowtestcase.h"
#include "ui/mainwindow.h"

#include <QDockWidget>
#include <QDomDocument>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

#include <functional>
#include <memory>

// An item that offers one method to scheme files and has another that it does not offer.
class InitCallItem : public TestContainerItem
{
    Q_OBJECT
    Q_CLASSINFO("initcalls", "setLabel, setOther")

public:
    Q_INVOKABLE void setLabel(const QByteArray &text) { label = QString::fromUtf8(text); }
    Q_INVOKABLE void forbidden(const QByteArray &) { forbiddenCalled = true; }
    QString label;
    bool forbiddenCalled = false;
};

namespace {

using TestEnvironment::readFile;
using TestEnvironment::writeFile;

} // namespace

using ItemMaker = std::function<AbstractDisplayableItem *()>;
Q_DECLARE_METATYPE(ItemMaker)

class tst_SchemeController : public WindowTestCase
{
    Q_OBJECT

public:
    tst_SchemeController()
        : WindowTestCase(QStringLiteral("TarvikSchemeControllerTest"))
    {}

private slots:
    void savedXmlFunctionCarriesDescriptionAndValues();
    void positionalValuesWithTooFewParams();
    void failedSaveKeepsOldFile();
    void initCallsOnlyFromAllowList();
    void unnamedChildElementIsSavedAsFunc();
    void shippedClassesNameTheirElement_data();
    void shippedClassesNameTheirElement();
    void tabsHideDocksOnlyWhenBuilt_data();
    void tabsHideDocksOnlyWhenBuilt();
    void tabsGoWithTheirSchemeAndSurviveSaving();
};

void tst_SchemeController::savedXmlFunctionCarriesDescriptionAndValues()
{
    AbstractDisplayableItem *device
        = m_window->catalogue()->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x05});
    AbstractDisplayableItem *eec1 = device->factoryCreateChild("eec1");
    eec1->parameter(QStringLiteral("SPN190"))->setVariantValue(800);
    m_window->addDisplayable(device);
    const QDomDocument doc = m_window->schemeController()->toDocument();
    const QDomElement deviceElement
        = doc.documentElement().firstChildElement(QStringLiteral("device"));
    QCOMPARE(deviceElement.attribute(QStringLiteral("key")), QStringLiteral("empty_device"));
    QCOMPARE(deviceElement.attribute(QStringLiteral("address")), QStringLiteral("5"));
    QCOMPARE(deviceElement.attribute(QStringLiteral("internal")), QStringLiteral("true"));
    const QDomElement func = deviceElement.firstChildElement(QStringLiteral("func"));
    QCOMPARE(func.attribute(QStringLiteral("key")), QStringLiteral("eec1"));
    QCOMPARE(func.attribute(QStringLiteral("address")), QStringLiteral("f004"));
    QCOMPARE(func.attribute(QStringLiteral("priority")), QStringLiteral("3"));
    QCOMPARE(func.firstChildElement(QStringLiteral("name")).text(),
             QStringLiteral("EEC1 - Electronic Engine Controller 1"));
    // The description's fields and the value share the same param element.
    int withInit = 0;
    int params = 0;
    for (QDomElement p = func.firstChildElement(QStringLiteral("param")); !p.isNull();
         p = p.nextSiblingElement(QStringLiteral("param")), ++params) {
        QVERIFY(!p.firstChildElement(QStringLiteral("startbyte")).isNull());
        if (p.firstChildElement(QStringLiteral("shortname")).text() == QLatin1String("SPN190")) {
            QCOMPARE(p.firstChildElement(QStringLiteral("init")).text(), QStringLiteral("800"));
            ++withInit;
        }
    }
    QCOMPARE(withInit, 1);
    QCOMPARE(params, eec1->parameters().size());
}

void tst_SchemeController::positionalValuesWithTooFewParams()
{
    TestContainerItem item;
    ZxIntParameter *a = item.addIntParameter(QStringLiteral("A"));
    ZxIntParameter *b = item.addIntParameter(QStringLiteral("B"));
    ZxIntParameter *c = item.addIntParameter(QStringLiteral("C"));
    a->setVariantValue(1);
    b->setVariantValue(2);
    c->setVariantValue(3);
    QDomDocument doc;
    doc.setContent(QStringLiteral("<func><param><init>10</init></param><param/><junk/>"
                                  "<param><init>20</init></param></func>"));
    item.restoreParameterValues(doc.documentElement());
    QCOMPARE(a->variantValue().toInt(), 10);
    QCOMPARE(b->variantValue().toInt(), 2); // no init: left alone
    QCOMPARE(c->variantValue().toInt(), 20);
    doc.setContent(QStringLiteral("<func><param><init>7</init></param></func>"));
    item.restoreParameterValues(doc.documentElement());
    QCOMPARE(a->variantValue().toInt(), 7);
    QCOMPARE(b->variantValue().toInt(), 2);
    QCOMPARE(c->variantValue().toInt(), 20);
}

void tst_SchemeController::failedSaveKeepsOldFile()
{
#ifdef Q_OS_UNIX
    for (int a = 0; a < 20; ++a)
        m_window->addDisplayable(m_window->catalogue()->createDeviceFromKey(
            "empty_device", {ItemAddress::J1939, quint32(0x40 + a)}));
    QTemporaryDir dir;
    const QByteArray old(
        "<devices><device key=\"empty_device\" address=\"1\" internal=\"true\"/></devices>");
    const QString path = writeFile(dir, QStringLiteral("keep.tvsx"), old);
    int prompts = 0;
    QString reported;
    // Writes beyond 64 bytes fail (as on a full disk) while the limit holds.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    // Unless told otherwise, the controller asks the window, whose user declines here.
    m_window->retry = false;
    const bool asked = m_window->schemeController()->serialize(path);
    m_window->schemeController()->setRetryPrompt([&](const QString &text) {
        reported = text;
        return ++prompts < 2; // retry once, then cancel
    });
    const bool ok = m_window->schemeController()->serialize(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!asked);
    QCOMPARE(m_window->asked.filter(QStringLiteral("retry|")).size(), 1);
    QVERIFY(!ok);
    QCOMPARE(prompts, 2);
    QVERIFY(!reported.isEmpty());
    QCOMPARE(readFile(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.tvsx"});
    // Once writing works again the save replaces the file.
    m_window->schemeController()->setRetryPrompt([](const QString &) { return false; });
    QVERIFY(m_window->schemeController()->serialize(path));
    QVERIFY(readFile(path).size() > old.size());
#else
    QSKIP("needs a file size limit");
#endif
}

void tst_SchemeController::initCallsOnlyFromAllowList()
{
    QPointer<InitCallItem> item = new InitCallItem;
    QDomDocument doc;
    doc.setContent(QStringLiteral("<device><initcall name=\"setLabel\">Стрела</initcall>"
                                  "<initcall name=\"forbidden\">x</initcall>"
                                  "<initcall name=\"deleteLater\"/>"
                                  "<initcall name=\"setOther\">listed but missing</initcall>"
                                  "</device>"));
    QTest::ignoreMessage(QtWarningMsg,
                         "initcall forbidden refused: InitCallItem does not offer it");
    QTest::ignoreMessage(QtWarningMsg,
                         "initcall deleteLater refused: InitCallItem does not offer it");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("setOther")));
    QTest::ignoreMessage(QtWarningMsg, "initcall setOther failed on InitCallItem");
    item->restoreParameterValues(doc.documentElement());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(item);
    QCOMPARE(item->label, QStringLiteral("Стрела"));
    QVERIFY(!item->forbiddenCalled);
    delete item;
}

void tst_SchemeController::unnamedChildElementIsSavedAsFunc()
{
    J1939Device device(0x11);
    auto *child = new TestContainerItem;
    device.registerChild(child);
    QDomDocument doc;
    QDomElement element = doc.createElement(QStringLiteral("noname"));
    doc.appendChild(element);
    QTest::ignoreMessage(QtWarningMsg, "TestContainerItem tag name not implemented");
    device.saveItemToXmlNode(element);
    QCOMPARE(element.tagName(), QStringLiteral("device"));
    QCOMPARE(element.firstChildElement(QStringLiteral("func")).isNull(), false);
    QVERIFY(element.firstChildElement(QStringLiteral("genericitem")).isNull());
}

void tst_SchemeController::shippedClassesNameTheirElement_data()
{
    QTest::addColumn<ItemMaker>("make");
    QTest::addColumn<QString>("tag");
    const QString func = QStringLiteral("func");
    const QString device = QStringLiteral("device");
    QTest::newRow("XmlStaticPgnJ1939DeviceFunction") << ItemMaker([] {
        return new XmlStaticPgnJ1939DeviceFunction(
            QStringLiteral("<func key=\"k\" address=\"ff01\"><name>N</name></func>"));
    }) << func;
    QTest::newRow("DM1Function") << ItemMaker([] { return new DM1Function; }) << func;
    QTest::newRow("EcuidFunction") << ItemMaker([] { return new EcuidFunction; }) << func;
    QTest::newRow("SoftFunction") << ItemMaker([] { return new SoftFunction; }) << func;
    QTest::newRow("UnknownPgnFunction") << ItemMaker([] { return new UnknownPgnFunction; }) << func;
    QTest::newRow("ZBusDevice") << ItemMaker([] { return new TestZBusSensor(3); }) << func;
    QTest::newRow("J1939Device") << ItemMaker([] { return new J1939Device; }) << device;
    QTest::newRow("XmlJ1939Device")
        << ItemMaker([] { return new XmlJ1939Device(QStringLiteral("<device key=\"d\"/>")); })
        << device;
    QTest::newRow("XmlSidDevice") << ItemMaker([] {
        return new XmlSidDevice(QStringLiteral("<device key=\"s\" address=\"100\" type=\"sid\"/>"));
    }) << device;
    QTest::newRow("UnknownJ1939Device")
        << ItemMaker([] { return new UnknownJ1939Device; }) << device;
    QTest::newRow("UnknownSidDevice") << ItemMaker([] { return new UnknownSidDevice; }) << device;
}

void tst_SchemeController::shippedClassesNameTheirElement()
{
    QFETCH(ItemMaker, make);
    QFETCH(QString, tag);
    std::unique_ptr<AbstractDisplayableItem> item(make());
    QVERIFY(item);
    QDomDocument doc;
    QDomElement element = doc.createElement(QStringLiteral("genericitem"));
    doc.appendChild(element);
    item->saveItemToXmlNodeImpl(element);
    QCOMPARE(element.tagName(), tag);
}

namespace {

const QByteArray BodyDevice
    = "<device key=\"empty_device\" address=\"21\" internal=\"true\" state=\"3\">"
      "<name>Body</name></device>";

QByteArray schemeWithTabs(const QByteArray &tabs)
{
    return "<devices version=\"2\">" + BodyDevice + "<widgets/>" + tabs + "</devices>";
}

} // namespace

void tst_SchemeController::tabsHideDocksOnlyWhenBuilt_data()
{
    QTest::addColumn<QByteArray>("tabs");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("no tab") << QByteArray() << QStringList();
    QTest::newRow("tab of a lamp")
        << QByteArray("<tab name=\"Bench\" layout=\"hbox\"><dstate path=\"%1\"/></tab>")
        << QStringList{"Bench"};
    QTest::newRow("tab naming no item is left out")
        << QByteArray("<tab name=\"Ghost\" layout=\"hbox\"><dstate path=\"77nosuch\"/>"
                      "<label>text only</label></tab>")
        << QStringList();
    QTest::newRow("two tabs, one left out")
        << QByteArray("<tab name=\"Ghost\"/><tab name=\"Bench\" layout=\"vbox\">"
                      "<pgnwidget path=\"%1\"/></tab>")
        << QStringList{"Bench"};
}

void tst_SchemeController::tabsHideDocksOnlyWhenBuilt()
{
    QFETCH(QByteArray, tabs);
    QFETCH(QStringList, titles);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    SchemeController *controller = m_window->schemeController();
    QVERIFY(controller->load(schemeWithTabs(QByteArray()), QStringLiteral("plain")));
    const QString key = m_window->schemeModel()->topLevelItems().value(0)->uniqueKey();
    QVERIFY(!key.isEmpty());
    tabs.replace("%1", key.toUtf8());
    QVERIFY(controller->load(schemeWithTabs(tabs), QStringLiteral("tabs")));
    QStringList shown;
    for (QWidget *tab : m_window->schemeTabs())
        shown << m_window->findChild<QTabWidget *>()->tabText(
            m_window->findChild<QTabWidget *>()->indexOf(tab));
    QCOMPARE(shown, titles);
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>())
        QVERIFY2(dock->isHidden() == !titles.isEmpty(), qPrintable(dock->objectName()));
}

void tst_SchemeController::tabsGoWithTheirSchemeAndSurviveSaving()
{
    SchemeController *controller = m_window->schemeController();
    QVERIFY(controller->load(schemeWithTabs(QByteArray()), QStringLiteral("plain")));
    const QString key = m_window->schemeModel()->topLevelItems().value(0)->uniqueKey();
    const QByteArray tab = "<tab name=\"Bench\" layout=\"grid\"><row><dstate path=\"" + key.toUtf8()
                           + "\"/><label>Body</label></row></tab>";
    auto *tabWidget = m_window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabWidget);
    QCOMPARE(tabWidget->count(), 1);

    // Loading the same scheme again replaces its tab instead of adding a second.
    for (int i = 0; i < 2; ++i) {
        QVERIFY(controller->load(schemeWithTabs(tab), QStringLiteral("tabs")));
        QCOMPARE(m_window->schemeTabs().size(), 1);
        QCOMPARE(tabWidget->count(), 2);
    }
    QPointer<QWidget> panel = m_window->schemeTabs().value(0);

    // Save -> open keeps the tab.
    const QString path = m_dir.filePath(QStringLiteral("tabs.tvsx"));
    QVERIFY(controller->serialize(path));
    QDomDocument saved;
    QVERIFY(saved.setContent(readFile(path)));
    QCOMPARE(saved.documentElement().elementsByTagName(QStringLiteral("tab")).size(), 1);
    controller->clearScheme();
    QVERIFY(!panel);
    QCOMPARE(tabWidget->count(), 1);
    QCOMPARE(tabWidget->tabText(0), QStringLiteral("Tree Scheme"));
    QVERIFY(controller->deserialize(path));
    QCOMPARE(m_window->schemeTabs().size(), 1);
    QCOMPARE(tabWidget->tabText(1), QStringLiteral("Bench"));
    QVERIFY(m_window->schemeTabs().value(0)->findChild<QLabel *>());

    // A cleared scheme saves no tab of the old one.
    controller->clearScheme();
    QCOMPARE(
        controller->toDocument().documentElement().elementsByTagName(QStringLiteral("tab")).size(),
        0);
}

QTEST_MAIN(tst_SchemeController)
#include "tst_schemecontroller.moc"
