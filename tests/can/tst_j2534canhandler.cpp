// J2534 pass-thru handler on its fake library, how every library adapter reads and fails to
// start, and how the adapter libraries are chosen.
#include "can/adapterlibrary.h"
#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"
#include "can/j2534.h"
#include "can/j2534canhandler.h"
#include "can/rp1210canhandler.h"
#include "can/slcancanhandler.h"
#include "can/slmcpcanhandler.h"
#include "support/adapterharness.h"
#include "support/fakelibrary.h"
#include "support/rp1210folder.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using J2534Handler = Exposed<J2534CanHandler>;
using Library = FakeLibrary::Kind;

// A production library handler on its fake library, its read and write steps opened.
struct LibraryRig
{
    explicit LibraryRig(Library library)
        : fake(library)
    {
        if (library == Library::J2534)
            make<J2534CanHandler>(fake.path());
        else if (library == Library::Rp1210)
            make<Rp1210CanHandler>(folder.options());
        else if (library == Library::Slcan)
            make<SlcanCanHandler>(fake.path());
        else
            make<SlmcpCanHandler>(fake.path());
    }
    template<typename Handler, typename Argument>
    void make(const Argument &argument)
    {
        auto *h = new Exposed<Handler>(nullptr, argument);
        read = [h](unsigned *count) { return h->receiveMessagesImpl(count); };
        write = [h](const QVector<CanMessage> &frames) {
            bool ok = false;
            h->sendMessagesImpl(frames.constData(), unsigned(frames.size()), &ok);
            return ok;
        };
        handler.reset(h);
    }
    // The first port, selected and started.
    bool start()
    {
        handler->transceivers();
        return handler->setTransceiver(0) && handler->start();
    }
    // "function=result": the library's next call of the function fails with the result.
    void failNext(const QString &step)
    {
        fake.failNext(qPrintable(step.section(QLatin1Char('='), 0, 0)),
                      step.section(QLatin1Char('='), 1).toLong());
    }

    FakeLibrary fake;
    Rp1210Folder folder;
    std::unique_ptr<AbstractCanHandler> handler;
    // One read of the adapter and one write, outside the poll cycle.
    std::function<bool(unsigned *)> read;
    std::function<bool(const QVector<CanMessage> &)> write;
};

} // namespace

Q_DECLARE_METATYPE(FakeLibrary::Kind)

class tst_J2534CanHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init() { FakeLibrary::clearLog(); }

    void j2534Lifecycle();
    void readResults_data();
    void readResults();
    void startFailures_data();
    void startFailures();
    void writeResults_data();
    void writeResults();
    void j2534IoctlSkipsParameters_data();
    void j2534IoctlSkipsParameters();
    void j2534MissingFunction();

    void libraryChoice_data();
    void libraryChoice();
    void probeAndCreate();
    void libraryBesideProgramFirst();
    void choiceDialogSaysWhy();
};

void tst_J2534CanHandler::j2534Lifecycle()
{
    FakeLibrary fake(FakeLibrary::J2534);
    auto handler = std::make_unique<J2534Handler>(nullptr, fake.path());
    QVERIFY2(handler->isReady(), qPrintable(handler->lastError()));
    QCOMPARE(handler->transceiversCount(), 1u);
    QCOMPARE(handler->transceivers().first().second, QStringLiteral("J2534"));
    QVERIFY(!handler->setTransceiver(1));
    QCOMPARE(handler->lastError(), QStringLiteral("Tranceiver 1 unavailable"));
    QVERIFY(FakeLibrary::calls().isEmpty());

    QVERIFY(handler->setTransceiver(0));
    // Before the connect the rate is remembered and the connect uses it.
    QVERIFY(handler->setBaudRate(500000));
    QVERIFY(handler->start());
    QVERIFY(handler->setBaudRate(250000));
    unsigned count = 0;
    fake.queue(someFrames(2));
    QVERIFY(handler->receiveMessagesImpl(&count));
    QCOMPARE(count, 2u);
    const QString filter = QStringLiteral("p5 rx0 tx0x40 ts0 ds4 x0 00000000");
    QCOMPARE(FakeLibrary::calls(),
             (QStringList{"PassThruOpen name=null",
                          "PassThruConnect dev=1 p=5 flags=0x800 rate=500000",
                          QStringLiteral("PassThruStartMsgFilter ch=7 type=1 mask=[%1] "
                                         "pattern=[%1] flow=null")
                              .arg(filter),
                          "PassThruIoctl ch=7 id=2 [1=250000] out=null",
                          "PassThruReadMsgs ch=7 n=128 t=2"}));
    QCOMPARE(fake.maxInFlight(), 1);
    FakeLibrary::clearLog();
    // Selecting again closes the device first instead of opening it twice.
    QVERIFY(handler->setTransceiver(0));
    QCOMPARE(FakeLibrary::calls(), (QStringList{"PassThruDisconnect ch=7", "PassThruClose dev=1",
                                                "PassThruOpen name=null"}));
    QVERIFY(handler->start());
    FakeLibrary::clearLog();
    fake.release();
    handler.reset();
    QCOMPARE(FakeLibrary::calls(), (QStringList{"PassThruDisconnect ch=7", "PassThruClose dev=1",
                                                "unload"}));
}

void tst_J2534CanHandler::readResults_data()
{
    QTest::addColumn<Library>("library");
    QTest::addColumn<int>("queued");
    QTest::addColumn<QStringList>("script"); // "function=result" for the fake library, in turn
    QTest::addColumn<bool>("ok");
    QTest::addColumn<unsigned>("count");
    QTest::addColumn<int>("frames"); // delivered, the first queued; -1: not looked at
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("tally");    // J2534 overflows, RP1210 long messages
    QTest::addColumn<QString>("call"); // the read's own call, when given
    const auto row
        = [](const char *name, Library library, int queued, const QStringList &script, bool ok,
             unsigned count, int frames, const QString &error = QString(),
             const QString &warning = QString(), int tally = 0, const QString &call = QString()) {
              QTest::newRow(name) << library << queued << script << ok << count << frames << error
                                  << warning << tally << call;
          };
    row("j2534: no error, 3 messages", Library::J2534, 3, {}, true, 3, 3, {}, {}, 0,
        "PassThruReadMsgs ch=7 n=128 t=2");
    row("j2534: buffer empty", Library::J2534, 0, {}, true, 0, 0);
    row("j2534: time-out with 5", Library::J2534, 5, {"PassThruReadMsgs=9"}, true, 5, 5);
    row("j2534: time-out with a full count", Library::J2534, 0,
        {"PassThruReadMsgs=9", "countOverride=128"}, true, 0, 0);
    row("j2534: adapter error", Library::J2534, 1, {"PassThruReadMsgs=8"}, false, 0, 0,
        "impl code 0x08: fake failure");
    row("j2534: count above the room clamped", Library::J2534, 3, {"countOverride=200"}, true, 128,
        3, {}, "J2534 read returned 200 messages for room of 128");
    row("j2534: overflow still delivers", Library::J2534, 2, {"PassThruReadMsgs=18"}, true, 2, 2,
        {}, "J2534 adapter overflow: messages were lost", 1);
    row("rp1210: three frames", Library::Rp1210, 3, {}, true, 3, 3);
    row("rp1210: nothing to read", Library::Rp1210, 0, {}, true, 0, 0);
    row("rp1210: adapter error", Library::Rp1210, 2, {"RP1210_ReadMessage=142"}, false, 0, 0,
        "RP1210_ReadMessage failed: fake error 142 (code 142)");
    row("rp1210: reassembled long message counted, not a frame", Library::Rp1210, 1,
        {"longMessage=20"}, true, 2, 1, {}, {}, 1);
    row("rp1210: message shorter than a stamp skipped", Library::Rp1210, 1, {"shortMessage=3"},
        true, 2, 1);
    row("slcan: read refused", Library::Slcan, 2, {"SlCan_DeviceReadMessages=0"}, false, 0, 0,
        "SlCan_DeviceReadMessages failed");
    row("slcan: count above the room clamped", Library::Slcan, 2, {"countOverride=129"}, true, 128,
        -1, {}, "slcan.dll read returned 129 records for room of 128", 0,
        "SlCan_DeviceReadMessages dev=0 t=0 room=128");
    row("slmcp: two frames", Library::Slmcp, 2, {}, true, 2, 2, {}, {}, 0,
        "CnRecievePackets 5 n=128");
    row("slmcp: count above the room clamped", Library::Slmcp, 2, {"countOverride=5000"}, true,
        1024, -1, {}, "slmcp.dll read returned 5000 records for room of 1024");
    row("slmcp: read refused", Library::Slmcp, 2, {"CnRecievePackets=0"}, false, 0, 0,
        "CnRecievePackets failed");
}

// One read of the library adapters: what it returns, counts and delivers when the library
// reports errors, time-outs, overflows or counts beyond the room it was given.
void tst_J2534CanHandler::readResults()
{
    QFETCH(Library, library);
    QFETCH(int, queued);
    QFETCH(QStringList, script);
    QFETCH(bool, ok);
    QFETCH(unsigned, count);
    QFETCH(int, frames);
    QFETCH(QString, error);
    QFETCH(QString, warning);
    QFETCH(int, tally);
    QFETCH(QString, call);
    LibraryRig rig(library);
    QVERIFY2(rig.start(), qPrintable(rig.handler->lastError()));
    drainAll(*rig.handler);
    const QVector<CanMessage> sent = someFrames(queued);
    rig.fake.queue(sent);
    for (const QString &step : script)
        rig.failNext(step);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    unsigned got = 99;
    QCOMPARE(rig.read(&got), ok);
    QCOMPARE(got, count);
    const QVector<CanMessage> delivered = drainReceived(*rig.handler);
    if (frames >= 0) {
        QCOMPARE(delivered.size(), frames);
        for (int i = 0; i < frames; ++i)
            QCOMPARE(delivered.at(i).toString(), sent.at(i).toString());
    }
    if (!ok)
        QCOMPARE(rig.handler->lastError(), error);
    if (auto *j2534 = dynamic_cast<J2534CanHandler *>(rig.handler.get()))
        QCOMPARE(j2534->overflowCount(), quint64(tally));
    if (auto *rp1210 = dynamic_cast<Rp1210CanHandler *>(rig.handler.get()))
        QCOMPARE(rp1210->longMessageCount(), quint64(tally));
    if (!call.isEmpty())
        QCOMPARE(FakeLibrary::calls(call.section(QLatin1Char(' '), 0, 0)).last(), call);
}

void tst_J2534CanHandler::startFailures_data()
{
    QTest::addColumn<Library>("library");
    QTest::addColumn<QString>("failing");  // "function=result" for the fake library
    QTest::addColumn<QString>("error");    // empty: the adapter starts all the same
    QTest::addColumn<QStringList>("tail"); // the last calls made
    const auto row = [](const char *name, Library library, const char *failing, const char *error,
                        const QStringList &tail) {
        QTest::newRow(name) << library << QString::fromLatin1(failing) << QString::fromLatin1(error)
                            << tail;
    };
    const QString open = QStringLiteral("PassThruOpen name=null");
    const QString connect = QStringLiteral("PassThruConnect dev=1 p=5 flags=0x800 rate=250000");
    const QString passAll = QStringLiteral("p5 rx0 tx0x40 ts0 ds4 x0 00000000");
    row("j2534: open", Library::J2534, "PassThruOpen=8",
        "PassThruOpen failed: fake failure (code 0x08)", {open, "PassThruGetLastError"});
    row("j2534: connect, no filter", Library::J2534, "PassThruConnect=8",
        "PassThruConnect failed: fake failure (code 0x08)",
        {open, connect, "PassThruGetLastError"});
    row("j2534: filter, channel disconnected", Library::J2534, "PassThruStartMsgFilter=8",
        "PassThruStartMsgFilter failed: fake failure (code 0x08)",
        {open, connect,
         QStringLiteral("PassThruStartMsgFilter ch=7 type=1 mask=[%1] pattern=[%1] flow=null")
             .arg(passAll),
         "PassThruGetLastError", "PassThruDisconnect ch=7"});
    row("rp1210: connect refused", Library::Rp1210, "RP1210_ClientConnect=134",
        "RP1210_ClientConnect failed: fake error 134 (code 134)", {"RP1210_GetErrorMsg code=134"});
    row("rp1210: filters refused, client disconnected", Library::Rp1210, "command3=143",
        "RP1210_SendCommand failed: fake error 143 (code 143)",
        {"RP1210_GetErrorMsg code=143", "RP1210_ClientDisconnect client=1"});
    row("rp1210: claim refused, still listening", Library::Rp1210, "command19=146", "",
        {"RP1210_SendCommand cmd=19 client=1 [F9F90100000081008000]",
         "RP1210_GetErrorMsg code=146"});
    row("slcan: open", Library::Slcan, "SlCan_DeviceOpen=0", "Device open failure",
        {"SlCan_DeviceOpen dev=0"});
    row("slcan: bit rate", Library::Slcan, "SlCan_DeviceSetBitRate=0",
        "Device baudrate set failure",
        {"SlCan_DeviceSetBitRate dev=0 word=0x8003", "SlCan_DeviceClose dev=0"});
    row("slcan: time-out", Library::Slcan, "SlCan_DeviceSetTXTimeOut=0",
        "Device baudrate set failure",
        {"SlCan_DeviceSetTXTimeOut dev=0 ms=10", "SlCan_DeviceClose dev=0"});
    row("slcan: mode", Library::Slcan, "SlCan_DeviceSetMode=0", "Device baudrate set failure",
        {"SlCan_DeviceSetMode dev=0 mode=1", "SlCan_DeviceClose dev=0"});
    row("slcan: receive", Library::Slcan, "SlCan_DeviceEnaRec=0", "Device baudrate set failure",
        {"SlCan_DeviceEnaRec dev=0 on=1", "SlCan_DeviceClose dev=0"});
}

// A vendor call that fails while the adapter starts: the start fails and says why, what was
// opened is closed again, and nothing more reaches the library.
void tst_J2534CanHandler::startFailures()
{
    QFETCH(Library, library);
    QFETCH(QString, failing);
    QFETCH(QString, error);
    QFETCH(QStringList, tail);
    LibraryRig rig(library);
    rig.failNext(failing);
    const bool started = error.isEmpty();
    if (started)
        QTest::ignoreMessage(QtWarningMsg, "RP1210: the adapter could not claim the tool's "
                                           "address F9: fake error 146 (code 146)");
    QCOMPARE(rig.start(), started);
    QCOMPARE(rig.handler->lastError(), error);
    QCOMPARE(rig.handler->state(), started ? AbstractCanHandler::Open : AbstractCanHandler::Closed);
    const QStringList calls = FakeLibrary::calls();
    QCOMPARE(calls.mid(calls.size() - tail.size()), tail);
    if (auto *rp1210 = dynamic_cast<Rp1210CanHandler *>(rig.handler.get()))
        QCOMPARE(rp1210->protectedAddress(), -1);
    QCOMPARE(rig.write({makeFrame(0x18FEF100, {1})}), started);
    if (!started)
        QCOMPARE(FakeLibrary::calls(), calls);
}

void tst_J2534CanHandler::writeResults_data()
{
    QTest::addColumn<Library>("library");
    QTest::addColumn<QString>("failing"); // "function=result" for the fake library, or none
    QTest::addColumn<bool>("ok");
    QTest::newRow("j2534: written") << Library::J2534 << "" << true;
    QTest::newRow("j2534: fewer written than sent") << Library::J2534 << "writeCount=2" << false;
    QTest::newRow("j2534: write refused") << Library::J2534 << "PassThruWriteMsgs=8" << false;
    QTest::newRow("slcan: written") << Library::Slcan << "" << true;
    QTest::newRow("slcan: status byte 1") << Library::Slcan << "status=1" << false;
    QTest::newRow("slcan: status byte never written") << Library::Slcan << "leaveStatus=1" << false;
    QTest::newRow("slcan: write refused")
        << Library::Slcan << "SlCan_DeviceWriteMessages=0" << false;
}

// Three frames in one call: the write fails unless the library took all of them.
void tst_J2534CanHandler::writeResults()
{
    QFETCH(Library, library);
    QFETCH(QString, failing);
    QFETCH(bool, ok);
    LibraryRig rig(library);
    QVERIFY(rig.start());
    if (!failing.isEmpty())
        rig.failNext(failing);
    QCOMPARE(rig.write(someFrames(3)), ok);
    const bool j2534 = library == Library::J2534;
    const QStringList writes
        = FakeLibrary::calls(j2534 ? "PassThruWriteMsgs" : "SlCan_DeviceWriteMessages");
    QCOMPARE(writes.size(), 1);
    QVERIFY2(writes.first().endsWith(QLatin1String(j2534 ? "n=3 t=0" : "n=3")),
             qPrintable(writes.first()));
}

void tst_J2534CanHandler::j2534IoctlSkipsParameters_data()
{
    QTest::addColumn<QList<int>>("parameters");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("data rate passed") << QList<int>{1} << QStringList{"[1=100]"};
    QTest::newRow("only skipped ones: no call") << QList<int>{6, 13} << QStringList{};
    QTest::newRow("data rate kept, timing dropped") << QList<int>{1, 6, 8, 11, 2}
                                                    << QStringList{"[1=100,2=102]"};
}

void tst_J2534CanHandler::j2534IoctlSkipsParameters()
{
    QFETCH(QList<int>, parameters);
    QFETCH(QStringList, calls);
    FakeLibrary fake(FakeLibrary::J2534);
    J2534 api;
    api.setDllName(fake.path());
    QVERIFY(api.checkDLL());
    // Each parameter's value is 98 + 2 x its identifier, so the log shows which were passed.
    std::vector<J2534Api::SConfig> config;
    for (int id : parameters)
        config.push_back({static_cast<unsigned long>(id), 98ul + 2ul * unsigned(id)});
    J2534Api::SConfigList list{static_cast<unsigned long>(config.size()), config.data()};
    QCOMPARE(api.PassThruIoctl(7, J2534Api::IoctlSetConfig, &list, nullptr), 0L);
    QStringList got;
    for (const QString &line : FakeLibrary::calls("PassThruIoctl"))
        got << line.section(QLatin1Char(' '), 3, 3);
    QCOMPARE(got, calls);
}

void tst_J2534CanHandler::j2534MissingFunction()
{
    J2534Handler handler(nullptr, FakeLibrary::pathOf(FakeLibrary::J2534, "noioctl"));
    QVERIFY(!handler.isReady());
    QVERIFY(handler.lastError().startsWith(QLatin1String("Unable to init j2534\n")));
    QVERIFY(handler.lastError().contains(QLatin1String("PassThruIoctl")));
    QVERIFY(handler.lastError().contains(QLatin1String("fakej2534_noioctl")));
    // Nothing is called through the missing or any other entry point.
    QVERIFY(!handler.setTransceiver(0));
    QVERIFY(!handler.start());
    unsigned count = 0;
    QVERIFY(!handler.receiveMessagesImpl(&count));
    QVERIFY(FakeLibrary::calls().filter(QStringLiteral("PassThru")).isEmpty());
}

void tst_J2534CanHandler::libraryChoice_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected");
    using F = CanHandlerFactory::AdapterType;
    QTest::newRow("j2534 default") << int(F::J2534) << "" << "" << "op20pt32";
    QTest::newRow("slcan default") << int(F::Slcan) << "" << "" << "slcan";
    QTest::newRow("slmcp default") << int(F::Slmcp) << "" << "" << "slmcp";
    QTest::newRow("setting over default")
        << int(F::Slcan) << "" << "/opt/vendor/libslcan.so" << "/opt/vendor/libslcan.so";
    QTest::newRow("option over setting")
        << int(F::J2534) << "/tmp/libj.so" << "/opt/libop.so" << "/tmp/libj.so";
    QTest::newRow("serial adapter has none") << int(F::Zentrax) << "" << "" << "";
}

void tst_J2534CanHandler::libraryChoice()
{
    QFETCH(int, type);
    QFETCH(QString, option);
    QFETCH(QString, setting);
    QFETCH(QString, expected);
    QSettings settings;
    const QString key = CanHandlerFactory::librarySettingsKey(type);
    QCOMPARE(key.isEmpty(), !CanHandlerFactory::usesLibrary(type));
    if (!key.isEmpty()) {
        QVERIFY(key.startsWith(QLatin1String("Misc/")));
        if (setting.isEmpty())
            settings.remove(key);
        else
            settings.setValue(key, setting);
        settings.sync();
    }
    CanHandlerFactory::AdapterOptions options;
    options.libraryPath = option;
    QCOMPARE(CanHandlerFactory::libraryFileName(type, options), expected);
    if (!key.isEmpty())
        settings.remove(key);
}

void tst_J2534CanHandler::probeAndCreate()
{
    using namespace CanHandlerFactory;
    QString why;
    AdapterOptions options;
    options.libraryPath = FakeLibrary::pathOf(FakeLibrary::Slcan);
    QVERIFY2(probe(Slcan, options, &why), qPrintable(why));
    options.libraryPath = FakeLibrary::pathOf(FakeLibrary::Slcan, "noclose");
    QVERIFY(!probe(Slcan, options, &why));
    QVERIFY(why.startsWith(QLatin1String("Corrupted slcan.dll: missing function\n")));
    QVERIFY(why.contains(QLatin1String("SlCan_DeviceClose")));
    options.libraryPath = QStringLiteral("/no/such/libop.so");
    QVERIFY(!probe(CanHandlerFactory::J2534, options, &why));
    QVERIFY(why.startsWith(QLatin1String("Unable to init j2534\n/no/such/libop.so: ")));
    QString error;
    QVERIFY(!create(CanHandlerFactory::J2534, nullptr, options, &error));
    QVERIFY(error.startsWith(QLatin1String("Unable to init j2534\n/no/such/libop.so")));
    options.libraryPath = FakeLibrary::pathOf(FakeLibrary::Slmcp);
    QVERIFY(probe(Slmcp, options, &why));
    std::unique_ptr<AbstractCanHandler> handler(create(Slmcp, nullptr, options, &error));
    QVERIFY(handler);
    QVERIFY(qobject_cast<SlmcpCanHandler *>(handler.get()));
    QVERIFY(probe(Zentrax, {}, &why));
}

void tst_J2534CanHandler::libraryBesideProgramFirst()
{
    const QString name = QStringLiteral("tarvikbeside%1").arg(QCoreApplication::applicationPid());
#if defined(Q_OS_WIN)
    const QString file = name + QStringLiteral(".dll");
#else
    const QString file = QStringLiteral("lib") + name + QStringLiteral(".so");
#endif
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(file);
    QCOMPARE(AdapterLibrary::resolveFileName(name), name);
    QVERIFY(QFile::copy(FakeLibrary::pathOf(FakeLibrary::J2534), beside));
    QCOMPARE(AdapterLibrary::resolveFileName(name), beside);
    // A path is taken as it is.
    QCOMPARE(AdapterLibrary::resolveFileName(QStringLiteral("/opt/x/") + file),
             QStringLiteral("/opt/x/") + file);
    {
        J2534CanHandler handler(nullptr, name);
        QVERIFY2(handler.isReady(), qPrintable(handler.lastError()));
    }
    QVERIFY(QFile::remove(beside));
}

void tst_J2534CanHandler::choiceDialogSaysWhy()
{
    CanHandlerFactory::AdapterOptions options;
    options.libraryPath = FakeLibrary::pathOf(FakeLibrary::Slcan, "noclose");
    AdapterChoiceDialog dialog(options);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto button = [&](int type) {
        return dialog.findChild<QPushButton *>(QStringLiteral("adapterButton%1").arg(type));
    };
    QCOMPARE(button(CanHandlerFactory::CanBus)->text(),
             QStringLiteral("CAN bus (SocketCAN, PEAK, virtual…)"));
    QVERIFY(button(CanHandlerFactory::Zentrax)->toolTip().isEmpty());
    QVERIFY(button(CanHandlerFactory::Slcan)->toolTip().contains(QLatin1String("SlCan_DeviceClose")));
    QTest::mouseClick(button(CanHandlerFactory::Slcan), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    auto *note = dialog.findChild<QLabel *>(QStringLiteral("adapterNote"));
    QVERIFY(note->isVisible());
    QVERIFY(note->text().startsWith(QLatin1String("Corrupted slcan.dll: missing function")));
    // The same library, usable, ends the dialog with that choice.
    AdapterChoiceDialog usable({FakeLibrary::pathOf(FakeLibrary::Slcan)});
    usable.show();
    QVERIFY(QTest::qWaitForWindowExposed(&usable));
    QTest::mouseClick(usable.findChild<QPushButton *>(QStringLiteral("adapterButton2")),
                      Qt::LeftButton);
    QCOMPARE(usable.result(), int(CanHandlerFactory::Slcan));
}

QTEST_MAIN(tst_J2534CanHandler)
#include "tst_j2534canhandler.moc"
