#include "support/testenvironment.h"

#include "can/abstractcanhandler.h"
#include "can/dispatchresult.h"
#include "ui/application.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace TestEnvironment {

void init()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZentraxTest"));
    QCoreApplication::setApplicationName(QStringLiteral("TarvikTest"));
    initTarvikResources();
    registerCanMetaTypes();
    qRegisterMetaType<AbstractCanHandler::MessagePack>("AbstractCanHandler::MessagePack");
}

QString dataFile(const QString &name)
{
    const QString dir
        = qEnvironmentVariable("TARVIK_TEST_DATA", QStringLiteral(TARVIK_TEST_DATA_DIR));
    return QDir(dir).filePath(name);
}

} // namespace TestEnvironment
