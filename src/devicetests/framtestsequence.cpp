#include "devicetests/framtestsequence.h"

#include "descriptions/candevicefactory.h"
#include "devicetests/devicetest.h"
#include "devicetests/statetestactions.h"
#include "diagnostics/tunevariable.h"
#include "model/devicedispatcher.h"
#include "model/zxvariantparameter.h"

#include <cmath>
#include <cstring>

namespace {
constexpr quint8 DefaultController = 0xA0;

quint32 allOnes(qint32 type)
{
    switch (type) {
    case ZxVariant::UInt8:
        return 0xFFu;
    case ZxVariant::Int16:
        return 0xFFFFu;
    default:
        return 0xFFFFFFFFu;
    }
}

QString shortest(float value)
{
    return QString::number(double(value), 'g', 9);
}
} // namespace

FramTestSequence::FramTestSequence(DeviceTest *test, TuneVariable *variable)
    : QObject(test)
    , m_variable(variable)
{
    if (!m_variable) {
        const AbstractDisplayableItem *unit = test->device();
        if (CanDeviceFactory *factory = CanDeviceFactory::of(unit ? unit->dispatcher() : nullptr)) {
            const QString path = QString::fromLatin1(VariablePath);
            m_variable = qobject_cast<TuneVariable *>(factory->getDeviceByPath(path));
            // Variables are named by their two characters, not by their object name.
            const QString function = path.section(QLatin1Char('/'), 0, 1);
            const QByteArray name = path.section(QLatin1Char('/'), 2).toLatin1();
            AbstractDisplayableItem *tune = factory->getDeviceByPath(function);
            for (AbstractDisplayableItem *child : tune ? tune->children()
                                                       : QList<AbstractDisplayableItem *>()) {
                auto *candidate = qobject_cast<TuneVariable *>(child);
                if (!m_variable && candidate && name.size() == 2
                    && candidate->nameNumber() == (quint32(quint8(name[0])) << 8 | quint8(name[1])))
                    m_variable = candidate;
            }
        }
    }
    if (!m_variable) {
        test->addUnresolved(QString::fromLatin1(VariablePath));
        return;
    }
    connect(test, &DeviceTest::stopped, this, &FramTestSequence::slotTestStopped);
    auto add = [this](TestAction *step, const QString &name) {
        if (!name.isEmpty())
            step->setName(name);
        if (step->description().isEmpty())
            step->setDescription(step->name());
        m_steps.append(step);
    };
    add(new GetValueTestAction(this, test), tr("get tune value from controller"));
    add(new WaitGetValueTestAction(this, test), tr("wait for reply"));
    add(new SetValueTestAction(this, test), tr("set new tune variable value"));
    add(new WaitSetValueTestAction(this, test), tr("Wait for reply from controller"));
    add(new PowerTestClause(false, test), QString());
    add(new PowerTestClause(true, test), QString());
    add(new GetValueTestAction(this, test), tr("get tune value from controller"));
    add(new WaitGetMatchTestAction(this, test), tr("Wait for reply / match values"));
    add(new RestoreValueTestAction(this, test), tr("restore tune variable value"));
    add(new WaitRestoreTestAction(this, test), tr("wait for reply"));
}

FramTestSequence::~FramTestSequence()
{
    slotTestStopped();
}

quint8 FramTestSequence::targetAddress() const
{
    auto *test = qobject_cast<DeviceTest *>(parent());
    AbstractDisplayableItem *device = test ? test->device() : nullptr;
    if (device && device->address().kind == ItemAddress::J1939)
        return quint8(device->address().value);
    return DefaultController;
}

float FramTestSequence::changedValue(float old)
{
    float changed = (old >= 10.0f || std::isnan(old)) ? old - 1.0f : old + 1.0f;
    if (!std::isfinite(changed) || std::memcmp(&changed, &old, sizeof old) == 0)
        changed = old == 1.0f ? 2.0f : 1.0f;
    return changed;
}

bool FramTestSequence::isNotAvailable(const ZxVariant &value)
{
    const quint32 mask = allOnes(value.type);
    return (quint32(value.rawBits()) & mask) == mask;
}

bool FramTestSequence::sendRead()
{
    if (!m_variable)
        return false;
    setProperty("r_totalEvents", m_variable->replyCount());
    m_waitTicks = 0;
    // A stale value must not pass for the answer.
    m_variable->valueParameter()->setValid(false);
    const unsigned target = targetAddress();
    QMetaObject::invokeMethod(m_variable, [v = m_variable.data(), target] {
        v->setTarget(target);
        v->requestGetValue();
    });
    return true;
}

bool FramTestSequence::sendWrite(qint32 rawBits)
{
    if (!m_variable)
        return false;
    ZxVariant v;
    v.type = ZxVariant::Float;
    v.setRawBits(rawBits);
    m_variable->valueParameter()->setValue(v);
    m_variable->valueParameter()->setValid(true);
    // Only the acknowledgement of this write may say it was accepted.
    m_variable->listParameter(TuneVariable::Confirm)->setValue(-1);
    setProperty("r_totalEvents", m_variable->replyCount());
    m_waitTicks = 0;
    const unsigned target = targetAddress();
    QMetaObject::invokeMethod(m_variable, [var = m_variable.data(), target] {
        var->setTarget(target);
        var->requestSetValue();
    });
    return true;
}

int FramTestSequence::replyState()
{
    if (m_variable && m_variable->replyCount() != property("r_totalEvents").toUInt()
        && m_variable->lastReplySource() == targetAddress())
        return 0;
    ++m_waitTicks;
    return m_waitTicks > ReplyTimeoutTicks ? 2 : 1;
}

ZxVariant FramTestSequence::value() const
{
    return m_variable ? m_variable->valueParameter()->value() : ZxVariant();
}

void FramTestSequence::setOriginal(const ZxVariant &value)
{
    m_original = value;
    m_hasOriginal = true;
}

void FramTestSequence::slotTestStopped()
{
    // Aborted after a write: put the original value back (the answer is not awaited).
    if (m_written && !m_restored && m_hasOriginal && m_variable) {
        m_restored = true;
        sendWrite(m_original.rawBits());
    }
}

SequenceTestAction::SequenceTestAction(FramTestSequence *sequence, DeviceTest *test)
    : TestAction(test)
    , m_sequence(sequence)
{}

int SequenceTestAction::noVariable()
{
    setMessage(tr("The tune variable is no longer in the scheme"));
    return Fault;
}

// A reply, or the outcome of waiting for one: Waiting, or the no-reply fault after the time-out.
static int waitResult(SequenceTestAction *step, const QString &noReplyText)
{
    const int state = step->sequence()->replyState();
    if (state == 0)
        return TestAction::Passed;
    if (state == 1)
        return TestAction::Waiting;
    step->setMessage(noReplyText);
    return TestAction::Fault;
}

int GetValueTestAction::doMatch()
{
    return sequence()->sendRead() ? Passed : noVariable();
}

int WaitGetValueTestAction::doMatch()
{
    if (!sequence()->variable())
        return noVariable();
    const int waited = waitResult(this, tr("Controller doesn't respond with tune variable value"));
    if (waited != Passed)
        return waited;
    const ZxVariant v = sequence()->value();
    if (v.type != ZxVariant::Float) {
        setMessage(tr("Invalid variant type"));
        return Fault;
    }
    if (FramTestSequence::isNotAvailable(v)) {
        setMessage(tr("Controller doesn't respond with tune variable value"));
        return Fault;
    }
    sequence()->setOriginal(v);
    return Passed;
}

int SetValueTestAction::doMatch()
{
    if (!sequence()->variable())
        return noVariable();
    // Never write into calibration what was not read as a valid value.
    if (!sequence()->hasOriginal()) {
        setMessage(tr("No valid value read, nothing written"));
        return Fault;
    }
    const ZxVariant next
        = ZxVariant::fromFloat(FramTestSequence::changedValue(sequence()->original().toFloat()));
    sequence()->setProperty("r_tuneTestValue", next.rawBits());
    sequence()->setWritten(true);
    sequence()->setRestored(false);
    sequence()->sendWrite(next.rawBits());
    return Passed;
}

int WaitSetValueTestAction::doMatch()
{
    TuneVariable *variable = sequence()->variable();
    if (!variable)
        return noVariable();
    // Without a write there is no answer to judge: the controller refused nothing.
    if (!sequence()->isWritten()) {
        setMessage(tr("No valid value read, nothing written"));
        return Fault;
    }
    const int waited = waitResult(this, tr("Controller doesn't respond with tune variable value"));
    if (waited != Passed)
        return waited;
    const ZxVariant v = sequence()->value();
    if (FramTestSequence::isNotAvailable(v)) {
        setMessage(tr("Controller doesn't respond with tune variable value"));
        return Fault;
    }
    if (variable->confirm() != TuneVariable::Yes
        || v.rawBits() != sequence()->property("r_tuneTestValue").toInt()) {
        setMessage(tr("Controller didn't accept new tune variable value"));
        return Fault;
    }
    return Passed;
}

int WaitGetMatchTestAction::doMatch()
{
    if (!sequence()->variable())
        return noVariable();
    if (!sequence()->isWritten()) {
        setMessage(tr("No valid value read, nothing written"));
        return Fault;
    }
    const int waited = waitResult(this, tr("Controller doesn't respond with variable value"));
    if (waited != Passed)
        return waited;
    const ZxVariant v = sequence()->value();
    if (FramTestSequence::isNotAvailable(v)) {
        setMessage(tr("Controller doesn't respond with variable value"));
        return Fault;
    }
    ZxVariant expected;
    expected.type = ZxVariant::Float;
    expected.setRawBits(sequence()->property("r_tuneTestValue").toInt());
    if (v.type == ZxVariant::Float && v.rawBits() == expected.rawBits())
        return Passed;
    setMessage(tr("FRAM failure, values mismatch %1 instead of %2")
                   .arg(shortest(v.toFloat()), shortest(expected.toFloat())));
    return Fault;
}

int RestoreValueTestAction::doMatch()
{
    if (!sequence()->variable())
        return noVariable();
    // Nothing was written: nothing to put back.
    if (!sequence()->isWritten() || !sequence()->hasOriginal())
        return Passed;
    sequence()->setRestored(true);
    sequence()->sendWrite(sequence()->original().rawBits());
    return Passed;
}

int WaitRestoreTestAction::doMatch()
{
    TuneVariable *variable = sequence()->variable();
    if (!variable)
        return noVariable();
    if (!sequence()->isWritten())
        return Passed;
    const int waited = waitResult(this, tr("Controller doesn't respond with tune variable value"));
    if (waited != Passed)
        return waited;
    if (variable->confirm() != TuneVariable::Yes
        || sequence()->value().rawBits() != sequence()->original().rawBits()) {
        setMessage(tr("The original tune variable value could not be restored"));
        return Fault;
    }
    return Passed;
}
