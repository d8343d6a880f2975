#pragma once

#include <QJsonValue>
#include <QString>

#include <functional>
#include <vector>

// A text kept in the words of the code, so it can be said later in whatever language the
// reader has: a text of the translation catalogue (its context, its source and a count for
// plural forms) with its arguments, each a plain text, the name of a unit or again such a
// text. Saved as JSON beside the text said at the time, which older readers keep using.
// A plain value; any thread.
class TranslatableText
{
public:
    // Says a name in the reader's language; a name it does not know comes back as written.
    using NameTranslator = std::function<QString(const QString &)>;

    // Nesting and size a text read from a file may have; deeper or larger is not ours.
    static constexpr int MaxDepth = 8;
    static constexpr int MaxArguments = 32;

    TranslatableText() = default;
    // `source` of the catalogue under `context`; %n takes `n` when n >= 0. Mark the source
    // for lupdate with QT_TRANSLATE_NOOP (or QT_TRANSLATE_N_NOOP) and the same context.
    static TranslatableText catalogue(const char *context, const char *source, int n = -1);
    // A text said as it is: a number, a value, a file name, a code.
    static TranslatableText plain(const QString &text);
    // The name of a unit or an item, said through the reader's name translator.
    static TranslatableText name(const QString &name);
    // The parts one after the other, `separator` between them.
    static TranslatableText joined(const std::vector<TranslatableText> &parts,
                                   const QString &separator = QString());

    // The next argument: %1 takes the first, %2 the second ...
    TranslatableText &arg(const TranslatableText &argument);
    TranslatableText &arg(const QString &plainText);
    TranslatableText &arg(qint64 number);

    bool isEmpty() const;
    // In the current language of the application.
    QString toString(const NameTranslator &names = {}) const;

    QJsonValue toJson() const;
    // False for a value that is no such text (a damaged file, one too deeply nested).
    static bool fromJson(const QJsonValue &value, TranslatableText *text);

    bool operator==(const TranslatableText &o) const;
    bool operator!=(const TranslatableText &o) const { return !(*this == o); }

private:
    enum class Kind { Plain, Name, Catalogue, Joined };
    static bool read(const QJsonValue &value, int depth, TranslatableText *text);

    Kind m_kind = Kind::Plain;
    QString m_context;
    QString m_text; // the source, the plain text, the name, or the separator of joined parts
    int m_n = -1;
    std::vector<TranslatableText> m_args; // the arguments, or the parts when joined
};
