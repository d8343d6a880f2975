#include "app/language.h"
#include "descriptions/builtintexts.h"
#include "descriptions/unitnames.h"
#include "model/descriptiontext.h"
#include "support/testenvironment.h"

#include <QDomDocument>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

struct Entry
{
    QString context;
    QString source;
    QStringList translations; // one, or one per plural form
    bool unfinished = false;
    bool obsolete = false;
};

QVector<Entry> readCatalogue(const QString &path, QString *error)
{
    QVector<Entry> entries;
    QFile file(path);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return entries;
    }
    if (!doc.setContent(&file, error))
        return entries;
    const QDomNodeList contexts = doc.elementsByTagName(QStringLiteral("context"));
    for (int c = 0; c < contexts.size(); ++c) {
        const QDomElement context = contexts.at(c).toElement();
        const QString name = context.firstChildElement(QStringLiteral("name")).text();
        for (QDomElement m = context.firstChildElement(QStringLiteral("message")); !m.isNull();
             m = m.nextSiblingElement(QStringLiteral("message"))) {
            const QDomElement t = m.firstChildElement(QStringLiteral("translation"));
            const QString type = t.attribute(QStringLiteral("type"));
            Entry e{name,
                    m.firstChildElement(QStringLiteral("source")).text(),
                    {},
                    type == QLatin1String("unfinished"),
                    type == QLatin1String("obsolete") || type == QLatin1String("vanished")};
            // Plain text, or plural forms as children.
            for (QDomElement n = t.firstChildElement(QStringLiteral("numerusform")); !n.isNull();
                 n = n.nextSiblingElement(QStringLiteral("numerusform")))
                e.translations.append(n.text());
            if (e.translations.isEmpty())
                e.translations.append(t.text());
            entries.append(e);
        }
    }
    return entries;
}

// The texts of a description file or scheme that the window shows: names, panel titles and
// labels, decoded-text formats, tab names.
QStringList shownTexts(const QDomElement &element)
{
    QStringList out;
    for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString tag = e.tagName();
        if (tag == QLatin1String("name") || tag == QLatin1String("title")
            || tag == QLatin1String("label") || tag == QLatin1String("value")) {
            if (!e.text().trimmed().isEmpty())
                out << e.text().trimmed();
        } else if (tag == QLatin1String("description")) {
            // "SPN 190: Engine Speed" shows as the number and the name, which is checked itself.
            static const QRegularExpression spn(QStringLiteral("^SPN [0-9]+: "));
            if (!e.text().trimmed().isEmpty() && !spn.match(e.text().trimmed()).hasMatch())
                out << e.text().trimmed();
        } else if (tag == QLatin1String("suffix")) {
            if (!e.text().trimmed().isEmpty())
                out << e.text();
        } else if (tag == QLatin1String("text") && e.hasAttribute(QStringLiteral("format"))) {
            out << e.attribute(QStringLiteral("format"));
        } else if (tag == QLatin1String("tab") && e.hasAttribute(QStringLiteral("name"))) {
            out << e.attribute(QStringLiteral("name"));
        }
        out << shownTexts(e);
    }
    return out;
}

QString describe(const Entry &e)
{
    return QStringLiteral("%1: \"%2\"").arg(e.context, e.source);
}

} // namespace

// The Russian catalogue covers every translatable text, and the language is chosen as asked.
class tst_Translations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void catalogueComplete();
    void placeholdersKept();
    void builtInTextsTranslated_data();
    void builtInTextsTranslated();
    void descriptionTextShown_data();
    void descriptionTextShown();
    void unitNameShown_data();
    void unitNameShown();
};

// lupdate run over the sources into a copy of the catalogue: any text of the code without a
// Russian entry comes out unfinished.
void tst_Translations::catalogueComplete()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("tarvik_ru.ts"));
    QVERIFY(QFile::copy(QStringLiteral(TARVIK_TS_FILE), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.setWorkingDirectory(QStringLiteral(TARVIK_SOURCE_DIR));
    lupdate.start(QStringLiteral(TARVIK_LUPDATE),
                  {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                   QStringLiteral("none"), QStringLiteral("."), QStringLiteral("-ts"), copy});
    QVERIFY2(lupdate.waitForFinished(60000), qPrintable(lupdate.errorString()));
    QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
             lupdate.readAll().constData());

    QString error;
    const QVector<Entry> entries = readCatalogue(copy, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(entries.size() > 100);
    QStringList missing;
    QStringList unfinishedLooking;
    for (const Entry &e : entries) {
        if (e.obsolete)
            continue;
        // Texts the user sees read as finished: no "TODO", menu items end in a real ellipsis.
        if (e.source.contains(QLatin1String("TODO")) || e.source.endsWith(QLatin1String("..")))
            unfinishedLooking.append(describe(e));
        const bool empty = std::any_of(e.translations.cbegin(), e.translations.cend(),
                                       [](const QString &t) { return t.trimmed().isEmpty(); });
        if (e.unfinished || empty)
            missing.append(describe(e));
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("No Russian entry (run the tarvik_lupdate target and "
                                       "translate):\n")
                        + missing.join(QLatin1Char('\n'))));
    QVERIFY2(unfinishedLooking.isEmpty(), qPrintable(unfinishedLooking.join(QLatin1Char('\n'))));
}

// Every numbered argument of a source text appears in each of its translations.
void tst_Translations::placeholdersKept()
{
    QString error;
    const QVector<Entry> entries = readCatalogue(QStringLiteral(TARVIK_TS_FILE), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QRegularExpression argument(QStringLiteral("%([1-9])"));
    QStringList broken;
    for (const Entry &e : entries) {
        if (e.obsolete)
            continue;
        auto it = argument.globalMatch(e.source);
        while (it.hasNext()) {
            const QString arg = it.next().captured(0);
            for (const QString &t : e.translations) {
                if (!t.contains(arg))
                    broken.append(describe(e) + QStringLiteral(" lacks ") + arg);
            }
        }
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
}

void tst_Translations::builtInTextsTranslated_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("function library") << ":/funcs.xml";
    QTest::newRow("device list") << ":/devices.xml";
    QTest::newRow("generic devices") << ":/devices/generic.xml";
    QTest::newRow("example scheme") << ":/demo/demo.tvsx";
}

// What the built-in descriptions and the example scheme show is listed for the catalogue (the
// generated list is current) and has a Russian text there.
void tst_Translations::builtInTextsTranslated()
{
    QFETCH(QString, source);
    QFile file(source);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(source));
    QDomDocument doc;
    QVERIFY(doc.setContent(&file));
    const QStringList texts = shownTexts(doc.documentElement());
    QVERIFY(!texts.isEmpty());
    QTranslator russian;
    QVERIFY(russian.load(QStringLiteral(":/tr/tarvik_ru.qm")));
    const QStringList listed = BuiltInTexts::all();
    QStringList unlisted;
    QStringList untranslated;
    for (const QString &text : texts) {
        if (!listed.contains(text))
            unlisted << text;
        if (russian.translate(DescriptionText::Context, text.toUtf8().constData()).isEmpty())
            untranslated << text;
    }
    QVERIFY2(unlisted.isEmpty(), qPrintable(QStringLiteral("Not in the generated list (run "
                                                           "scripts/builtin-texts.py):\n")
                                            + unlisted.join(QLatin1Char('\n'))));
    QVERIFY2(untranslated.isEmpty(),
             qPrintable(QStringLiteral("No Russian text:\n") + untranslated.join(QLatin1Char('\n'))));
}

void tst_Translations::descriptionTextShown_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a name of the descriptions")
        << "Engine Speed" << QString::fromUtf8("Частота вращения двигателя");
    QTest::newRow("a parameter's number and name")
        << "SPN 190: Engine Speed" << QString::fromUtf8("SPN 190: Частота вращения двигателя");
    QTest::newRow("a name the user gave") << "Boom pump" << "Boom pump";
    QTest::newRow("a number and a name of the user's") << "SPN 7: Boom pump" << "SPN 7: Boom pump";
    QTest::newRow("nothing") << "" << "";
}

// Built-in texts show in the interface language; anything else as written.
void tst_Translations::descriptionTextShown()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QObject owner;
    QVERIFY(Language::install(QStringLiteral("ru"), &owner));
    QCOMPARE(DescriptionText::translated(text), shown);
}

void tst_Translations::unitNameShown_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the example scheme's unit")
        << "Engine #1 (0x00)" << QString::fromUtf8("Двигатель №1 (0x00)");
    QTest::newRow("a built-in unit") << "Cabin controller (0x0A)"
                                     << QString::fromUtf8("Контроллер кабины (0x0A)");
    QTest::newRow("a preferred address's unit")
        << "Turbocharger (0x02)" << QString::fromUtf8("Турбокомпрессор (0x02)");
    QTest::newRow("without its address") << "Controller" << QString::fromUtf8("Контроллер");
    QTest::newRow("a unit without a name") << "Unit 0x1C" << QString::fromUtf8("Блок 0x1C");
    QTest::newRow("named in Russian already")
        << QString::fromUtf8("Двигатель №2 (0x01)") << QString::fromUtf8("Двигатель №2 (0x01)");
    QTest::newRow("a name the user gave") << "Boom pump (0x21)" << "Boom pump (0x21)";
    QTest::newRow("an address that is no address")
        << "Engine #1 (0x1234)" << "Engine #1 (0x1234)";
}

// The names of units as a job keeps them show in the interface language: the catalogue's
// names with their addresses, anything else as written.
void tst_Translations::unitNameShown()
{
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QObject owner;
    QVERIFY(Language::install(QStringLiteral("ru"), &owner));
    QCOMPARE(UnitNames::translated(label), shown);
}

QTEST_MAIN(tst_Translations)
#include "tst_translations.moc"
