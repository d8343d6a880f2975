// Stand-in for a heavy-duty adapter's RP1210 library: the far end only. It hands out client 1,
// reads the frames the test queued as messages of the connected protocol (J1939 or CAN), decodes
// what the handler sends for the test, and logs every call with its arguments. Scripted through
// Fake_failNext: "RP1210_ClientConnect" and the others by name, "command<N>" for one command
// number, "longMessage" / "shortMessage" (the next read returns a reassembled J1939 message of
// that many data bytes / that many bytes in all).
#include "can/rp1210api.h"
#include "fakecore.h"

#include <cstring>

using namespace Rp1210Api;

#define RP1210_EXPORT(type) FAKE_EXPORT type TARVIK_ADAPTER_CALL

namespace {

constexpr short Client = 1;
bool s_canProtocol = false;
unsigned s_stamp = 0;

struct Unload
{
    ~Unload() { fake::log("unload"); }
} s_unload;

void putStamp(unsigned char *out)
{
    ++s_stamp;
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(s_stamp >> (24 - 8 * i));
}

// The frame as the adapter would report it after the 4-byte stamp; the message length.
int encode(const fake::Frame &frame, unsigned char *out)
{
    if (s_canProtocol) {
        out[0] = frame.extended ? 1 : 0;
        const int idBytes = frame.extended ? 4 : 2;
        for (int i = 0; i < idBytes; ++i)
            out[1 + i] = static_cast<unsigned char>(frame.id >> (8 * (idBytes - 1 - i)));
        std::memcpy(out + 1 + idBytes, frame.data, size_t(frame.length));
        return 1 + idBytes + frame.length;
    }
    const std::uint32_t pf = (frame.id >> 16) & 0xFF;
    std::uint32_t pgn = (frame.id >> 8) & 0x3FFFF;
    if (pf < 0xF0)
        pgn &= 0x3FF00;
    out[0] = static_cast<unsigned char>(pgn);
    out[1] = static_cast<unsigned char>(pgn >> 8);
    out[2] = static_cast<unsigned char>(pgn >> 16);
    out[3] = static_cast<unsigned char>((frame.id >> 26) & 0x07);
    out[4] = static_cast<unsigned char>(frame.id);
    out[5] = pf < 0xF0 ? static_cast<unsigned char>(frame.id >> 8) : 0xFF;
    std::memcpy(out + 6, frame.data, size_t(frame.length));
    return 6 + frame.length;
}

fake::Frame decode(const unsigned char *in, int size)
{
    fake::Frame frame;
    if (s_canProtocol) {
        frame.extended = in[0] == 1;
        const int idBytes = frame.extended ? 4 : 2;
        for (int i = 0; i < idBytes; ++i)
            frame.id = frame.id << 8 | in[1 + i];
        frame.length = size - 1 - idBytes;
        std::memcpy(frame.data, in + 1 + idBytes, size_t(frame.length > 8 ? 8 : frame.length));
        return frame;
    }
    const std::uint32_t pgn = in[0] | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16;
    const std::uint32_t pf = (pgn >> 8) & 0xFF;
    frame.extended = 1;
    frame.id = std::uint32_t(in[3] & 0x07) << 26 | pgn << 8 | in[4];
    if (pf < 0xF0)
        frame.id |= std::uint32_t(in[5]) << 8;
    frame.length = size - 6;
    std::memcpy(frame.data, in + 6, size_t(frame.length > 8 ? 8 : frame.length));
    return frame;
}

} // namespace

RP1210_EXPORT(short)
RP1210_ClientConnect(WindowHandle, short nDeviceId, const char *fpchProtocol, long lTxBufferSize,
                     long lRcvBufferSize, short nIsAppPacketizingIncomingMsgs)
{
    fake::Call call("RP1210_ClientConnect dev=%d protocol=%s tx=%ld rx=%ld app=%d", nDeviceId,
                    fpchProtocol, lTxBufferSize, lRcvBufferSize, nIsAppPacketizingIncomingMsgs);
    long rc = 0;
    if (fake::takeFailure("RP1210_ClientConnect", &rc))
        return short(rc);
    s_canProtocol = std::strncmp(fpchProtocol, "CAN", 3) == 0;
    return Client;
}

RP1210_EXPORT(short) RP1210_ClientDisconnect(short nClientID)
{
    fake::Call call("RP1210_ClientDisconnect client=%d", nClientID);
    return NoError;
}

RP1210_EXPORT(short)
RP1210_SendMessage(short nClientID, char *fpchClientMessage, short nMessageSize,
                   short nNotifyStatusOnTx, short nBlockOnSend)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(fpchClientMessage);
    fake::Call call("RP1210_SendMessage client=%d notify=%d block=%d [%s]", nClientID,
                    nNotifyStatusOnTx, nBlockOnSend, fake::hex(bytes, nMessageSize).c_str());
    long rc = 0;
    if (fake::takeFailure("RP1210_SendMessage", &rc))
        return short(rc);
    fake::recordWritten(decode(bytes, nMessageSize));
    return NoError;
}

RP1210_EXPORT(short)
RP1210_ReadMessage(short nClientID, char *fpchAPIMessage, short nBufferSize, short nBlockOnRead)
{
    fake::Call call("RP1210_ReadMessage client=%d size=%d block=%d", nClientID, nBufferSize,
                    nBlockOnRead);
    long rc = 0;
    if (fake::takeFailure("RP1210_ReadMessage", &rc))
        return short(-rc);
    auto *out = reinterpret_cast<unsigned char *>(fpchAPIMessage);
    long length = 0;
    if (fake::takeFailure("shortMessage", &length))
        return short(length);
    if (fake::takeFailure("longMessage", &length)) {
        putStamp(out);
        fake::Frame head;
        head.id = 0x18FECA00;
        std::memset(out + 10, 0xAB, size_t(length));
        encode(head, out + 4);
        return short(4 + 6 + length);
    }
    fake::Frame frame;
    if (!fake::takeQueued(&frame))
        return 0;
    putStamp(out);
    return short(4 + encode(frame, out + 4));
}

#ifndef FAKE_OMIT_COMMAND
RP1210_EXPORT(short)
RP1210_SendCommand(short nCommandNumber, short nClientID, char *fpchClientCommand,
                   short nMessageSize)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(fpchClientCommand);
    fake::Call call("RP1210_SendCommand cmd=%d client=%d [%s]", nCommandNumber, nClientID,
                    fake::hex(bytes, nMessageSize).c_str());
    char key[32];
    std::snprintf(key, sizeof key, "command%d", nCommandNumber);
    long rc = 0;
    if (fake::takeFailure(key, &rc))
        return short(rc);
    return NoError;
}
#endif

RP1210_EXPORT(void)
RP1210_ReadVersion(char *fpchDLLMajorVersion, char *fpchDLLMinorVersion, char *fpchAPIMajorVersion,
                   char *fpchAPIMinorVersion)
{
    fake::Call call("RP1210_ReadVersion");
    std::strcpy(fpchDLLMajorVersion, "1");
    std::strcpy(fpchDLLMinorVersion, "0");
    std::strcpy(fpchAPIMajorVersion, "3");
    std::strcpy(fpchAPIMinorVersion, "0");
}

RP1210_EXPORT(short) RP1210_GetErrorMsg(short ErrorCode, char *fpchDescription)
{
    fake::Call call("RP1210_GetErrorMsg code=%d", ErrorCode);
    std::snprintf(fpchDescription, TextCapacity, "fake error %d", ErrorCode);
    return NoError;
}
