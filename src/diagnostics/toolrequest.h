#pragma once

#include "can/canmessage.h"

class StaticPgnJ1939DeviceFunction;

// Requests (PGN 0xEA00) the tool sends from its claimed address (can/tooladdress.h) to ask a
// unit, or every unit, for a parameter group: identification, trouble codes, freeze frames,
// clearing.
namespace ToolRequest {

constexpr quint8 Priority = 6;
constexpr quint8 PfRequest = 0xEA;

// The request for `pgn` to `destination` (0xFF: every unit) from `source`: three data bytes,
// the PGN least significant byte first.
CanMessage frame(quint32 pgn, quint8 destination, quint8 source);
// The PGN a frame requests, or -1 when it is no request (another group, or too short).
qint64 requestedPgn(const CanMessage &frame);
// Asks the unit of `function` (or every unit, when `global`) for the function's group, from the
// tool's address on the unit's bus. False when the function has no J1939 unit to ask or the tool
// has no address. Bus thread.
bool ask(StaticPgnJ1939DeviceFunction *function, bool global = false);

} // namespace ToolRequest
