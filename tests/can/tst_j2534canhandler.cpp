// J2534 pass-thru handler on its fake library, and how the adapter libraries are chosen.
#include "can/adapterlibrary.h"
#include "can/canhandlerfactory.h"
#include "can/editors/adapterchoicedialog.h"
#include "can/j2534.h"
#include "can/j2534canhandler.h"
#include "can/slmcpcanhandler.h"
#include "support/adapterharness.h"
#include "support/fakelibrary.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {

using J2534Handler = Exposed<J2534CanHandler>;

} // namespace

class tst_J2534CanHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init() { FakeLibrary::clearLog(); }

    void j2534Lifecycle();
    void j2534Failures_data();
    void j2534Failures();
    void j2534ReadResults_data();
    void j2534ReadResults();
    void j2534PartialWriteFails();
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

void tst_J2534CanHandler::j2534Failures_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("open") << "PassThruOpen" << "PassThruOpen failed: fake failure (code 0x08)"
                          << QStringList{"PassThruOpen name=null", "PassThruGetLastError"};
    QTest::newRow("connect, no filter")
        << "PassThruConnect" << "PassThruConnect failed: fake failure (code 0x08)"
        << QStringList{"PassThruOpen name=null",
                       "PassThruConnect dev=1 p=5 flags=0x800 rate=250000",
                       "PassThruGetLastError"};
    QTest::newRow("filter, channel disconnected")
        << "PassThruStartMsgFilter" << "PassThruStartMsgFilter failed: fake failure (code 0x08)"
        << QStringList{"PassThruOpen name=null",
                       "PassThruConnect dev=1 p=5 flags=0x800 rate=250000",
                       "PassThruStartMsgFilter", "PassThruGetLastError",
                       "PassThruDisconnect ch=7"};
}

void tst_J2534CanHandler::j2534Failures()
{
    QFETCH(QString, failing);
    QFETCH(QString, error);
    QFETCH(QStringList, calls);
    FakeLibrary fake(FakeLibrary::J2534);
    J2534Handler handler(nullptr, fake.path());
    fake.failNext(qPrintable(failing), 8);
    const bool ok = handler.setTransceiver(0) && handler.start();
    QVERIFY(!ok);
    QCOMPARE(handler.lastError(), error);
    QStringList got = FakeLibrary::calls();
    for (QString &line : got) {
        if (line.startsWith(QLatin1String("PassThruStartMsgFilter")))
            line = QStringLiteral("PassThruStartMsgFilter");
    }
    QCOMPARE(got, calls);
    QCOMPARE(handler.state(), AbstractCanHandler::Closed);
}

void tst_J2534CanHandler::j2534ReadResults_data()
{
    QTest::addColumn<int>("queued");
    QTest::addColumn<long>("code");      // -1: the library's own result
    QTest::addColumn<long>("reported");  // -1: the true count
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("frames");
    QTest::addColumn<unsigned>("count");
    QTest::addColumn<QString>("error");
    QTest::newRow("no error, 3 messages") << 3 << -1L << -1L << true << 3 << 3u << "";
    QTest::newRow("buffer empty") << 0 << -1L << -1L << true << 0 << 0u << "";
    QTest::newRow("time-out with 5") << 5 << 9L << -1L << true << 5 << 5u << "";
    QTest::newRow("time-out with a full count") << 0 << 9L << 128L << true << 0 << 0u << "";
    QTest::newRow("adapter error") << 1 << 8L << -1L << false << 0 << 0u
                                   << "impl code 0x08: fake failure";
    QTest::newRow("count above the room clamped") << 3 << -1L << 200L << true << 3 << 128u << "";
    QTest::newRow("overflow still delivers") << 2 << 0x12L << -1L << true << 2 << 2u << "";
}

void tst_J2534CanHandler::j2534ReadResults()
{
    QFETCH(int, queued);
    QFETCH(long, code);
    QFETCH(long, reported);
    QFETCH(bool, ok);
    QFETCH(int, frames);
    QFETCH(unsigned, count);
    QFETCH(QString, error);
    FakeLibrary fake(FakeLibrary::J2534);
    J2534Handler handler(nullptr, fake.path());
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(handler.start());
    drainReceived(handler);
    const QVector<CanMessage> sent = someFrames(queued);
    fake.queue(sent);
    if (code >= 0)
        fake.failNext("PassThruReadMsgs", code);
    if (reported >= 0)
        fake.failNext("countOverride", reported);
    if (reported > 128)
        QTest::ignoreMessage(QtWarningMsg, "J2534 read returned 200 messages for room of 128");
    if (code == 0x12)
        QTest::ignoreMessage(QtWarningMsg, "J2534 adapter overflow: messages were lost");
    unsigned got = 99;
    QCOMPARE(handler.receiveMessagesImpl(&got), ok);
    QCOMPARE(got, count);
    const QVector<CanMessage> delivered = drainReceived(handler);
    QCOMPARE(delivered.size(), frames);
    for (int i = 0; i < frames; ++i)
        QCOMPARE(delivered.at(i).toString(), sent.at(i).toString());
    if (!ok)
        QCOMPARE(handler.lastError(), error);
    QCOMPARE(handler.overflowCount(), code == 0x12 ? 1u : 0u);
}

void tst_J2534CanHandler::j2534PartialWriteFails()
{
    FakeLibrary fake(FakeLibrary::J2534);
    J2534Handler handler(nullptr, fake.path());
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(handler.start());
    const QVector<CanMessage> frames = someFrames(3);
    bool ok = false;
    handler.sendMessagesImpl(frames.constData(), 3, &ok);
    QVERIFY(ok);
    fake.failNext("writeCount", 2);
    handler.sendMessagesImpl(frames.constData(), 3, &ok);
    QVERIFY(!ok);
    fake.failNext("PassThruWriteMsgs", 8);
    handler.sendMessagesImpl(frames.constData(), 3, &ok);
    QVERIFY(!ok);
    QCOMPARE(FakeLibrary::calls("PassThruWriteMsgs").size(), 3);
    QVERIFY(FakeLibrary::calls("PassThruWriteMsgs").first().endsWith(QLatin1String("n=3 t=0")));
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
