// DbcReader: attributes, value texts, value types, extended multiplexing and the final pass.
#include "descriptions/dbcreader.h"

#include "descriptions/dbctokenizer.h"

namespace {

using Token = DbcTokenizer::Token;
using Kind = DbcTokenizer::Kind;

constexpr quint32 MaxSpn = 524287; // 19 bits
constexpr int MaxMuxRanges = 256;

const QString ProtocolType = QStringLiteral("ProtocolType");
const QString FrameFormat = QStringLiteral("VFrameFormat");
const QString Spn = QStringLiteral("SPN");

// An attribute value as text: strings as they are, numbers as written.
QString valueText(const Token &token)
{
    return token.kind == Kind::String ? DbcTokenizer::text(token) : DbcTokenizer::name(token);
}

} // namespace

void DbcReader::parseAttributeDefinition(DbcTokenizer &tokens)
{
    Token token = tokens.next();
    if (token.kind == Kind::Word)
        token = tokens.next(); // the kind of object: BU_, BO_, SG_, EV_
    if (token.kind != Kind::String) {
        warn(tr("attribute definition without a name"));
        return;
    }
    const QString attribute = DbcTokenizer::text(token);
    if (!tokens.next().isWord("ENUM"))
        return;
    QStringList values;
    for (token = tokens.next(); token.kind != Kind::End; token = tokens.next()) {
        if (token.kind == Kind::String)
            values.append(DbcTokenizer::text(token));
    }
    m_enumValues.insert(attribute, values);
}

void DbcReader::parseAttributeDefault(DbcTokenizer &tokens)
{
    const Token attribute = tokens.next();
    const Token value = tokens.next();
    if (attribute.kind != Kind::String
        || (value.kind != Kind::String && value.kind != Kind::Word)) {
        warn(tr("attribute default without a name or value"));
        return;
    }
    m_attributeDefaults.insert(DbcTokenizer::text(attribute), valueText(value));
}

void DbcReader::parseAttribute(DbcTokenizer &tokens)
{
    const Token attributeToken = tokens.next();
    if (attributeToken.kind != Kind::String) {
        warn(tr("attribute without a name"));
        return;
    }
    const QString attribute = DbcTokenizer::text(attributeToken);
    const Token object = tokens.next();
    if (object.kind == Kind::String
        || (object.kind == Kind::Word && !object.isWord("BO_") && !object.isWord("SG_")
            && !object.isWord("BU_") && !object.isWord("EV_"))) {
        if (attribute == ProtocolType)
            m_protocolType = valueText(object);
        return;
    }
    if (object.isWord("BO_") && attribute == FrameFormat) {
        DbcMessage *message = messageById(tokens, "BA_");
        const Token value = message ? tokens.next() : Token();
        if (!message)
            return;
        int index = -1;
        const QStringList names = m_enumValues.value(attribute);
        if (value.kind == Kind::String)
            message->frameFormat = DbcTokenizer::text(value);
        else if (DbcTokenizer::toInt(value, 0, names.size() - 1, &index))
            message->frameFormat = names.at(index);
        else
            warn(tr("frame format of message %1 is none of the defined ones").arg(message->name));
    } else if (object.isWord("SG_") && attribute == Spn) {
        DbcSignal *signal = signalByName(messageById(tokens, "BA_"), tokens, "BA_");
        quint64 spn = 0;
        if (!signal)
            return;
        if (!DbcTokenizer::toUnsigned(tokens.next(), &spn) || spn > MaxSpn)
            warn(tr("SPN of signal %1 is not a number up to %2").arg(signal->name).arg(MaxSpn));
        else
            signal->spn = quint32(spn);
    }
}

void DbcReader::parseValueTexts(DbcTokenizer &tokens, bool isTable)
{
    QMap<qint64, QString> *texts = nullptr;
    QMap<qint64, QString> table;
    if (isTable) {
        const Token tableName = tokens.next();
        if (tableName.kind != Kind::Word) {
            warn(tr("value table without a name"));
            return;
        }
        texts = &m_database.valueTables[DbcTokenizer::name(tableName)];
    } else {
        quint64 written = 0;
        // VAL_ of an environment variable names it instead of a message: not kept.
        if (!DbcTokenizer::toUnsigned(tokens.peek(), &written))
            return;
        DbcSignal *signal = signalByName(messageById(tokens, "VAL_"), tokens, "VAL_");
        if (!signal)
            return;
        texts = &signal->valueTexts;
        const Token first = tokens.peek();
        qint64 key = 0;
        if (first.kind == Kind::Word && !DbcTokenizer::toKey(first, &key)) {
            // A table named instead of listed.
            tokens.next();
            *texts = m_database.valueTables.value(DbcTokenizer::name(first));
            return;
        }
    }
    for (Token token = tokens.next(); token.kind != Kind::End; token = tokens.next()) {
        qint64 key = 0;
        const Token text = tokens.next();
        if (!DbcTokenizer::toKey(token, &key) || text.kind != Kind::String) {
            warn(tr("value texts are not pairs of a number and a string"));
            return;
        }
        texts->insert(key, DbcTokenizer::text(text));
    }
}

void DbcReader::parseValueType(DbcTokenizer &tokens)
{
    DbcSignal *signal = signalByName(messageById(tokens, "SIG_VALTYPE_"), tokens, "SIG_VALTYPE_");
    if (!signal)
        return;
    Token token = tokens.next();
    if (token.is(':'))
        token = tokens.next();
    int type = -1;
    if (!DbcTokenizer::toInt(token, 0, 2, &type)) {
        warn(tr("value type of signal %1 is not 0, 1 or 2").arg(signal->name));
        return;
    }
    // 1: IEEE float in 32 bits, 2: IEEE double in 64.
    const int bits[] = {0, 32, 64};
    if (type != 0 && signal->length != bits[type]) {
        warn(tr("signal %1 of %2 bits cannot hold an IEEE value of %3 bits")
                 .arg(signal->name)
                 .arg(signal->length)
                 .arg(bits[type]));
        return;
    }
    signal->valueType = type == 0   ? DbcSignal::ValueType::Integer
                        : type == 1 ? DbcSignal::ValueType::Float
                                    : DbcSignal::ValueType::Double;
}

void DbcReader::parseMuxRanges(DbcTokenizer &tokens)
{
    DbcMessage *message = messageById(tokens, "SG_MUL_VAL_");
    DbcSignal *signal = signalByName(message, tokens, "SG_MUL_VAL_");
    if (!signal)
        return;
    const Token switchToken = tokens.next();
    if (switchToken.kind != Kind::Word
        || message->signalIndex(DbcTokenizer::name(switchToken)) < 0) {
        warn(tr("signal %1 is switched by a signal that message %2 does not have")
                 .arg(signal->name, message->name));
        return;
    }
    QVector<DbcMuxRange> ranges;
    for (Token token = tokens.next(); token.kind != Kind::End; token = tokens.next()) {
        if (token.is(','))
            continue;
        // "low-high"; the tokenizer keeps the '-' inside the word.
        const QByteArray word = DbcTokenizer::shortBytes(token);
        const int dash = word.indexOf('-');
        bool lowOk = false;
        bool highOk = false;
        DbcMuxRange range;
        if (dash > 0) {
            range.low = word.left(dash).toULongLong(&lowOk);
            range.high = word.mid(dash + 1).toULongLong(&highOk);
        }
        if (!lowOk || !highOk || range.low > range.high || ranges.size() >= MaxMuxRanges) {
            warn(tr("signal %1 has a bad multiplexer range").arg(signal->name));
            return;
        }
        ranges.append(range);
    }
    if (ranges.isEmpty()) {
        warn(tr("signal %1 has a bad multiplexer range").arg(signal->name));
        return;
    }
    signal->isMultiplexed = true;
    signal->muxSwitchName = DbcTokenizer::name(switchToken);
    signal->muxRanges = ranges;
}

void DbcReader::finish()
{
    // Tools write an empty ProtocolType beside a default of J1939PG: empty reads as unset.
    m_database.protocolType
        = m_protocolType.isEmpty() ? m_attributeDefaults.value(ProtocolType) : m_protocolType;
    const QString defaultFormat = m_attributeDefaults.value(FrameFormat);
    for (DbcMessage &message : m_database.messages) {
        if (message.frameFormat.isEmpty())
            message.frameFormat = defaultFormat;
        int firstMultiplexor = -1;
        for (int i = 0; i < message.signalList.size() && firstMultiplexor < 0; ++i) {
            if (message.signalList.at(i).isMultiplexor)
                firstMultiplexor = i;
        }
        // Without SG_MUL_VAL_ a multiplexed signal follows the message's multiplexor.
        for (DbcSignal &signal : message.signalList) {
            if (!signal.isMultiplexed)
                continue;
            signal.muxSwitchIndex = signal.muxSwitchName.isEmpty()
                                        ? firstMultiplexor
                                        : message.signalIndex(signal.muxSwitchName);
            if (signal.muxSwitchIndex >= 0 && signal.muxSwitchName.isEmpty())
                signal.muxSwitchName = message.signalList.at(signal.muxSwitchIndex).name;
        }
    }
    m_database.buildIndex();
    if (m_warningCount > MaxWarnings)
        m_warnings.append(
            tr("%1: %n more warning(s)", nullptr, m_warningCount - MaxWarnings).arg(m_fileName));
}

void DbcReader::warn(const QString &reason)
{
    if (++m_warningCount <= MaxWarnings)
        m_warnings.append(QStringLiteral("%1:%2: %3").arg(m_fileName).arg(m_line).arg(reason));
}
