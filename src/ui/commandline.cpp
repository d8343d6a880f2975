#include "ui/commandline.h"

#include "can/canhandlerfactory.h"
#include "can/replaycanhandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption adapter{
        QStringLiteral("adapter"),
        QCoreApplication::translate("Main", "Adapter type, skipping the choice "
                                            "dialog: %1.")
            .arg(CanHandlerFactory::commandLineKeys().join(QLatin1String(", "))),
        QStringLiteral("name")};
    QCommandLineOption port{QStringLiteral("port"),
                            QCoreApplication::translate(
                                "Main", "Adapter port, skipping the port dialog: a listed name, a "
                                        "serial device path, a CAN bus plugin:interface, or a "
                                        "recording to replay (candump *.log, Vector *.asc, PEAK "
                                        "*.trc, MF4, BLF, pcap, pcapng). Given again, each "
                                        "further port is a bus of its own."),
                            QStringLiteral("name")};
    QCommandLineOption library{
        QStringLiteral("library"),
        QCoreApplication::translate("Main", "Adapter library to load for j2534, slcan, slmcp or "
                                            "rp1210, instead of the configured or default one."),
        QStringLiteral("path")};
    QCommandLineOption bitRate{
        QStringLiteral("bitrate"),
        QCoreApplication::translate("Main", "Bus bit rate in bit/s (default 250000)."),
        QStringLiteral("n")};
    QCommandLineOption language{
        QStringLiteral("language"),
        QCoreApplication::translate("Main", "Interface language: ru for Russian, anything else "
                                            "for English (default: the system's)."),
        QStringLiteral("code")};
    QCommandLineOption demo{
        QStringLiteral("demo"),
        QCoreApplication::translate("Main", "Start on the built-in demo bus with the example "
                                            "scheme (the replay adapter on its recording).")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QCoreApplication::translate("Main", "Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QCoreApplication::translate("Main", "Show the version and exit.")};

    Parser()
    {
        parser.setApplicationDescription(QCoreApplication::translate(
            "Main", "Tarvik: service and diagnostic tool for the SAE J1939 CAN bus."));
        parser.addOptions({adapter, port, library, bitRate, language, demo, help, version});
        parser.addPositionalArgument(
            QStringLiteral("scheme"),
            QCoreApplication::translate("Main", "Scheme file (*.tvsx) to open."),
            QStringLiteral("[scheme]"));
    }
};

} // namespace

CommandLineOptions CommandLineOptions::parse(const QStringList &arguments)
{
    CommandLineOptions options;
    Parser p;
    if (!p.parser.parse(arguments)) {
        options.error = p.parser.errorText();
        return options;
    }
    options.showHelp = p.parser.isSet(p.help);
    options.language = p.parser.value(p.language);
    options.showVersion = p.parser.isSet(p.version);
    if (p.parser.isSet(p.adapter)) {
        const QString key = p.parser.value(p.adapter);
        options.adapterType = CanHandlerFactory::typeForKey(key);
        if (options.adapterType == CanHandlerFactory::None) {
            options.error
                = QCoreApplication::translate("Main", "Unknown adapter '%1' (one of: %2)")
                      .arg(key, CanHandlerFactory::commandLineKeys().join(QLatin1String(", ")));
            return options;
        }
    }
    options.demo = p.parser.isSet(p.demo);
    if (options.demo) {
        if (options.adapterType != CanHandlerFactory::None
            && options.adapterType != CanHandlerFactory::Replay) {
            options.error = QCoreApplication::translate(
                                "Main", "--demo runs on the replay adapter, not on '%1'")
                                .arg(CanHandlerFactory::commandLineKey(options.adapterType));
            return options;
        }
        options.adapterType = CanHandlerFactory::Replay;
    }
    if (p.parser.isSet(p.port)) {
        const QStringList ports = p.parser.values(p.port);
        options.port = ports.first();
        options.morePorts = ports.mid(1);
        if (ports.contains(QString())) {
            options.error = QCoreApplication::translate("Main", "The port name is empty");
            return options;
        }
    }
    if (p.parser.isSet(p.library)) {
        options.libraryPath = p.parser.value(p.library);
        if (options.libraryPath.isEmpty()) {
            options.error = QCoreApplication::translate("Main", "The library path is empty");
            return options;
        }
        if (options.adapterType != CanHandlerFactory::None
            && !CanHandlerFactory::usesLibrary(options.adapterType)) {
            options.error = QCoreApplication::translate(
                                "Main", "--library applies to the j2534, slcan, slmcp and "
                                        "rp1210 adapters, not to '%1'")
                                .arg(CanHandlerFactory::commandLineKey(options.adapterType));
            return options;
        }
    }
    if (p.parser.isSet(p.bitRate)) {
        bool ok = false;
        const uint rate = p.parser.value(p.bitRate).toUInt(&ok);
        if (!ok || rate == 0) {
            options.error = QCoreApplication::translate("Main", "Invalid bit rate '%1'")
                                .arg(p.parser.value(p.bitRate));
            return options;
        }
        options.bitRate = rate;
    }
    const QStringList positional = p.parser.positionalArguments();
    if (!positional.isEmpty())
        options.schemeFile = positional.first();
    return options;
}

QString CommandLineOptions::helpText()
{
    Parser p;
    return p.parser.helpText();
}

QString CommandLineOptions::schemeToOpen(int chosenAdapterType) const
{
    if (!schemeFile.isEmpty())
        return schemeFile;
    // Only a choice made in the dialog: "--adapter replay" alone keeps an empty scheme, so the
    // recording's units can be found by auto-add.
    if ((demo || adapterType == CanHandlerFactory::None)
        && chosenAdapterType == CanHandlerFactory::Replay)
        return QString::fromLatin1(ReplayCanHandler::DemoScheme);
    return QString();
}
