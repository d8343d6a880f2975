#pragma once

#include "demo/simulatedmemoryunit.h"
#include "diagnostics/memoryaccessfunction.h"
#include "model/j1939device.h"
#include "support/busfixtures.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace MemoryAccessRig {

constexpr quint8 Tool = 0xF9;
constexpr quint8 Unit = 0xA0;

// Values: P_1 = 12.5, P_2 = 30.0 (slot S01, 0.1 per bit, 2 bytes), Q_1 = 0.7 read-only,
// W = 5 write-only (slot B, 1 byte).
inline const QByteArray File = "10;P_1;first;S01;0;RW\n"
                        "11;P_2;second;S01;0;RW\n"
                        "12;Q_1;read only;S01;0;RO\n"
                        "13;W;write only;B;0;WO\n"
                        "\nG;(P|Q)_(\\d)\n"
                        "\nS01;0.1;0;2;0;6553.5;bar\nB;1;0;1;0;255;x\n";

// A tool device at 0xF9, simulated, with the memory access function; the unit at 0xA0.
struct Rig : SimulatedBusRig
{
    Rig()
    {
        device = new J1939Device(Tool);
        function = new MemoryAccessFunction;
        device->registerChild(function);
        dispatcher.registerDisplayable(device);
        device->setState(AbstractDisplayableItem::Send);
        unit = std::make_shared<SimulatedMemoryUnit>(Unit);
        handler.bus()->addUnit(unit);
        function->setTarget(Unit);
        function->setTimeoutMs(150);
        function->setBackupDirectory(backups.path());
        QVERIFY(function->loadFromData(File));
        unit->loadMap(function->table());
        unit->setCell(0x10, {2, 125, true});
        unit->setCell(0x11, {2, 300, true});
        unit->setCell(0x12, {2, 7, false});
        unit->setCell(0x13, {1, 5, true});
        QVERIFY(handler.start());
    }

    // Runs one exchange to its end; the text it ended with.
    QString run(const std::function<void()> &start)
    {
        QSignalSpy finished(function, &MemoryAccessFunction::exchangeFinished);
        start();
        if (finished.isEmpty() && !finished.wait(3000))
            return QStringLiteral("<no end>");
        return finished.last().at(1).toString();
    }
    QString read() { return run([this] { function->requestData(); }); }
    QString write(bool changedOnly)
    {
        return run([this, changedOnly] { function->sendData(changedOnly); });
    }
    QVector<CanMessage> sent(quint8 pf) const { return handler.writtenFrames(pf); }
    double value(int i) const { return function->table().items.at(i).value; }

    QTemporaryDir backups;
    J1939Device *device = nullptr;
    MemoryAccessFunction *function = nullptr;
    std::shared_ptr<SimulatedMemoryUnit> unit;
};

} // namespace MemoryAccessRig
