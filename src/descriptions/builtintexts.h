#pragma once

#include <QStringList>

// The texts of the built-in description files and the example scheme that the window shows,
// listed for the translation catalogue (context "DescriptionText").
namespace BuiltInTexts {

QStringList all();

} // namespace BuiltInTexts
