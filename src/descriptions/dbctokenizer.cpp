#include "descriptions/dbctokenizer.h"

#include <QTextCodec>

#include <cmath>
#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Longer words are no numbers; they are not copied to find out.
constexpr int MaxNumberLength = 64;

} // namespace

QByteArray DbcTokenizer::shortBytes(const Token &token)
{
    return token.end - token.begin > MaxNumberLength ? QByteArray() : token.bytes();
}

bool DbcTokenizer::toUnsigned(const Token &token, quint64 *value)
{
    bool ok = false;
    *value = token.kind == Kind::Word ? shortBytes(token).toULongLong(&ok) : 0;
    return ok;
}

bool DbcTokenizer::toSigned(const Token &token, qint64 *value)
{
    bool ok = false;
    *value = token.kind == Kind::Word ? shortBytes(token).toLongLong(&ok) : 0;
    return ok;
}

bool DbcTokenizer::toKey(const Token &token, qint64 *value)
{
    quint64 bits = 0;
    if (toSigned(token, value))
        return true;
    if (!toUnsigned(token, &bits))
        return false;
    *value = qint64(bits);
    return true;
}

bool DbcTokenizer::toInt(const Token &token, int low, int high, int *value)
{
    qint64 number = 0;
    if (!toSigned(token, &number) || number < low || number > high)
        return false;
    *value = int(number);
    return true;
}

bool DbcTokenizer::toDouble(const Token &token, double *value)
{
    bool ok = false;
    *value = token.kind == Kind::Word ? shortBytes(token).toDouble(&ok) : 0.0;
    return ok && std::isfinite(*value);
}

QString DbcTokenizer::name(const Token &token)
{
    return QString::fromLatin1(token.begin, int(token.end - token.begin));
}

bool DbcTokenizer::Token::isWord(const char *word) const
{
    const size_t length = std::strlen(word);
    return kind == Kind::Word && size_t(end - begin) == length
           && std::memcmp(begin, word, length) == 0;
}

bool DbcTokenizer::isPunct(char c)
{
    return std::strchr(":;|@(),[]", c) != nullptr && c != '\0';
}

DbcTokenizer::Token DbcTokenizer::next()
{
    while (m_pos < m_end && isBlank(*m_pos))
        ++m_pos;
    Token token;
    token.begin = m_pos;
    token.end = m_pos;
    if (m_pos == m_end)
        return token;
    if (isPunct(*m_pos)) {
        token.kind = Kind::Punct;
        token.end = ++m_pos;
        return token;
    }
    if (*m_pos == '"') {
        const char *p = m_pos + 1;
        while (p < m_end && *p != '"')
            p += (*p == '\\' && p + 1 < m_end) ? 2 : 1;
        if (p >= m_end) {
            token.kind = Kind::Error;
            m_pos = m_end;
            return token;
        }
        token.kind = Kind::String;
        token.begin = m_pos + 1;
        token.end = p;
        m_pos = p + 1;
        return token;
    }
    token.kind = Kind::Word;
    while (m_pos < m_end && !isBlank(*m_pos) && !isPunct(*m_pos) && *m_pos != '"')
        ++m_pos;
    token.end = m_pos;
    return token;
}

DbcTokenizer::Token DbcTokenizer::peek()
{
    const char *saved = m_pos;
    const Token token = next();
    m_pos = saved;
    return token;
}

bool DbcTokenizer::atEnd()
{
    return peek().kind == Kind::End;
}

QString DbcTokenizer::text(const Token &token)
{
    QByteArray bytes;
    bytes.reserve(int(token.end - token.begin));
    for (const char *p = token.begin; p < token.end; ++p) {
        if (*p == '\\' && p + 1 < token.end && (p[1] == '"' || p[1] == '\\'))
            ++p;
        bytes.append(*p);
    }
    QTextCodec::ConverterState state;
    const QString utf8
        = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 ? utf8 : QString::fromLatin1(bytes);
}
