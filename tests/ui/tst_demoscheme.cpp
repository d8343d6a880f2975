#include "app/builtins.h"
#include "can/candumpreader.h"
#include "can/canhandlerfactory.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "machine/basicjoystickmessagefunction.h"
#include "machine/cabincontroller.h"
#include "machine/controllerdevice.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "machine/controlpaneldevice.h"
#include "machine/controlpanelstatefunction.h"
#include "machine/joystickparameter.h"
#include "machine/saejoystickparameter.h"
#include "machine/supportcontroller.h"
#include "machine/supportindicationpanel.h"
#include "machine/zbussensors.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/devicestatewidget.h"
#include "scheme/editors/multixmlitemwidget.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/scriptedmainwindow.h"
#include "support/testenvironment.h"
#include "ui/commandline.h"

#include <QSettings>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

// The texts of the named parameters, joined.
QString values(AbstractDisplayableItem *item, std::initializer_list<const char *> keys)
{
    QString out;
    for (const char *key : keys)
        out += item->parameter(QString::fromLatin1(key))->toString();
    return out;
}

} // namespace

// The example scheme played against the demo recording: every unit of the recording is in the
// scheme and decodes its traffic.
class tst_DemoScheme : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyFrameReachesAUnit();
    void decodedValuesAreInRange();
    void sensorsDecodeInRange();
    void exampleTabShowsUnitsSideBySide();

private:
    AbstractDisplayableItem *device(quint32 address) const;
    AbstractDisplayableItem *sensor(quint8 address) const;
    bool m_pressureFaultSeen = false;
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    std::unique_ptr<DeviceDispatcher> m_dispatcher;
    std::unique_ptr<ScriptedMainWindow> m_window;
};

void tst_DemoScheme::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikDemoSchemeTest"));
    m_catalogue = CanDeviceFactory::create();
    m_dispatcher = std::make_unique<DeviceDispatcher>();
    m_dispatcher->setCatalogue(m_catalogue.get());
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
    // Opened as the program does when the demo bus is chosen in the start dialog.
    const QString scheme = CommandLineOptions::parse({QStringLiteral("tarvik")})
                               .schemeToOpen(CanHandlerFactory::Replay);
    QVERIFY(m_window->openScheme(scheme));
    QCOMPARE(m_window->schemeModel()->rowCount(), 9);
}

void tst_DemoScheme::cleanupTestCase()
{
    m_window->schemeController()->clearScheme();
    m_window.reset();
    QSettings().clear();
}

AbstractDisplayableItem *tst_DemoScheme::device(quint32 address) const
{
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems()) {
        if (node->displayable()->address().value == address)
            return node->displayable();
    }
    return nullptr;
}

AbstractDisplayableItem *tst_DemoScheme::sensor(quint8 address) const
{
    AbstractDisplayableItem *controller = device(0xA0);
    auto *bridge = controller ? controller->findChild<ControllerZBusBridgeDeviceFunction *>()
                              : nullptr;
    if (!bridge)
        return nullptr;
    for (AbstractDisplayableItem *s : bridge->children()) {
        if (s->address().value == address)
            return s;
    }
    return nullptr;
}

void tst_DemoScheme::everyFrameReachesAUnit()
{
    CandumpReader reader;
    QVERIFY(reader.readFile(QStringLiteral(":/demo/demo-bus.log")));
    QCOMPARE(reader.skippedLines(), 0);
    QVERIFY(reader.frames().size() > 20000);
    int undispatched = 0;
    for (const TimedFrame &f : reader.frames()) {
        DispatchResult result(DispatchResult::Received, f.timeUs / 1000);
        m_dispatcher->dispatchMessage(f.message, &result);
        if (!result.status.testFlag(DispatchResult::Dispatched) && ++undispatched < 5)
            qWarning("not taken: %s", qPrintable(f.message.toString()));
        // The pressure sensor shows its fault pattern for a few seconds of the loop.
        if (f.message.id == 0x18FF34A0 && f.message.data[0] == 0x07 && result.item
            && result.item->parameter(QStringLiteral("FAULT"))->toString() == QLatin1String("1"))
            m_pressureFaultSeen = true;
    }
    QCOMPARE(undispatched, 0);
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems())
        QVERIFY2(node->displayable()->totalEvents() > 0, qPrintable(node->displayable()->name()));
}

void tst_DemoScheme::decodedValuesAreInRange()
{
    AbstractDisplayableItem *engine = device(0x00);
    QVERIFY(engine);
    ZxParameter *speed = nullptr;
    DM1Function *dm1 = nullptr;
    for (AbstractDisplayableItem *f : engine->children()) {
        if (!speed)
            speed = f->parameter(QStringLiteral("SPN190"));
        if (!dm1)
            dm1 = qobject_cast<DM1Function *>(f);
    }
    QVERIFY(speed);
    const double rpm = speed->variantValue().toDouble();
    QVERIFY2(rpm >= 800 && rpm <= 1900, qPrintable(QString::number(rpm)));
    QVERIFY(dm1);
    const QVector<DtcArrayParameter::DtcItem> codes = dm1->dtcParameter()->codes();
    QCOMPARE(codes.size(), 2);
    QCOMPARE(codes.at(0).spn, 110u);
    QCOMPARE(codes.at(0).fmi, 16u);
    for (quint32 panel : {0x9Du, 0x9Eu, 0x9Fu}) {
        auto *p = qobject_cast<ControlPanelDevice *>(device(panel));
        QVERIFY(p && p->children().size() == 2);
        auto *state = qobject_cast<ControlPanelStateFunction *>(p->children().at(0));
        QVERIFY(state);
        const JoystickValue left = state->joystick(ControlPanelStateFunction::LeftJoystick)->value();
        QVERIFY2(qAbs(left.x) <= 100 && qAbs(left.y) <= 60, qPrintable(left.toString()));
        QVERIFY(state->textDataImpl().startsWith(QLatin1String("LJ=")));
    }
    auto *controller = qobject_cast<ControllerDevice *>(device(0xA0));
    QVERIFY(controller);
    QCOMPARE(controller->children().size(), 5);
    QCOMPARE(controller->children().at(0)->parameter(QStringLiteral("RPM1"))->toString(),
             QStringLiteral("1"));
    QVERIFY(qobject_cast<SupportIndicationPanel *>(device(0x9C)));
    auto *cabin = qobject_cast<CabinController *>(device(0x0A));
    QVERIFY(cabin);
    QCOMPARE(cabin->children().at(0)->parameter(QStringLiteral("AUXIO2"))->toString(),
             QStringLiteral("1000"));
    auto *support = qobject_cast<SupportController *>(device(0x80));
    QVERIFY(support);
    QCOMPARE(values(support->children().at(0), {"IN1", "IN2", "IN3", "IN4"}),
             QStringLiteral("0123"));
    AbstractDisplayableItem *joystick = device(0x4A);
    QVERIFY(joystick);
    auto *bjm = qobject_cast<BasicJoystickMessageFunction *>(joystick->children().value(0));
    QVERIFY(bjm);
    QVERIFY(bjm->totalEvents() > 0);
    QVERIFY(bjm->joystick()->value().x.position <= 1000);
}

void tst_DemoScheme::sensorsDecodeInRange()
{
    struct Row
    {
        quint8 address;
        const char *className;
        const char *id;
        double low;
        double high;
    };
    const Row rows[] = {
        {0x20, "ZBusSensorA", "F", 200, 12000}, {0x07, "ZBusSensorB", "P", 0, 1600},
        {0x1D, "ZBusSensorE", "ANG", 0, 80},    {0x0E, "ZBusSensorK", "ANG", 0, 360},
        {0x0F, "ZBusSensorL", "WIND", 0, 30},   {0x01, "ZBusSensorH", "ANG", 0, 10},
        {0x28, "ZBusSensorC", "ANG", 0, 90},    {0x19, "ZBusSensorG", "L", 0, 20000},
        {0x31, "ZBusSensorJ", "ANG", 0, 60},
    };
    for (const Row &row : rows) {
        AbstractDisplayableItem *s = sensor(row.address);
        QVERIFY2(s, row.className);
        QCOMPARE(s->metaObject()->className(), row.className);
        QVERIFY2(s->totalEvents() > 0, row.className);
        const double v = s->parameter(QString::fromLatin1(row.id))->variantValue().toDouble();
        QVERIFY2(v >= row.low && v <= row.high, qPrintable(QStringLiteral("%1 %2 = %3")
                                                               .arg(row.className, row.id)
                                                               .arg(v)));
    }
    QCOMPARE(sensor(0x0E)->parameter(QStringLiteral("T"))->toString(), QStringLiteral("-20"));
    QVERIFY(m_pressureFaultSeen);
}

void tst_DemoScheme::exampleTabShowsUnitsSideBySide()
{
    const QList<QWidget *> tabs = m_window->schemeTabs();
    QCOMPARE(tabs.size(), 1);
    auto *tabWidget = m_window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabWidget);
    QCOMPARE(tabWidget->tabText(tabWidget->indexOf(tabs.at(0))),
             QStringLiteral("Panel, controller and engine"));
    auto *panel = tabs.at(0)->findChild<MultiXmlItemWidget *>();
    QVERIFY(panel);
    // Three lamps, the panel's and the controller's editors, the engine speed: every path found.
    QCOMPARE(panel->builtCells(), 6);
    QCOMPARE(panel->findChildren<DeviceStateWidget *>().size(), 3);
    AbstractSchemeTreeItem *engineSpeed = m_window->schemeModel()->getItemForPath(
        QStringLiteral("0engine1:f004eec1"));
    QVERIFY(engineSpeed);
    QCOMPARE(engineSpeed->displayable()->parameters().at(3)->id(), QStringLiteral("SPN190"));
}

QTEST_MAIN(tst_DemoScheme)
#include "tst_demoscheme.moc"
