#include "can/replaycanhandler.h"
#include "demo/demounits.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/memoryaccessfunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// The README's walkthrough on the built-in demo bus: a simulated tool at 0xF9 with the memory
// access function reads the controller at 0xA0 with the example file, a value is edited and
// written after confirmation, read back, and the backup of the first read is beside the file.
class tst_DemoMemoryAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readEditWriteOnTheDemoBus();
};

void tst_DemoMemoryAccess::initTestCase()
{
    TestEnvironment::init();
    registerDiagnosticsFunctions();
}

void tst_DemoMemoryAccess::readEditWriteOnTheDemoBus()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("controller.ma"));
    QVERIFY(QFile::copy(QString::fromLatin1(DemoUnits::MemoryAccessFile), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    DeviceDispatcher dispatcher;
    ReplayCanHandler handler(&dispatcher);
    QVERIFY(handler.setTransceiver(0));
    QVERIFY(handler.start());
    auto *stub = new J1939Device(0xF9);
    auto *function = qobject_cast<MemoryAccessFunction *>(stub->factoryCreateChild("matool"));
    QVERIFY(function);
    dispatcher.registerDisplayable(stub);
    stub->setState(AbstractDisplayableItem::Send);
    function->setTarget(DemoUnits::ControllerAddress);
    QVERIFY(function->loadFile(path));

    QStringList questions;
    MemoryAccessDock::setConfirmer([&questions](QWidget *, const QString &question) {
        questions << question;
        return true;
    });
    MemoryAccessDock *dock = MemoryAccessDock::showFor(function);
    QSignalSpy finished(function, &MemoryAccessFunction::exchangeFinished);
    QTest::mouseClick(dock->findChild<QPushButton *>(QStringLiteral("refresh")), Qt::LeftButton);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.last().at(1).toString(), QStringLiteral("Read complete"));
    const QStringList backups = QDir(dir.path()).entryList({QStringLiteral("controller.ma.a0-*.bak")});
    QCOMPARE(backups.size(), 1);

    // Lift_End (row Lift, column End of the valve currents) to 850 mA.
    QTableWidgetItem *liftEnd = dock->cellOf(1);
    QVERIFY(liftEnd);
    QCOMPARE(liftEnd->data(Qt::EditRole).toDouble(), 820.0);
    liftEnd->setData(Qt::EditRole, 850.0);
    QTest::mouseClick(dock->findChild<QPushButton *>(QStringLiteral("commitChanged")),
                      Qt::LeftButton);
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions.first().contains(QLatin1String("0xa0")));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.last().at(1).toString(), QStringLiteral("Write complete, 1 values verified"));
    QCOMPARE(function->table().items.at(1).value, 850.0);
    QVERIFY(!function->table().items.at(1).modified);

    handler.stop();
    dispatcher.clearScheme();
}

QTEST_MAIN(tst_DemoMemoryAccess)
#include "tst_demomemoryaccess.moc"
