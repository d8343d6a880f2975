#pragma once

#include <QtGlobal>

#include <cstring>
#include <limits>

// Allocation-free splitting and number parsing for the line-oriented recording formats.
namespace RecordingTokens {

struct Token
{
    const char *p = nullptr;
    int n = 0;

    bool is(const char *text) const
    {
        return int(std::strlen(text)) == n && std::memcmp(p, text, size_t(n)) == 0;
    }
    bool isIgnoringCase(const char *text) const
    {
        if (int(std::strlen(text)) != n)
            return false;
        for (int i = 0; i < n; ++i) {
            if ((p[i] | 0x20) != (text[i] | 0x20))
                return false;
        }
        return true;
    }
};

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// The blank-separated words of one line; words beyond the first Max are not kept.
struct LineTokens
{
    static constexpr int Max = 32;
    Token t[Max];
    int count = 0;

    void split(const char *p, const char *end)
    {
        count = 0;
        while (p < end && count < Max) {
            while (p < end && isBlank(*p))
                ++p;
            const char *start = p;
            while (p < end && !isBlank(*p))
                ++p;
            if (p > start)
                t[count++] = Token{start, int(p - start)};
        }
    }
    const Token &operator[](int i) const { return t[i]; }
};

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline bool parseHex(const Token &token, quint32 *value)
{
    if (token.n == 0 || token.n > 8)
        return false;
    quint32 v = 0;
    for (int i = 0; i < token.n; ++i) {
        const int digit = hexValue(token.p[i]);
        if (digit < 0)
            return false;
        v = (v << 4) | quint32(digit);
    }
    *value = v;
    return true;
}

inline bool parseDecimal(const Token &token, quint32 *value)
{
    if (token.n == 0 || token.n > 10)
        return false;
    quint64 v = 0;
    for (int i = 0; i < token.n; ++i) {
        if (token.p[i] < '0' || token.p[i] > '9')
            return false;
        v = v * 10 + quint64(token.p[i] - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    *value = quint32(v);
    return true;
}

// "integer[.fraction]" scaled to a unit of 10^-scaleDigits: seconds with scaleDigits 6 give
// microseconds, milliseconds with 3 give microseconds. Fraction digits beyond the scale are
// ignored; negative values, more than 12 integer digits and results beyond qint64 are refused.
inline bool parseScaled(const Token &token, int scaleDigits, qint64 *value)
{
    const char *p = token.p;
    const char *end = p + token.n;
    qint64 whole = 0;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (++digits > 12)
            return false;
        whole = whole * 10 + (*p++ - '0');
    }
    if (digits == 0)
        return false;
    qint64 fraction = 0;
    int fractionDigits = 0;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && *p >= '0' && *p <= '9') {
            if (fractionDigits < scaleDigits) {
                fraction = fraction * 10 + (*p - '0');
                ++fractionDigits;
            }
            ++p;
        }
    }
    if (p != end)
        return false;
    for (int i = fractionDigits; i < scaleDigits; ++i)
        fraction *= 10;
    qint64 scale = 1;
    for (int i = 0; i < scaleDigits; ++i)
        scale *= 10;
    if (whole > (std::numeric_limits<qint64>::max() - fraction) / scale)
        return false;
    *value = whole * scale + fraction;
    return true;
}

// What one line of a recording held. A skipped line carries its reason as an untranslated
// text in the "RecordingReader" context.
struct LineOutcome
{
    enum Kind { Frame, Ignored, Skipped };
    Kind kind = Ignored;
    const char *reason = nullptr;

    static LineOutcome frame() { return {Frame, nullptr}; }
    static LineOutcome ignored() { return {Ignored, nullptr}; }
    static LineOutcome skipped(const char *why) { return {Skipped, why}; }
};

} // namespace RecordingTokens
