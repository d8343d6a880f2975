#include "demo/demounits.h"

#include "can/simulatedbus.h"
#include "demo/simulatedbootloader.h"
#include "demo/simulatedcontrolleroutputs.h"
#include "demo/simulatedengine.h"
#include "demo/simulatedidentification.h"
#include "demo/simulatedmemoryunit.h"
#include "demo/simulatedtunecontroller.h"
#include "diagnostics/memoryaccessfile.h"

#include <QFile>

#include <cstring>

namespace DemoUnits {

const char *const MemoryAccessFile = ":/demo/controller.ma";
const char *const ExampleProgram = ":/demo/example.prg";

namespace {

quint32 floatBits(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

} // namespace

void addTo(SimulatedBus *bus)
{
    auto memory = std::make_shared<SimulatedMemoryUnit>(ControllerAddress);
    QFile file(QString::fromLatin1(MemoryAccessFile));
    MemoryAccessTable table;
    QString error;
    if (file.open(QIODevice::ReadOnly) && MemoryAccessFile::parse(file.readAll(), &table, &error))
        memory->loadMap(table);
    else
        qWarning("Demo memory map not loaded: %s", qUtf8Printable(error));
    bus->addUnit(memory);

    auto tune = std::make_shared<SimulatedTuneController>(ControllerAddress);
    using T = SimulatedTuneController;
    tune->setValue(T::name("L0"), {4, floatBits(12.5f)});
    tune->setValue(T::name("A1"), {1, 30});
    tune->setValue(T::name("R1"), {2, 300});
    tune->setMachineState(T::name("St"), {1, 2});
    tune->setMachineState(T::name("Hr"), {4, floatBits(1234.5f)});
    tune->setMachineStatePeriod(1000);
    bus->addUnit(tune);
    bus->addUnit(std::make_shared<SimulatedBootLoader>(ControllerAddress));
    bus->addUnit(std::make_shared<SimulatedControllerOutputs>(ControllerAddress, LowerPanelAddress));
    bus->addUnit(std::make_shared<SimulatedIdentification>(
        ControllerAddress, QByteArray("TVK-MC2*A0-0417*Boom*Tarvik*"),
        QByteArray("\x02MC2 4.1.7*BOOT 1.3*")));

    bus->addUnit(std::make_shared<SimulatedEngine>(EngineAddress));
    bus->addUnit(std::make_shared<SimulatedIdentification>(
        EngineAddress, QByteArray("EMR2-0211*4.2*Engine*Deutz*"),
        QByteArray("\x01""EMR2 0211 04 20*")));
}

} // namespace DemoUnits
