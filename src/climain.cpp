// Entry of the console program: sub-command dispatch only.
#include "cli/recordcommand.h"
#include "ui/application.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    initTarvikResources();
    QCoreApplication::setOrganizationName(QStringLiteral("Zentrax"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    if (command == QLatin1String("record"))
        return runRecordCommand(arguments, out, err);
    err << "Usage: tarvik-cli record --adapter A --port P [--bitrate N] [-o FILE] [--duration S]"
        << Qt::endl;
    return 2;
}
