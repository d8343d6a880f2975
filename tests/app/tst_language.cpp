#include "app/language.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QLibraryInfo>
#include <QtTest>

// The interface language both programs choose: from the command line, the stored choice or the
// system, and the translators installed for it (Tarvik's own and Qt's).
class tst_Language : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void languageOverride_data();
    void languageOverride();
    void russianInstallsQtTexts();
    void englishInstallsNothing();
};

void tst_Language::languageOverride_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("code");
    QTest::newRow("command line en on a Russian system") << "en" << "" << "ru_RU" << "en";
    QTest::newRow("command line ru on a German system") << "ru" << "" << "de_DE" << "ru";
    QTest::newRow("command line de: English") << "de" << "" << "ru_RU" << "en";
    QTest::newRow("stored ru on an English system") << "" << "ru" << "en_US" << "ru";
    QTest::newRow("stored en on a Russian system") << "" << "en" << "ru_RU" << "en";
    QTest::newRow("command line beats stored") << "en" << "ru" << "ru_RU" << "en";
    QTest::newRow("blank command line: stored") << " " << "ru" << "en_US" << "ru";
    QTest::newRow("nothing stored: system") << "" << "" << "ru_RU" << "ru";
    QTest::newRow("system ru") << "" << "" << "ru" << "ru";
    QTest::newRow("system ru_UA") << "" << "" << "ru_UA" << "ru";
    QTest::newRow("system en") << "" << "" << "en" << "en";
    QTest::newRow("system en_US") << "" << "" << "en_US" << "en";
    QTest::newRow("system de: English") << "" << "" << "de" << "en";
    QTest::newRow("system de_DE: English") << "" << "" << "de_DE" << "en";
    QTest::newRow("system uk_UA: English") << "" << "" << "uk_UA" << "en";
    QTest::newRow("system C: English") << "" << "" << "C" << "en";
    QTest::newRow("no system locale: English") << "" << "" << "" << "en";
    QTest::newRow("unknown system code: English") << "" << "" << "xx" << "en";
}

void tst_Language::languageOverride()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, stored);
    QFETCH(QString, system);
    QFETCH(QString, code);
    QCOMPARE(Language::resolve(commandLine, stored, system), code);
}

void tst_Language::russianInstallsQtTexts()
{
    const QString qtbase = QDir(QLibraryInfo::location(QLibraryInfo::TranslationsPath))
                               .filePath(QStringLiteral("qtbase_ru.qm"));
    QVERIFY2(QFile::exists(qtbase), "qtbase_ru.qm missing: install qttranslations5-l10n");
    {
        QObject owner;
        QVERIFY(Language::install(QStringLiteral("ru"), &owner));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QString::fromUtf8("Язык"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QString::fromUtf8("Отмена"));
    }
    // The translators go with their owner.
    QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QStringLiteral("Language"));
}

void tst_Language::englishInstallsNothing()
{
    QObject owner;
    QVERIFY(Language::install(QStringLiteral("en"), &owner));
    QVERIFY(owner.children().isEmpty());
    QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QStringLiteral("Language"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

QTEST_MAIN(tst_Language)
#include "tst_language.moc"
