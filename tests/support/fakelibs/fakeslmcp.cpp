// Stand-in for slmcp.dll: devices answer at the numbers "device0".."device3" (5 unless set, 0 for
// none), with handles 0x100 + number; "noSerial" names a device whose serial number cannot be
// read. Identifier words are decoded as the vendor documents them.
#include "can/slmcpapi.h"
#include "fakecore.h"

#include <cstring>

using namespace SlmcpApi;

#define SLMCP_EXPORT FAKE_EXPORT Bool TARVIK_ADAPTER_CALL

namespace {

bool present(std::uint32_t number)
{
    for (const char *key : {"device0", "device1", "device2", "device3"}) {
        if (std::uint32_t(fake::value(key, key[6] == '0' ? 5 : 0)) == number)
            return true;
    }
    return false;
}

unsigned numberOf(Handle handle)
{
    return unsigned(reinterpret_cast<std::uintptr_t>(handle) - 0x100);
}

bool failed(const char *function)
{
    long rc = 0;
    return fake::takeFailure(function, &rc);
}

struct Unload
{
    ~Unload() { fake::log("unload"); }
} s_unload;

} // namespace

FAKE_EXPORT Handle TARVIK_ADAPTER_CALL CnOpen(std::uint32_t number)
{
    if (!present(number) || failed("CnOpen")) {
        fake::Call quiet("");
        return nullptr;
    }
    fake::Call call("CnOpen %u", number);
    return reinterpret_cast<Handle>(std::uintptr_t(0x100 + number));
}

SLMCP_EXPORT CnClose(Handle handle)
{
    fake::Call call("CnClose %u", numberOf(handle));
    return 1;
}

SLMCP_EXPORT CnInit(Handle handle, std::uint8_t *result, std::uint32_t mode)
{
    fake::Call call("CnInit %u mode=%u", numberOf(handle), mode);
    if (failed("CnInit"))
        return 0;
    *result = 2;
    return 1;
}

SLMCP_EXPORT CnSetMaskFilters(Handle handle, void *, std::uint32_t)
{
    fake::Call call("CnSetMaskFilters %u", numberOf(handle));
    return 1;
}

SLMCP_EXPORT CnSetBaudRate(Handle handle, std::uint32_t code)
{
    fake::Call call("CnSetBaudRate %u code=%u", numberOf(handle), code);
    return failed("CnSetBaudRate") ? 0 : 1;
}

SLMCP_EXPORT CnRecievePackets(Handle handle, unsigned char *records, std::uint32_t *count)
{
    fake::Call call("CnRecievePackets %u n=%u", numberOf(handle), *count);
    if (failed("CnRecievePackets"))
        return 0;
    std::uint32_t n = 0;
    fake::Frame frame;
    while (n < *count && fake::takeQueued(&frame)) {
        unsigned char *r = records + n++ * RecordSize;
        std::memset(r, 0, RecordSize);
        std::uint32_t word = (frame.id & 0x3FFFF) | ((frame.id << 3) & 0xFFE00000u);
        if (frame.extended)
            word |= 0x80000;
        for (int i = 0; i < 4; ++i)
            r[i] = static_cast<unsigned char>(word >> (8 * i));
        r[4] = static_cast<unsigned char>(frame.length);
        std::memcpy(r + 5, frame.data, 8);
    }
    long override = 0;
    if (fake::takeFailure("countOverride", &override))
        n = std::uint32_t(override);
    *count = n;
    return 1;
}

SLMCP_EXPORT CnSendPackets(Handle handle, unsigned char *records, std::uint32_t count,
                           std::uint8_t *result)
{
    bool tailZero = true;
    for (int i = int(count) * RecordSize; i < SendCapacity * RecordSize; ++i)
        tailZero = tailZero && records[i] == 0;
    fake::Call call("CnSendPackets %u n=%u tailZero=%d", numberOf(handle), count, int(tailZero));
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char *r = records + i * RecordSize;
        fake::log("  rec %s", fake::hex(r, RecordSize).c_str());
        const std::uint32_t word = std::uint32_t(r[0]) | std::uint32_t(r[1]) << 8
                                   | std::uint32_t(r[2]) << 16 | std::uint32_t(r[3]) << 24;
        fake::Frame frame;
        frame.id = (word & 0x3FFFF) | ((word & 0xFFE00000u) >> 3);
        frame.extended = (word & 0x80000) ? 1 : 0;
        frame.length = r[4];
        std::memcpy(frame.data, r + 5, 8);
        fake::recordWritten(frame);
    }
    *result = 0;
    return failed("CnSendPackets") ? 0 : 1;
}

SLMCP_EXPORT CnRecieveEnable(Handle handle)
{
    fake::Call call("CnRecieveEnable %u", numberOf(handle));
    return failed("CnRecieveEnable") ? 0 : 1;
}

SLMCP_EXPORT CnRecieveDisable(Handle handle)
{
    fake::Call call("CnRecieveDisable %u", numberOf(handle));
    return 1;
}

SLMCP_EXPORT CnGetSerialNumber(Handle handle, char *buffer, std::uint32_t size)
{
    fake::Call call("CnGetSerialNumber %u size=%u", numberOf(handle), size);
    if (long(numberOf(handle)) == fake::value("noSerial", -1))
        return 0;
    std::snprintf(buffer, size, "SN%04u", numberOf(handle));
    return 1;
}

SLMCP_EXPORT CnSetRegisters(Handle, void *, std::uint32_t)
{
    return 1;
}

SLMCP_EXPORT CnGetRegisters(Handle, void *, std::uint32_t)
{
    return 1;
}

SLMCP_EXPORT CnSetDevParameters(Handle, void *, std::uint32_t)
{
    return 1;
}

SLMCP_EXPORT CnGetDevParameters(Handle, void *, std::uint32_t)
{
    return 1;
}
