#pragma once

#include <QtGlobal>

class CanMessage;

// The address the tool holds on the bus (J1939-81): the one it claims for its tool unit and
// sends every service request from, its NAME, and the addresses it lost to a unit of higher
// priority. The handler refuses every frame from a lost address, so whatever builds a frame,
// nothing leaves from there. One per process like the bus; any thread.
class ToolAddress
{
public:
    // Off-board service tool #1, the first address of the tools' range.
    static constexpr quint8 Default = 0xF9;

    // The address the tool claims, or claimed last (lost, when no other was free).
    static quint8 current();
    // The address chosen in the settings: the tool claims it first.
    static quint8 preferred();
    // False once the tool lost its address and found no free one: it sends nothing.
    static bool canSend();

    // The engineer's choice: claimed from now on, every earlier loss forgotten.
    static void setPreferred(quint8 address);
    // The tool holds `address` now (it moved there).
    static void setCurrent(quint8 address);
    // A unit of higher priority claimed `address`: the tool never sends from it again.
    static void markLost(quint8 address);
    static bool isLost(quint8 address);
    // The first address of the tools' range (the preferred one first) not lost; 0xFE (the null
    // address) when none is left.
    static quint8 nextFree();

    // The 64-bit NAME the tool claims with; identityNumber makes it this installation's own.
    static quint64 name();
    static void setIdentityNumber(quint32 identityNumber);
    // The NAME of an off-board diagnostic-service tool (function 129 of the global industry
    // group), arbitrary address capable.
    static quint64 nameFor(quint32 identityNumber);

    // Whether a frame may go out: none from an address the tool lost.
    static bool maySend(const CanMessage &message);

    // Back to the defaults (tests, a new bus): 0xF9, nothing lost.
    static void reset();
};
