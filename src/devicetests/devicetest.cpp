#include "devicetests/devicetest.h"
#include "devicetests/devicetestreport.h"
#include "diagnostics/journalnotes.h"

#include "devicetests/statetestactions.h"
#include "model/abstractdisplayableitem.h"
#include "model/zxlistparameter.h"

#include <QDebug>

DeviceTest::DeviceTest(AbstractDisplayableItem *device, QObject *parent)
    : QObject(parent)
    , m_device(device)
{
    m_timer.setInterval(DefaultRefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DeviceTest::slotRefreshTimeout);
}

DeviceTest::~DeviceTest()
{
    m_timer.stop();
    restoreWrittenParameters();
}

void DeviceTest::addTest(TestAction *step, TestAction *precondition)
{
    if (!step)
        return;
    m_items.append(TestItem{step, precondition});
    m_records.append(StepRecord());
}

void DeviceTest::addOwnedObject(QObject *object)
{
    if (object && object != this)
        object->setParent(this);
}

void DeviceTest::addRelatedItem(AbstractDisplayableItem *item)
{
    if (item)
        m_related.append(item);
}

static AbstractDisplayableItem *findOwner(AbstractDisplayableItem *item, const ZxParameter *p)
{
    if (!item)
        return nullptr;
    for (ZxParameter *candidate : item->parameters()) {
        if (candidate == p)
            return item;
    }
    for (AbstractDisplayableItem *child : item->children()) {
        if (AbstractDisplayableItem *owner = findOwner(child, p))
            return owner;
    }
    return nullptr;
}

AbstractDisplayableItem *DeviceTest::ownerOf(const ZxParameter *parameter) const
{
    if (!parameter)
        return nullptr;
    if (AbstractDisplayableItem *owner = findOwner(m_device.data(), parameter))
        return owner;
    for (const QPointer<AbstractDisplayableItem> &related : m_related) {
        if (AbstractDisplayableItem *owner = findOwner(related.data(), parameter))
            return owner;
    }
    return nullptr;
}

void DeviceTest::start()
{
    // A test without steps has nothing to show as passed.
    if (m_items.isEmpty())
        return;
    m_records.fill(StepRecord(), m_items.size());
    m_index = 0;
    m_started = QDateTime::currentDateTime();
    m_ended = QDateTime();
    resetCurrent();
    setRunState(Running);
    emit currentTestChanged(0);
    m_timer.start();
}

void DeviceTest::skipTest()
{
    if (!isRunning())
        return;
    // A step whose own check found a fault failed. Moving on from a step that waited, warned
    // or was held by its precondition (another part of the unit changed meanwhile) skips it:
    // it was never checked. Either way its last message stays in the record as the reason.
    advance(m_lastShown == TestAction::Fault && !m_lastFromPrecondition ? Failed : Skipped);
}

bool DeviceTest::involves(const QObject *item) const
{
    for (const QObject *o = item; o; o = o->parent()) {
        if (o == m_device.data())
            return true;
        for (const QPointer<AbstractDisplayableItem> &related : m_related) {
            if (related && o == related.data())
                return true;
        }
    }
    return false;
}

void DeviceTest::stop()
{
    m_timer.stop();
    if (isRunning()) {
        m_ended = QDateTime::currentDateTime();
        setRunState(Cancelled);
    }
    emit stopped();
    restoreWrittenParameters();
}

TestAction *DeviceTest::currentTest() const
{
    return currentTestItem().step;
}

DeviceTest::TestItem DeviceTest::currentTestItem() const
{
    if (m_index < 0 || m_index >= m_items.size())
        return TestItem();
    return m_items.at(m_index);
}

QString DeviceTest::errorString() const
{
    const TestItem item = currentTestItem();
    if (item.precondition && !item.precondition->message().isEmpty())
        return item.precondition->message();
    return item.step ? item.step->message() : QString();
}

QList<TestAction *> DeviceTest::tests() const
{
    QList<TestAction *> steps;
    for (const TestItem &item : m_items)
        steps.append(item.step);
    return steps;
}

void DeviceTest::slotRefreshTimeout()
{
    const TestItem item = currentTestItem();
    if (!isRunning() || !item.step)
        return;
    if (item.precondition) {
        const int pre = item.precondition->match();
        if (pre != TestAction::Passed) {
            qDebug("Pretest failure");
            // The step's condition must hold without interruption: start counting again.
            item.step->resetStability();
            emit progressChanged(0);
            showResult(pre, errorString());
            m_lastFromPrecondition = true;
            return;
        }
    }
    const int result = item.step->match();
    emit progressChanged(item.step->stability());
    if (result == TestAction::Passed)
        advance(Passed);
    else
        showResult(result, item.step->message());
}

void DeviceTest::showResult(int result, const QString &text)
{
    m_lastShown = result;
    m_lastFromPrecondition = false;
    if (result == TestAction::Warning || result == TestAction::Fault) {
        if (m_index >= 0 && m_index < m_records.size())
            m_records[m_index].lastMessage = text;
        if (result == TestAction::Warning)
            emit showWarningMessage(text);
        else
            emit showFaultMessage(text);
        return;
    }
    emit hideMessage();
}

void DeviceTest::advance(StepResult result)
{
    StepRecord &record = m_records[m_index];
    record.result = result;
    record.finished = QDateTime::currentDateTime();
    ++m_index;
    if (m_index >= m_items.size()) {
        m_timer.stop();
        m_ended = record.finished;
        setRunState(Complete);
    } else {
        resetCurrent();
    }
    emit currentTestChanged(m_index);
}

void DeviceTest::resetCurrent()
{
    m_lastShown = TestAction::Waiting;
    m_lastFromPrecondition = false;
    const TestItem item = currentTestItem();
    if (item.step)
        item.step->resetStability();
    if (item.precondition)
        item.precondition->resetStability();
}

void DeviceTest::setRunState(RunState state)
{
    if (m_runState == state)
        return;
    m_runState = state;
    if (state == Complete || state == Cancelled) {
        const TranslatableText summary
            = TranslatableText::catalogue(
                  "DeviceTest",
                  state == Complete
                      ? QT_TRANSLATE_NOOP("DeviceTest", "Acceptance test finished: %1")
                      : QT_TRANSLATE_NOOP("DeviceTest", "Acceptance test stopped: %1"))
                  .arg(DeviceTestReport::summaryWords(this));
        JournalNotes::note(ServiceJournal::AcceptanceTest,
                           m_device ? JournalNotes::unitLabel(m_device) : QString(), summary,
                           state == Complete ? ServiceJournal::Outcome::Done
                                             : ServiceJournal::Outcome::Cancelled,
                           DeviceTestReport::notPassedWords(this));
    }
    emit runStateChanged(state);
}

void DeviceTest::rememberWrite(AbstractDisplayableItem *owner, ZxParameter *parameter)
{
    if (!owner || !parameter)
        return;
    for (const SavedValue &saved : qAsConst(m_written)) {
        if (saved.parameter == parameter && saved.owner == owner)
            return;
    }
    m_written.append({owner, parameter, parameter->variantValue()});
}

int DeviceTest::restoreWrittenParameters()
{
    int restored = 0;
    for (const SavedValue &saved : qAsConst(m_written)) {
        if (!saved.owner)
            continue;
        if (saved.parameter->setVariantValue(saved.value)) {
            saved.owner->requestTransmitState();
            ++restored;
        }
    }
    m_written.clear();
    // Last in, first out: a unit taken over twice goes back to what it was before the first.
    for (int i = m_unitStates.size() - 1; i >= 0; --i) {
        if (AbstractDisplayableItem *unit = m_unitStates.at(i).unit.data())
            unit->setState(m_unitStates.at(i).before);
    }
    m_unitStates.clear();
    return restored;
}

void DeviceTest::setUnitState(AbstractDisplayableItem *unit, int state)
{
    if (!unit || unit->state() == state)
        return;
    // The unit may live in the bus thread, where the change is queued: it is asked once.
    for (int i = m_unitStates.size() - 1; i >= 0; --i) {
        if (m_unitStates.at(i).unit == unit) {
            if (m_unitStates.at(i).requested == state)
                return;
            break;
        }
    }
    m_unitStates.append({unit, unit->state(), state});
    unit->setState(state);
}

static ListParameterTestClause *listClause(DeviceTest *test, AbstractDisplayableItem *owner,
                                           ZxListParameter *list, int index)
{
    auto *clause = new ListParameterTestClause(owner, list, index, test);
    const QString text = QStringLiteral("%1 - %2").arg(
        list->name(), list->items().value(index, QString::number(index)));
    clause->setName(text);
    clause->setDescription(text);
    return clause;
}

void DeviceTest::createOutputTest(TestAction *off, TestAction *on, ZxParameter *state,
                                  ReturnTestAction mode)
{
    AbstractDisplayableItem *owner = ownerOf(state);
    if (!state || state->type() != ZxParameter::List || !owner || !off || !on) {
        addUnresolved(tr("Output %1: no output state to check")
                          .arg(state ? state->name() : tr("(not found)")));
        return;
    }
    auto *list = static_cast<ZxListParameter *>(state);
    off->setName(tr("Setting output %1 off").arg(list->name()));
    on->setName(tr("Setting output %1 on").arg(list->name()));
    off->setDescription(off->name());
    on->setDescription(on->name());
    addTest(off);
    for (int expected : {0, 2})
        addTest(listClause(this, owner, list, expected));
    addTest(on);
    for (int expected : {1, 3, 5, 6})
        addTest(listClause(this, owner, list, expected));
    addTest(mode == ReturnOff ? off : on);
}

void DeviceTest::createButtonTest(ZxParameter *button)
{
    AbstractDisplayableItem *owner = ownerOf(button);
    if (!button || button->type() != ZxParameter::Bool || !owner) {
        addUnresolved(tr("Button %1: not a button of the units under test")
                          .arg(button ? button->name() : tr("(not found)")));
        return;
    }
    auto *parameter = static_cast<ZxBoolParameter *>(button);
    for (bool expected : {false, true}) {
        auto *clause = new BoolParameterTestClause(owner, parameter, expected, this);
        clause->setName(expected ? tr("%1 - pressed").arg(button->name())
                                 : tr("%1 - released").arg(button->name()));
        clause->setDescription(clause->name());
        addTest(clause);
    }
}

void DeviceTest::createInputTest(ZxParameter *input, const QList<ZxParameter *> &alsoExcluded)
{
    AbstractDisplayableItem *owner = ownerOf(input);
    if (!input || input->type() != ZxParameter::List || !owner) {
        addUnresolved(
            tr("Input %1: no input state to check").arg(input ? input->name() : tr("(not found)")));
        return;
    }
    // The rest of the unit's state is saved right before this input is exercised, so that
    // every input step counts only while nothing else changes.
    auto *save = new SaveStateTestAction(owner, this);
    addTest(save);
    auto *check = new StateCheckTestAction(this);
    check->addExcluded(input);
    for (ZxParameter *follower : alsoExcluded)
        check->addExcluded(follower);
    auto *list = static_cast<ZxListParameter *>(input);
    for (int expected : {0, 1, 2})
        addTest(listClause(this, owner, list, expected), check);
}
