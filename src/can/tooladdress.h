#pragma once

#include <QtGlobal>

#include <array>
#include <atomic>

class AbstractCanMessageDispatcher;
class CanMessage;

// The address the tool holds on a bus (J1939-81): the one it claims for its tool unit and
// sends every service request from, its NAME, and the addresses it lost to a unit of higher
// priority. Each bus has its own (AbstractCanMessageDispatcher::toolAddress()); its handler
// refuses every frame from a lost address, so whatever builds a frame, nothing leaves from
// there. Any thread.
class ToolAddress
{
public:
    // Off-board service tool #1, the first address of the tools' range.
    static constexpr quint8 Default = 0xF9;
    static constexpr quint32 DefaultIdentityNumber = 0x1F9;

    ToolAddress();

    // The bus's tool address; off a bus, the defaults (0xF9, nothing lost), never changed.
    static const ToolAddress &of(const AbstractCanMessageDispatcher *bus);

    // The address the tool claims, or claimed last (lost, when no other was free).
    quint8 current() const { return m_current.load(); }
    // The address chosen in the settings: the tool claims it first.
    quint8 preferred() const { return m_preferred.load(); }
    // False once the tool lost its address and found no free one: it sends nothing.
    bool canSend() const { return !isLost(current()); }

    // The engineer's choice: claimed from now on, every earlier loss forgotten.
    void setPreferred(quint8 address);
    // The tool holds `address` now (it moved there).
    void setCurrent(quint8 address) { m_current.store(address); }
    // A unit of higher priority claimed `address`: the tool never sends from it again.
    void markLost(quint8 address);
    bool isLost(quint8 address) const;
    // The first address of the tools' range (the preferred one first) not lost; 0xFE (the null
    // address) when none is left.
    quint8 nextFree() const;

    // The 64-bit NAME the tool claims with; identityNumber makes it this installation's own.
    quint64 name() const { return m_name.load(); }
    void setIdentityNumber(quint32 identityNumber) { m_name.store(nameFor(identityNumber)); }
    // The NAME of an off-board diagnostic-service tool (function 129 of the global industry
    // group), arbitrary address capable.
    static quint64 nameFor(quint32 identityNumber);

    // Whether a frame may go out: none from an address the tool lost.
    bool maySend(const CanMessage &message) const;

private:
    ToolAddress(const ToolAddress &) = delete;
    ToolAddress &operator=(const ToolAddress &) = delete;

    std::atomic<quint8> m_current{Default};
    std::atomic<quint8> m_preferred{Default};
    std::atomic<quint64> m_name;
    // One bit per address the tool lost.
    std::array<std::atomic<quint64>, 4> m_lost{};
};
