#pragma once

#include <QString>

// The failure mode identifiers of a trouble code (FMI 0 to 31), in words.
namespace FmiTexts {

// The failure mode in the current language: "Current below normal or open circuit"; FMI 22 to
// 30 "Reserved for SAE assignment"; outside 0 to 31 an empty text.
QString text(quint32 fmi);
// The same in English, as the console program writes it.
QString englishText(quint32 fmi);

} // namespace FmiTexts
