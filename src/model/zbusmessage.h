#pragma once

#include <QtGlobal>

#include <cstring>

class CanMessage;

// One sensor message of the machine's own sensor bus, carried inside a bridge frame: the
// sensor address and seven data bytes.
class ZBusMessage
{
public:
    static constexpr int DataSize = 7;

    ZBusMessage() = default;
    explicit ZBusMessage(const CanMessage &bridged);
    ZBusMessage(quint8 address, const quint8 *data);

    quint8 address() const { return m_address; }
    const quint8 *data() const { return m_data; }

private:
    quint8 m_address = 0;
    quint8 m_data[DataSize] = {0, 0, 0, 0, 0, 0, 0};
};
