#include "devicetests/statetestactions.h"

#include "devicetests/devicetest.h"
#include "model/abstractdisplayableitem.h"

#include <cmath>

SaveStateTestAction::SaveStateTestAction(AbstractDisplayableItem *stateItem, DeviceTest *test)
    : TestAction(test)
    , m_stateItem(stateItem)
    , m_explicitItem(true)
{
    setName(tr("Saving the state of %1").arg(stateItem ? stateItem->name() : QString()));
    setDescription(name());
}

SaveStateTestAction::SaveStateTestAction(DeviceTest *test)
    : TestAction(test)
    , m_explicitItem(false)
{
    setName(tr("Saving the state"));
    setDescription(name());
}

AbstractDisplayableItem *SaveStateTestAction::stateItem() const
{
    if (m_explicitItem)
        return m_stateItem.data();
    DeviceTest *t = test();
    AbstractDisplayableItem *device = t ? t->device() : nullptr;
    return device ? device->findItem(QStringLiteral("state")) : nullptr;
}

int SaveStateTestAction::doMatch()
{
    AbstractDisplayableItem *item = stateItem();
    DeviceTest *t = test();
    if (!item || !t) {
        setMessage(tr("There is no state to save"));
        return Fault;
    }
    QList<DeviceTest::SavedValue> saved;
    for (ZxParameter *parameter : item->parameters())
        saved.append({item, parameter, parameter->variantValue()});
    t->setSavedState(saved);
    return Passed;
}

StateCheckTestAction::StateCheckTestAction(DeviceTest *test)
    : TestAction(test)
{
    AbstractDisplayableItem *device = test ? test->device() : nullptr;
    setName(tr("%1 state stability test").arg(device ? device->name() : QString()));
    setDescription(name());
}

bool StateCheckTestAction::sameValue(const QVariant &saved, const QVariant &current)
{
    const auto isFloat = [](const QVariant &v) {
        return v.userType() == QMetaType::Double || v.userType() == QMetaType::Float;
    };
    if (isFloat(saved) && isFloat(current)) {
        const double a = saved.toDouble();
        const double b = current.toDouble();
        return a == b || (std::isnan(a) && std::isnan(b));
    }
    return saved == current;
}

int StateCheckTestAction::doMatch()
{
    DeviceTest *t = test();
    if (!t || t->savedState().isEmpty()) {
        setMessage(tr("No state was saved to compare with"));
        return Fault;
    }
    for (const DeviceTest::SavedValue &saved : t->savedState()) {
        if (m_excluded.contains(saved.parameter))
            continue;
        if (!saved.owner) {
            setMessage(tr("The unit of this step is no longer in the scheme"));
            return Fault;
        }
        if (!sameValue(saved.value, saved.parameter->variantValue())) {
            setMessage(tr("State mismatch in parameter %1").arg(saved.parameter->name()));
            return Fault;
        }
    }
    setMessage(QString());
    return Passed;
}

PowerTestClause::PowerTestClause(bool on, DeviceTest *test)
    : TestClause(test)
    , m_on(on)
{
    AbstractDisplayableItem *device = test ? test->device() : nullptr;
    const QString name = device ? device->name() : QString();
    setName(on ? tr("%1 power on test").arg(name) : tr("%1 power off test").arg(name));
    setDescription(on ? tr("Set %1 power on and wait a bit").arg(name)
                      : tr("Set %1 power off and wait a bit").arg(name));
}

static void collectSupervised(AbstractDisplayableItem *item, int *ok, int *late)
{
    const int state = item->state();
    if ((item->deviceType() & AbstractDisplayableItem::Continuous) != 0) {
        if (state == AbstractDisplayableItem::ReceiveOk)
            ++*ok;
        else if (state == AbstractDisplayableItem::ReceiveWarning
                 || state == AbstractDisplayableItem::ReceiveError)
            ++*late;
    }
    for (AbstractDisplayableItem *child : item->children())
        collectSupervised(child, ok, late);
}

int PowerTestClause::doMatch()
{
    DeviceTest *t = test();
    AbstractDisplayableItem *device = t ? t->device() : nullptr;
    if (!device) {
        setMessage(tr("The unit of this step is no longer in the scheme"));
        return Fault;
    }
    int ok = 0;
    int late = 0;
    collectSupervised(device, &ok, &late);
    if (ok == 0 && late == 0) {
        setMessage(tr("Device %1 is not being received").arg(device->name()));
        return Warning;
    }
    const bool poweredOn = ok > 0;
    return poweredOn == m_on ? ConditionMet : Waiting;
}

StandInTestAction::StandInTestAction(AbstractDisplayableItem *unit, bool takeOver,
                                     DeviceTest *test)
    : TestClause(test)
    , m_unit(unit)
    , m_takeOver(takeOver)
{
    const QString name = unit ? unit->name() : QString();
    setName(takeOver ? tr("The tool stands in for %1").arg(name)
                     : tr("%1 handed back to the machine").arg(name));
    setDescription(takeOver ? tr("The tool sends for %1; wait a bit").arg(name)
                            : tr("The tool no longer sends for %1: its own frames are checked "
                                 "from now on")
                                  .arg(name));
}

int StandInTestAction::doMatch()
{
    DeviceTest *t = test();
    if (!m_unit || !t) {
        setMessage(tr("The unit of this step is no longer in the scheme"));
        return Fault;
    }
    if (!m_takeOver) {
        t->setUnitState(m_unit, AbstractDisplayableItem::ReceiveOk);
        return Passed;
    }
    t->setUnitState(m_unit, AbstractDisplayableItem::Send);
    // The state changes in the unit's own thread: the machine settles from then on.
    return m_unit->state() == AbstractDisplayableItem::Send ? ConditionMet : Waiting;
}
