#include "descriptions/dbcfunction.h"

#include "descriptions/dbcsignalcodec.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A signal whose physical values are whole numbers an int holds: scaled by a whole factor and
// offset from an integer of at most 31 bits (32 when signed).
bool isWholeNumber(const DbcSignal &s)
{
    const int bits = s.isSigned ? 32 : 31;
    return s.valueType == DbcSignal::ValueType::Integer && s.length <= bits && s.factor == 1.0
           && s.offset == std::trunc(s.offset) && std::fabs(s.offset) < 1e9;
}

// Decimals that show one step of the factor.
int decimalsOf(double factor)
{
    if (factor == 0.0 || !std::isfinite(factor))
        return -1;
    const double digits = std::ceil(-std::log10(std::fabs(factor)) - 1e-9);
    return int(std::clamp(digits, 0.0, 9.0));
}

// J1939 keeps the raw values above a parameter's range for the sender's error indicator and
// "not available", so a J1939 database's range is the values a signal can have; one outside it
// is no value. A range of [0|0] (or a reversed one) says nothing. Half a step of slack keeps the
// range's decimal text from cutting off its own end.
bool isInRange(const DbcSignal &s, double value)
{
    if (!(s.minimum < s.maximum))
        return true;
    const double slack = std::fabs(s.factor) / 2;
    return value >= s.minimum - slack && value <= s.maximum + slack;
}

} // namespace

DbcFunction::DbcFunction(const DbcMessage &message, QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFF, 0xFF, parent)
    , m_message(message)
{
    const quint32 pgn = message.pgn();
    setPgn(quint8(pgn >> 8), quint8(pgn));
    setKey(KeyPrefix + message.name.toLatin1());
    setObjectName(QStringLiteral("DbcFunction") + message.name);
    setName(message.name);
    setDefaultPriority(quint8((message.id >> 26) & 0x7));
    m_texts.resize(message.signalList.size());
    for (const DbcSignal &s : message.signalList) {
        ZxParameter *parameter = nullptr;
        if (isWholeNumber(s)) {
            parameter = new ZxIntParameter;
        } else {
            auto *number = new ZxFloatParameter;
            number->setDecimals(s.valueType == DbcSignal::ValueType::Integer ? decimalsOf(s.factor)
                                                                             : -1);
            parameter = number;
        }
        parameter->setSuffix(s.unit);
        parameter->setDescription(s.comment);
        addParameter(parameter, s.name, s.name);
        m_multiplexed = m_multiplexed || s.isMultiplexed;
        m_needed.append(DbcSignalCodec::fits(s, std::numeric_limits<int>::max())
                            ? s.bytesNeeded()
                            : std::numeric_limits<int>::max());
        // Nothing is known before the first frame.
        parameter->setValid(false);
        m_parameters.append(parameter);
    }
}

DbcFunction::~DbcFunction() = default;

void DbcFunction::setSource(const QString &database, bool winsOverLibrary)
{
    m_source = database;
    m_note
        = winsOverLibrary
              ? tr("Decoded with the DBC database %1, which comes before the library").arg(database)
              : tr("Decoded with the DBC database %1").arg(database);
    setDescription(m_message.comment.isEmpty() ? m_note
                                               : m_message.comment + QLatin1Char('\n') + m_note);
}

ZxParameter *DbcFunction::signalParameter(int index) const
{
    return index >= 0 && index < m_parameters.size() ? m_parameters.at(index) : nullptr;
}

void DbcFunction::decode(const quint8 *payload, int size)
{
    if (!m_multiplexed) {
        for (int i = 0; i < m_parameters.size(); ++i) {
            const quint64 raw
                = size >= m_needed.at(i)
                      ? DbcSignalCodec::readFitting(m_message.signalList.at(i), payload)
                      : 0;
            take(i, size >= m_needed.at(i) ? &raw : nullptr);
        }
        return;
    }
    m_present.fill(false, m_parameters.size());
    DbcSignalCodec::decodeMessage(m_message, payload, size, &m_decoded);
    for (const DbcDecodedSignal &one : qAsConst(m_decoded)) {
        if (one.signalIndex < 0 || one.signalIndex >= m_parameters.size())
            continue;
        m_present[one.signalIndex] = true;
        take(one.signalIndex, &one.raw);
    }
    // A multiplexed signal its multiplexor does not select now has no value.
    for (int i = 0; i < m_parameters.size(); ++i) {
        if (!m_present.at(i))
            take(i, nullptr);
    }
}

void DbcFunction::take(int index, const quint64 *raw)
{
    const DbcSignal &s = m_message.signalList.at(index);
    ZxParameter *parameter = m_parameters.at(index);
    const double value = raw ? DbcSignalCodec::physical(s, *raw) : 0.0;
    // One past a short payload, or one outside its range, has no value either.
    if (!raw || !isInRange(s, value)) {
        parameter->setValid(false);
        m_texts[index].clear();
        return;
    }
    if (!s.valueTexts.isEmpty())
        m_texts[index] = s.valueTexts.value(DbcSignalCodec::valueKey(s, *raw));
    parameter->setNumber(value);
    parameter->setValid(std::isfinite(value));
}

bool DbcFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(message.data, message.length);
    if (result->mode.testFlag(DispatchResult::DescribeFrames))
        result->description = textDataImpl();
    return true;
}

bool DbcFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    decode(reinterpret_cast<const quint8 *>(data.constData()), int(data.size()));
    return true;
}

QString DbcFunction::textDataImpl() const
{
    QStringList parts;
    for (int i = 0; i < m_parameters.size(); ++i) {
        const ZxParameter *p = m_parameters.at(i);
        if (!p->isValid())
            continue;
        // A value table's text says it all; a number goes with its unit.
        QString value = m_texts.at(i);
        if (value.isEmpty()) {
            value = p->toString();
            if (!p->suffix().isEmpty())
                value += QLatin1Char(' ') + p->suffix();
        }
        parts << QStringLiteral("%1=%2").arg(p->name(), value);
    }
    return parts.join(QLatin1Char(' '));
}
