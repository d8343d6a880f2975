#include "can/tooladdress.h"

#include "can/abstractcanmessagedispatcher.h"
#include "can/canmessage.h"

namespace {

constexpr quint8 NullAddress = 0xFE;
// The tools' range of the preferred addresses: off-board service tools #1 and #2.
constexpr std::array<quint8, 2> ToolRange = {0xF9, 0xFA};

// NAME fields (J1939-81), bit position from the least significant bit.
constexpr int FunctionBit = 40;
constexpr int ManufacturerBit = 21;
constexpr int ArbitraryAddressBit = 63;
constexpr quint64 ServiceToolFunction = 129; // off-board diagnostic-service tool, industry group 0
// Zentrax holds no code of the SAE list; 0 is the list's reserved code, no maker's unit
// carries it.
constexpr quint64 ManufacturerCode = 0;
constexpr quint32 IdentityMask = (1u << 21) - 1;

} // namespace

ToolAddress::ToolAddress()
    : m_name(nameFor(DefaultIdentityNumber))
{}

const ToolAddress &ToolAddress::of(const AbstractCanMessageDispatcher *bus)
{
    static const ToolAddress unconnected;
    return bus ? bus->toolAddress() : unconnected;
}

void ToolAddress::setPreferred(quint8 address)
{
    for (std::atomic<quint64> &word : m_lost)
        word.store(0);
    m_preferred.store(address);
    m_current.store(address);
}

void ToolAddress::markLost(quint8 address)
{
    m_lost[address / 64].fetch_or(quint64(1) << (address % 64));
}

bool ToolAddress::isLost(quint8 address) const
{
    return m_lost[address / 64].load() & (quint64(1) << (address % 64));
}

quint8 ToolAddress::nextFree() const
{
    if (!isLost(preferred()))
        return preferred();
    for (quint8 address : ToolRange) {
        if (!isLost(address))
            return address;
    }
    return NullAddress;
}

quint64 ToolAddress::nameFor(quint32 identityNumber)
{
    return quint64(identityNumber & IdentityMask) | ManufacturerCode << ManufacturerBit
           | ServiceToolFunction << FunctionBit | quint64(1) << ArbitraryAddressBit;
}

bool ToolAddress::maySend(const CanMessage &message) const
{
    return !message.extended || !isLost(message.address());
}
