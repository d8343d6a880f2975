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

    // Unless a row says otherwise: no adapter, no port, 250 kbit/s, no scheme.
    const auto row = [](const char *name, const QStringList &args, bool ok, int adapter = 0,
                        const QString &port = QString(), const QString &scheme = QString(),
                        unsigned bitRate = 250000u) {
        QTest::newRow(name) << args << ok << adapter << port << bitRate << scheme;
    };
    const int replay = CanHandlerFactory::Replay;
    const int canBus = CanHandlerFactory::CanBus;
    row("nothing: ask for everything", {"tarvik"}, true);
    row("scheme only", {"tarvik", "machine.tvsx"}, true, 0, "", "machine.tvsx");
    row("replay demo", {"tarvik", "--adapter", "replay"}, true, replay);
    row("demo bus", {"tarvik", "--demo"}, true, replay);
    row("demo refused on another adapter", {"tarvik", "--demo", "--adapter", "zentrax"}, false);
    row("serial path and rate",
        {"tarvik", "--adapter=zentrax", "--port", "/dev/serial/by-id/usb-x", "--bitrate", "500000",
         "a.tvsx"},
        true, CanHandlerFactory::Zentrax, "/dev/serial/by-id/usb-x", "a.tvsx", 500000u);
    row("adapter key ignores case", {"tarvik", "--adapter", "I7565"}, true,
        CanHandlerFactory::I7565);
    row("CAN bus port", {"tarvik", "--adapter", "canbus", "--port", "virtualcan:can0"}, true,
        canBus, "virtualcan:can0");
    row("two ports, two buses",
        {"tarvik", "--adapter", "canbus", "--port", "can0", "--port", "can1"}, true, canBus,
        "can0");
    row("second port empty", {"tarvik", "--port", "can0", "--port", ""}, false);
    row("library for a library adapter",
        {"tarvik", "--adapter", "slcan", "--library", "/opt/v/libslcan.so"}, true,
        CanHandlerFactory::Slcan);
    row("library replacing the RP1210 vendors' own",
        {"tarvik", "--adapter", "rp1210", "--port", "VND/1 Link", "--library", "C:/v/VND.DLL"},
        true, CanHandlerFactory::Rp1210, "VND/1 Link");
    row("library without adapter: for the dialog's choice",
        {"tarvik", "--library", "C:/vendor/op20pt32.dll"}, true);
    row("library refused for a serial adapter",
        {"tarvik", "--adapter", "zentrax", "--library", "/x.so"}, false);
    row("library path empty", {"tarvik", "--library", ""}, false);
    row("unknown adapter", {"tarvik", "--adapter", "peak"}, false);
    row("bit rate not a number", {"tarvik", "--bitrate", "fast"}, false);
    row("bit rate zero", {"tarvik", "--bitrate", "0"}, false);
    row("unknown option", {"tarvik", "--frobnicate"}, false);
    row("option without value", {"tarvik", "--port"}, false);
    row("language", {"tarvik", "--language", "de", "x.tvsx"}, true, 0, "", "x.tvsx");
    row("language without code", {"tarvik", "--language"}, false);
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
