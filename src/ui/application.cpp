#include "ui/application.h"

#include "app/builtins.h"
#include "app/bussession.h"
#include "app/busstartup.h"
#include "app/language.h"
#include "app/resources.h"
#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/canthread.h"
#include "can/dispatchresult.h"
#include "can/guimessagenotifier.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "model/units.h"
#include "model/zxvariant.h"
#include "ui/commandline.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QInputDialog>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>
#include <memory>

namespace {

int choosePortWithDialog(const QStringList &names)
{
    bool ok = false;
    const QString chosen
        = QInputDialog::getItem(nullptr, QCoreApplication::translate("Main", "Select port"),
                                QCoreApplication::translate("Main", "Port"), names, 0, false, &ok);
    return ok ? names.indexOf(chosen) : -1;
}

// Help and version are text only: they need no display, so they work on a console without one.
bool asksForTextOnly(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "--help" || argument == "-v"
            || argument == "--version")
            return true;
    }
    return false;
}

void printOut(const QString &text, FILE *stream)
{
    std::fputs(qPrintable(text), stream);
    std::fputc('\n', stream);
}

} // namespace

int runTarvik(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app;
    if (asksForTextOnly(argc, argv))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    // Developer messages stay quiet unless asked for (QT_LOGGING_RULES="default.debug=true").
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zentrax"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    initTarvikResources();

    // The language comes first, so that even the command line's errors and help are in it;
    // the options are read again once it is installed.
    CommandLineOptions options = CommandLineOptions::parse(QCoreApplication::arguments());
    Language::install(Language::resolve(options.language, Language::storedChoice(),
                                        QLocale::system().name()),
                      app.get());
    options = CommandLineOptions::parse(QCoreApplication::arguments());
    if (!options.error.isEmpty()) {
        printOut(options.error, stderr);
        printOut(CommandLineOptions::helpText(), stderr);
        return 1;
    }
    if (options.showHelp) {
        printOut(CommandLineOptions::helpText(), stdout);
        return 0;
    }
    if (options.showVersion) {
        printOut(QStringLiteral("Tarvik %1").arg(QCoreApplication::applicationVersion()), stdout);
        return 0;
    }
    if (!qobject_cast<QApplication *>(app.get()))
        return 1;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/hicolor/256x256/tarvik.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvik"));

    registerCanMetaTypes();
    qRegisterMetaType<ZxVariant>("ZxVariant");
    Units::init();
    registerBuiltIns();
    DescriptionFiles::setFaultReporter([](const QString &message) {
        QMessageBox::warning(nullptr, QCoreApplication::translate("Main", "Description files"),
                             message);
    });

    CanHandlerFactory::AdapterOptions adapterOptions;
    adapterOptions.libraryPath = options.libraryPath;
    QString unusable;
    if (options.adapterType != CanHandlerFactory::None
        && !CanHandlerFactory::probe(options.adapterType, adapterOptions, &unusable)) {
        printOut(unusable, stderr);
        return 1;
    }

    QThread::currentThread()->setObjectName(QStringLiteral("MainThread"));
    // The first bus: its catalogue, thread and notifier outlive the window.
    BusSession bus;
    QString error;
    if (!bus.create(options.adapterType, adapterOptions, &error)) {
        // No handler: the dialog was closed, or the chosen adapter cannot work.
        if (error.isEmpty())
            return 0;
        const QString title = QCoreApplication::translate("Main", "CAN handler init error");
        printOut(QStringLiteral("%1: %2").arg(title, error), stderr);
        QMessageBox::critical(nullptr, title, error, QMessageBox::Ok);
        return 1;
    }

    auto window = std::make_unique<MainWindow>();
    window->show();
    window->attachBus(bus.handler(), bus.notifier());
    const BusStartup::Result started
        = bus.start(options.port, options.bitRate, choosePortWithDialog);
    if (started.exitCode != 0) {
        if (!started.errorTitle.isEmpty()) {
            printOut(QStringLiteral("%1: %2").arg(started.errorTitle, started.errorText), stderr);
            QMessageBox::critical(nullptr, started.errorTitle, started.errorText, QMessageBox::Ok);
        }
        window.reset();
        return started.exitCode;
    }

    window->showConnection(CanHandlerFactory::connectionSource(bus.handlerType(), started.port),
                           started.port);
    // Further ports of the same adapter are buses of their own (can0 and can1).
    for (const QString &port : options.morePorts) {
        if (!window->addBus(bus.handlerType(), adapterOptions, port, options.bitRate))
            break;
    }
    const QString scheme = options.schemeToOpen(bus.handlerType());
    if (!scheme.isEmpty())
        window->openScheme(scheme);

    const int code = app->exec();
    // The window's own buses end with it; the first bus's units go with its thread after it.
    window.reset();
    bus.stop();
    return code;
}
