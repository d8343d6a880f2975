#include "descriptions/unknownsiddevice.h"

#include "model/rawdataparameter.h"

UnknownSidDevice::UnknownSidDevice(QObject *parent)
    : SidDevice(0, parent)
    , m_data(new RawDataParameter)
{
    addParameter(m_data, tr("DATA"));
    setDeviceType(Spontaneous, 5000);
}

bool UnknownSidDevice::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    m_data->setBytes(message.data, message.length);
    setUpdateNeeded();
    return true;
}
