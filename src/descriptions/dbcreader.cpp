#include "descriptions/dbcreader.h"

#include "descriptions/dbctokenizer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

using Token = DbcTokenizer::Token;
using Kind = DbcTokenizer::Kind;

// DBC writes extended identifiers with bit 31 set; Vector's tools keep signals that belong to
// no message in a pseudo message with this identifier.
constexpr quint32 ExtendedFlag = 0x80000000u;
constexpr quint32 IndependentSignals = 0xC0000000u;
constexpr int MaxStatementLines = 64;

// Statements that end with their line, and those that end with ';' (possibly lines later).
const char *const LineStatements[] = {"VERSION", "NS_", "BS_", "BU_", "BO_", "SG_"};
const char *const ListedStatements[] = {"CM_",
                                        "BA_DEF_",
                                        "BA_DEF_DEF_",
                                        "BA_",
                                        "VAL_",
                                        "VAL_TABLE_",
                                        "SIG_VALTYPE_",
                                        "SG_MUL_VAL_",
                                        "BO_TX_BU_",
                                        "EV_",
                                        "ENVVAR_DATA_",
                                        "EV_DATA_",
                                        "SIG_GROUP_",
                                        "BA_DEF_REL_",
                                        "BA_REL_",
                                        "BA_DEF_DEF_REL_",
                                        "BU_SG_REL_",
                                        "BU_EV_REL_",
                                        "BU_BO_REL_",
                                        "SGTYPE_",
                                        "SGTYPE_VAL_",
                                        "SIG_TYPE_REF_",
                                        "SIGTYPE_VALTYPE_",
                                        "BA_DEF_SGTYPE_",
                                        "BA_SGTYPE_",
                                        "CAT_DEF_",
                                        "CAT_",
                                        "FILTER",
                                        "NS_DESC_"};

template<size_t N>
bool isOneOf(const QByteArray &word, const char *const (&list)[N])
{
    for (const char *entry : list) {
        if (word == entry)
            return true;
    }
    return false;
}

bool isKeywordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

const char *keywordEnd(const char *p, const char *end)
{
    while (p < end && isKeywordChar(*p))
        ++p;
    return p;
}

// Whether a line begins with a statement keyword: where a statement missing its ';' ends.
bool startsStatement(const char *p, const char *end)
{
    while (p < end && isBlank(*p))
        ++p;
    const char *wordEnd = keywordEnd(p, end);
    if (wordEnd == p || wordEnd - p > 20)
        return false;
    const QByteArray word(p, int(wordEnd - p));
    return isOneOf(word, LineStatements) || isOneOf(word, ListedStatements);
}

// Identifier as the file writes it, folded so that the flag and the value agree: a DBC written
// without bit 31 still means an extended frame when the value does not fit 11 bits.
quint32 folded(quint64 written)
{
    const quint32 id = quint32(written) & ~ExtendedFlag;
    return (written & ExtendedFlag) || id > 0x7FF ? (id | ExtendedFlag) : id;
}

bool skipPunct(DbcTokenizer &tokens, char punct)
{
    return tokens.next().is(punct);
}

bool isBlankUpTo(const char *p, const char *end)
{
    while (p < end && isBlank(*p))
        ++p;
    return p == end;
}

// The end of a statement that ends with ';': the ';' outside strings. A statement missing it ends
// before the next line that starts one (or after MaxStatementLines lines); a string still open
// there was never closed.
const char *statementEnd(const char *p, const char *end, bool *stringOpen)
{
    bool inString = false;
    int lines = 0;
    while (p < end) {
        const char c = *p;
        if (inString && c == '\\' && p + 1 < end && (p[1] == '"' || p[1] == '\\')) {
            p += 2;
            continue;
        }
        if (c == '"')
            inString = !inString;
        else if (c == ';' && !inString)
            break;
        else if (c == '\n' && (++lines > MaxStatementLines || startsStatement(p + 1, end)))
            break;
        ++p;
    }
    *stringOpen = inString;
    return p;
}

// The start of a line as a warning shows it: printable ASCII, anything else as '?'.
QString shownText(const char *p, const char *end)
{
    QString shown;
    for (; p < end && shown.size() < 40; ++p)
        shown.append(*p >= 0x20 && *p < 0x7F ? QLatin1Char(*p) : QLatin1Char('?'));
    return shown.trimmed();
}

} // namespace

bool DbcReader::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *this = DbcReader();
        m_error = tr("%1: cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray text = file.readAll();
    if (!parse(text, path))
        return false;
    const QFileInfo info(path);
    m_database.name = info.fileName();
    m_database.filePath = info.absoluteFilePath();
    m_database.sha256
        = QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
    return true;
}

bool DbcReader::parse(const QByteArray &text, const QString &fileName)
{
    *this = DbcReader();
    m_fileName = fileName;
    const char *p = text.constData();
    const char *const end = p + text.size();
    int line = 1;
    bool recognised = false;
    bool inSymbols = false;
    while (p < end) {
        if (*p == '\n' || isBlank(*p)) {
            line += *p == '\n';
            ++p;
            continue;
        }
        m_line = line;
        const char *lineEnd = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        const char *wordEnd = keywordEnd(p, lineEnd);
        // NS_ lists one symbol on each line.
        if (inSymbols && wordEnd > p && isBlankUpTo(wordEnd, lineEnd)) {
            p = lineEnd;
            continue;
        }
        inSymbols = false;
        const QByteArray keyword
            = wordEnd - p <= 32 ? QByteArray(p, int(wordEnd - p)) : QByteArray();
        if (isOneOf(keyword, LineStatements)) {
            recognised = recognised || keyword != "SG_";
            inSymbols = keyword == "NS_";
            parseStatement(keyword, wordEnd, lineEnd);
            p = lineEnd;
            continue;
        }
        if (!isOneOf(keyword, ListedStatements)) {
            warn(tr("unknown statement \"%1\"").arg(shownText(p, lineEnd)));
            p = lineEnd;
            continue;
        }
        bool stringOpen = false;
        const char *q = statementEnd(wordEnd, end, &stringOpen);
        if (stringOpen) {
            warn(tr("string not closed"));
            p = lineEnd;
            continue;
        }
        parseStatement(keyword, wordEnd, q);
        line += int(std::count(p, q, '\n'));
        p = q < end && *q == ';' ? q + 1 : q;
    }
    if (!recognised) {
        m_error
            = tr("%1: not a DBC database (no VERSION, NS_, BU_ or BO_ statement)").arg(fileName);
        m_database = DbcDatabase();
        return false;
    }
    finish();
    return true;
}

void DbcReader::parseStatement(const QByteArray &keyword, const char *begin, const char *end)
{
    DbcTokenizer tokens(begin, end);
    if (keyword == "SG_") {
        parseSignal(tokens);
        return;
    }
    m_currentMessage = -1;
    m_skippingMessage = false;
    if (keyword == "BO_")
        parseMessage(tokens);
    else if (keyword == "CM_")
        parseComment(tokens);
    else if (keyword == "BA_DEF_")
        parseAttributeDefinition(tokens);
    else if (keyword == "BA_DEF_DEF_")
        parseAttributeDefault(tokens);
    else if (keyword == "BA_")
        parseAttribute(tokens);
    else if (keyword == "VAL_")
        parseValueTexts(tokens, false);
    else if (keyword == "VAL_TABLE_")
        parseValueTexts(tokens, true);
    else if (keyword == "SIG_VALTYPE_")
        parseValueType(tokens);
    else if (keyword == "SG_MUL_VAL_")
        parseMuxRanges(tokens);
}

void DbcReader::parseMessage(DbcTokenizer &tokens)
{
    m_skippingMessage = true; // its signals go with it
    quint64 written = 0;
    if (!DbcTokenizer::toUnsigned(tokens.next(), &written) || written > 0xFFFFFFFFu) {
        warn(tr("message identifier is not a number"));
        return;
    }
    DbcMessage message;
    const Token nameToken = tokens.next();
    int length = 0;
    if (nameToken.kind != Kind::Word || !skipPunct(tokens, ':')) {
        warn(tr("message %1 has no name").arg(written));
        return;
    }
    if (!DbcTokenizer::toInt(tokens.next(), 0, MaxMessageLength, &length)) {
        warn(tr("message %1 has a bad length").arg(DbcTokenizer::name(nameToken)));
        return;
    }
    if (written == IndependentSignals)
        return;
    const quint32 key = folded(written);
    message.id = key & ~ExtendedFlag;
    message.extended = key & ExtendedFlag;
    message.name = DbcTokenizer::name(nameToken);
    message.length = length;
    const Token transmitter = tokens.next();
    if (transmitter.kind == Kind::Word)
        message.transmitter = DbcTokenizer::name(transmitter);
    if (message.id > 0x1FFFFFFF) {
        warn(tr("message %1 has an identifier beyond 29 bits").arg(message.name));
        return;
    }
    if (m_messageIndex.contains(key)) {
        warn(tr("message %1 repeats the identifier of an earlier one").arg(message.name));
        return;
    }
    m_messageIndex.insert(key, m_database.messages.size());
    m_currentMessage = m_database.messages.size();
    m_skippingMessage = false;
    m_database.messages.append(message);
}

void DbcReader::parseSignal(DbcTokenizer &tokens)
{
    if (m_currentMessage < 0) {
        if (!m_skippingMessage)
            warn(tr("signal outside a message"));
        return;
    }
    DbcMessage &message = m_database.messages[m_currentMessage];
    DbcSignal signal;
    const Token nameToken = tokens.next();
    if (nameToken.kind != Kind::Word) {
        warn(tr("signal without a name"));
        return;
    }
    signal.name = DbcTokenizer::name(nameToken);
    Token token = tokens.next();
    if (token.kind == Kind::Word) {
        // "M", "mN" or "mNM"
        QByteArray mux = DbcTokenizer::shortBytes(token);
        if (mux.endsWith('M')) {
            signal.isMultiplexor = true;
            mux.chop(1);
        }
        bool ok = mux.isEmpty();
        if (mux.startsWith('m')) {
            signal.isMultiplexed = true;
            signal.muxValue = mux.mid(1).toULongLong(&ok);
        }
        if (!ok) {
            warn(tr("signal %1 has a bad multiplexer mark").arg(signal.name));
            return;
        }
        token = tokens.next();
    }
    int startBit = 0;
    int length = 0;
    const bool placed
        = token.is(':')
          && DbcTokenizer::toInt(tokens.next(), 0, MaxMessageLength * 8 - 1, &startBit)
          && skipPunct(tokens, '|') && DbcTokenizer::toInt(tokens.next(), 1, 64, &length)
          && skipPunct(tokens, '@');
    const QByteArray order = placed ? DbcTokenizer::shortBytes(tokens.next()) : QByteArray();
    if (!placed || order.size() != 2 || (order[0] != '0' && order[0] != '1')
        || (order[1] != '+' && order[1] != '-')) {
        warn(tr("signal %1 has a bad placement").arg(signal.name));
        return;
    }
    signal.startBit = startBit;
    signal.length = length;
    signal.byteOrder
        = order[0] == '1' ? DbcSignal::ByteOrder::Intel : DbcSignal::ByteOrder::Motorola;
    signal.isSigned = order[1] == '-';
    const bool scaled
        = skipPunct(tokens, '(') && DbcTokenizer::toDouble(tokens.next(), &signal.factor)
          && skipPunct(tokens, ',') && DbcTokenizer::toDouble(tokens.next(), &signal.offset)
          && skipPunct(tokens, ')') && skipPunct(tokens, '[')
          && DbcTokenizer::toDouble(tokens.next(), &signal.minimum) && skipPunct(tokens, '|')
          && DbcTokenizer::toDouble(tokens.next(), &signal.maximum) && skipPunct(tokens, ']');
    const Token unit = scaled ? tokens.next() : Token();
    if (unit.kind != Kind::String) {
        warn(tr("signal %1 has a bad scaling or unit").arg(signal.name));
        return;
    }
    signal.unit = DbcTokenizer::text(unit);
    for (Token receiver = tokens.next(); receiver.kind != Kind::End; receiver = tokens.next()) {
        if (receiver.kind == Kind::Word)
            signal.receivers.append(DbcTokenizer::name(receiver));
    }
    if (signal.bytesNeeded() > message.length) {
        warn(tr("signal %1 lies beyond the %2 bytes of message %3")
                 .arg(signal.name)
                 .arg(message.length)
                 .arg(message.name));
        return;
    }
    if (message.signalIndex(signal.name) >= 0) {
        warn(tr("signal %1 repeats a name in message %2").arg(signal.name, message.name));
        return;
    }
    if (message.signalList.size() >= MaxSignalsPerMessage) {
        warn(tr("message %1 has more than %2 signals").arg(message.name).arg(MaxSignalsPerMessage));
        return;
    }
    message.signalList.append(signal);
}

DbcMessage *DbcReader::messageById(DbcTokenizer &tokens, const char *what)
{
    quint64 written = 0;
    if (!DbcTokenizer::toUnsigned(tokens.next(), &written) || written > 0xFFFFFFFFu) {
        warn(tr("%1: message identifier is not a number").arg(QLatin1String(what)));
        return nullptr;
    }
    if (written == IndependentSignals)
        return nullptr;
    const auto found = m_messageIndex.constFind(folded(written));
    if (found == m_messageIndex.cend()) {
        warn(tr("%1 for message %2 that the file does not define")
                 .arg(QLatin1String(what))
                 .arg(written));
        return nullptr;
    }
    return &m_database.messages[found.value()];
}

DbcSignal *DbcReader::signalByName(DbcMessage *message, DbcTokenizer &tokens, const char *what)
{
    if (!message)
        return nullptr;
    const Token token = tokens.next();
    const int index
        = token.kind == Kind::Word ? message->signalIndex(DbcTokenizer::name(token)) : -1;
    if (index < 0) {
        warn(tr("%1 for a signal that message %2 does not have")
                 .arg(QLatin1String(what), message->name));
        return nullptr;
    }
    return &message->signalList[index];
}

void DbcReader::parseComment(DbcTokenizer &tokens)
{
    Token token = tokens.next();
    QString *target = nullptr;
    if (token.kind == Kind::String) {
        m_database.comment = DbcTokenizer::text(token);
        return;
    }
    if (token.isWord("BU_") || token.isWord("EV_"))
        return; // nodes and environment variables are not kept
    if (token.isWord("BO_")) {
        if (DbcMessage *message = messageById(tokens, "CM_"))
            target = &message->comment;
    } else if (token.isWord("SG_")) {
        if (DbcSignal *signal = signalByName(messageById(tokens, "CM_"), tokens, "CM_"))
            target = &signal->comment;
    } else {
        warn(tr("comment on an unknown kind of object"));
        return;
    }
    if (!target)
        return;
    token = tokens.next();
    if (token.kind != Kind::String) {
        warn(tr("comment without its text"));
        return;
    }
    *target = DbcTokenizer::text(token);
}
