#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/editors/wheelguard.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "support/windowtestcase.h"
#include "ui/editors/hexaddressdialog.h"

#include <QAction>
#include <QBrush>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

int rowOfKey(const DeviceConstructorModel *model, const QByteArray &key)
{
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->factory()->entry(r)->key == key)
            return r;
    }
    return -1;
}

struct WheelRow
{
    const char *editor; // "int", "float" or "list"
    bool focused;
    int state;
    bool changes;
};

} // namespace

Q_DECLARE_METATYPE(WheelRow)

class tst_DeliberateEditing : public WindowTestCase
{
    Q_OBJECT

public:
    tst_DeliberateEditing()
        : WindowTestCase(QStringLiteral("TarvikDeliberateEditingTest"))
    {}

private slots:
    void wheelNeedsFocus_data();
    void wheelNeedsFocus();
    void wheelGuardsEditorsBuiltLater();
    void hexAddressText_data();
    void hexAddressText();
    void hexAddressDialog();
    void stubAddressIsHexadecimal();
    void occupiedAddressRefused();
    void shortPeriodAsks_data();
    void shortPeriodAsks();

};

void tst_DeliberateEditing::wheelNeedsFocus_data()
{
    QTest::addColumn<WheelRow>("row");
    const int send = AbstractDisplayableItem::Send;
    const int receive = AbstractDisplayableItem::ReceiveOk;
    QTest::newRow("spin box without focus, sending: nothing")
        << WheelRow{"int", false, send, false};
    QTest::newRow("spin box with focus, sending: steps and sends")
        << WheelRow{"int", true, send, true};
    QTest::newRow("double spin box without focus") << WheelRow{"float", false, send, false};
    QTest::newRow("double spin box with focus") << WheelRow{"float", true, send, true};
    QTest::newRow("combo box without focus") << WheelRow{"list", false, send, false};
    QTest::newRow("combo box with focus") << WheelRow{"list", true, send, true};
    QTest::newRow("spin box of a receiving item") << WheelRow{"int", false, receive, false};
}

void tst_DeliberateEditing::wheelNeedsFocus()
{
    QFETCH(WheelRow, row);
    TestCanHandler handler(m_dispatcher.get());
    QVERIFY(handler.start());
    auto *device = new J1939Device(0x21);
    auto *f = new BindingFunction(0xFE, 0xF1, device);
    ZxParameter *intValue = f->addIntParameter(QStringLiteral("Int"));
    ZxParameter *floatValue = f->addField(QStringLiteral("Float"), 0, 0, 8);
    ZxParameter *listValue = f->addListParameter(
        QStringLiteral("List"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    intValue->setVariantValue(5);
    floatValue->setVariantValue(5);
    listValue->setVariantValue(1);
    f->setDeviceType(AbstractDisplayableItem::SpontaneousCommit, 0);
    f->setState(row.state);
    m_window->addDisplayable(device);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_window->mainView()->setCurrentIndex(m_window->schemeModel()->index(f->existingTreeItem(), 1));

    auto *panel = m_window->findChild<QScrollArea *>(QStringLiteral("detailsScrollArea"));
    QWidget *editor = nullptr;
    ZxParameter *parameter = nullptr;
    const QString kind = QLatin1String(row.editor);
    if (kind == QLatin1String("int")) {
        editor = panel->findChild<QSpinBox *>();
        parameter = intValue;
    } else if (kind == QLatin1String("float")) {
        editor = panel->findChild<QDoubleSpinBox *>();
        parameter = floatValue;
    } else {
        editor = panel->findChild<QComboBox *>();
        parameter = listValue;
    }
    QVERIFY(editor);
    QVERIFY(WheelGuard::isGuarded(editor));
    // The wheel never takes the focus on its own.
    QVERIFY((editor->focusPolicy() & Qt::WheelFocus) != Qt::WheelFocus);
    if (row.focused) {
        editor->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(editor->hasFocus());
    } else {
        m_window->mainView()->setFocus();
        QTRY_VERIFY(!editor->hasFocus());
    }
    const QString before = parameter->toString();
    const QPoint center = editor->rect().center();
    QWheelEvent wheel(center, editor->mapToGlobal(center), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(editor, &wheel);
    QCOMPARE(parameter->toString() != before, row.changes);
    QCOMPARE(f->transmitCount(), row.changes ? 1 : 0);
    QCOMPARE(handler.writtenFrames().size(), row.changes ? 1 : 0);
}

void tst_DeliberateEditing::wheelGuardsEditorsBuiltLater()
{
    QWidget root;
    auto *early = new QSpinBox(&root);
    WheelGuard::install(&root);
    QVERIFY(WheelGuard::isGuarded(early));
    QCOMPARE(early->focusPolicy(), Qt::StrongFocus);
    auto *late = new QComboBox(&root);
    late->addItems({QStringLiteral("x"), QStringLiteral("y")});
    root.show();
    QVERIFY(QTest::qWaitForWindowExposed(&root));
    QTRY_VERIFY(WheelGuard::isGuarded(late));
    late->setCurrentIndex(1);
    QWheelEvent wheel(QPointF(5, 5), late->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(late, &wheel);
    QCOMPARE(late->currentIndex(), 1);
    // Refused, not taken: the parent gets its chance to scroll.
    QVERIFY(!wheel.isAccepted());
    // Other widgets keep what they had.
    QVERIFY(!WheelGuard::isValueEditor(&root));
    QCOMPARE(root.focusPolicy(), Qt::NoFocus);
}

void tst_DeliberateEditing::hexAddressText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("maximum");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("value");
    QTest::newRow("lower case") << QStringLiteral("a5") << 0xFFu << true << 0xA5u;
    QTest::newRow("upper case") << QStringLiteral("A5") << 0xFFu << true << 0xA5u;
    QTest::newRow("with 0x") << QStringLiteral("0xA5") << 0xFFu << true << 0xA5u;
    QTest::newRow("with 0X") << QStringLiteral("0Xa5") << 0xFFu << true << 0xA5u;
    QTest::newRow("blanks around") << QStringLiteral(" 51 ") << 0xFFu << true << 0x51u;
    QTest::newRow("one digit") << QStringLiteral("5") << 0xFFu << true << 0x5u;
    QTest::newRow("highest") << QStringLiteral("ff") << 0xFFu << true << 0xFFu;
    QTest::newRow("zero") << QStringLiteral("0x00") << 0xFFu << true << 0u;
    QTest::newRow("out of range") << QStringLiteral("100") << 0xFFu << false << 0u;
    QTest::newRow("wider range") << QStringLiteral("7ff") << 0x7FFu << true << 0x7FFu;
    QTest::newRow("empty") << QString() << 0xFFu << false << 0u;
    QTest::newRow("prefix only") << QStringLiteral("0x") << 0xFFu << false << 0u;
    QTest::newRow("not a digit") << QStringLiteral("g5") << 0xFFu << false << 0u;
    QTest::newRow("digit then garbage") << QStringLiteral("a5z") << 0xFFu << false << 0u;
    QTest::newRow("negative") << QStringLiteral("-1") << 0xFFu << false << 0u;
    QTest::newRow("blank inside") << QStringLiteral("a 5") << 0xFFu << false << 0u;
    QTest::newRow("prefix twice") << QStringLiteral("0x0x5") << 0xFFu << false << 0u;
    QTest::newRow("nine digits") << QStringLiteral("000000001") << 0xFFFFFFFFu << false << 0u;
}

void tst_DeliberateEditing::hexAddressText()
{
    QFETCH(QString, text);
    QFETCH(uint, maximum);
    QFETCH(bool, ok);
    QFETCH(uint, value);
    quint32 parsed = 0xDEAD;
    QCOMPARE(HexAddressDialog::parse(text, maximum, &parsed), ok);
    QCOMPARE(parsed, ok ? value : 0xDEADu);
}

void tst_DeliberateEditing::hexAddressDialog()
{
    HexAddressDialog dialog(QStringLiteral("Address"), QStringLiteral("Device address"), 0x3, 0xFF);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *range = dialog.findChild<QLabel *>(QStringLiteral("addressRangeLabel"));
    QVERIFY(range);
    QCOMPARE(range->text(), QStringLiteral("Hexadecimal, 0x00 to 0xff"));
    QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("0x03"));
    auto *ok = dialog.findChild<QPushButton *>();
    for (QPushButton *b : dialog.findChildren<QPushButton *>()) {
        if (b->text().remove(QLatin1Char('&')) == QLatin1String("OK"))
            ok = b;
    }
    QVERIFY(ok->isEnabled());
    dialog.lineEdit()->clear();
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(dialog.lineEdit(), QStringLiteral("a5"));
    QVERIFY(ok->isEnabled());
    QCOMPARE(dialog.value(), 0xA5u);
    dialog.lineEdit()->setText(QStringLiteral("1a5"));
    QVERIFY(!ok->isEnabled());
    QVERIFY(!dialog.hasAcceptableInput());
    dialog.lineEdit()->setText(QStringLiteral("0x51"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.value(), 0x51u);
}

void tst_DeliberateEditing::stubAddressIsHexadecimal()
{
    DeviceConstructorModel *model = m_window->constructorModel();
    const int stub = rowOfKey(model, "empty_device");
    QVERIFY(stub >= 0);
    m_window->findChild<QRadioButton *>(QStringLiteral("addModeAutoButton"))->setChecked(true);
    m_window->intAnswer = 0xA5;
    m_window->on_constructorView_activated(model->index(stub, 0));
    QCOMPARE(m_window->asked.last(), QStringLiteral("Address|Device address|0|255"));
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    AbstractDisplayableItem *item = m_window->schemeModel()->topLevelItems().at(0)->displayable();
    QCOMPARE(item->address().value, 0xA5u);
    QVERIFY(item->hasFlag(AbstractDisplayableItem::AutoFlag));
    // Cancelling the address dialog adds nothing, whatever address was typed.
    m_window->accept = false;
    m_window->intAnswer = 0xA6;
    m_window->on_constructorView_activated(model->index(stub, 0));
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
}

void tst_DeliberateEditing::occupiedAddressRefused()
{
    CanDeviceFactory *factory = m_window->catalogue();
    factory->appendEntry(DeviceFactoryEntry("pedal_unit", {ItemAddress::J1939, 0x51},
                                            QStringLiteral("Pedal unit"), QString(), QString(),
                                            [] { return new J1939Device; }));
    DeviceConstructorModel *model = m_window->constructorModel();
    const QModelIndex pedal = model->index(rowOfKey(model, "pedal_unit"), 0);
    QVERIFY(pedal.isValid());
    QVERIFY(model->isAvailable(pedal));
    QVERIFY(!model->data(pedal, Qt::BackgroundRole).isValid());

    // Auto-add finds a unit at 0x51 first.
    AbstractDisplayableItem *unknown = factory->createDevice(makeFrame(0x18FEF151, {}));
    QVERIFY(unknown);
    m_window->addDisplayable(unknown);
    m_window->constructorModel()->refresh();
    const QModelIndex taken = model->index(rowOfKey(model, "pedal_unit"), 1);
    QVERIFY(!model->isAvailable(taken));
    QCOMPARE(model->occupant(taken), unknown);
    QCOMPARE(model->data(taken, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::gray));
    // Another address is still free for the same entry kind.
    const QModelIndex stub = model->index(rowOfKey(model, "empty_device"), 0);
    QVERIFY(model->isAvailable(stub));
    QVERIFY(!model->occupant(stub, 0x52));
    QCOMPARE(model->occupant(stub, 0x51), unknown);

    const QString refusal = QStringLiteral("Address 0x51 is already used by Aftertreatment #1 system gas intake (0x51)");
    m_window->on_constructorView_activated(taken);
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    QCOMPARE(m_window->statusBar()->currentMessage(), refusal);
    // The catalogue itself refuses too, whoever asks.
    QVERIFY(!factory->createDevice(QByteArray("pedal_unit")));
    m_window->statusBar()->clearMessage();
    m_window->intAnswer = 0x51;
    m_window->on_constructorView_activated(stub);
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    QCOMPARE(m_window->statusBar()->currentMessage(), refusal);

    // Once the unit is gone, the address is free again.
    m_window->mainView()->setCurrentIndex(
        m_window->schemeModel()->index(unknown->existingTreeItem(), 1));
    action("actionDeleteDevice")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QModelIndex freed = model->index(rowOfKey(model, "pedal_unit"), 0);
    QVERIFY(model->isAvailable(freed));
    m_window->on_constructorView_activated(freed);
    QCOMPARE(m_window->schemeModel()->rowCount(), 1);
    QCOMPARE(m_window->schemeModel()->topLevelItems().at(0)->displayable()->name(),
             QStringLiteral("Pedal unit"));
}

void tst_DeliberateEditing::shortPeriodAsks_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<int>("result");
    QTest::newRow("1 ms, no: the old period stays") << 1 << false << true << 250;
    QTest::newRow("1 ms, yes") << 1 << true << true << 1;
    QTest::newRow("9 ms, no") << 9 << false << true << 250;
    QTest::newRow("10 ms: no question") << 10 << false << false << 10;
    QTest::newRow("0: sends on change only, no question") << 0 << false << false << 0;
    QTest::newRow("-1: no periodic sending, no question") << -1 << false << false << -1;
}

void tst_DeliberateEditing::shortPeriodAsks()
{
    QFETCH(int, period);
    QFETCH(bool, confirm);
    QFETCH(bool, asks);
    QFETCH(int, result);
    auto *device = new J1939Device(0x30);
    device->setDeviceType(AbstractDisplayableItem::Continuous, 250);
    m_window->addDisplayable(device);
    m_window->mainView()->setCurrentIndex(
        m_window->schemeModel()->index(device->existingTreeItem(), 1));
    m_window->intAnswer = period;
    m_window->confirm = confirm;
    action("actionSetTransmissionInterval")->trigger();
    QCOMPARE(m_window->asked.first(),
             QStringLiteral("Period|Transmission period, ms|250|0|2147483647"));
    QCOMPARE(m_window->asked.size(), asks ? 2 : 1);
    if (asks)
        QVERIFY(m_window->asked.last().startsWith(
            QStringLiteral("Period|A period of %1 ms is shorter than").arg(period)));
    QCOMPARE(device->transmissionInterval(), result);
}

QTEST_MAIN(tst_DeliberateEditing)
#include "tst_deliberateediting.moc"
