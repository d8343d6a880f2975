#pragma once

#include "can/adapterapi.h"

// The SAE J2534-1 (04.04) pass-thru programming interface as far as Tarvik uses it. The record
// and configuration types keep the published `unsigned long` fields: 4 bytes on Windows, 8 on
// 64-bit Linux, where J2534 libraries are built from the same header.
namespace J2534Api {

constexpr int DataCapacity = 4128;

struct PassThruMsg
{
    unsigned long ProtocolID;
    unsigned long RxStatus;
    unsigned long TxFlags;
    unsigned long Timestamp;
    unsigned long DataSize;
    unsigned long ExtraDataIndex;
    unsigned char Data[DataCapacity];
};

struct SConfig
{
    unsigned long Parameter;
    unsigned long Value;
};

struct SConfigList
{
    unsigned long NumOfParams;
    SConfig *ConfigPtr;
};

constexpr unsigned long ProtocolCan = 5;
constexpr unsigned long ConnectCanIdBoth = 0x800;
constexpr unsigned long TxCan29BitId = 0x100;
constexpr unsigned long TxFilterFlags = 0x40;
constexpr unsigned long RxCan29BitId = 0x100;
constexpr unsigned long RxTxMsgType = 0x01;    // loop-back of a frame this channel sent
constexpr unsigned long RxTxIndication = 0x08; // transmit-done indication
constexpr unsigned long PassFilter = 1;
constexpr unsigned long IoctlSetConfig = 2;
constexpr unsigned long ConfigDataRate = 1;
constexpr unsigned long IdBytes = 4;

constexpr long StatusNoError = 0;
constexpr long ErrFailed = 7;
constexpr long ErrTimeout = 9;
constexpr long ErrBufferEmpty = 0x10;
constexpr long ErrBufferOverflow = 0x12;

// Configuration parameters the wrapper keeps away from the library (timing parameters of other
// protocols that some CAN-only interfaces reject).
inline bool isSkippedConfigParameter(unsigned long id)
{
    return id == 6 || id == 8 || id == 11 || id == 13;
}

using PassThruOpenFn = long(TARVIK_ADAPTER_CALL *)(void *, unsigned long *);
using PassThruCloseFn = long(TARVIK_ADAPTER_CALL *)(unsigned long);
using PassThruConnectFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long, unsigned long,
                                                      unsigned long, unsigned long *);
using PassThruDisconnectFn = long(TARVIK_ADAPTER_CALL *)(unsigned long);
using PassThruReadMsgsFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, PassThruMsg *,
                                                       unsigned long *, unsigned long);
using PassThruWriteMsgsFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, PassThruMsg *,
                                                        unsigned long *, unsigned long);
using PassThruStartPeriodicMsgFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, PassThruMsg *,
                                                               unsigned long *, unsigned long);
using PassThruStopPeriodicMsgFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long);
using PassThruStartMsgFilterFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long,
                                                             PassThruMsg *, PassThruMsg *,
                                                             PassThruMsg *, unsigned long *);
using PassThruStopMsgFilterFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long);
using PassThruSetProgrammingVoltageFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long,
                                                                    unsigned long);
using PassThruReadVersionFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, char *, char *, char *);
using PassThruGetLastErrorFn = long(TARVIK_ADAPTER_CALL *)(char *);
using PassThruIoctlFn = long(TARVIK_ADAPTER_CALL *)(unsigned long, unsigned long, void *, void *);

// Room the library may fill in the version and error-text calls.
constexpr int TextCapacity = 80;

} // namespace J2534Api
