#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/controllermachinestatedevicefunction.h"
#include "diagnostics/tunefunction.h"
#include "machine/basicjoystickmessagefunction.h"
#include "machine/cabincontroller.h"
#include "machine/controllerdevice.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "machine/controlpaneldevice.h"
#include "machine/controlpanelstatefunction.h"
#include "machine/editors/bjmschemetreeitem.h"
#include "machine/editors/ccauxioschemetreeitem.h"
#include "machine/editors/cpsfschemetreeitem.h"
#include "machine/editors/joystickcompositewidget.h"
#include "machine/editors/saejoystickwidget.h"
#include "machine/editors/scauxioschemetreeitem.h"
#include "machine/editors/sipsfschemetreeitem.h"
#include "machine/joystickparameter.h"
#include "machine/saejoystickparameter.h"
#include "machine/supportcontroller.h"
#include "machine/supportindicationpanel.h"
#include "machine/unknownzbusdevice.h"
#include "machine/zbussensors.h"
#include "model/devicedispatcher.h"
#include "model/zxfloatparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/windowtestcase.h"

#include <QAbstractItemModelTester>
#include <QDockWidget>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

AbstractDisplayableItem *topLevel(SchemeTreeModel *model, const QByteArray &key)
{
    for (AbstractSchemeTreeItem *node : model->topLevelItems()) {
        if (node->displayable()->key() == key)
            return node->displayable();
    }
    return nullptr;
}

template<typename T>
T *childOf(AbstractDisplayableItem *item)
{
    for (AbstractDisplayableItem *c : item->children()) {
        if (auto *t = qobject_cast<T *>(c))
            return t;
    }
    return nullptr;
}

// Every node's editor, recursively.
void buildEditors(AbstractSchemeTreeItem *node, int *count)
{
    if (QWidget *w = node->getWidget()) {
        ++*count;
        w->show();
    }
    for (AbstractSchemeTreeItem *child : node->childNodes())
        buildEditors(child, count);
}

} // namespace

class tst_MachineSchemes : public WindowTestCase
{
    Q_OBJECT

public:
    tst_MachineSchemes()
        : WindowTestCase(QStringLiteral("TarvikMachineSchemesTest"))
    {}

private slots:
    void catalogueEntries_data();
    void catalogueEntries();
    void treeItemsAndEditors();
    void roundTrip();
    void loadedFixedDeviceIsTheCatalogueInstance();
    void joystickEditorEmits();
    void buttonEditInSendIsSentAtOnce();
    void autoDetectedSensorJoinsTheBridge();
    void saeJoystickEditorEmits();
};

void tst_MachineSchemes::catalogueEntries_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("functions");
    QTest::addColumn<bool>("tuned");
    QTest::newRow("cabin controller")
        << QByteArray("cabin_controller") << 0x0A << "CabinController" << 1 << false;
    QTest::newRow("support controller")
        << QByteArray("hydro_support_controller") << 0x80 << "SupportController" << 1 << false;
    QTest::newRow("support indication panel")
        << QByteArray("support_indication_panel") << 0x9C << "SupportIndicationPanel" << 2 << true;
    QTest::newRow("external panel")
        << QByteArray("control_panel_ext") << 0x9D << "ControlPanelDevice" << 2 << true;
    QTest::newRow("lower panel") << QByteArray("control_panel_low") << 0x9E << "ControlPanelDevice"
                                 << 2 << true;
    QTest::newRow("upper panel") << QByteArray("control_panel_upper") << 0x9F
                                 << "ControlPanelDevice" << 2 << true;
    QTest::newRow("controller") << QByteArray("controller") << 0xA0 << "ControllerDevice" << 5
                                << true;
}

void tst_MachineSchemes::catalogueEntries()
{
    QFETCH(QByteArray, key);
    QFETCH(int, address);
    QFETCH(QString, className);
    QFETCH(int, functions);
    QFETCH(bool, tuned);
    CanDeviceFactory *factory = m_window->catalogue();
    const AbstractDeviceFactory::Entry entry = factory->getEntry(key);
    QVERIFY(entry);
    QCOMPARE(entry->address, (ItemAddress{ItemAddress::J1939, quint32(address)}));
    std::unique_ptr<AbstractDisplayableItem> device(factory->createDevice(key));
    QVERIFY(device);
    QCOMPARE(QString::fromLatin1(device->metaObject()->className()), className);
    QCOMPARE(device->address().value, quint32(address));
    QCOMPARE(device->children().size(), functions);
    // Tune variables are reached through the unit's own tune function.
    QCOMPARE(device->findChild<TuneFunction *>(QString(), Qt::FindDirectChildrenOnly) != nullptr,
             tuned);
    QCOMPARE(device->findChild<ControllerMachineStateDeviceFunction *>(QString(),
                                                                       Qt::FindDirectChildrenOnly)
                 != nullptr,
             className == QLatin1String("ControllerDevice"));
    QCOMPARE(factory->getDevice(key), device.get());
    // A fixed-address kind exists once.
    QVERIFY(!factory->createDevice(key));
    QVERIFY(!factory->createDeviceFromKey(key, entry->address));
    // The controller's function catalogue offers the bridge and the basic joystick messages.
    AbstractDeviceFactory *functions_ = device->subFactory();
    QVERIFY(functions_->getEntry("zbus"));
    QCOMPARE(functions_->getEntry("zbus")->address.value, 0xFF34u);
    QVERIFY(functions_->getEntry("bjm2"));
    QCOMPARE(functions_->getEntry("bjm2")->address.value, 0xFDD8u);
}

void tst_MachineSchemes::treeItemsAndEditors()
{
    CanDeviceFactory *factory = m_window->catalogue();
    QList<AbstractDisplayableItem *> devices;
    for (const char *key : {"cabin_controller", "hydro_support_controller",
                            "support_indication_panel", "control_panel_ext", "controller"})
        devices << factory->createDevice(QByteArray(key));
    AbstractDisplayableItem *joystickUnit
        = factory->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x4A});
    AbstractDisplayableItem *bjm = joystickUnit->factoryCreateChild("bjm1");
    QVERIFY(qobject_cast<BasicJoystickMessageFunction *>(bjm));
    devices << joystickUnit;
    auto *bridge = childOf<ControllerZBusBridgeDeviceFunction>(devices.at(4));
    for (const char *key : {"zsa-01", "zsk", "zsc"})
        bridge->registerChild(bridge->subFactory()->createDevice(QByteArray(key)));
    for (AbstractDisplayableItem *d : qAsConst(devices))
        m_window->addDisplayable(d);
    SchemeTreeModel *model = m_window->schemeModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(qobject_cast<CCAuxIoSchemeTreeItem *>(devices.at(0)->children().at(0)->treeItem()));
    QVERIFY(qobject_cast<SCAuxIoSchemeTreeItem *>(devices.at(1)->children().at(0)->treeItem()));
    QVERIFY(qobject_cast<SipsfSchemeTreeItem *>(devices.at(2)->children().at(0)->treeItem()));
    QVERIFY(qobject_cast<CpsfSchemeTreeItem *>(devices.at(3)->children().at(0)->treeItem()));
    QVERIFY(qobject_cast<BJMSchemeTreeItem *>(bjm->treeItem()));
    int editors = 0;
    for (AbstractSchemeTreeItem *node : model->topLevelItems())
        buildEditors(node, &editors);
    QVERIFY(editors >= 16);
    // The panel's editor holds both joysticks and all nine buttons.
    QWidget *panel = devices.at(3)->children().at(0)->treeItem()->getWidget();
    QCOMPARE(panel->findChildren<JoystickCompositeWidget *>().size(), 2);
    QCOMPARE(panel->findChildren<QToolButton *>().size(), 9);
    QCOMPARE(bjm->treeItem()->getWidget()->findChildren<SaeJoystickWidget *>().size(), 1);
    // Before any frame the panel's values are not available; then its summary reaches the data
    // column.
    AbstractDisplayableItem *panelState = devices.at(3)->children().at(0);
    model->checkForUpdates();
    QCOMPARE(panelState->treeItem()->data(3, Qt::DisplayRole).toString(),
             QStringLiteral("no data yet"));
    panelState->counterInc();
    model->checkForUpdates();
    const QString summary = panelState->treeItem()->data(3, Qt::DisplayRole).toString();
    QVERIFY2(summary.startsWith(QLatin1String("LJ=[C0,D0] LB=")), qPrintable(summary));
    QVERIFY(!summary.contains(QLatin1Char('%')));
}

void tst_MachineSchemes::roundTrip()
{
    CanDeviceFactory *factory = m_window->catalogue();
    AbstractDisplayableItem *controller = factory->createDevice(QByteArray("controller"));
    auto *bridge = childOf<ControllerZBusBridgeDeviceFunction>(controller);
    AbstractDeviceFactory *sensors = bridge->subFactory();
    AbstractDisplayableItem *at20 = sensors->createDevice(QByteArray("zsa-01"));
    AbstractDisplayableItem *at21
        = sensors->createDeviceFromKey("zsa-01", {ItemAddress::ZBus, 0x21});
    AbstractDisplayableItem *unknown
        = sensors->createDevice(sensors->unknownEntry(), {ItemAddress::ZBus, 0x3F});
    AbstractDisplayableItem *zsl = sensors->createDevice(QByteArray("zsl"));
    for (AbstractDisplayableItem *s : {at20, at21, unknown, zsl}) {
        QVERIFY(s);
        bridge->registerChild(s);
    }
    at20->parameter(QStringLiteral("F"))->setVariantValue(1000);
    at21->parameter(QStringLiteral("F"))->setVariantValue(2000);
    zsl->parameter(QStringLiteral("WIND"))->setVariantValue(12.5);
    AbstractDisplayableItem *panel = factory->createDevice(QByteArray("control_panel_low"));
    auto *state = childOf<ControlPanelStateFunction>(panel);
    state->joystick(ControlPanelStateFunction::LeftJoystick)->setValue(JoystickValue{-40, 90, 2});
    state->parameter(QStringLiteral("B2-Stop"))->setVariantValue(1);
    AbstractDisplayableItem *joystickUnit
        = factory->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x4A});
    auto *bjm
        = static_cast<BasicJoystickMessageFunction *>(joystickUnit->factoryCreateChild("bjm3"));
    SaeJoystickValue sae;
    sae.setPos(QPointF(0.25, -0.5));
    sae.x.detent = 1;
    bjm->joystick()->setValue(sae);
    for (AbstractDisplayableItem *d : {controller, panel, joystickUnit})
        m_window->addDisplayable(d);

    const QString path = m_dir.filePath(QStringLiteral("machine.tvsx"));
    QVERIFY(m_window->schemeController()->serialize(path));
    m_window->schemeController()->clearScheme();
    QVERIFY(!factory->getDevice("controller"));
    QVERIFY(m_window->schemeController()->deserialize(path));
    QVERIFY2(m_window->schemeController()->lastError().isEmpty(),
             qPrintable(m_window->schemeController()->lastError()));
    SchemeTreeModel *model = m_window->schemeModel();
    QCOMPARE(model->rowCount(), 3);

    AbstractDisplayableItem *controllerAgain = topLevel(model, "controller");
    QVERIFY(qobject_cast<ControllerDevice *>(controllerAgain));
    QCOMPARE(controllerAgain->children().size(), 5);
    auto *bridgeAgain = childOf<ControllerZBusBridgeDeviceFunction>(controllerAgain);
    QStringList sensorsAgain;
    for (AbstractDisplayableItem *s : bridgeAgain->children())
        sensorsAgain << QStringLiteral("%1@%2:%3")
                            .arg(QString::fromLatin1(s->metaObject()->className()))
                            .arg(s->address().value, 2, 16, QLatin1Char('0'))
                            .arg(s->parameters().value(1)->toString());
    QCOMPARE(sensorsAgain.join(QLatin1Char(' ')),
             QStringLiteral("ZBusSensorA@20:1000 ZBusSensorA@21:2000 UnknownZBusDevice@3f:"
                            " ZBusSensorL@0f:12.5"));
    AbstractDisplayableItem *panelAgain = topLevel(model, "control_panel_low");
    auto *stateAgain = childOf<ControlPanelStateFunction>(panelAgain);
    QCOMPARE(stateAgain->joystick(ControlPanelStateFunction::LeftJoystick)->value(),
             (JoystickValue{-40, 90, 2}));
    QCOMPARE(stateAgain->parameter(QStringLiteral("B2-Stop"))->toString(), QStringLiteral("1"));
    AbstractDisplayableItem *unitAgain = model->topLevelItems().at(2)->displayable();
    auto *bjmAgain = childOf<BasicJoystickMessageFunction>(unitAgain);
    QVERIFY(bjmAgain);
    QCOMPARE(bjmAgain->number(), 3);
    QCOMPARE(bjmAgain->joystick()->value(), sae);
}

void tst_MachineSchemes::loadedFixedDeviceIsTheCatalogueInstance()
{
    const QByteArray scheme
        = "<devices><device key=\"controller\" address=\"a0\" type=\"j1939\""
          " internal=\"true\" state=\"3\"><func internal=\"true\" key=\"zbus\""
          " address=\"ff34\"><func internal=\"true\" key=\"zse\" address=\"1d\"/>"
          "</func></device></devices>";
    QVERIFY(m_window->schemeController()->load(scheme, QStringLiteral("inline")));
    CanDeviceFactory *factory = m_window->catalogue();
    AbstractDisplayableItem *controller = factory->getDevice("controller");
    QVERIFY(controller);
    QCOMPARE(m_window->schemeModel()->topLevelItems().at(0)->displayable(), controller);
    QVERIFY(!factory->createDevice(QByteArray("controller")));
    QCOMPARE(factory->getParameter(QStringLiteral("controller/ControllerZBusBridge/zse/ANG")) ? 1
                                                                                              : 0,
             1);
    auto *bridge = childOf<ControllerZBusBridgeDeviceFunction>(controller);
    QCOMPARE(bridge->children().size(), 1);
    QVERIFY(qobject_cast<ZBusSensorE *>(bridge->children().at(0)));
}

void tst_MachineSchemes::joystickEditorEmits()
{
    JoystickParameter p;
    const char *signal = nullptr;
    std::unique_ptr<QWidget> w(p.createWidget(&signal));
    auto *editor = qobject_cast<JoystickCompositeWidget *>(w.get());
    QVERIFY(editor);
    QCOMPARE(QByteArray(signal), QByteArray(SIGNAL(valueChanged(JoystickValue))));
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QSignalSpy spy(editor, &JoystickCompositeWidget::valueChanged);
    editor->findChild<QSpinBox *>(QStringLiteral("x"))->setValue(-30);
    QCOMPARE(spy.count(), 1);
    // Clicking the pad's top right corner pushes the stick right and up.
    QWidget *pad = editor->findChild<QWidget *>(QStringLiteral("pad"));
    QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(pad->width() - 3, 3));
    QCOMPARE(spy.count(), 2);
    p.updateFromWidget(editor);
    QVERIFY(p.value().x > 100 && p.value().y > 100);
    // Showing a value emits nothing.
    p.setValue(JoystickValue{5, -6, 1});
    p.updateWidgetValue(editor);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(editor->value(), (JoystickValue{5, -6, 1}));
}

void tst_MachineSchemes::buttonEditInSendIsSentAtOnce()
{
    TestCanHandler handler(m_dispatcher.get());
    QVERIFY(handler.start());
    AbstractDisplayableItem *panel
        = m_window->catalogue()->createDevice(QByteArray("control_panel_ext"));
    m_window->addDisplayable(panel);
    auto *state = childOf<ControlPanelStateFunction>(panel);
    state->setTransmissionInterval(60000); // only the edit sends within the test
    panel->setState(AbstractDisplayableItem::Send);
    QWidget *editor = state->treeItem()->getWidget();
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QToolButton *stop = nullptr;
    for (QToolButton *b : editor->findChildren<QToolButton *>())
        if (b->text() == state->parameter(QStringLiteral("B2-Stop"))->name())
            stop = b;
    QVERIFY(stop);
    const int before = handler.writtenFrames().size();
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_VERIFY(handler.writtenFrames().size() > before);
    const CanMessage sent = handler.writtenFrames().last();
    QCOMPARE(sent.id, 0x10FF329Du);
    QCOMPARE(int(sent.data[5]), 0x40);
}

void tst_MachineSchemes::autoDetectedSensorJoinsTheBridge()
{
    AbstractDisplayableItem *controller
        = m_window->catalogue()->createDevice(QByteArray("controller"));
    m_window->addDisplayable(controller);
    auto *bridge = childOf<ControllerZBusBridgeDeviceFunction>(controller);
    const CanMessage frame
        = makeFrame(0x18FF34A0, {0x1D, 0x00, 0x80, 0xE8, 0x03, 0xFF, 0xFF, 0xFF});
    AbstractCanHandler::MessagePack pack;
    DispatchResult result(DispatchResult::Received, 0);
    m_dispatcher->dispatchMessage(frame, &result);
    QVERIFY(!result.status.testFlag(DispatchResult::Dispatched));
    QCOMPARE(result.item, bridge);
    pack.append({frame, result});
    AutoDetector detector;
    const QList<AbstractDisplayableItem *> created = detector.process(pack);
    QCOMPARE(created.size(), 1);
    QVERIFY(qobject_cast<ZBusSensorE *>(created.at(0)));
    QCOMPARE(created.at(0)->parameter(QStringLiteral("ANG"))->toString(), QStringLiteral("128"));
    m_window->addDisplayable(created.at(0));
    QTRY_COMPARE(created.at(0)->parent(), bridge);
    QVERIFY(bridge->children().contains(created.at(0)));
    // The next frame from that address reaches the sensor; nothing more is created.
    DispatchResult again(DispatchResult::Received, 0);
    m_dispatcher->dispatchMessage(frame, &again);
    QVERIFY(again.status.testFlag(DispatchResult::Dispatched));
    QCOMPARE(again.item, created.at(0));
    QVERIFY(detector.process({{frame, again}}).isEmpty());
}

void tst_MachineSchemes::saeJoystickEditorEmits()
{
    SaeJoystickParameter p;
    const char *signal = nullptr;
    std::unique_ptr<QWidget> w(p.createWidget(&signal));
    auto *editor = qobject_cast<SaeJoystickWidget *>(w.get());
    QVERIFY(editor);
    QCOMPARE(QByteArray(signal), QByteArray(SIGNAL(valueChanged(SaeJoystickValue))));
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QSignalSpy spy(editor, &SaeJoystickWidget::valueChanged);
    QWidget *pad = editor->findChild<QWidget *>(QStringLiteral("pad"));
    // Bottom left: X negative, Y negative (screen y grows downwards).
    QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(3, pad->height() - 3));
    QCOMPARE(spy.count(), 1);
    p.updateFromWidget(editor);
    const SaeJoystickValue v = p.value();
    QCOMPARE(int(v.x.negative), 1);
    QCOMPARE(int(v.y.negative), 1);
    QVERIFY(v.x.position > 900 && v.y.position > 900);
    QCOMPARE(editor->findChild<QLabel *>(QStringLiteral("text"))->text(), v.toString());
}

QTEST_MAIN(tst_MachineSchemes)
#include "tst_machineschemes.moc"
