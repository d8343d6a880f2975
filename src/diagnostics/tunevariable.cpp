#include "diagnostics/tunevariable.h"

#include "diagnostics/editors/tunevariableschemetreeitem.h"
#include "model/targetparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxvariantparameter.h"

#include <QDebug>

namespace {
constexpr quint8 Priority = 6;

bool isWireSize(qint32 size)
{
    return size == 1 || size == 2 || size == 4;
}

quint32 allOnes(qint32 size)
{
    return size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
}
} // namespace

TuneVariable::TuneVariable(QObject *parent)
    : AbstractNamedVariable(parent)
{
    setObjectName(QStringLiteral("TuneVariable"));
    addParameter(new TargetParameter(0), QStringLiteral("Target"));
    addListParameter(tr("Confirm"), QStringLiteral("Confirm"),
                     {tr("Yes"), tr("No"), tr("Restricted"), tr("Unavailable")});
    setDeviceType(Spontaneous, 5000);
}

int TuneVariable::target() const
{
    return static_cast<TargetParameter *>(parameters().at(Target))->value();
}

int TuneVariable::confirm() const
{
    return listParameter(Confirm)->value();
}

void TuneVariable::setTarget(unsigned int target)
{
    auto *p = static_cast<TargetParameter *>(parameters().at(Target));
    p->setValue(int(target));
    p->setValid(true);
    setUpdateNeeded();
}

bool TuneVariable::isAllOnes(const CanMessage &message)
{
    return message.length >= 8 && message.data[4] == 0xFF && message.data[5] == 0xFF
           && message.data[6] == 0xFF && message.data[7] == 0xFF;
}

CanMessage TuneVariable::initMessage(quint8 pf, quint8 destination, quint8 control) const
{
    CanMessage m;
    m.id = quint32(Priority) << 26 | quint32(pf) << 16 | quint32(destination) << 8
           | deviceAddress();
    m.length = 8;
    m.data[0] = control;
    encode(m.data);
    return m;
}

void TuneVariable::requestGetValue()
{
    CanMessage m = initMessage(PfProprietaryA, quint8(target()));
    m.data[4] = m.data[5] = m.data[6] = m.data[7] = 0xFF;
    m_requestPending.store(true);
    sendMessage(m);
}

bool TuneVariable::requestSetValue()
{
    const ZxVariant v = valueParameter()->value();
    // Size 3 (a 32-bit integer chosen in the editor) or 0 cannot travel; an all-ones value would
    // read as a request or as "not available".
    if (!isWireSize(v.type) || (quint32(v.rawBits()) & allOnes(v.type)) == allOnes(v.type)) {
        qWarning("Tune variable %s: write of size %d, value 0x%08x refused",
                 qPrintable(objectName()), v.type, quint32(v.rawBits()));
        return false;
    }
    CanMessage m = initMessage(PfProprietaryA, quint8(target()));
    m_requestPending.store(true);
    sendMessage(m);
    return true;
}

bool TuneVariable::matchTargetMessage(const CanMessage &message)
{
    const quint8 pf = message.pduFormat();
    return (pf == PfAcknowledgement || pf == PfProprietaryA) && namesThis(message);
}

bool TuneVariable::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    AbstractNamedVariable::dispatchMessageImpl(message, result);
    setTarget(message.pduSpecific());
    if (message.pduFormat() == PfAcknowledgement)
        listParameter(Confirm)->setValue(message.data[0]);
    return true;
}

bool TuneVariable::dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->targetItem = this;
    // A reply to our own request: its source is the unit we talk to.
    if (m_requestPending.exchange(false)) {
        decodeValue(message);
        setTarget(message.address());
        if (message.pduFormat() == PfAcknowledgement)
            listParameter(Confirm)->setValue(message.data[0]);
        counterInc();
        m_lastReplySource.store(message.address());
        m_replies.fetch_add(1);
        setUpdateNeeded();
        return true;
    }
    // The target walk reaches us only while our device is simulated: we answer as it would.
    if (message.pduFormat() == PfProprietaryA)
        answer(message);
    return true;
}

void TuneVariable::answer(const CanMessage &request)
{
    if (request.length < 8)
        return;
    if (isAllOnes(request)) {
        CanMessage reply = initMessage(PfProprietaryA, request.address());
        sendMessage(reply);
        return;
    }
    decodeValue(request);
    CanMessage ack = initMessage(PfAcknowledgement, request.address(), Yes);
    sendMessage(ack);
}

AbstractSchemeTreeItem *TuneVariable::createTreeItem()
{
    return new TuneVariableSchemeTreeItem(this);
}
