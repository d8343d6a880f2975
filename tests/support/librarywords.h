#pragma once

#include <QString>
#include <QStringList>

// Checks of texts shown in another language than English: the function library's and the example
// scheme's names left in English, words the layout broke inside a line.
namespace LibraryWords {

// The words of the library's names and the example scheme's (four letters and more, not all
// capitals: "Coolant", not "SPN") that appear in `text`.
QStringList englishWords(const QString &text);
// Words the layout broke inside: a line of `pages` ending in the first part of a word the
// document `html` holds and the next line beginning with the rest ("диагностически" / "й").
QStringList brokenWords(const QStringList &pages, const QString &html);

} // namespace LibraryWords
