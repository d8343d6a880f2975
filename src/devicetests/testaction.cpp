#include "devicetests/testaction.h"

#include "devicetests/devicetest.h"
#include "model/abstractdisplayableitem.h"

TestAction::TestAction(DeviceTest *test)
    : QObject(test)
{}

DeviceTest *TestAction::test() const
{
    return qobject_cast<DeviceTest *>(parent());
}

int TestAction::match()
{
    const int result = doMatch();
    if (result != ConditionMet) {
        m_stability = 0;
        return result;
    }
    if (m_stability < StableTicks)
        ++m_stability;
    return m_stability >= StableTicks ? Passed : ConditionMet;
}

ParameterTestClause::ParameterTestClause(AbstractDisplayableItem *owner, ZxParameter *parameter,
                                         DeviceTest *test)
    : TestClause(test)
    , m_owner(owner)
    , m_parameter(parameter)
{}

ZxParameter *ParameterTestClause::parameter() const
{
    // Parameters die with their item: never hand out one of an item that is gone.
    return m_owner ? m_parameter : nullptr;
}

int ParameterTestClause::doMatch()
{
    if (!m_owner || !m_parameter) {
        setMessage(tr("The unit of this step is no longer in the scheme"));
        return Fault;
    }
    const int state = m_owner->state();
    const bool received = state == AbstractDisplayableItem::ReceiveOk
                          || state == AbstractDisplayableItem::ReceiveWarning;
    if (!received || !m_parameter->isValid()) {
        setMessage(tr("No data from %1").arg(m_owner->name()));
        return Warning;
    }
    return valueMatches() ? ConditionMet : Waiting;
}

OutputInitTestAction::OutputInitTestAction(bool value, DeviceTest *test)
    : TestAction(test)
    , m_value(value)
{}

int OutputInitTestAction::doMatch()
{
    return setOutput(m_value) ? Passed : Fault;
}

ButtonOutputInitTestAction::ButtonOutputInitTestAction(AbstractDisplayableItem *owner,
                                                       ZxParameter *parameter, bool value,
                                                       DeviceTest *test)
    : OutputInitTestAction(value, test)
    , m_owner(owner)
    , m_parameter(parameter)
{}

bool ButtonOutputInitTestAction::setOutput(bool value)
{
    if (!m_owner || !m_parameter) {
        setMessage(tr("The unit of this step is no longer in the scheme"));
        return false;
    }
    // Only a boolean button can be pressed; any other parameter is left alone.
    if (m_parameter->type() != ZxParameter::Bool)
        return true;
    if (DeviceTest *t = test())
        t->rememberWrite(m_owner, m_parameter);
    auto *button = static_cast<ZxBoolParameter *>(m_parameter);
    button->setValue(value);
    button->setValid(true);
    m_owner->requestTransmitState();
    return true;
}

ParameterInitTestAction::ParameterInitTestAction(AbstractDisplayableItem *owner,
                                                 ZxParameter *parameter, const QVariant &value,
                                                 DeviceTest *test)
    : TestAction(test)
    , m_owner(owner)
    , m_parameter(parameter)
    , m_value(value)
{}

int ParameterInitTestAction::doMatch()
{
    if (!m_owner || !m_parameter) {
        setMessage(tr("The unit of this step is no longer in the scheme"));
        return Fault;
    }
    if (DeviceTest *t = test())
        t->rememberWrite(m_owner, m_parameter);
    if (!m_parameter->setVariantValue(m_value)) {
        setMessage(tr("%1 does not accept the value %2").arg(m_parameter->name(),
                                                              m_value.toString()));
        return Fault;
    }
    m_parameter->setValid(true);
    m_owner->requestTransmitState();
    return Passed;
}
