#include "model/editors/hexintvalidator.h"
#include "model/editors/notavailablecombobox.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxparameterlink.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>

#include <memory>

class tst_ParameterLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void focusAndMouseFollowState();
    void commitTransmission_data();
    void commitTransmission();
    void updateDoesNotEcho();
    void deadWidgetsForgotten();
    void linkStoredInWidget();
    void notAvailableUntilFirstFrame();
    void listEditorShowsNotAvailable_data();
    void listEditorShowsNotAvailable();
    void listEditorPickIsTheUsersValue();
    void hexValidator_data();
    void hexValidator();
};

// A function that has received nothing shows "n/a" in its editors and their tool tips, not 0.
void tst_ParameterLink::notAvailableUntilFirstFrame()
{
    J1939Device device(0x21);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    ZxParameter *speed = f->addField(QStringLiteral("Speed"), 0, 0, 8);
    f->setState(AbstractDisplayableItem::ReceiveOk);
    ZxParameterLink link(speed, nullptr);
    link.setDisplayable(f);
    std::unique_ptr<QWidget> widget(link.createWidget(nullptr));
    auto *box = qobject_cast<QAbstractSpinBox *>(widget.get());
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("n/a"));
    QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), widget->mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(widget.get(), &tip);
    QVERIFY(QToolTip::text().startsWith(QStringLiteral("n/a - ")));
    link.doUpdate();
    QCOMPARE(box->text(), QStringLiteral("n/a"));

    DispatchResult r;
    QVERIFY(f->dispatchMessage(makeFrame(f->canMessageId(), {42}), &r));
    link.doUpdate();
    QVERIFY2(box->text().startsWith(QStringLiteral("42")), qPrintable(box->text()));
    // The bus's own not-available pattern: "n/a" again.
    QVERIFY(f->dispatchMessage(makeFrame(f->canMessageId(), {0xFF}), &r));
    link.doUpdate();
    QCOMPARE(box->text(), QStringLiteral("n/a"));
}

void tst_ParameterLink::listEditorShowsNotAvailable_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("validity"); // 0 not available, 1 valid, 2 error indicator
    QTest::addColumn<QString>("shown");
    QTest::newRow("never received") << 0 << 0 << "n/a";
    QTest::newRow("not available keeps the index") << 2 << 0 << "n/a";
    QTest::newRow("error indicator") << 1 << 2 << "error";
    QTest::newRow("valid first entry") << 0 << 1 << "Off";
    QTest::newRow("valid last entry") << 2 << 1 << "Blink";
}

void tst_ParameterLink::listEditorShowsNotAvailable()
{
    QFETCH(int, value);
    QFETCH(int, validity);
    QFETCH(QString, shown);
    ZxListParameter list({QStringLiteral("Off"), QStringLiteral("On"), QStringLiteral("Blink")});
    list.setValue(value);
    list.setValid(validity == 1);
    if (validity == 2)
        list.setError();
    bool ok = false;
    const char *changed = nullptr;
    std::unique_ptr<QWidget> widget(list.createWidget(&ok, &changed));
    auto *box = qobject_cast<NotAvailableComboBox *>(widget.get());
    QVERIFY(box);
    QCOMPARE(box->displayText(), shown);
    QCOMPARE(box->currentIndex(), value);
    // The closed box paints what it shows.
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    // A value that arrives replaces the text; losing it brings the text back.
    list.setValue(1);
    list.setValid(true);
    list.updateWidgetValue(box);
    QCOMPARE(box->displayText(), QStringLiteral("On"));
    list.setValid(false);
    list.updateWidgetValue(box);
    QCOMPARE(box->displayText(), QStringLiteral("n/a"));
}

void tst_ParameterLink::listEditorPickIsTheUsersValue()
{
    ZxListParameter list({QStringLiteral("Off"), QStringLiteral("On")});
    list.setValid(false);
    bool ok = false;
    const char *changed = nullptr;
    std::unique_ptr<QWidget> widget(list.createWidget(&ok, &changed));
    auto *box = qobject_cast<NotAvailableComboBox *>(widget.get());
    QVERIFY(box);
    QVERIFY(box->isNotAvailable());
    // Picking the entry already current is still a choice: the text goes.
    emit box->activated(0);
    QVERIFY(!box->isNotAvailable());
    QCOMPARE(box->displayText(), QStringLiteral("Off"));
}

void tst_ParameterLink::focusAndMouseFollowState()
{
    J1939Device device(0x21);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    auto *flag = f->addBoolParameter(QStringLiteral("Flag"));
    f->setState(AbstractDisplayableItem::ReceiveOk);
    ZxParameterLink link(flag, nullptr);
    link.setDisplayable(f);
    std::unique_ptr<QWidget> widget(link.createWidget(nullptr));
    auto *box = qobject_cast<QCheckBox *>(widget.get());
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    // Nothing received yet: neither ticked nor clear.
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked); // the mouse is swallowed
    QVERIFY(!flag->value());

    f->setState(AbstractDisplayableItem::Send);
    link.doUpdate();
    QVERIFY(box->focusPolicy() != Qt::NoFocus);
    QCOMPARE(box->checkState(), Qt::Unchecked);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QVERIFY(flag->value());

    f->setState(AbstractDisplayableItem::ReceiveOk);
    link.doUpdate();
    QCOMPARE(box->focusPolicy(), Qt::NoFocus);
}

void tst_ParameterLink::commitTransmission_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("transmits");
    QTest::newRow("SpontaneousCommit in Send: once per edit")
        << int(AbstractDisplayableItem::SpontaneousCommit) << int(AbstractDisplayableItem::Send)
        << 3;
    QTest::newRow("ContinuousCommit in Send") << int(AbstractDisplayableItem::ContinuousCommit)
                                              << int(AbstractDisplayableItem::Send) << 3;
    QTest::newRow("Continuous: only on its period")
        << int(AbstractDisplayableItem::Continuous) << int(AbstractDisplayableItem::Send) << 0;
    QTest::newRow("committing but receiving") << int(AbstractDisplayableItem::SpontaneousCommit)
                                              << int(AbstractDisplayableItem::ReceiveOk) << 0;
}

void tst_ParameterLink::commitTransmission()
{
    QFETCH(int, type);
    QFETCH(int, state);
    QFETCH(int, transmits);
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x21);
    handler.adopt(&device);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    ZxParameter *value = f->addField(QStringLiteral("v"), 0, 0, 8);
    f->setDeviceType(AbstractDisplayableItem::DeviceType(type), 60000);
    f->setState(state);
    ZxParameterLink link(value, nullptr);
    link.setDisplayable(f);
    std::unique_ptr<QWidget> widget(link.createWidget(nullptr));
    auto *spin = qobject_cast<QDoubleSpinBox *>(widget.get());
    QVERIFY(spin);
    for (int v : {10, 20, 30})
        spin->setValue(v);
    QCOMPARE(f->transmitCount(), transmits);
    QCOMPARE(handler.writtenFrames().size(), transmits);
    if (transmits)
        QCOMPARE(int(handler.writtenFrames().last().data[0]), 30);
    QCOMPARE(value->toString(), QStringLiteral("30"));
}

void tst_ParameterLink::updateDoesNotEcho()
{
    TestCanHandler handler;
    QVERIFY(handler.start());
    J1939Device device(0x21);
    auto *f = new BindingFunction(0xFE, 0xF1, &device);
    auto *speed = f->addIntParameter(QStringLiteral("Speed"));
    f->setDeviceType(AbstractDisplayableItem::SpontaneousCommit, 0);
    f->setState(AbstractDisplayableItem::Send);
    ZxParameterLink link(speed, nullptr);
    link.setDisplayable(f);
    std::unique_ptr<QWidget> widget(link.createWidget(nullptr));
    speed->setValue(77); // a new value arrives from elsewhere
    link.doUpdate();
    QCOMPARE(qobject_cast<QSpinBox *>(widget.get())->value(), 77);
    QCOMPARE(f->transmitCount(), 0);
    QVERIFY(handler.writtenFrames().isEmpty());
}

void tst_ParameterLink::deadWidgetsForgotten()
{
    BindingFunction f(0xFE, 0xF1);
    auto *speed = f.addIntParameter(QStringLiteral("Speed"));
    ZxParameterLink link(speed, nullptr);
    link.setDisplayable(&f);
    QWidget *a = link.createWidget(nullptr);
    std::unique_ptr<QWidget> b(link.createWidget(nullptr));
    QCOMPARE(link.widgetCount(), 2);
    delete a;
    speed->setValue(5);
    link.doUpdate(); // must not touch the dead widget
    QCOMPARE(link.widgetCount(), 1);
    QCOMPARE(qobject_cast<QSpinBox *>(b.get())->value(), 5);
}

void tst_ParameterLink::linkStoredInWidget()
{
    BindingFunction f(0xFE, 0xF1);
    auto *speed = f.addIntParameter(QStringLiteral("Speed"));
    speed->setDescription(QStringLiteral("Engine speed"));
    std::unique_ptr<ZxParameterLink> link(speed->createDefaultLink());
    QVERIFY(!link->parent());
    const char *signal = nullptr;
    bool ok = false;
    std::unique_ptr<QWidget> widget(link->createWidget(&ok, &signal));
    QVERIFY(ok);
    QCOMPARE(QByteArray(signal), QByteArray(SIGNAL(valueChanged(int))));
    QCOMPARE(ZxParameterLink::get(widget.get()), link.get());
    QCOMPARE(widget->toolTip(), QStringLiteral("Engine speed"));
    QWidget plain;
    QVERIFY(!ZxParameterLink::get(&plain));
}

void tst_ParameterLink::hexValidator_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<int>("state");
    QTest::newRow("0x12G3456 with 4 digits") << 4 << "0x12G3456"
                                             << "1234" << int(QValidator::Acceptable);
    QTest::newRow("empty is acceptable") << 4 << "" << "" << int(QValidator::Acceptable);
    QTest::newRow("upper-case prefix") << 8 << "0XdeadBEEF"
                                       << "deadBEEF" << int(QValidator::Acceptable);
    QTest::newRow("no digits at all") << 2 << "zz" << "" << int(QValidator::Acceptable);
}

void tst_ParameterLink::hexValidator()
{
    QFETCH(int, digits);
    QFETCH(QString, input);
    QFETCH(QString, fixed);
    QFETCH(int, state);
    HexIntValidator validator(digits);
    QString s = input;
    validator.fixup(s);
    QCOMPARE(s, fixed);
    QString v = input;
    int pos = v.size();
    QCOMPARE(int(validator.validate(v, pos)), state);
    QVERIFY(pos <= v.size());
}

QTEST_MAIN(tst_ParameterLink)
#include "tst_parameterlink.moc"
