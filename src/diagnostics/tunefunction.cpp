#include "diagnostics/tunefunction.h"

#include "descriptions/variablefactory.h"
#include "diagnostics/tunevariable.h"

#include <QThread>

TuneFunction::TuneFunction(QObject *parent)
    : J1939DeviceFunction(parent)
{
    setObjectName(QStringLiteral("TuneVariablesState"));
    setName(tr("Tune variables"));
    setAddress({ItemAddress::Pgn, PgnAddress});
    setDeviceType(Spontaneous, 5000);
    QVector<VariableFactory::Description> table;
    for (const char *name : names())
        table.append(VariableFactory::Description{name, ""});
    m_factory = new VariableFactory(this, table, "TuneVariable",
                                    [] { return new TuneVariable; });
}

TuneFunction::~TuneFunction()
{
    if (m_factory->thread() == QThread::currentThread())
        delete m_factory;
    else
        m_factory->deleteLater();
}

const QVector<const char *> &TuneFunction::names()
{
    static const QVector<const char *> list{
        "L0", "L1", "L2", "L8", "L9", "l0", "l1", "l8", "l9", "A0", "A1", "A2",
        "A9", "a0", "a1", "a9", "R0", "R1", "R2", "R3", "R4", "R5", "W0", "W1",
        "W2", "W9", "DR", "DL", "Dl", "DA", "Da", "DW", "F1", "F8", "F9", "H2"};
    return list;
}

bool TuneFunction::matchMessage(const CanMessage &message)
{
    return message.extended
           && (message.pduFormat() == TuneVariable::PfAcknowledgement
               || message.pduFormat() == TuneVariable::PfProprietaryA);
}

bool TuneFunction::matchTargetMessage(const CanMessage &message)
{
    return matchMessage(message);
}

bool TuneFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    // The reply to a request the tool sent for this unit's variable comes from the unit itself:
    // it is the variable's answer, not traffic whose destination names a new target.
    for (AbstractDisplayableItem *child : children()) {
        auto *variable = qobject_cast<TuneVariable *>(child);
        if (variable && variable->takeReply(message)) {
            result->item = variable;
            return true;
        }
    }
    return J1939DeviceFunction::dispatchMessageImpl(message, result);
}

void TuneFunction::updateUserReadableAddress()
{
    setUserReadableAddress(QStringLiteral("0xe8/0xef"));
}

AbstractDeviceFactory *TuneFunction::subFactory()
{
    return m_factory;
}

bool TuneFunction::setState(int v)
{
    const bool changed = J1939DeviceFunction::setState(v);
    if (changed) {
        for (AbstractDisplayableItem *variable : children())
            variable->setState(v);
    }
    return changed;
}
