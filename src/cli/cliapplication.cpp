#include "cli/cliapplication.h"

#include "app/builtins.h"
#include "app/language.h"
#include "app/resources.h"
#include "can/dispatchresult.h"
#include "cli/clicommand.h"
#include "descriptions/descriptionfiles.h"
#include "model/abstractdisplayableitem.h"
#include "model/units.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <memory>

int runTarvikCli(int argc, char **argv)
{
    // The snapshots' plots have texts, which need the fonts of a QGuiApplication; it opens no
    // window, and off Windows the offscreen platform needs no display.
    const bool paints = argc > 1 && qstrcmp(argv[1], "snapshots") == 0;
#ifndef Q_OS_WIN
    if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    std::unique_ptr<QCoreApplication> application(paints ? new QGuiApplication(argc, argv)
                                                         : new QCoreApplication(argc, argv));
    QCoreApplication &app = *application;
    // Developer messages stay quiet unless asked for (QT_LOGGING_RULES="default.debug=true").
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zentrax"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    initTarvikResources();
    Language::install(
        Language::resolve(QString(), Language::storedChoice(), QLocale::system().name()), &app);
    registerCanMetaTypes();
    Units::init();
    registerBuiltIns();
    // No raw view to describe the frames for.
    AbstractDisplayableItem::setDescribeFrames(false);
    // Recordings play without an event loop, faster than real time: no timer reads the stamps.
    AbstractDisplayableItem::setStampWallClock(false);

    QTextStream out(stdout);
    QTextStream err(stderr);
    DescriptionFiles::setFaultReporter([&err](const QString &message) {
        err << message << '\n';
        err.flush();
    });
    const int code = CliCommand::run(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
