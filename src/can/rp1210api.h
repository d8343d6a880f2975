#pragma once

#include "can/adapterapi.h"

// The heavy-duty vehicle adapter API (TMC RP1210) as far as Tarvik uses it, written from its
// public description. Every function returns a 16-bit result: a client identifier 0..127 from
// ClientConnect, 0 for success elsewhere, an error code of 128 and above for a failure;
// ReadMessage returns the number of bytes read, 0 for none and minus the error code.
// Command numbers of RP1210_SendCommand, as the public command table numbers them:
// Set_All_Filters_States_to_Pass 3, Set_Message_Receive 18, Protect_J1939_Address 19,
// Release_J1939_Address 31.
namespace Rp1210Api {

// The window handle of the notification variant, which Tarvik never uses (it polls).
using WindowHandle = void *;

using ClientConnectFn
    = short(TARVIK_ADAPTER_CALL *)(WindowHandle, short nDeviceId, const char *fpchProtocol,
                                   long lTxBufferSize, long lRcvBufferSize,
                                   short nIsAppPacketizingIncomingMsgs);
using ClientDisconnectFn = short(TARVIK_ADAPTER_CALL *)(short nClientID);
using SendMessageFn
    = short(TARVIK_ADAPTER_CALL *)(short nClientID, char *fpchClientMessage, short nMessageSize,
                                   short nNotifyStatusOnTx, short nBlockOnSend);
using ReadMessageFn = short(TARVIK_ADAPTER_CALL *)(short nClientID, char *fpchAPIMessage,
                                                   short nBufferSize, short nBlockOnRead);
using SendCommandFn = short(TARVIK_ADAPTER_CALL *)(short nCommandNumber, short nClientID,
                                                   char *fpchClientCommand, short nMessageSize);
using ReadVersionFn
    = void(TARVIK_ADAPTER_CALL *)(char *fpchDLLMajorVersion, char *fpchDLLMinorVersion,
                                  char *fpchAPIMajorVersion, char *fpchAPIMinorVersion);
using GetErrorMsgFn = short(TARVIK_ADAPTER_CALL *)(short ErrorCode, char *fpchDescription);

// A result at or above this is an error code; below it, a client identifier or success.
constexpr short FirstErrorCode = 128;
inline bool isError(short result)
{
    return result >= FirstErrorCode;
}

constexpr short NoError = 0;
constexpr short ErrInvalidClientId = 129;
constexpr short ErrClientAlreadyConnected = 130;
constexpr short ErrInvalidDevice = 134;
constexpr short ErrDeviceInUse = 135;
constexpr short ErrInvalidProtocol = 136;
constexpr short ErrTxQueueFull = 137;
constexpr short ErrHardwareNotResponding = 142;
constexpr short ErrAddressClaimFailed = 146;
constexpr short ErrAddressLost = 153;

enum Command : short {
    SetAllFiltersStatesToPass = 3,
    SetMessageReceive = 18,
    ProtectJ1939Address = 19,
    ReleaseJ1939Address = 31,
};

constexpr char ReceiveOn = 1;
// Protect_J1939_Address: address, NAME (8 bytes, least significant first), then how to wait.
constexpr char BlockUntilDone = 0;
constexpr char ReturnBeforeCompletion = 2;
constexpr int ProtectCommandSize = 10;

constexpr short NonBlockingIo = 0;
constexpr short NoNotify = 0;

// Room the library may fill in GetErrorMsg and each ReadVersion text.
constexpr int TextCapacity = 80;

} // namespace Rp1210Api
