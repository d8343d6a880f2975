#include "support/librarywords.h"

#include "descriptions/builtintexts.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>

namespace LibraryWords {

QStringList englishWords(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{4,}"));
    static const QSet<QString> library = [] {
        QSet<QString> words;
        for (const QString &name : BuiltInTexts::all()) {
            for (auto it = word.globalMatch(name); it.hasNext();) {
                const QString w = it.next().captured(0);
                if (w != w.toUpper())
                    words.insert(w.toLower());
            }
        }
        return words;
    }();
    QStringList found;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured(0);
        if (library.contains(w.toLower()) && !found.contains(w))
            found << w;
    }
    return found;
}

QStringList brokenWords(const QStringList &pages, const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    static const QRegularExpression word(QStringLiteral("\\p{L}+"));
    QSet<QString> words;
    for (auto it = word.globalMatch(document.toPlainText()); it.hasNext();)
        words.insert(it.next().captured(0));
    static const QRegularExpression last(QStringLiteral("\\p{L}+$"));
    static const QRegularExpression first(QStringLiteral("^\\p{L}+"));
    const QStringList lines = pages.join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    QStringList broken;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QString end = last.match(lines.at(i)).captured(0);
        const QString start = first.match(lines.at(i + 1)).captured(0);
        if (!end.isEmpty() && !start.isEmpty() && words.contains(end + start))
            broken << end + QLatin1Char('|') + start;
    }
    return broken;
}

} // namespace LibraryWords
