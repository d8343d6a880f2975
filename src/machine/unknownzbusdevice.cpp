#include "machine/unknownzbusdevice.h"

#include "model/rawdataparameter.h"

UnknownZBusDevice::UnknownZBusDevice(QObject *parent)
    : ZBusDevice(0xFF, parent)
{
    setObjectName(QStringLiteral("UnknownZBusDevice"));
    addParameter(new RawDataParameter, QStringLiteral("DATA"));
}

bool UnknownZBusDevice::dispatchMessage(const ZBusMessage &message)
{
    auto *data = static_cast<RawDataParameter *>(parameters().at(1));
    data->setBytes(message.data(), ZBusMessage::DataSize);
    data->setValid(true);
    setUpdateNeeded();
    return true;
}
