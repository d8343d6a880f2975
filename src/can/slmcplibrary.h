#pragma once

#include "can/slmcpapi.h"

#include <QString>

#include <vector>

// slmcp.dll's entry points, held once for the whole program. Every handler opens the library with
// CnOpenLibrary() and releases it with CnCloseLibrary(); the last release unloads it, so a handler
// replaced by another never pulls the library from under its successor.
namespace SlmcpLibrary {

struct EntryPoints
{
    SlmcpApi::CnOpenFn CnOpen = nullptr;
    SlmcpApi::CnCloseFn CnClose = nullptr;
    SlmcpApi::CnInitFn CnInit = nullptr;
    SlmcpApi::CnSetMaskFiltersFn CnSetMaskFilters = nullptr;
    SlmcpApi::CnSetBaudRateFn CnSetBaudRate = nullptr;
    SlmcpApi::CnRecievePacketsFn CnRecievePackets = nullptr;
    SlmcpApi::CnSendPacketsFn CnSendPackets = nullptr;
    SlmcpApi::CnRecieveEnableFn CnRecieveEnable = nullptr;
    SlmcpApi::CnRecieveDisableFn CnRecieveDisable = nullptr;
    SlmcpApi::CnGetSerialNumberFn CnGetSerialNumber = nullptr;
    SlmcpApi::CnRegistersFn CnSetRegisters = nullptr;
    SlmcpApi::CnRegistersFn CnGetRegisters = nullptr;
    SlmcpApi::CnDevParametersFn CnSetDevParameters = nullptr;
    SlmcpApi::CnDevParametersFn CnGetDevParameters = nullptr;
};

constexpr const char *DefaultLibrary = "slmcp";

// Loads `fileName` (the default when empty) on the first open; later opens share that library.
// The entry points returned stay valid until the matching CnCloseLibrary(); null on failure,
// with the reason in `why`.
const EntryPoints *CnOpenLibrary(const QString &fileName, QString *why);
void CnCloseLibrary();
int openCount();
std::vector<const char *> requiredFunctions();

} // namespace SlmcpLibrary
