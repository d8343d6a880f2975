#include "util/translatabletext.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <limits>

namespace {

const QLatin1String ContextKey("context");
const QLatin1String SourceKey("source");
const QLatin1String CountKey("n");
const QLatin1String ArgsKey("args");
const QLatin1String NameKey("name");
const QLatin1String PartsKey("parts");
const QLatin1String SeparatorKey("separator");

// %1 ... %99 replaced by the arguments in one pass, as QString::arg(a, b, ...) does: an
// argument's own "%2" stays as it is. A number without an argument is left in place.
QString substituted(const QString &pattern, const QStringList &args)
{
    QString out;
    out.reserve(pattern.size());
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        int digits = 0;
        while (c == QLatin1Char('%') && digits < 2 && i + 1 + digits < pattern.size()
               && pattern.at(i + 1 + digits).isDigit())
            ++digits;
        const int index = digits > 0 ? pattern.mid(i + 1, digits).toInt() : 0;
        if (index < 1 || index > args.size()) {
            out += c;
            continue;
        }
        out += args.at(index - 1);
        i += digits;
    }
    return out;
}

} // namespace

TranslatableText TranslatableText::catalogue(const char *context, const char *source, int n)
{
    TranslatableText t;
    t.m_kind = Kind::Catalogue;
    t.m_context = QString::fromUtf8(context);
    t.m_text = QString::fromUtf8(source);
    t.m_n = n;
    return t;
}

TranslatableText TranslatableText::plain(const QString &text)
{
    TranslatableText t;
    t.m_text = text;
    return t;
}

TranslatableText TranslatableText::name(const QString &name)
{
    TranslatableText t;
    t.m_kind = Kind::Name;
    t.m_text = name;
    return t;
}

TranslatableText TranslatableText::joined(const std::vector<TranslatableText> &parts,
                                          const QString &separator)
{
    TranslatableText t;
    t.m_kind = Kind::Joined;
    t.m_text = separator;
    t.m_args = parts;
    return t;
}

TranslatableText &TranslatableText::arg(const TranslatableText &argument)
{
    m_args.push_back(argument);
    return *this;
}

TranslatableText &TranslatableText::arg(const QString &plainText)
{
    return arg(plain(plainText));
}

TranslatableText &TranslatableText::arg(qint64 number)
{
    return arg(plain(QString::number(number)));
}

bool TranslatableText::isEmpty() const
{
    if (m_kind != Kind::Joined)
        return m_text.isEmpty();
    for (const TranslatableText &part : m_args) {
        if (!part.isEmpty())
            return false;
    }
    return true;
}

QString TranslatableText::toString(const NameTranslator &names) const
{
    switch (m_kind) {
    case Kind::Plain:
        return m_text;
    case Kind::Name:
        return names ? names(m_text) : m_text;
    case Kind::Joined: {
        QStringList parts;
        for (const TranslatableText &part : m_args)
            parts << part.toString(names);
        return parts.join(m_text);
    }
    case Kind::Catalogue:
        break;
    }
    QStringList args;
    for (const TranslatableText &a : m_args)
        args << a.toString(names);
    const QByteArray context = m_context.toUtf8();
    const QByteArray source = m_text.toUtf8();
    return substituted(
        QCoreApplication::translate(context.constData(), source.constData(), nullptr, m_n), args);
}

QJsonValue TranslatableText::toJson() const
{
    QJsonArray children;
    for (const TranslatableText &a : m_args)
        children.append(a.toJson());
    switch (m_kind) {
    case Kind::Plain:
        return m_text;
    case Kind::Name:
        return QJsonObject{{NameKey, m_text}};
    case Kind::Joined:
        return QJsonObject{{PartsKey, children}, {SeparatorKey, m_text}};
    case Kind::Catalogue:
        break;
    }
    QJsonObject o{{ContextKey, m_context}, {SourceKey, m_text}};
    if (m_n >= 0)
        o.insert(CountKey, m_n);
    if (!children.isEmpty())
        o.insert(ArgsKey, children);
    return o;
}

bool TranslatableText::fromJson(const QJsonValue &value, TranslatableText *text)
{
    TranslatableText t;
    if (!read(value, 0, &t))
        return false;
    *text = t;
    return true;
}

bool TranslatableText::read(const QJsonValue &value, int depth, TranslatableText *text)
{
    if (depth > MaxDepth)
        return false;
    if (value.isString()) {
        *text = plain(value.toString());
        return true;
    }
    if (!value.isObject())
        return false;
    const QJsonObject o = value.toObject();
    if (o.contains(NameKey)) {
        if (!o.value(NameKey).isString())
            return false;
        *text = name(o.value(NameKey).toString());
        return true;
    }
    const bool isJoined = o.contains(PartsKey);
    const QJsonValue children = o.value(isJoined ? PartsKey : ArgsKey);
    if ((!children.isArray() && !children.isUndefined())
        || children.toArray().size() > MaxArguments)
        return false;
    TranslatableText t;
    if (isJoined) {
        t.m_kind = Kind::Joined;
        t.m_text = o.value(SeparatorKey).toString();
    } else {
        if (!o.value(ContextKey).isString() || !o.value(SourceKey).isString())
            return false;
        t.m_kind = Kind::Catalogue;
        t.m_context = o.value(ContextKey).toString();
        t.m_text = o.value(SourceKey).toString();
        const double n = o.value(CountKey).toDouble(-1);
        t.m_n = n >= 0 && n <= std::numeric_limits<int>::max() ? int(n) : -1;
    }
    for (const QJsonValue &child : children.toArray()) {
        TranslatableText c;
        if (!read(child, depth + 1, &c))
            return false;
        t.m_args.push_back(c);
    }
    *text = t;
    return true;
}

bool TranslatableText::operator==(const TranslatableText &o) const
{
    return m_kind == o.m_kind && m_context == o.m_context && m_text == o.m_text && m_n == o.m_n
           && m_args == o.m_args;
}
