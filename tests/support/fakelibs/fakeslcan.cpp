// Stand-in for slcan.dll: "devices" adapters (1 unless set), named "FAKE-<index>", with handles
// 0x1000 + index; device events are fired from a thread of the library, as a hot-plug would be.
#include "can/slcanapi.h"
#include "fakecore.h"

#include <cstring>
#include <thread>

using namespace SlcanApi;

#define SLCAN_EXPORT FAKE_EXPORT Bool TARVIK_ADAPTER_CALL

namespace {

DeviceProc s_deviceProc = nullptr;
DeviceListProc s_listProc = nullptr;

Device handleOf(std::uint32_t index)
{
    return reinterpret_cast<Device>(std::uintptr_t(0x1000 + index));
}

unsigned indexOf(Device device)
{
    return unsigned(reinterpret_cast<std::uintptr_t>(device) - 0x1000);
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

SLCAN_EXPORT SlCan_LoadEx(DeviceProc deviceProc, DeviceListProc listProc)
{
    fake::Call call("SlCan_LoadEx dev=%s list=%s", deviceProc ? "set" : "null",
                    listProc ? "set" : "null");
    if (failed("SlCan_LoadEx"))
        return 0;
    s_deviceProc = deviceProc;
    s_listProc = listProc;
    return 1;
}

SLCAN_EXPORT SlCan_FreeEx(Bool)
{
    fake::Call call("SlCan_FreeEx");
    return 1;
}

SLCAN_EXPORT SlCan_Free()
{
    fake::Call call("SlCan_Free");
    s_deviceProc = nullptr;
    s_listProc = nullptr;
    return 1;
}

SLCAN_EXPORT SlCan_DeviceGetBitRate(Device device, std::uint16_t *word)
{
    fake::Call call("SlCan_DeviceGetBitRate dev=%u", indexOf(device));
    *word = BitRate250k;
    return 1;
}

SLCAN_EXPORT SlCan_DeviceSetBitRate(Device device, std::uint16_t *word)
{
    fake::Call call("SlCan_DeviceSetBitRate dev=%u word=0x%04x", indexOf(device), unsigned(*word));
    return failed("SlCan_DeviceSetBitRate") ? 0 : 1;
}

SLCAN_EXPORT SlCan_DeviceOpen(Device device)
{
    fake::Call call("SlCan_DeviceOpen dev=%u", indexOf(device));
    return failed("SlCan_DeviceOpen") ? 0 : 1;
}

#ifndef FAKE_OMIT_CLOSE
SLCAN_EXPORT SlCan_DeviceClose(Device device)
{
    fake::Call call("SlCan_DeviceClose dev=%u", indexOf(device));
    return 1;
}
#endif

SLCAN_EXPORT SlCan_DeviceReadMessages(Device device, std::uint32_t timeout, unsigned char *records,
                                      std::uint32_t capacity, std::uint32_t *count)
{
    fake::Call call("SlCan_DeviceReadMessages dev=%u t=%u room=%u", indexOf(device), timeout,
                    capacity);
    if (failed("SlCan_DeviceReadMessages"))
        return 0;
    std::uint32_t n = 0;
    fake::Frame frame;
    while (n < capacity && fake::takeQueued(&frame)) {
        unsigned char *r = records + n++ * RecordSize;
        std::memset(r, 0, RecordSize);
        r[0] = frame.extended ? 1 : 0;
        for (int i = 0; i < 4; ++i)
            r[1 + i] = static_cast<unsigned char>(frame.id >> (8 * i));
        r[5] = static_cast<unsigned char>(frame.length);
        std::memcpy(r + 6, frame.data, 8);
    }
    long override = 0;
    if (fake::takeFailure("countOverride", &override))
        n = std::uint32_t(override);
    *count = n;
    return 1;
}

SLCAN_EXPORT SlCan_DeviceWriteMessages(Device device, unsigned char *records, std::uint32_t count,
                                       std::uint8_t *status)
{
    fake::Call call("SlCan_DeviceWriteMessages dev=%u n=%u", indexOf(device), count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char *r = records + i * RecordSize;
        fake::log("  rec %s", fake::hex(r, RecordSize).c_str());
        fake::Frame frame;
        frame.extended = r[0] & 1;
        frame.id = std::uint32_t(r[1]) | std::uint32_t(r[2]) << 8 | std::uint32_t(r[3]) << 16
                   | std::uint32_t(r[4]) << 24;
        frame.length = r[5];
        std::memcpy(frame.data, r + 6, 8);
        fake::recordWritten(frame);
    }
    if (failed("SlCan_DeviceWriteMessages"))
        return 0;
    long statusValue = 0;
    if (!fake::takeFailure("leaveStatus", &statusValue))
        *status = static_cast<std::uint8_t>(fake::takeFailure("status", &statusValue) ? statusValue
                                                                                      : 0);
    return 1;
}

SLCAN_EXPORT SlCan_DeviceEnaRec(Device device, std::uint32_t on)
{
    fake::Call call("SlCan_DeviceEnaRec dev=%u on=%u", indexOf(device), on);
    return failed("SlCan_DeviceEnaRec") ? 0 : 1;
}

SLCAN_EXPORT SlCan_DeviceSetTXTimeOut(Device device, std::uint32_t ms)
{
    fake::Call call("SlCan_DeviceSetTXTimeOut dev=%u ms=%u", indexOf(device), ms);
    return failed("SlCan_DeviceSetTXTimeOut") ? 0 : 1;
}

#ifndef FAKE_OMIT_MODE
SLCAN_EXPORT SlCan_DeviceSetMode(Device device, std::uint32_t mode)
{
    fake::Call call("SlCan_DeviceSetMode dev=%u mode=%u", indexOf(device), mode);
    return failed("SlCan_DeviceSetMode") ? 0 : 1;
}
#endif

SLCAN_EXPORT SlCan_DeviceGetInfo(Device device, std::uint32_t code, char *buffer,
                                 std::uint32_t size)
{
    fake::Call call("SlCan_DeviceGetInfo dev=%u code=0x%x size=%u", indexOf(device), code, size);
    if (fake::value("infoWithoutEnd", 0)) {
        std::memset(buffer, 'A', size); // no terminating zero
        return 1;
    }
    std::snprintf(buffer, size, "FAKE-%u", indexOf(device) + unsigned(fake::value("nameShift", 0)));
    return 1;
}

#ifndef FAKE_OMIT_ENUMERATION
FAKE_EXPORT std::uint32_t TARVIK_ADAPTER_CALL SlCan_GetDeviceCount()
{
    fake::Call call("SlCan_GetDeviceCount");
    return std::uint32_t(fake::value("devices", 1));
}

FAKE_EXPORT Device TARVIK_ADAPTER_CALL SlCan_GetDevice(std::uint32_t index)
{
    fake::Call call("SlCan_GetDevice %u", index);
    return index < std::uint32_t(fake::value("devices", 1)) ? handleOf(index) : nullptr;
}
#endif

// Fires the device callback from a thread of the library and waits for it to return.
FAKE_EXPORT void Fake_fireDeviceEvent(std::uint32_t index, std::uint32_t event)
{
    std::thread([index, event] {
        if (DeviceProc proc = s_deviceProc)
            proc(handleOf(index), index, event, 0, 0);
    }).join();
}

FAKE_EXPORT void Fake_fireListEvent()
{
    std::thread([] {
        if (DeviceListProc proc = s_listProc)
            proc();
    }).join();
}
