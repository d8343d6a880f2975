#include "model/zbusmessage.h"

#include "can/canmessage.h"

ZBusMessage::ZBusMessage(const CanMessage &bridged)
    : m_address(bridged.data[0])
{
    std::memcpy(m_data, bridged.data + 1, DataSize);
}

ZBusMessage::ZBusMessage(quint8 address, const quint8 *data)
    : m_address(address)
{
    std::memcpy(m_data, data, DataSize);
}
