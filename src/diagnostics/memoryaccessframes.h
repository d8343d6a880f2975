#pragma once

#include "can/canmessage.h"

// Frames of J1939-73 memory access with SPN pointers (pointer type 1), one value per request:
// DM14 request, DM15 response, DM16 binary data transfer.
namespace MemoryAccessFrames {
constexpr quint8 PfDm14 = 0xD9;
constexpr quint8 PfDm15 = 0xD8;
constexpr quint8 PfDm16 = 0xD7;
constexpr quint8 Priority = 3;
constexpr quint32 NoPointer = 0xFFFFFFFF;

enum Command : quint8 { Read = 1, Write = 2, OperationCompleted = 4, BootLoad = 6 };
// DM15 status, bits 3-1 of byte 1; the other values are failures.
enum Status : quint8 { Proceed = 0, Busy = 1, Completed = 4, Failed = 5 };

// Addresses a unit may be given as a target: not the null (0xFE) nor the global (0xFF) address.
inline bool isUnitAddress(int address) { return address >= 0 && address <= 0xFD; }

CanMessage dm14(quint8 target, quint8 source, Command command, quint32 pointer);
// DM16 carrying `size` bytes (1 to 7) of `raw`, least significant first, the rest 0xFF.
CanMessage dm16(quint8 target, quint8 source, quint8 size, quint32 raw);
// DM14 of the boot loader handshake (priority 6, direct pointer 0, no key): the boot-load
// request (BootLoad) and its closing OperationCompleted.
CanMessage bootLoadDm14(quint8 target, quint8 source, Command command);
CanMessage dm15(quint8 target, quint8 source, Status status);

// Fields of a received DM14; false when the frame is too short or is not SPN addressing.
bool parseDm14(const CanMessage &frame, Command *command, quint32 *pointer);
// Status of a DM15; false when the frame is too short to carry one.
bool parseDm15(const CanMessage &frame, quint8 *status);
// Value of a DM16; false unless the length byte is 1, 2 or 4 and the frame carries that many.
bool parseDm16(const CanMessage &frame, quint8 *size, quint32 *raw);
} // namespace MemoryAccessFrames
