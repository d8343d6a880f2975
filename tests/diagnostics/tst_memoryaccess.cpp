#include "demo/simulatedmemoryunit.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/memoryaccessfile.h"
#include "diagnostics/memoryaccessframes.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/memoryaccessrig.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"
#include "model/targetparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QDomDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Fault = SimulatedMemoryUnit::Fault;
using MemoryAccessRig::File;
using MemoryAccessRig::Tool;
using MemoryAccessRig::Unit;
using Rig = MemoryAccessRig::Rig;

// The memory access exchanges against a simulated unit, through the real handler and dispatcher.
class tst_MemoryAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readAll();
    void readFaults_data();
    void readFaults();
    void lateAnswersIgnored();
    void writeChanged();
    void writeFaults_data();
    void writeFaults();
    void writeRefused_data();
    void writeRefused();
    void writeWithoutReadConfirmed();
    void cancelWrite();
    void cancelRead();
    void failedLoadKeepsTable();
    void changesRefusedDuringExchange();
    void targetRestore_data();
    void targetRestore();
    void deviceRoundTripByKey();
    void registered();
};

void tst_MemoryAccess::initTestCase()
{
    TestEnvironment::init();
    registerDiagnosticsFunctions();
}

void tst_MemoryAccess::readAll()
{
    Rig rig;
    QSignalSpy read(rig.function, &MemoryAccessFunction::valuesRead);
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    QCOMPARE(rig.value(0), 12.5);
    QCOMPARE(rig.value(1), 30.0);
    QCOMPARE(rig.value(2), 0.7);
    QCOMPARE(rig.value(3), 0.0); // write-only: never read
    const QVector<CanMessage> requests = rig.sent(MemoryAccessFrames::PfDm14);
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.at(0).id, 0x0CD9A0F9u);
    QCOMPARE(requests.at(2).data[2], quint8(0x12));
    QVERIFY(rig.sent(MemoryAccessFrames::PfDm16).isEmpty());
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().at(1).toBool(), false); // the first read marks nothing
    QVERIFY(!rig.function->isFirstRead());
    // The backup holds the values read.
    QFile backup(rig.function->lastBackupPath());
    QVERIFY2(backup.open(QIODevice::ReadOnly), qPrintable(backup.fileName()));
    QVERIFY(backup.fileName().contains(QLatin1String(".a0-")));
    MemoryAccessTable saved;
    QVERIFY(MemoryAccessFile::parse(backup.readAll(), &saved, nullptr));
    QCOMPARE(saved.items.at(1).value, 30.0);
}

void tst_MemoryAccess::readFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("silence") << int(Fault::Silent) << 0 << "Device timeout";
    QTest::newRow("busy 3 times") << int(Fault::BusyTimes) << 3 << "Read complete";
    // Busy every 50 ms for a second: busy does not restart the 150 ms time-out.
    QTest::newRow("busy forever") << int(Fault::BusyForever) << 20 << "Device timeout";
    QTest::newRow("error status") << int(Fault::ErrorStatus) << 0
                                  << "Waiting proceeed for SPN=0x000010 but got other status 5";
    QTest::newRow("completed instead of proceed")
        << int(Fault::CompletedEarly) << 0
        << "Waiting proceeed for SPN=0x000010 but got other status 4";
    QTest::newRow("DM16 instead of DM15") << int(Fault::WrongKind) << 0
                                          << "Waiting for DM15 but got pduformat d7";
    QTest::newRow("DM16 n=0") << int(Fault::BadDataLength) << 0 << "Invalid data length 0";
    QTest::newRow("DM16 n=8") << int(Fault::BadDataLength) << 8 << "Invalid data length 8";
    QTest::newRow("one-byte DM15") << int(Fault::ShortFrames) << 0 << "Device timeout";
    QTest::newRow("answers from another unit") << int(Fault::OtherSource) << 0 << "Device timeout";
}

void tst_MemoryAccess::readFaults()
{
    QFETCH(int, fault);
    QFETCH(int, count);
    QFETCH(QString, text);
    Rig rig;
    rig.unit->setFault(Fault(fault), count);
    // The result must reach the tree, which visits a function's row only when its device's row
    // is marked: the end marks the device, even when no frame comes with it (a time-out).
    QCOMPARE(rig.run([&rig] {
        rig.function->requestData();
        rig.device->setUpdateNeeded(false);
    }),
             text);
    QVERIFY(rig.device->isUpdateNeeded());
    QCOMPARE(rig.function->errorText(), text);
    QCOMPARE(rig.function->maState(), int(MemoryAccessFunction::Inactive));
    QVERIFY(rig.sent(MemoryAccessFrames::PfDm16).isEmpty());
    if (text != QLatin1String("Read complete")) {
        // Nothing read is kept: the values are those of the file, and writing stays refused.
        QCOMPARE(rig.value(0), 0.0);
        QVERIFY(!rig.function->hasCompletedRead());
    }
}

void tst_MemoryAccess::lateAnswersIgnored()
{
    Rig rig;
    rig.unit->setFault(Fault::LateAnswers, 0, 400);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rig.read(), QStringLiteral("Device timeout"));
    QVERIFY(clock.elapsed() < 400);
    // The answers arrive after the end and change nothing.
    QTRY_COMPARE_WITH_TIMEOUT(rig.handler.bus()->pendingCount(), 0, 3000);
    QTest::qWait(20);
    QCOMPARE(rig.function->errorText(), QStringLiteral("Device timeout"));
    QCOMPARE(rig.function->maState(), int(MemoryAccessFunction::Inactive));
    QCOMPARE(rig.value(0), 0.0);
}

void tst_MemoryAccess::writeChanged()
{
    Rig rig;
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    QVERIFY(rig.function->setItemValue(0, 13.3));
    QVERIFY(rig.function->setItemValue(3, 9)); // write-only, edited
    QSignalSpy written(rig.function, &MemoryAccessFunction::valuesWritten);
    QCOMPARE(rig.write(true), QStringLiteral("Write complete, 1 values verified"));
    QCOMPARE(rig.unit->cell(0x10).raw, 133u);
    QCOMPARE(rig.unit->cell(0x13).raw, 9u);
    QCOMPARE(rig.unit->cell(0x11).raw, 300u); // not modified: not written
    QCOMPARE(rig.unit->closingCount(), 1);
    QCOMPARE(rig.unit->unexpectedDataCount(), 0);
    const QVector<CanMessage> data = rig.sent(MemoryAccessFrames::PfDm16);
    QCOMPARE(data.size(), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(data.first().data), 8).toHex(' '),
             QByteArray("02 85 00 ff ff ff ff ff"));
    QCOMPARE(written.size(), 1);
    const MemoryAccessTable t = rig.function->table();
    QVERIFY(!t.items.at(0).modified);
    QVERIFY(!t.items.at(3).modified);
    // The closing DM14 follows the last write, before the read-back.
    const QVector<CanMessage> requests = rig.sent(MemoryAccessFrames::PfDm14);
    QCOMPARE(requests.at(requests.size() - 2).data[1], quint8(0x19));
    QCOMPARE(requests.last().data[1], quint8(0x13));
}

void tst_MemoryAccess::writeFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("dataFrames");
    QTest::newRow("silence") << int(Fault::Silent) << "Device timeout" << 0;
    QTest::newRow("error status") << int(Fault::ErrorStatus) << "Waiting proceed but got other message"
                                  << 0;
    QTest::newRow("DM16 instead of DM15") << int(Fault::WrongKind)
                                          << "Waiting proceed but got other message" << 0;
    QTest::newRow("completed instead of proceed")
        << int(Fault::CompletedEarly) << "Waiting proceed but got other message" << 0;
    QTest::newRow("busy twice") << int(Fault::BusyTimes) << "Write complete, 1 values verified" << 1;
    QTest::newRow("unit stores another value") << int(Fault::WriteCorrupts)
                                               << "Verify failed for SPN=0x000010" << 1;
}

void tst_MemoryAccess::writeFaults()
{
    QFETCH(int, fault);
    QFETCH(QString, text);
    QFETCH(int, dataFrames);
    Rig rig;
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    QVERIFY(rig.function->setItemValue(0, 13.3));
    rig.unit->setFault(Fault(fault), 2);
    QCOMPARE(rig.write(true), text);
    QCOMPARE(rig.sent(MemoryAccessFrames::PfDm16).size(), dataFrames);
    QCOMPARE(rig.unit->unexpectedDataCount(), 0);
    // A failed write leaves the edit pending.
    QCOMPARE(rig.function->table().items.at(0).modified, dataFrames == 0);
    if (fault == int(Fault::WriteCorrupts))
        QVERIFY(rig.function->table().items.at(0).readChanged);
}

void tst_MemoryAccess::writeRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("target");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("changedOnly");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing modified") << File << int(Unit) << -1.0 << true << "Nothing to write";
    QTest::newRow("above maximum") << File << int(Unit) << 7000.0 << false
                                   << "Invalid value for SPN=0x000010";
    QTest::newRow("size 3") << QByteArray("10;A;d;S\n\n\nS;1;0;3;0;255;x\n") << int(Unit) << 1.0
                            << false << "Invalid size";
    QTest::newRow("target 0xff") << File << 0xFF << 1.0 << false << "Invalid target 0xff";
    QTest::newRow("target 0xfe") << File << 0xFE << 1.0 << false << "Invalid target 0xfe";
    QTest::newRow("target is the tool") << File << int(Tool) << 1.0 << false
                                        << "Invalid target 0xf9";
    QTest::newRow("target beyond a byte") << File << 0x1A0 << 1.0 << false << "Invalid target 0x1a0";
}

void tst_MemoryAccess::writeRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(int, target);
    QFETCH(double, value);
    QFETCH(bool, changedOnly);
    QFETCH(QString, text);
    Rig rig;
    QVERIFY(rig.function->loadFromData(file));
    rig.function->setWriteWithoutRead(true);
    if (value >= 0)
        QVERIFY(rig.function->setItemValue(0, value));
    rig.function->setTarget(target);
    const int before = rig.handler.writtenFrames().size();
    QCOMPARE(rig.write(changedOnly), text);
    QCOMPARE(rig.handler.writtenFrames().size(), before);
}

void tst_MemoryAccess::writeWithoutReadConfirmed()
{
    Rig rig;
    QVERIFY(rig.function->setItemValue(1, 31));
    QCOMPARE(rig.write(true), QStringLiteral("Read the values of the unit before writing"));
    QVERIFY(rig.handler.writtenFrames().isEmpty());
    rig.function->setWriteWithoutRead(true);
    QCOMPARE(rig.write(true), QStringLiteral("Write complete, 1 values verified"));
    QCOMPARE(rig.unit->cell(0x11).raw, 310u);
}

void tst_MemoryAccess::cancelWrite()
{
    Rig rig;
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    rig.unit->setFault(Fault::BusyTimes, 5);
    const QString text = rig.run([&rig] {
        rig.function->sendData(false);
        rig.function->cancel();
    });
    QCOMPARE(text, QStringLiteral("Write cancelled after 1 of 3"));
    QCOMPARE(rig.unit->writeCount(), 1);
    QCOMPARE(rig.unit->closingCount(), 1);
}

void tst_MemoryAccess::cancelRead()
{
    Rig rig;
    rig.unit->setFault(Fault::Silent);
    QCOMPARE(rig.run([&rig] {
        rig.function->requestData();
        rig.function->cancel();
    }),
             QStringLiteral("Read cancelled"));
    QVERIFY(!rig.function->isActive());
}

void tst_MemoryAccess::failedLoadKeepsTable()
{
    Rig rig;
    QVERIFY(rig.function->setItemValue(0, 1.5));
    QVERIFY(!rig.function->loadFromData("xyz;broken\n"));
    QCOMPARE(rig.function->errorText(), QStringLiteral("File structure error in line 1"));
    QCOMPARE(rig.function->itemCount(), 4);
    QCOMPARE(rig.value(0), 1.5);
    QVERIFY(rig.function->table().items.at(0).modified);
}

void tst_MemoryAccess::changesRefusedDuringExchange()
{
    Rig rig;
    rig.unit->setFault(Fault::Silent);
    rig.function->requestData();
    QVERIFY(rig.function->isActive());
    QVERIFY(!rig.function->loadFromData("99;X;d;S\n"));
    QCOMPARE(rig.function->errorText(), QStringLiteral("Busy"));
    QCOMPARE(rig.function->itemCount(), 4);
    QVERIFY(!rig.function->setItemValue(0, 2));
    QVERIFY(!rig.function->setItemValue(99, 2));
    rig.function->cancel();
    QVERIFY(rig.function->setItemValue(0, 2));
    QVERIFY(!rig.function->setItemValue(0, std::nan("")));
}

void tst_MemoryAccess::targetRestore_data()
{
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("target");
    QTest::newRow("decimal as saved") << QVariant(QStringLiteral("160")) << true << 0xA0;
    QTest::newRow("0x hexadecimal") << QVariant(QStringLiteral("0xa0")) << true << 0xA0;
    QTest::newRow("0X upper case") << QVariant(QStringLiteral("0XA0")) << true << 0xA0;
    QTest::newRow("bare hex refused") << QVariant(QStringLiteral("a0")) << false << 0x17;
    QTest::newRow("bad hex refused") << QVariant(QStringLiteral("0xzz")) << false << 0x17;
    QTest::newRow("empty refused") << QVariant(QString()) << false << 0x17;
    QTest::newRow("integer") << QVariant(10) << true << 10;
}

void tst_MemoryAccess::targetRestore()
{
    QFETCH(QVariant, input);
    QFETCH(bool, ok);
    QFETCH(int, target);
    TargetParameter p(0x17);
    QCOMPARE(p.setVariantValue(input), ok);
    QCOMPARE(p.value(), target);
}

void tst_MemoryAccess::deviceRoundTripByKey()
{
    // As the scheme files do it: the function is made from the device's catalogue by its key.
    J1939Device saved(Tool);
    auto *f = qobject_cast<MemoryAccessFunction *>(saved.factoryCreateChild("matool"));
    QVERIFY(f);
    QVERIFY(f->loadFromData(File));
    QVERIFY(f->setItemValue(0, 99.5));
    f->setTarget(Unit);
    const QDomDocument doc = savedItem(saved);
    QDomElement element = doc.documentElement();
    J1939Device restored(Tool);
    QVERIFY(restored.applyXmlData(element));
    QCOMPARE(restored.children().size(), 1);
    auto *r = qobject_cast<MemoryAccessFunction *>(restored.children().first());
    QVERIFY(r);
    QCOMPARE(r->target(), int(Unit));
    QCOMPARE(r->fileData(), f->fileData());
    QCOMPARE(r->table().items.at(0).value, 99.5);
}

void tst_MemoryAccess::registered()
{
    J1939PgnDescription d;
    QVERIFY(J1939Reg::findKey(QStringLiteral("matool"), &d));
    QCOMPARE(d.pgn, 0xD900u);
    QCOMPARE(d.name, QStringLiteral("Memory Access Tool"));
    J1939Device device(Tool);
    std::unique_ptr<AbstractDisplayableItem> made(d.creator(&device));
    auto *tool = qobject_cast<MemoryAccessFunction *>(made.get());
    QVERIFY(tool);
    // Its row is DM14's, matched by format whatever the addresses.
    QVERIFY(tool->matchMessage(makeFrame(0x18D90010u, {})));
    QVERIFY(!tool->matchMessage(makeFrame(0x18D8F9A0u, {})));
    QCOMPARE(made->name(), QStringLiteral("Memory Access"));
    made->updateUserReadableAddress();
    QCOMPARE(made->userReadableAddress(), QStringLiteral("0xd9/0xd8/0xd7"));
    MemoryAccessFunction f;
    QVERIFY(f.allowsInitCall("loadFromData"));
    QVERIFY(!f.allowsInitCall("loadFile"));
    QVERIFY(!f.allowsInitCall("saveFile"));
}

QTEST_MAIN(tst_MemoryAccess)
#include "tst_memoryaccess.moc"
