#include "can/replaycanhandler.h"
#include "can/simulatedbus.h"
#include "demo/demounits.h"
#include "demo/simulatedbootloader.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/flashlog.h"
#include "diagnostics/editors/canflashingfunctionv1schemetreeitem.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/devicedispatcher.h"
#include "support/testenvironment.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// A new user's first flashing on the built-in demo bus: the off-board unit from the catalogue,
// the example program chosen, the confirmation read, the transfer watched to its end.
class tst_DemoFlashing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void flashTheExampleProgram();
    void startRefusedWithoutBus();
};

void tst_DemoFlashing::initTestCase()
{
    TestEnvironment::init();
    CanDeviceFactory::init();
}

void tst_DemoFlashing::flashTheExampleProgram()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("example.prg"));
    QVERIFY(QFile::copy(QString::fromLatin1(DemoUnits::ExampleProgram), path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray program = file.readAll();

    DeviceDispatcher dispatcher;
    ReplayCanHandler handler(&dispatcher);
    handler.setDemoUnits(&DemoUnits::addTo);
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(handler.start());
    auto *device = qobject_cast<OffBoardDiagnosticDevice *>(
        CanDeviceFactory::instance()->createDevice(QByteArray("offboarddiagunit")));
    QVERIFY(device);
    QCOMPARE(device->address().value, 0xF9u);
    dispatcher.registerDisplayable(device);
    CanFlashingFunctionV1 *flasher = device->flasher();
    QVERIFY(flasher);
    CanFlashingFunctionV1::Intervals fast;
    fast.bootLoadMs = 50; // the unit of the demo bus loads at once
    flasher->setIntervals(fast);
    flasher->setTarget(DemoUnits::ControllerAddress);

    std::shared_ptr<SimulatedBootLoader> unit;
    for (const auto &u : handler.simulatedBus()->units()) {
        if (auto b = std::dynamic_pointer_cast<SimulatedBootLoader>(u))
            unit = b;
    }
    QVERIFY(unit);

    QStringList questions;
    CanFlashingFunctionV1SchemeTreeItem::setFileChooser([&path](QWidget *) { return path; });
    CanFlashingFunctionV1SchemeTreeItem::setConfirmer(
        [&questions](QWidget *, const QString &question) {
            questions << question;
            return true;
        });
    // The run is logged beside the parameter logs.
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), dir.path());
    CanFlashingFunctionV1SchemeTreeItem node(flasher);
    std::unique_ptr<QWidget> widget(node.createWidget(1));
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("choose")), Qt::LeftButton);
    QCOMPARE(flasher->programData(), program);
    QTest::mouseClick(widget->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    QCOMPARE(questions.size(), 1);
    const QString question = questions.first();
    QVERIFY(question.contains(QLatin1String("0xa0")));
    QVERIFY(question.contains(path));
    QVERIFY(question.contains(QStringLiteral("%1 bytes, %2 blocks").arg(program.size()).arg(513)));
    QVERIFY(question.contains(QString::fromLatin1(
        QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex())));

    QTRY_COMPARE_WITH_TIMEOUT(flasher->flasherState(),
                              int(CanFlashingFunctionV1::FlasherFinished), 30000);
    node.doUpdate();
    QCOMPARE(widget->findChild<QProgressBar *>(QStringLiteral("progress"))->value(), 100);
    QVERIFY(widget->findChild<QLabel *>(QStringLiteral("result"))
                ->text()
                .startsWith(QStringLiteral("Reflash finished: 513 blocks")));
    QCOMPARE(unit->image(), program);
    QCOMPARE(unit->unexpectedCount(), 0);
    QFile log(dir.filePath(QString::fromLatin1(FlashLog::FileName)));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(1).contains(",0xa0,"));
    QVERIFY(lines.at(1).contains(",finished,\"Reflash finished: 513 blocks"));
    QSettings().remove(QStringLiteral("ParameterLog/Directory"));

    handler.stop();
    dispatcher.clearScheme();
}

void tst_DemoFlashing::startRefusedWithoutBus()
{
    OffBoardDiagnosticDevice device;
    CanFlashingFunctionV1 *flasher = device.flasher();
    flasher->setTarget(DemoUnits::ControllerAddress);
    flasher->setProgram(QByteArray("abcd"), QStringLiteral("x.prg"));
    int asked = 0;
    CanFlashingFunctionV1SchemeTreeItem::setConfirmer([&asked](QWidget *, const QString &) {
        ++asked;
        return true;
    });
    CanFlashingFunctionV1SchemeTreeItem node(flasher);
    QVERIFY(!node.requestStart(nullptr));
    QCOMPARE(asked, 0);
    QCOMPARE(flasher->stateText(), QStringLiteral("No bus connection"));
    QCOMPARE(flasher->flasherState(), int(CanFlashingFunctionV1::FlasherIdle));
}

QTEST_MAIN(tst_DemoFlashing)
#include "tst_demoflashing.moc"
