// Heavy-duty adapter (RP1210) handler on its fake vendor library and a folder of INI files.
#include "app/busstartup.h"
#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"
#include "can/rp1210canhandler.h"
#include "can/rp1210records.h"
#include "can/tooladdress.h"
#include "diagnostics/addressclaimfunction.h"
#include "support/adapterharness.h"
#include "support/fakelibrary.h"
#include "support/rp1210folder.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

using Protocol = Rp1210Records::Protocol;
using Handler = Exposed<Rp1210CanHandler>;

namespace {

// The tool's default NAME (identity 0x1F9, function 129, arbitrary address capable), least
// significant byte first, between the address and the wait flag of Protect_J1939_Address.
const QString ProtectF9
    = QStringLiteral("RP1210_SendCommand cmd=19 client=1 [F9F90100000081008000]");

QStringList connectCalls(const char *protocol, int device = 1)
{
    return {QStringLiteral("RP1210_ClientConnect dev=%1 protocol=%2 tx=0 rx=0 app=0")
                .arg(device)
                .arg(QLatin1String(protocol)),
            "RP1210_SendCommand cmd=3 client=1 []", "RP1210_SendCommand cmd=18 client=1 [01]"};
}

} // namespace

Q_DECLARE_METATYPE(Protocol)

class tst_Rp1210CanHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init() { FakeLibrary::clearLog(); }

    void messageLayouts_data();
    void messageLayouts();
    void lifecycle_data();
    void lifecycle();
    void toolClaimIsTheAdapters();
    void iniFiles_data();
    void iniFiles();
    void vendorLibraryFromTheFolder();
    void chosenInTheWindow();
};

void tst_Rp1210CanHandler::messageLayouts_data()
{
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<CanMessage>("frame");
    QTest::addColumn<QString>("message");
    QTest::newRow("j1939 pdu2: PGN with PS, global destination")
        << Protocol::J1939 << makeFrame(0x18FEF100, {1, 2}) << "F1FE000600FF0102";
    QTest::newRow("j1939 pdu1: destination from PS, PGN without it")
        << Protocol::J1939 << makeFrame(0x18EF2AF9, {0xAA}) << "00EF0006F92AAA";
    QTest::newRow("j1939 data page, priority 3, no data")
        << Protocol::J1939 << makeFrame(0x0DFE1020, {}) << "10FE010320FF";
    QTest::newRow("j1939 every identifier bit")
        << Protocol::J1939 << makeFrame(0x1FFFFFFF, {0xFF}) << "FFFF0307FFFFFF";
    QTest::newRow("j1939 cannot carry a standard frame")
        << Protocol::J1939 << makeFrame(0x1A0, {1}, false) << "";
    QTest::newRow("can extended: type 1, 4 identifier bytes")
        << Protocol::Can << makeFrame(0x18FEF100, {1}) << "0118FEF10001";
    QTest::newRow("can standard: type 0, 2 identifier bytes")
        << Protocol::Can << makeFrame(0x1A0, {1, 2}, false) << "0001A00102";
}

void tst_Rp1210CanHandler::messageLayouts()
{
    QFETCH(Protocol, protocol);
    QFETCH(CanMessage, frame);
    QFETCH(QString, message);
    const QByteArray sent = Rp1210Records::toMessage(protocol, frame);
    QCOMPARE(QString::fromLatin1(sent.toHex().toUpper()), message);
    if (sent.isEmpty())
        return;
    // What goes out comes back the same behind a received message's time stamp.
    const QByteArray received = QByteArray::fromHex("00001234") + sent;
    CanMessage back;
    QCOMPARE(Rp1210Records::fromMessage(protocol, received.constData(), received.size(), &back),
             Rp1210Records::ReadResult::Frame);
    QCOMPARE(back.toString(), frame.toString());
    QCOMPARE(back.extended, frame.extended);
}

void tst_Rp1210CanHandler::lifecycle_data()
{
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<QString>("name");
    QTest::newRow("j1939 claims the tool's address") << Protocol::J1939 << "J1939";
    QTest::newRow("raw can claims nothing") << Protocol::Can << "CAN";
}

void tst_Rp1210CanHandler::lifecycle()
{
    QFETCH(Protocol, protocol);
    QFETCH(QString, name);
    const bool j1939 = protocol == Protocol::J1939;
    Rp1210Folder folder;
    FakeLibrary fake(FakeLibrary::Rp1210);
    auto handler = std::make_unique<Handler>(nullptr, folder.options(protocol));
    QVERIFY2(handler->isReady(), qPrintable(handler->lastError()));
    QCOMPARE(handler->transceivers(), (QList<QPair<int, QString>>{{0, Rp1210Folder::portName(1)},
                                                                  {1, Rp1210Folder::portName(2)}}));
    QVERIFY(handler->setTransceiver(1));
    // Before the connect the rate is remembered and the connect uses it.
    QVERIFY(handler->setBaudRate(500000));
    QVERIFY(FakeLibrary::calls().isEmpty());
    QVERIFY2(handler->start(), qPrintable(handler->lastError()));
    QStringList expected = connectCalls(qPrintable(name + QStringLiteral(":Baud=500")), 2);
    if (j1939)
        expected << ProtectF9;
    QCOMPARE(FakeLibrary::calls(), expected);
    QCOMPARE(handler->protectedAddress(), j1939 ? 0xF9 : -1);

    // Frames sent and read are the adapter contract's (tst_adaptercontract). A new rate is a new
    // connection, the claim made again with it.
    FakeLibrary::clearLog();
    QVERIFY(handler->setBaudRate(250000));
    expected = QStringList{"RP1210_ClientDisconnect client=1"}
               + connectCalls(qPrintable(name + QStringLiteral(":Baud=250")), 2);
    if (j1939)
        expected << ProtectF9;
    QCOMPARE(FakeLibrary::calls(), expected);
    QCOMPARE(fake.maxInFlight(), 1);
    FakeLibrary::clearLog();
    fake.release();
    handler.reset();
    QCOMPARE(FakeLibrary::calls(), (QStringList{"RP1210_ClientDisconnect client=1", "unload"}));
}

void tst_Rp1210CanHandler::toolClaimIsTheAdapters()
{
    Rp1210Folder folder;
    FakeLibrary fake(FakeLibrary::Rp1210);
    Handler handler(nullptr, folder.options());
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(handler.start());
    FakeLibrary::clearLog();
    auto send = [&](const CanMessage &m) {
        bool ok = false;
        handler.sendMessagesImpl(&m, 1, &ok);
        return ok;
    };
    const quint64 tool = ToolAddress::of(handler.dispatcher()).name();
    // The tool's claim of the address the adapter holds (answering a request for claims):
    // the adapter answers itself, nothing goes out twice.
    QVERIFY(send(AddressClaimFunction::claimFrame(tool, 0xF9)));
    QVERIFY(FakeLibrary::calls().isEmpty());
    // The tool moved: the adapter lets the old address go and claims the new one without
    // holding up the bus thread.
    QVERIFY(send(AddressClaimFunction::claimFrame(tool, 0xFA)));
    QCOMPARE(FakeLibrary::calls(),
             (QStringList{"RP1210_SendCommand cmd=31 client=1 [F9]",
                          "RP1210_SendCommand cmd=19 client=1 [FAF90100000081008002]"}));
    QCOMPARE(handler.protectedAddress(), 0xFA);
    FakeLibrary::clearLog();
    // A simulated unit's claim is that unit's frame on the wire.
    QVERIFY(send(AddressClaimFunction::claimFrame(0x0123456789ABCDEFull, 0x21)));
    QCOMPARE(FakeLibrary::calls(), QStringList{"RP1210_SendMessage client=1 notify=0 block=0 "
                                               "[00EE000621FFEFCDAB8967452301]"});
    FakeLibrary::clearLog();
    // The tool gave up: the address is released and "cannot claim" goes out from 0xFE.
    QVERIFY(send(AddressClaimFunction::claimFrame(tool, 0xFE)));
    QCOMPARE(FakeLibrary::calls(), (QStringList{"RP1210_SendCommand cmd=31 client=1 [FA]",
                                                "RP1210_SendMessage client=1 notify=0 block=0 "
                                                "[00EE0006FEFFF901000000810080]"}));
    QCOMPARE(handler.protectedAddress(), -1);
    FakeLibrary::clearLog();
    // An adapter that refuses the new claim fails the frame.
    fake.failNext("command19", 146);
    QTest::ignoreMessage(
        QtWarningMsg, "RP1210: the adapter could not claim address FA: fake error 146 (code 146)");
    QVERIFY(!send(AddressClaimFunction::claimFrame(tool, 0xFA)));
    QCOMPARE(handler.protectedAddress(), -1);
}

void tst_Rp1210CanHandler::iniFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text"); // null: the file is removed
    QTest::addColumn<int>("ports");
    QTest::addColumn<QString>("error"); // the reason's start, after the common first line
    QTest::newRow("RP1210.INI missing")
        << "RP1210.INI" << QByteArray() << 0 << "RP1210.INI not found in";
    QTest::newRow("no APIImplementations")
        << "RP1210.INI" << QByteArray("[RP1210Support]\nVersion=3\n") << 0 << "";
    QTest::newRow("not an INI file")
        << "RP1210.INI" << QByteArray("\x00\xFF\xFE garbage [\n=\n", 16) << 0 << "";
    QTest::newRow("vendor INI missing") << "FAKEVND.INI" << QByteArray() << 0 << "No adapter of";
    QTest::newRow("vendor INI without a device")
        << "FAKEVND.INI" << QByteArray("[VendorInformation]\nName=Fake\n") << 0 << "No adapter of";
    QTest::newRow("device without a numeric ID left out")
        << "FAKEVND.INI"
        << QByteArray("[VendorInformation]\n[DeviceInformation1]\nDeviceID=x\n"
                      "[DeviceInformation2]\nDeviceID=2\nDeviceDescription=Two\n")
        << 1 << "";
    QTest::newRow("file names in lower case")
        << "rp1210.ini" << QByteArray(Rp1210Folder::MainIni) << 2 << "";
    QTest::newRow("a second vendor missing, the first kept")
        << "RP1210.INI" << QByteArray("[rp1210support]\napiimplementations = FAKEVND, ABSENT\n")
        << 2 << "";
}

void tst_Rp1210CanHandler::iniFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(int, ports);
    QFETCH(QString, error);
    Rp1210Folder folder;
    if (file == QLatin1String("rp1210.ini"))
        folder.remove(QStringLiteral("RP1210.INI"));
    if (text.isNull())
        folder.remove(file);
    else
        folder.write(file, text);
    if (QByteArray(QTest::currentDataTag()).startsWith("a second vendor"))
        QTest::ignoreMessage(QtWarningMsg, "RP1210: ABSENT.INI not found");
    Handler handler(nullptr, folder.options());
    QCOMPARE(handler.isReady(), ports > 0);
    QCOMPARE(int(handler.transceiversCount()), ports);
    QString why;
    QCOMPARE(Rp1210CanHandler::probe(folder.options(), &why), ports > 0);
    if (ports > 0)
        return;
    QCOMPARE(why, handler.lastError());
    QVERIFY2(why.startsWith(QLatin1String("Unable to use RP1210 adapters\n") + error),
             qPrintable(why));
    // Nothing can be selected, so no library is ever called.
    QVERIFY(!handler.setTransceiver(0));
    QVERIFY(!handler.start());
    QVERIFY(FakeLibrary::calls().isEmpty());
}

void tst_Rp1210CanHandler::vendorLibraryFromTheFolder()
{
    Rp1210Folder folder;
    FakeLibrary fake(FakeLibrary::Rp1210);
    Rp1210CanHandler::Options options = folder.options();
    options.library.clear();
    {
        // Not in the folder and not on the search path: the vendor's library cannot load.
        Handler handler(nullptr, options);
        QVERIFY(!handler.setTransceiver(0));
        QVERIFY(handler.lastError().contains(QLatin1String("FAKEVND")));
    }
    QVERIFY(QFile::link(FakeLibrary::pathOf(FakeLibrary::Rp1210),
                        QDir(folder.path()).filePath(QStringLiteral("libFAKEVND.so"))));
    Handler handler(nullptr, options);
    QVERIFY2(handler.setTransceiver(0), qPrintable(handler.lastError()));
    QVERIFY(handler.start());
    QCOMPARE(FakeLibrary::calls("RP1210_ClientConnect").size(), 1);
    // A library without a required entry point is refused by name.
    options.library = FakeLibrary::pathOf(FakeLibrary::Rp1210, "nocommand");
    QString why;
    QVERIFY(!Rp1210CanHandler::probe(options, &why));
    QVERIFY(why.contains(QLatin1String("RP1210_SendCommand")));
    Handler incomplete(nullptr, options);
    QVERIFY(!incomplete.setTransceiver(0));
    QVERIFY(incomplete.lastError().contains(QLatin1String("RP1210_SendCommand")));
}

void tst_Rp1210CanHandler::chosenInTheWindow()
{
    using namespace CanHandlerFactory;
    QSettings settings;
    Rp1210Folder folder;
    FakeLibrary fake(FakeLibrary::Rp1210);
    const AdapterOptions options{FakeLibrary::pathOf(FakeLibrary::Rp1210)};
    settings.setValue(rp1210FolderSettingsKey(), folder.path() + QStringLiteral("/missing"));
    {
        AdapterChoiceDialog dialog(options);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *button = dialog.findChild<QPushButton *>(QStringLiteral("adapterButton8"));
        QCOMPARE(button->text(), QStringLiteral("RP1210 (heavy-duty adapters)"));
        QVERIFY(button->toolTip().contains(QLatin1String("RP1210.INI not found")));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("adapterNote"))->isVisible());
    }
    settings.setValue(rp1210FolderSettingsKey(), folder.path());
    settings.setValue(rp1210ProtocolSettingsKey(), QStringLiteral("CAN"));
    AdapterChoiceDialog dialog(options);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("adapterButton8")),
                      Qt::LeftButton);
    QCOMPARE(dialog.result(), int(CanHandlerFactory::Rp1210));
    // The port dialog offers the INI's devices; the one picked is connected.
    QString error;
    std::unique_ptr<AbstractCanHandler> handler(
        create(CanHandlerFactory::Rp1210, nullptr, options, &error));
    QVERIFY2(handler, qPrintable(error));
    QStringList offered;
    const BusStartup::Result started
        = BusStartup::run(handler.get(), QString(), 250000, [&](const QStringList &names) {
              offered = names;
              return 1;
          });
    QCOMPARE(started.exitCode, 0);
    QCOMPARE(offered, (QStringList{Rp1210Folder::portName(1), Rp1210Folder::portName(2)}));
    QCOMPARE(started.port, Rp1210Folder::portName(2));
    QCOMPARE(FakeLibrary::calls("RP1210_ClientConnect"),
             QStringList{"RP1210_ClientConnect dev=2 protocol=CAN:Baud=250 tx=0 rx=0 app=0"});
    settings.remove(rp1210FolderSettingsKey());
    settings.remove(rp1210ProtocolSettingsKey());
}

QTEST_MAIN(tst_Rp1210CanHandler)
#include "tst_rp1210canhandler.moc"
