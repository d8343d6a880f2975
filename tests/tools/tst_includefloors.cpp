// The folders of src/ stand on each other like floors: a file includes from its own folder and
// from the floors below it, never from above. This test reads every #include of src/ and fails
// on one that reaches up, so a new file cannot quietly tie a low floor to a high one again.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

namespace {

// Bottom to top. Folders on one floor (the two programs) do not include each other. Files
// directly in src/ (the programs' main()) stand above every floor.
const QVector<QStringList> floors = {
    {"util"},
    {"can"},
    {"model"},
    {"descriptions"},
    {"scheme"},
    {"diagnostics"},
    {"machine"},
    {"devicetests"},
    {"buscheck"},
    {"job"},
    {"demo"},
    {"app"},
    {"cli", "ui"},
};

struct Allowed
{
    QString from;     // file under src/
    QString included; // the header it includes, under src/
    QString reason;
};

// The few includes the design asks for. An entry whose include is gone fails the test too, so
// the list never keeps more than it needs.
const QVector<Allowed> allowed = {
    {"can/abstractcanhandler.cpp", "model/abstractdisplayableitem.h",
     "the handler asks the item a frame belongs to whether it is filtered out of the raw view"},
    {"model/abstractdisplayableitem.cpp", "scheme/abstractschemetreeitem.h",
     "an item creates its own tree item (createTreeItem), which the kinds above override"},
    {"model/abstractdisplayableitem.cpp", "descriptions/abstractdevicefactory.h",
     "an item creates its children by key through its catalogue (factoryCreateChild)"},
    {"model/j1939device.cpp", "descriptions/unknownpgnfactory.h",
     "a J1939 unit's catalogue of functions is the one for its unknown PGNs"},
    {"model/j1939device.cpp", "descriptions/xmlstaticpgnj1939devicefunction.h",
     "a J1939 unit read from a scheme creates its described functions"},
    {"descriptions/xmlstaticpgnj1939devicefunction.cpp", "scheme/xmlschemetreeitem.h",
     "a described function creates its tree item with the layout of its description"},
};

const int maxLines = 600;

int floorOf(const QString &folder)
{
    for (int i = 0; i < floors.size(); ++i) {
        if (floors.at(i).contains(folder))
            return i;
    }
    return floors.size(); // src/ itself and anything unknown: the top
}

QString folderOf(const QString &path)
{
    const int slash = path.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QStringList sourceFiles(const QString &root)
{
    QStringList files;
    QDirIterator it(root, {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

// Every include of a file under root that reaches up a floor or across the top floor, as
// "from -> included", leaving out the allowed ones; *unused gets the allowed entries not seen.
QStringList upwardIncludes(const QString &root, const QVector<Allowed> &allow, QStringList *unused)
{
    static const QRegularExpression includeLine(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)\""));
    const QDir top(root);
    QStringList found;
    QSet<int> used;
    for (const QString &from : sourceFiles(root)) {
        QFile file(top.filePath(from));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const QString fromFolder = folderOf(from);
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QRegularExpressionMatch m = includeLine.match(in.readLine());
            if (!m.hasMatch())
                continue;
            // Written relative to src/, or relative to the including file's folder.
            const QString name = m.captured(1);
            const QString besides = QDir::cleanPath(QFileInfo(from).path() + '/' + name);
            QString included;
            if (QFileInfo::exists(top.filePath(besides)))
                included = besides;
            else if (QFileInfo::exists(top.filePath(name)))
                included = QDir::cleanPath(name);
            else
                continue; // a system or generated header
            const QString toFolder = folderOf(included);
            if (toFolder == fromFolder || toFolder.isEmpty())
                continue;
            if (floorOf(toFolder) < floorOf(fromFolder))
                continue;
            int entry = -1;
            for (int i = 0; i < allow.size() && entry < 0; ++i) {
                if (allow.at(i).from == from && allow.at(i).included == included)
                    entry = i;
            }
            if (entry >= 0)
                used.insert(entry);
            else
                found << from + QStringLiteral(" -> ") + included;
        }
    }
    for (int i = 0; i < allow.size(); ++i) {
        if (!used.contains(i))
            unused->append(allow.at(i).from + QStringLiteral(" -> ") + allow.at(i).included);
    }
    return found;
}

void writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class tst_IncludeFloors : public QObject
{
    Q_OBJECT

private slots:
    void checkerSeesTheFloors_data();
    void checkerSeesTheFloors();
    void sourceTreeKeepsItsFloors();
    void sourceFilesStayShort();
};

void tst_IncludeFloors::checkerSeesTheFloors_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    // A small tree: model/item.h, ui/window.h, cli/command.h, model/editors/widget.h exist.
    QTest::newRow("down a floor") << "ui/window.cpp" << "#include \"model/item.h\"" << QStringList();
    QTest::newRow("same folder") << "model/other.cpp" << "#include \"model/item.h\"" << QStringList();
    QTest::newRow("own editors") << "model/item.cpp" << "#include \"model/editors/widget.h\"" << QStringList();
    QTest::newRow("beside the file") << "model/editors/widget.cpp" << "#include \"../item.h\"" << QStringList();
    QTest::newRow("system header") << "model/item.cpp" << "#include \"QString\"" << QStringList();
    QTest::newRow("main") << "main.cpp" << "#include \"ui/window.h\"" << QStringList();
    QTest::newRow("allowed") << "model/item.cpp" << "#include \"scheme/tree.h\"" << QStringList();
    QTest::newRow("up") << "model/item.cpp" << "#include \"ui/window.h\"" << QStringList{"model/item.cpp -> ui/window.h"};
    QTest::newRow("up, spaced") << "can/handler.cpp" << "  #  include \"model/item.h\"" << QStringList{"can/handler.cpp -> model/item.h"};
    QTest::newRow("up, relative") << "model/editors/widget.cpp" << "#include \"../../ui/window.h\"" << QStringList{"model/editors/widget.cpp -> ui/window.h"};
    QTest::newRow("across the top") << "cli/command.cpp" << "#include \"ui/window.h\"" << QStringList{"cli/command.cpp -> ui/window.h"};
    QTest::newRow("unknown folder") << "model/item.cpp" << "#include \"extra/thing.h\"" << QStringList{"model/item.cpp -> extra/thing.h"};
}

void tst_IncludeFloors::checkerSeesTheFloors()
{
    QFETCH(QString, from);
    QFETCH(QString, line);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *header : {"model/item.h", "ui/window.h", "cli/command.h",
                               "model/editors/widget.h", "scheme/tree.h", "extra/thing.h"})
        writeFile(dir.filePath(header), "#pragma once\n");
    writeFile(dir.filePath(from), line.toUtf8() + "\nint x;\n");

    const QVector<Allowed> allow = {{"model/item.cpp", "scheme/tree.h", "a test entry"},
                                    {"model/gone.cpp", "scheme/tree.h", "never seen"}};
    QStringList unused;
    QCOMPARE(upwardIncludes(dir.path(), allow, &unused), expected);
    const bool allowedSeen = from == QLatin1String("model/item.cpp") && line.contains("scheme/tree.h");
    QCOMPARE(unused.size(), allowedSeen ? 1 : 2);
    QCOMPARE(unused.last(), QStringLiteral("model/gone.cpp -> scheme/tree.h"));
}

void tst_IncludeFloors::sourceTreeKeepsItsFloors()
{
    QStringList unused;
    const QStringList upward = upwardIncludes(TARVIK_SOURCE_DIR, allowed, &unused);
    for (const QString &include : upward)
        qWarning("reaches up a floor: %s", qPrintable(include));
    for (const QString &include : unused)
        qWarning("allowed but no longer made: %s", qPrintable(include));
    QVERIFY(upward.isEmpty());
    QVERIFY(unused.isEmpty());
}

void tst_IncludeFloors::sourceFilesStayShort()
{
    const QDir top(TARVIK_SOURCE_DIR);
    QStringList tooLong;
    for (const QString &path : sourceFiles(top.path())) {
        QFile file(top.filePath(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const int lines = file.readAll().count('\n');
        if (lines > maxLines) {
            qWarning("%s has %d lines", qPrintable(path), lines);
            tooLong << path;
        }
    }
    QVERIFY(tooLong.isEmpty());
}

QTEST_GUILESS_MAIN(tst_IncludeFloors)
#include "tst_includefloors.moc"
