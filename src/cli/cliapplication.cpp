#include "cli/cliapplication.h"

#include "app/builtins.h"
#include "app/language.h"
#include "app/resources.h"
#include "can/dispatchresult.h"
#include "cli/clicommand.h"
#include "descriptions/descriptionfiles.h"
#include "model/units.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

int runTarvikCli(int argc, char **argv)
{
    // A report's PDF and the snapshots' plots need fonts and a paint engine, so those commands
    // run as a graphical application (opening no window). Where the default platform needs a
    // display server (X11, Wayland) it runs offscreen unless a platform was asked for; Windows
    // always has its own.
    const bool graphical = argc > 1
                           && (std::strcmp(argv[1], "report") == 0
                               || std::strcmp(argv[1], "snapshots") == 0);
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (graphical && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    std::unique_ptr<QCoreApplication> app(graphical ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    // Developer messages stay quiet unless asked for (QT_LOGGING_RULES="default.debug=true").
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zentrax"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    initTarvikResources();
    Language::install(
        Language::resolve(QString(), Language::storedChoice(), QLocale::system().name()), app.get());
    registerCanMetaTypes();
    Units::init();
    registerBuiltIns();

    QTextStream out(stdout);
    QTextStream err(stderr);
    // Decoders in threads of their own may each find a fault.
    std::mutex reporting;
    DescriptionFiles::setFaultReporter([&err, &reporting](const QString &message) {
        std::lock_guard locker(reporting);
        err << message << '\n';
        err.flush();
    });
    const int code = CliCommand::run(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
