#pragma once

#include <QString>

// Texts that come from the built-in description files and the example scheme (names of units,
// functions and parameters, decoded-text formats, panel titles) shown in the interface
// language. The files and the items keep the English text; a text the catalogue does not know,
// such as a name the user gave, is shown as written. Any thread.
class DescriptionText
{
public:
    static constexpr const char *Context = "DescriptionText";

    static QString translated(const QString &text);
    // A description of a device kind still in its key form ("CONTROLLER_DESC_PH"), which a
    // translation has not resolved: a key, not a text to show.
    static bool isPlaceholder(const QString &text) { return text.endsWith(QLatin1String("_PH")); }
};
