#include "can/canhandlerfactory.h"
#include "support/testenvironment.h"
#include "ui/commandline.h"

#include <QtTest>

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void parse_data();
    void parse();
    void helpListsOptions();
    void schemeToOpen_data();
    void schemeToOpen();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("adapter");
    QTest::addColumn<QString>("port");
    QTest::addColumn<unsigned>("bitRate");
    QTest::addColumn<QString>("scheme");

    QTest::newRow("nothing: ask for everything")
        << QStringList{"tarvik"} << true << 0 << "" << 250000u << "";
    QTest::newRow("scheme only") << QStringList{"tarvik", "machine.tvsx"} << true << 0 << ""
                                 << 250000u << "machine.tvsx";
    QTest::newRow("replay demo") << QStringList{"tarvik", "--adapter", "replay"} << true
                                 << int(CanHandlerFactory::Replay) << "" << 250000u << "";
    QTest::newRow("demo bus") << QStringList{"tarvik", "--demo"} << true
                              << int(CanHandlerFactory::Replay) << "" << 250000u << "";
    QTest::newRow("demo refused on another adapter")
        << QStringList{"tarvik", "--demo", "--adapter", "zentrax"} << false << 0 << "" << 250000u
        << "";
    QTest::newRow("serial path and rate") << QStringList{"tarvik",    "--adapter=zentrax",
                                                         "--port",    "/dev/serial/by-id/usb-x",
                                                         "--bitrate", "500000",
                                                         "a.tvsx"}
                                          << true << int(CanHandlerFactory::Zentrax)
                                          << "/dev/serial/by-id/usb-x" << 500000u << "a.tvsx";
    QTest::newRow("adapter key ignores case")
        << QStringList{"tarvik", "--adapter", "I7565"} << true << int(CanHandlerFactory::I7565)
        << "" << 250000u << "";
    QTest::newRow("CAN bus port") << QStringList{"tarvik", "--adapter", "canbus", "--port",
                                                 "virtualcan:can0"}
                                  << true << int(CanHandlerFactory::CanBus) << "virtualcan:can0"
                                  << 250000u << "";
    QTest::newRow("two ports, two buses")
        << QStringList{"tarvik", "--adapter", "canbus", "--port", "can0", "--port", "can1"} << true
        << int(CanHandlerFactory::CanBus) << "can0" << 250000u << "";
    QTest::newRow("second port empty") << QStringList{"tarvik", "--port", "can0", "--port", ""}
                                       << false << 0 << "" << 250000u << "";
    QTest::newRow("library for a library adapter")
        << QStringList{"tarvik", "--adapter", "slcan", "--library", "/opt/v/libslcan.so"} << true
        << int(CanHandlerFactory::Slcan) << "" << 250000u << "";
    QTest::newRow("library replacing the RP1210 vendors' own")
        << QStringList{"tarvik",     "--adapter", "rp1210",      "--port",
                       "VND/1 Link", "--library", "C:/v/VND.DLL"}
        << true << int(CanHandlerFactory::Rp1210) << "VND/1 Link" << 250000u << "";
    QTest::newRow("library without adapter: for the dialog's choice")
        << QStringList{"tarvik", "--library", "C:/vendor/op20pt32.dll"} << true << 0 << ""
        << 250000u << "";
    QTest::newRow("library refused for a serial adapter")
        << QStringList{"tarvik", "--adapter", "zentrax", "--library", "/x.so"} << false << 0 << ""
        << 250000u << "";
    QTest::newRow("library path empty")
        << QStringList{"tarvik", "--library", ""} << false << 0 << "" << 250000u << "";
    QTest::newRow("unknown adapter")
        << QStringList{"tarvik", "--adapter", "peak"} << false << 0 << "" << 250000u << "";
    QTest::newRow("bit rate not a number")
        << QStringList{"tarvik", "--bitrate", "fast"} << false << 0 << "" << 250000u << "";
    QTest::newRow("bit rate zero")
        << QStringList{"tarvik", "--bitrate", "0"} << false << 0 << "" << 250000u << "";
    QTest::newRow("unknown option")
        << QStringList{"tarvik", "--frobnicate"} << false << 0 << "" << 250000u << "";
    QTest::newRow("option without value")
        << QStringList{"tarvik", "--port"} << false << 0 << "" << 250000u << "";
    QTest::newRow("language") << QStringList{"tarvik", "--language", "de", "x.tvsx"} << true << 0
                              << "" << 250000u << "x.tvsx";
    QTest::newRow("language without code")
        << QStringList{"tarvik", "--language"} << false << 0 << "" << 250000u << "";
}

void tst_CommandLine::parse()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(int, adapter);
    QFETCH(QString, port);
    QFETCH(unsigned, bitRate);
    QFETCH(QString, scheme);
    const CommandLineOptions options = CommandLineOptions::parse(args);
    QCOMPARE(options.error.isEmpty(), ok);
    if (!ok)
        return;
    QCOMPARE(options.adapterType, adapter);
    QCOMPARE(options.port, port);
    // Every further --port is a bus of its own.
    QStringList ports;
    for (int i = args.indexOf(QStringLiteral("--port")); i >= 0;
         i = args.indexOf(QStringLiteral("--port"), i + 1))
        ports << args.at(i + 1);
    QCOMPARE(options.morePorts, ports.mid(1));
    QCOMPARE(options.bitRate, bitRate);
    QCOMPARE(options.schemeFile, scheme);
    const int library = args.indexOf(QStringLiteral("--library"));
    QCOMPARE(options.libraryPath, library < 0 ? QString() : args.at(library + 1));
    const int language = args.indexOf(QStringLiteral("--language"));
    QCOMPARE(options.language, language < 0 ? QString() : args.at(language + 1));
}

void tst_CommandLine::helpListsOptions()
{
    const QString help = CommandLineOptions::helpText();
    for (const char *option :
         {"--adapter", "--port", "--library", "--bitrate", "--language", "--help", "--version"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    for (const QString &key : CanHandlerFactory::commandLineKeys())
        QVERIFY(help.contains(key));
    QVERIFY(CommandLineOptions::parse({"tarvik", "-h"}).showHelp);
    QVERIFY(CommandLineOptions::parse({"tarvik", "--version"}).showVersion);
}

void tst_CommandLine::schemeToOpen_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("scheme");
    const int replay = CanHandlerFactory::Replay;
    const int zentrax = CanHandlerFactory::Zentrax;
    QTest::newRow("demo chosen in the dialog opens the example")
        << QStringList{"tarvik"} << replay << ":/demo/demo.tvsx";
    QTest::newRow("another adapter chosen in the dialog opens nothing")
        << QStringList{"tarvik"} << zentrax << "";
    QTest::newRow("demo on the command line keeps the scheme empty")
        << QStringList{"tarvik", "--adapter", "replay"} << replay << "";
    QTest::newRow("--demo opens the example")
        << QStringList{"tarvik", "--demo"} << replay << ":/demo/demo.tvsx";
    QTest::newRow("--demo with a named scheme opens that one")
        << QStringList{"tarvik", "--demo", "mine.tvsx"} << replay << "mine.tvsx";
    QTest::newRow("a named scheme wins over the example")
        << QStringList{"tarvik", "mine.tvsx"} << replay << "mine.tvsx";
    QTest::newRow("a named scheme with a named adapter")
        << QStringList{"tarvik", "--adapter", "zentrax", "mine.tvsx"} << zentrax << "mine.tvsx";
}

void tst_CommandLine::schemeToOpen()
{
    QFETCH(QStringList, args);
    QFETCH(int, chosen);
    QFETCH(QString, scheme);
    const CommandLineOptions options = CommandLineOptions::parse(args);
    QVERIFY(options.error.isEmpty());
    QCOMPARE(options.schemeToOpen(chosen), scheme);
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
