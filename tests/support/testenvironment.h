#pragma once

#include <QByteArray>
#include <QString>

class QTemporaryDir;

// Common set-up of every test executable: metatypes, resources and a private settings store.
namespace TestEnvironment {
void init();
// init() for tests of schemes and the window: own settings store, built-in descriptions only,
// the diagnostic and machine functions registered as at start-up, developer messages quiet.
void initSchemeTests(const QString &applicationName);
// Developer messages heard while it lives, for a test that expects one of them.
struct DeveloperMessages
{
    DeveloperMessages();
    ~DeveloperMessages();
};
// Writes `content` to the file `name` in `dir`: its path, or empty when it cannot.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content);
// Writes `content` to `path`; false when it cannot.
bool writeFile(const QString &path, const QByteArray &content);
// The whole file, or empty when it cannot be read.
QByteArray readFile(const QString &path);
// Path of a file under tests/data.
QString dataFile(const QString &name);
// Units (top-level device elements) of a scheme file, by default the built-in example.
int schemeUnits(const QString &path = QStringLiteral(":/demo/demo.tvsx"));
// A scheme of units and functions described inline in XML, beside a catalogue unit.
QString describedUnitsScheme();
} // namespace TestEnvironment
