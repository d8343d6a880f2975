#include "diagnostics/emr2enginestoprequestfunction.h"

#include "can/dispatchresult.h"
#include "model/zxboolparameter.h"

#include <QRandomGenerator>

namespace {

constexpr quint8 StopRequested = 1;

Emr2EngineStopRequestFunction::RandomByte &randomSource()
{
    static Emr2EngineStopRequestFunction::RandomByte r = [] {
        return quint8(QRandomGenerator::global()->bounded(256));
    };
    return r;
}

} // namespace

Emr2EngineStopRequestFunction::Emr2EngineStopRequestFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFF, 0x16, parent)
{
    setObjectName(QStringLiteral("Emr2EngineStopRequestFunction"));
    setName(tr("EMR2 - Engine Stop Request"));
    setDefaultPriority(2);
    setDeviceType(SpontaneousCommit, 5000);
    addBoolParameter(QStringLiteral("Stop"));
}

void Emr2EngineStopRequestFunction::setRandomSource(RandomByte source)
{
    randomSource() = std::move(source);
}

bool Emr2EngineStopRequestFunction::isStopRequested() const
{
    return boolParameter(0)->value();
}

bool Emr2EngineStopRequestFunction::dispatchMessageImpl(const CanMessage &message,
                                                        DispatchResult *result)
{
    result->item = this;
    if (message.length < 1) {
        result->description = QStringLiteral("EMR2 stop request without data");
        return true; // taken, nothing to read
    }
    boolParameter(0)->setValue(message.data[0] == StopRequested);
    boolParameter(0)->setValid(true);
    setUpdateNeeded();
    return true;
}

void Emr2EngineStopRequestFunction::transmitState()
{
    quint8 byte = StopRequested;
    if (!isStopRequested()) {
        // Anything but 1 means "run"; the controller expects it to vary.
        do {
            byte = randomSource()();
        } while (byte == StopRequested);
    }
    transmitData(&byte, 1);
}
