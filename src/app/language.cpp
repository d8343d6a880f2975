#include "app/language.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace Language {

QString codeFor(const QString &localeName)
{
    const QString name = localeName.trimmed();
    if (name.isEmpty())
        return QStringLiteral("en");
    return QLocale(name).language() == QLocale::Russian ? QStringLiteral("ru")
                                                        : QStringLiteral("en");
}

QString resolve(const QString &commandLine, const QString &stored, const QString &systemLocale)
{
    if (!commandLine.trimmed().isEmpty())
        return codeFor(commandLine);
    if (!stored.trimmed().isEmpty())
        return codeFor(stored);
    return codeFor(systemLocale);
}

QString storedChoice()
{
    return QSettings().value(QLatin1String(SettingsKey)).toString();
}

void setStoredChoice(const QString &code)
{
    QSettings settings;
    if (code.isEmpty())
        settings.remove(QLatin1String(SettingsKey));
    else
        settings.setValue(QLatin1String(SettingsKey), code);
}

bool install(const QString &code, QObject *owner)
{
    if (code != QLatin1String("ru"))
        return true;
    auto *own = new QTranslator(owner);
    if (!own->load(QStringLiteral(":/tr/tarvik_ru.qm"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    // Qt's own texts (standard buttons, file dialogs); a missing file leaves them English.
    auto *qt = new QTranslator(owner);
    if (qt->load(QStringLiteral("qtbase_ru"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return true;
}

} // namespace Language
