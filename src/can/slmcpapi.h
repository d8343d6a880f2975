#pragma once

#include "can/adapterapi.h"

#include <cstdint>

// slmcp.dll of the older adapters. The vendor's header is not part of Tarvik; the types follow
// the Windows types of its documentation (an opaque device handle, 0 when no device answers,
// BOOL results, DWORD counts). Records are 16 bytes, built and read byte by byte.
namespace SlmcpApi {

using Handle = void *;
using Bool = std::int32_t;

constexpr int RecordSize = 16;
constexpr int SendCapacity = 128;
constexpr int SerialCapacity = 128;
constexpr unsigned FirstDeviceNumber = 1;
constexpr unsigned LastDeviceNumber = 254;

using CnOpenFn = Handle(TARVIK_ADAPTER_CALL *)(std::uint32_t number);
using CnCloseFn = Bool(TARVIK_ADAPTER_CALL *)(Handle);
using CnInitFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, std::uint8_t *result, std::uint32_t);
using CnSetMaskFiltersFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, void *, std::uint32_t);
using CnSetBaudRateFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, std::uint32_t code);
using CnRecievePacketsFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, unsigned char *records,
                                                       std::uint32_t *count);
using CnSendPacketsFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, unsigned char *records,
                                                    std::uint32_t count, std::uint8_t *result);
using CnRecieveEnableFn = Bool(TARVIK_ADAPTER_CALL *)(Handle);
using CnRecieveDisableFn = Bool(TARVIK_ADAPTER_CALL *)(Handle);
using CnGetSerialNumberFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, char *buffer, std::uint32_t size);
using CnRegistersFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, void *, std::uint32_t);
using CnDevParametersFn = Bool(TARVIK_ADAPTER_CALL *)(Handle, void *, std::uint32_t);

} // namespace SlmcpApi
