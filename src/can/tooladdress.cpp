#include "can/tooladdress.h"

#include "can/canmessage.h"

#include <array>
#include <atomic>

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
constexpr quint32 DefaultIdentityNumber = 0x1F9;
constexpr quint32 IdentityMask = (1u << 21) - 1;

std::atomic<quint8> s_current{ToolAddress::Default};
std::atomic<quint8> s_preferred{ToolAddress::Default};
std::atomic<quint64> s_name{ToolAddress::nameFor(DefaultIdentityNumber)};
// One bit per address the tool lost.
std::array<std::atomic<quint64>, 4> s_lost{};

} // namespace

quint8 ToolAddress::current()
{
    return s_current.load();
}

quint8 ToolAddress::preferred()
{
    return s_preferred.load();
}

bool ToolAddress::canSend()
{
    return !isLost(current());
}

void ToolAddress::setPreferred(quint8 address)
{
    for (std::atomic<quint64> &word : s_lost)
        word.store(0);
    s_preferred.store(address);
    s_current.store(address);
}

void ToolAddress::setCurrent(quint8 address)
{
    s_current.store(address);
}

void ToolAddress::markLost(quint8 address)
{
    s_lost[address / 64].fetch_or(quint64(1) << (address % 64));
}

bool ToolAddress::isLost(quint8 address)
{
    return s_lost[address / 64].load() & (quint64(1) << (address % 64));
}

quint8 ToolAddress::nextFree()
{
    if (!isLost(preferred()))
        return preferred();
    for (quint8 address : ToolRange) {
        if (!isLost(address))
            return address;
    }
    return NullAddress;
}

quint64 ToolAddress::name()
{
    return s_name.load();
}

void ToolAddress::setIdentityNumber(quint32 identityNumber)
{
    s_name.store(nameFor(identityNumber));
}

quint64 ToolAddress::nameFor(quint32 identityNumber)
{
    return quint64(identityNumber & IdentityMask) | ManufacturerCode << ManufacturerBit
           | ServiceToolFunction << FunctionBit | quint64(1) << ArbitraryAddressBit;
}

bool ToolAddress::maySend(const CanMessage &message)
{
    return !message.extended || !isLost(message.address());
}

void ToolAddress::reset()
{
    setPreferred(Default);
    setIdentityNumber(DefaultIdentityNumber);
}
