#include "support/testenvironment.h"

#include "app/builtins.h"
#include "app/resources.h"
#include "can/abstractcanhandler.h"
#include "can/dispatchresult.h"
#include "descriptions/descriptionfiles.h"
#include "devicetests/devicetestsregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace TestEnvironment {

void init()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZentraxTest"));
    QCoreApplication::setApplicationName(QStringLiteral("TarvikTest"));
    initTarvikResources();
    registerCanMetaTypes();
    qRegisterMetaType<AbstractCanHandler::MessagePack>("AbstractCanHandler::MessagePack");
    // Every test sees the catalogue the programs show.
    registerDeviceTests();
}

void initSchemeTests(const QString &applicationName)
{
    init();
    QCoreApplication::setApplicationName(applicationName);
    QSettings().clear();
    // As in the programs: the developer messages of a whole window stay quiet, so a failure's
    // own lines are what the test prints (QT_LOGGING_RULES="default.debug=true" shows them).
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    registerBuiltIns();
}

DeveloperMessages::DeveloperMessages()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
}

DeveloperMessages::~DeveloperMessages()
{
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    return writeFile(path, content) ? path : QString();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString dataFile(const QString &name)
{
    const QString dir
        = qEnvironmentVariable("TARVIK_TEST_DATA", QStringLiteral(TARVIK_TEST_DATA_DIR));
    return QDir(dir).filePath(name);
}

int schemeUnits(const QString &path)
{
    QFile file(path);
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file))
        return -1;
    int units = 0;
    for (QDomElement e = document.documentElement().firstChildElement(QStringLiteral("device"));
         !e.isNull(); e = e.nextSiblingElement(QStringLiteral("device")))
        ++units;
    return units;
}

QString describedUnitsScheme()
{
    return dataFile(QStringLiteral("described-units.tvsx"));
}

} // namespace TestEnvironment
