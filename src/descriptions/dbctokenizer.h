#pragma once

#include <QByteArray>
#include <QString>

// Splits one DBC statement into words, quoted strings and the punctuation ":;|@(),[]". Reads the
// bytes it is given and never past them; a string without its closing quote is an error.
class DbcTokenizer
{
public:
    enum class Kind { End, Word, String, Punct, Error };
    struct Token
    {
        Kind kind = Kind::End;
        const char *begin = nullptr;
        const char *end = nullptr;

        QByteArray bytes() const { return QByteArray(begin, int(end - begin)); }
        bool is(char punct) const { return kind == Kind::Punct && *begin == punct; }
        bool isWord(const char *word) const;
    };

    DbcTokenizer(const char *begin, const char *end)
        : m_pos(begin)
        , m_end(end)
    {}

    Token next();
    Token peek();
    bool atEnd();

    // A string token's text, escapes resolved; UTF-8 when it is valid UTF-8, else Latin-1 (what
    // the tools of Windows write).
    static QString text(const Token &token);
    static bool isPunct(char c);
    static QString name(const Token &token);
    // Numbers of a word token; false for anything else, a word too long to be one, or beyond range.
    static QByteArray shortBytes(const Token &token);
    static bool toUnsigned(const Token &token, quint64 *value);
    static bool toSigned(const Token &token, qint64 *value);
    // Signed or unsigned 64-bit, the latter kept as its bits (value-table keys).
    static bool toKey(const Token &token, qint64 *value);
    static bool toInt(const Token &token, int low, int high, int *value);
    static bool toDouble(const Token &token, double *value); // finite only

private:
    const char *m_pos;
    const char *m_end;
};
