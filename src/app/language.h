#pragma once

#include <QString>

class QObject;

// The interface language: Russian, or English (the texts of the code). Chosen once at start-up
// from the command line, else the stored choice, else the system locale.
namespace Language {

// Settings key of the stored choice: "ru", "en", or empty for the system's language.
inline constexpr const char *SettingsKey = "Misc/Language";

// "ru" for any Russian locale name or code ("ru", "ru_RU", "ru-UA"), "en" for anything else.
QString codeFor(const QString &localeName);
// The first non-empty of the command-line code and the stored code decides; else the system.
QString resolve(const QString &commandLine, const QString &stored, const QString &systemLocale);

QString storedChoice();
void setStoredChoice(const QString &code);

// Installs the catalogues of the code (ours and Qt's own) into the application; translators
// are children of owner. English installs nothing. False when our catalogue failed to load.
bool install(const QString &code, QObject *owner);

} // namespace Language
