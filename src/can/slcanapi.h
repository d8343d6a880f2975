#pragma once

#include "can/adapterapi.h"

#include <cstdint>

// slcan.dll of the newer adapters. The vendor's header is not part of Tarvik; the types below
// follow the Windows types its functions are documented with (a device is an opaque handle,
// BOOL results are 32-bit, counts and codes DWORD). Frame records are 14 bytes, packed, and
// built and read byte by byte (see adapterrecords.h).
namespace SlcanApi {

using Device = void *;
using Bool = std::int32_t;

constexpr int RecordSize = 14;
constexpr std::uint32_t InfoSerialText = 0x12;
constexpr int InfoCapacity = 256;
constexpr std::uint16_t BitRate250k = 0x8003;
constexpr std::uint32_t TxTimeoutMs = 10;
constexpr std::uint32_t ModeNormal = 1;
constexpr std::uint32_t EventDeviceRemoved = 4;

using DeviceProc = void(TARVIK_ADAPTER_CALL *)(Device device, std::uint32_t index,
                                               std::uint32_t event, std::uint32_t param1,
                                               std::uint32_t param2);
using DeviceListProc = void(TARVIK_ADAPTER_CALL *)();

using LoadExFn = Bool(TARVIK_ADAPTER_CALL *)(DeviceProc, DeviceListProc);
using FreeExFn = Bool(TARVIK_ADAPTER_CALL *)(Bool);
using FreeFn = Bool(TARVIK_ADAPTER_CALL *)();
using DeviceGetBitRateFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint16_t *);
using DeviceSetBitRateFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint16_t *);
using DeviceOpenFn = Bool(TARVIK_ADAPTER_CALL *)(Device);
using DeviceCloseFn = Bool(TARVIK_ADAPTER_CALL *)(Device);
using DeviceReadMessagesFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint32_t timeout,
                                                         unsigned char *records,
                                                         std::uint32_t capacity,
                                                         std::uint32_t *count);
using DeviceWriteMessagesFn = Bool(TARVIK_ADAPTER_CALL *)(Device, unsigned char *records,
                                                          std::uint32_t count,
                                                          std::uint8_t *status);
using DeviceEnaRecFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint32_t);
using DeviceSetTxTimeOutFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint32_t);
using DeviceSetModeFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint32_t);
using DeviceGetInfoFn = Bool(TARVIK_ADAPTER_CALL *)(Device, std::uint32_t code, char *buffer,
                                                    std::uint32_t size);
using GetDeviceCountFn = std::uint32_t(TARVIK_ADAPTER_CALL *)();
using GetDeviceFn = Device(TARVIK_ADAPTER_CALL *)(std::uint32_t index);

} // namespace SlcanApi
