#include "diagnostics/memoryaccessframes.h"

namespace MemoryAccessFrames {

namespace {

CanMessage frame(quint8 pf, quint8 target, quint8 source)
{
    CanMessage m;
    m.id = quint32(Priority) << 26 | quint32(pf) << 16 | quint32(target) << 8 | source;
    m.length = 8;
    m.extended = true;
    for (quint8 &b : m.data)
        b = 0xFF;
    return m;
}

// Byte 1 of DM14: length high bits 0, pointer type 1, the command, bit 0 set.
constexpr quint8 PointerTypeSpn = 0x10;

} // namespace

CanMessage dm14(quint8 target, quint8 source, Command command, quint32 pointer)
{
    CanMessage m = frame(PfDm14, target, source);
    m.data[0] = 0x01;
    m.data[1] = quint8(PointerTypeSpn | quint8(command) << 1 | 0x01);
    for (int i = 0; i < 4; ++i)
        m.data[2 + i] = quint8(pointer >> (8 * i));
    m.text = QStringLiteral("DM14: Length=1, Command=%1, PointerType=1, Pointer=%2, Key=0xffff")
                 .arg(int(command))
                 .arg(pointer);
    return m;
}

CanMessage dm16(quint8 target, quint8 source, quint8 size, quint32 raw)
{
    CanMessage m = frame(PfDm16, target, source);
    m.data[0] = size;
    for (int i = 0; i < size && i < 4; ++i)
        m.data[1 + i] = quint8(raw >> (8 * i));
    m.text = QStringLiteral("DM16: Length=%1").arg(size);
    return m;
}

CanMessage bootLoadDm14(quint8 target, quint8 source, Command command)
{
    constexpr quint32 BootLoadPriority = 6;
    CanMessage m = frame(PfDm14, target, source);
    m.id = (m.id & ~(quint32(7) << 26)) | BootLoadPriority << 26;
    m.data[0] = 0x00;
    m.data[1] = quint8(quint8(command) << 1 | 0x01);
    for (int i = 2; i < 6; ++i)
        m.data[i] = 0x00;
    return m;
}

CanMessage dm15(quint8 target, quint8 source, Status status)
{
    CanMessage m = frame(PfDm15, target, source);
    m.data[0] = 0x01;
    m.data[1] = quint8(PointerTypeSpn | quint8(status) << 1 | 0x01);
    return m;
}

bool parseDm14(const CanMessage &m, Command *command, quint32 *pointer)
{
    if (m.length < 6 || (m.data[1] & PointerTypeSpn) == 0)
        return false;
    *command = Command((m.data[1] >> 1) & 0x07);
    *pointer = quint32(m.data[2]) | quint32(m.data[3]) << 8 | quint32(m.data[4]) << 16
               | quint32(m.data[5]) << 24;
    return true;
}

bool parseDm15(const CanMessage &m, quint8 *status)
{
    if (m.length < 2)
        return false;
    *status = (m.data[1] >> 1) & 0x07;
    return true;
}

bool parseDm16(const CanMessage &m, quint8 *size, quint32 *raw)
{
    if (m.length < 1)
        return false;
    *size = m.data[0];
    if ((*size != 1 && *size != 2 && *size != 4) || m.length < 1 + *size)
        return false;
    *raw = 0;
    for (int i = 0; i < *size; ++i)
        *raw |= quint32(m.data[1 + i]) << (8 * i);
    return true;
}

} // namespace MemoryAccessFrames
