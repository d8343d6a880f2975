#include "diagnostics/tunevariable.h"

#include "can/tooladdress.h"
#include "diagnostics/journalnotes.h"
#include "model/devicedispatcher.h"

#include "diagnostics/editors/tunevariableschemetreeitem.h"
#include "model/targetparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxvariantparameter.h"

#include <QDebug>
#include <QTimer>

namespace {
constexpr quint8 Priority = 6;
std::atomic<int> s_replyTimeoutMs{TuneVariable::DefaultReplyTimeoutMs};

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
    m.id
        = quint32(Priority) << 26 | quint32(pf) << 16 | quint32(destination) << 8 | deviceAddress();
    m.length = 8;
    m.data[0] = control;
    encode(m.data);
    return m;
}

void TuneVariable::setReplyTimeoutMs(int ms)
{
    s_replyTimeoutMs.store(ms);
}

bool TuneVariable::isWritable(const ZxVariant &v)
{
    // Size 3 (a 32-bit integer chosen in the editor) or 0 cannot travel; an all-ones value would
    // read as a request or as "not available".
    return isWireSize(v.type) && (quint32(v.rawBits()) & allOnes(v.type)) != allOnes(v.type);
}

quint8 TuneVariable::requesterAddress() const
{
    // Not simulated: the tool asks, from its own address on the bus.
    const quint8 tool = ToolAddress::of(dispatcher()).current();
    for (const AbstractDisplayableItem *item = parentItem(); item; item = item->parentItem()) {
        if (item->address().kind == ItemAddress::J1939)
            return item->state() == Send ? quint8(item->address().value) : tool;
    }
    return tool;
}

void TuneVariable::startRequest(CanMessage &message)
{
    const quint8 source = requesterAddress();
    message.id = (message.id & ~quint32(0xFF)) | source;
    m_requestTarget.store(int(message.pduSpecific()));
    m_requestSource.store(int(source));
    const quint32 serial = m_requestSerial.fetch_add(1) + 1;
    m_outcome.store(Waiting);
    m_requestPending.store(true);
    m_requestWrites.store(!isAllOnes(message));
    m_writtenText.store(m_requestWrites.load() ? valueText() : QString());
    sendMessage(message);
    setUpdateNeeded();
    // A unit that does not answer leaves the request pending no longer than this.
    QTimer::singleShot(s_replyTimeoutMs.load(), this, [this, serial] {
        if (m_requestSerial.load() != serial || !m_requestPending.exchange(false))
            return;
        m_outcome.store(NoAnswer);
        note(NoAnswer);
        setUpdateNeeded();
    });
}

void TuneVariable::requestGetValue()
{
    CanMessage m = initMessage(PfProprietaryA, quint8(target()));
    m.data[4] = m.data[5] = m.data[6] = m.data[7] = 0xFF;
    startRequest(m);
}

bool TuneVariable::requestSetValue()
{
    const ZxVariant v = valueParameter()->value();
    if (!isWritable(v)) {
        qWarning("Tune variable %s: write of size %d, value 0x%08x refused",
                 qPrintable(objectName()), v.type, quint32(v.rawBits()));
        return false;
    }
    CanMessage m = initMessage(PfProprietaryA, quint8(target()));
    startRequest(m);
    return true;
}

bool TuneVariable::takeReply(const CanMessage &message)
{
    const quint8 pf = message.pduFormat();
    if (!m_requestPending.load() || !message.extended || !namesThis(message)
        || (pf != PfAcknowledgement && pf != PfProprietaryA)
        || int(message.address()) != m_requestTarget.load()
        || int(message.pduSpecific()) != m_requestSource.load()
        || !m_requestPending.exchange(false))
        return false;
    const bool hasValue = decodeValue(message);
    setTarget(message.address());
    Outcome outcome = NotAvailable;
    if (pf == PfAcknowledgement) {
        listParameter(Confirm)->setValue(message.data[0]);
        outcome = message.data[0] == Yes ? Accepted : Refused;
    } else if (hasValue) {
        const ZxVariant v = valueParameter()->value();
        const bool allOnesValue
            = isWireSize(v.type) && (quint32(v.rawBits()) & allOnes(v.type)) == allOnes(v.type);
        outcome = v.type == ZxVariant::None || allOnesValue ? NotAvailable : Answered;
    }
    m_outcome.store(outcome);
    note(outcome);
    counterInc();
    m_lastReplySource.store(message.address());
    m_replies.fetch_add(1);
    setUpdateNeeded();
    return true;
}

void TuneVariable::note(Outcome outcome)
{
    const bool write = m_requestWrites.load();
    const QString written = m_writtenText.load();
    const auto words
        = [](const char *source) { return TranslatableText::catalogue("TuneVariable", source); };
    const TranslatableText variable
        = TranslatableText::name(name().isEmpty() ? objectName() : name());
    if (!write) {
        if (outcome != Answered)
            return;
        const QString read = valueText();
        m_readText.store(read);
        JournalNotes::note(ServiceJournal::TuneRead, JournalNotes::unitLabel(this),
                           words(QT_TRANSLATE_NOOP("TuneVariable", "Tune variable %1 read: %2"))
                               .arg(variable)
                               .arg(read),
                           ServiceJournal::Outcome::Done,
                           {TranslatableText::joined({variable, TranslatableText::plain(read)},
                                                     QStringLiteral(" = "))});
        return;
    }
    const QString lastRead = m_readText.load();
    const TranslatableText before = lastRead.isEmpty()
                                        ? words(QT_TRANSLATE_NOOP("TuneVariable", "not read"))
                                        : TranslatableText::plain(lastRead);
    TranslatableText summary;
    ServiceJournal::Outcome result = ServiceJournal::Outcome::Failed;
    switch (outcome) {
    case Accepted:
        summary = words(QT_TRANSLATE_NOOP("TuneVariable", "Tune variable %1 written: %2"));
        result = ServiceJournal::Outcome::Done;
        m_readText.store(written);
        break;
    case Refused:
        summary = words(QT_TRANSLATE_NOOP("TuneVariable", "Tune variable %1: the unit refused %2"));
        break;
    default:
        summary = words(
            QT_TRANSLATE_NOOP("TuneVariable", "Tune variable %1: no answer to the write of %2"));
        break;
    }
    summary.arg(variable).arg(written);
    JournalNotes::note(ServiceJournal::TuneWrite, JournalNotes::unitLabel(this), summary, result,
                       {words(QT_TRANSLATE_NOOP("TuneVariable", "%1: %2 → %3"))
                            .arg(variable)
                            .arg(before)
                            .arg(written)});
}

QString TuneVariable::valueText() const
{
    const ZxVariant v = valueParameter()->value();
    switch (v.type) {
    case ZxVariant::Float:
        return QString::number(double(v.toFloat()), 'g', 6);
    case ZxVariant::UInt8:
    case ZxVariant::Int16:
    case ZxVariant::Int32:
        return QString::number(v.toInt());
    default:
        return tr("no value");
    }
}

QString TuneVariable::textDataImpl() const
{
    const QString unit = QStringLiteral("0x%1").arg(
        m_requestTarget.load() < 0 ? target() : m_requestTarget.load(), 2, 16, QLatin1Char('0'));
    switch (outcome()) {
    case Waiting:
        return tr("Waiting for unit %1").arg(unit);
    case Answered:
        return tr("%1, read from unit %2").arg(valueText(), unit);
    case NotAvailable:
        return tr("Unit %1 has no value for it").arg(unit);
    case Accepted:
        return tr("%1, written to unit %2").arg(valueText(), unit);
    case Refused:
        return tr("Unit %1 refused the write: %2").arg(unit, listParameter(Confirm)->currentText());
    case NoAnswer:
        return tr("No answer from unit %1").arg(unit);
    case NoRequest:
        break;
    }
    return tr("%1, unit 0x%2").arg(valueText()).arg(target(), 2, 16, QLatin1Char('0'));
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
    // A reply to our own request: from the unit we asked, to the address we asked from.
    if (takeReply(message))
        return true;
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
