// Stand-in for an SAE J2534 pass-thru library: device 1, channel 7, filter 3; frames queued by
// the test are read as CAN messages, written messages are decoded for the test.
#include "can/j2534api.h"
#include "fakecore.h"

#include <cstring>

using namespace J2534Api;

#define J2534_EXPORT FAKE_EXPORT long TARVIK_ADAPTER_CALL

namespace {

bool scripted(const char *function, long *rc)
{
    return fake::takeFailure(function, rc);
}

std::string describe(const PassThruMsg *m)
{
    if (!m)
        return "null";
    char head[160];
    std::snprintf(head, sizeof head, "p%lu rx%lu tx0x%lx ts%lu ds%lu x%lu ", m->ProtocolID,
                  m->RxStatus, m->TxFlags, m->Timestamp, m->DataSize, m->ExtraDataIndex);
    const int size = m->DataSize <= 12 ? int(m->DataSize) : 12;
    return head + fake::hex(m->Data, size);
}

struct Unload
{
    ~Unload() { fake::log("unload"); }
} s_unload;

} // namespace

J2534_EXPORT PassThruOpen(void *pName, unsigned long *pDeviceID)
{
    fake::Call call("PassThruOpen name=%s", pName ? "set" : "null");
    long rc = 0;
    if (scripted("PassThruOpen", &rc))
        return rc;
    *pDeviceID = 1;
    return StatusNoError;
}

J2534_EXPORT PassThruClose(unsigned long DeviceID)
{
    fake::Call call("PassThruClose dev=%lu", DeviceID);
    return StatusNoError;
}

J2534_EXPORT PassThruConnect(unsigned long DeviceID, unsigned long ProtocolID, unsigned long Flags,
                             unsigned long BaudRate, unsigned long *pChannelID)
{
    fake::Call call("PassThruConnect dev=%lu p=%lu flags=0x%lx rate=%lu", DeviceID, ProtocolID,
                    Flags, BaudRate);
    long rc = 0;
    if (scripted("PassThruConnect", &rc))
        return rc;
    *pChannelID = 7;
    return StatusNoError;
}

J2534_EXPORT PassThruDisconnect(unsigned long ChannelID)
{
    fake::Call call("PassThruDisconnect ch=%lu", ChannelID);
    return StatusNoError;
}

J2534_EXPORT PassThruReadMsgs(unsigned long ChannelID, PassThruMsg *pMsg, unsigned long *pNumMsgs,
                              unsigned long Timeout)
{
    fake::Call call("PassThruReadMsgs ch=%lu n=%lu t=%lu", ChannelID, *pNumMsgs, Timeout);
    long rc = -1;
    const unsigned long room = *pNumMsgs;
    const bool failing = scripted("PassThruReadMsgs", &rc);
    unsigned long n = 0;
    fake::Frame frame;
    while (n < room && fake::takeQueued(&frame)) {
        PassThruMsg &m = pMsg[n++];
        std::memset(&m, 0, sizeof m - DataCapacity);
        m.ProtocolID = ProtocolCan;
        m.RxStatus = frame.extended ? RxCan29BitId : 0ul;
        m.DataSize = 4 + unsigned(frame.length);
        for (int i = 0; i < 4; ++i)
            m.Data[i] = static_cast<unsigned char>(frame.id >> (24 - 8 * i));
        std::memcpy(m.Data + 4, frame.data, size_t(frame.length));
    }
    long count = 0;
    if (scripted("countOverride", &count))
        n = static_cast<unsigned long>(count);
    *pNumMsgs = n;
    if (failing)
        return rc;
    return n == 0 ? ErrBufferEmpty : StatusNoError;
}

J2534_EXPORT PassThruWriteMsgs(unsigned long ChannelID, PassThruMsg *pMsg, unsigned long *pNumMsgs,
                               unsigned long Timeout)
{
    fake::Call call("PassThruWriteMsgs ch=%lu n=%lu t=%lu", ChannelID, *pNumMsgs, Timeout);
    for (unsigned long i = 0; i < *pNumMsgs; ++i) {
        const PassThruMsg &m = pMsg[i];
        fake::log("  msg %s", describe(&m).c_str());
        fake::Frame frame;
        frame.id = std::uint32_t(m.Data[0]) << 24 | std::uint32_t(m.Data[1]) << 16
                   | std::uint32_t(m.Data[2]) << 8 | m.Data[3];
        frame.extended = (m.TxFlags & TxCan29BitId) ? 1 : 0;
        frame.length = int(m.DataSize) - 4;
        std::memcpy(frame.data, m.Data + 4, size_t(frame.length > 8 ? 8 : frame.length));
        fake::recordWritten(frame);
    }
    long rc = 0;
    if (scripted("PassThruWriteMsgs", &rc))
        return rc;
    long written = 0;
    if (scripted("writeCount", &written))
        *pNumMsgs = static_cast<unsigned long>(written);
    return StatusNoError;
}

J2534_EXPORT PassThruStartPeriodicMsg(unsigned long ChannelID, PassThruMsg *, unsigned long *,
                                      unsigned long)
{
    fake::Call call("PassThruStartPeriodicMsg ch=%lu", ChannelID);
    return StatusNoError;
}

J2534_EXPORT PassThruStopPeriodicMsg(unsigned long ChannelID, unsigned long)
{
    fake::Call call("PassThruStopPeriodicMsg ch=%lu", ChannelID);
    return StatusNoError;
}

J2534_EXPORT PassThruStartMsgFilter(unsigned long ChannelID, unsigned long FilterType,
                                    PassThruMsg *pMaskMsg, PassThruMsg *pPatternMsg,
                                    PassThruMsg *pFlowControlMsg, unsigned long *pFilterID)
{
    fake::Call call("PassThruStartMsgFilter ch=%lu type=%lu mask=[%s] pattern=[%s] flow=%s",
                    ChannelID, FilterType, describe(pMaskMsg).c_str(),
                    describe(pPatternMsg).c_str(), pFlowControlMsg ? "set" : "null");
    long rc = 0;
    if (scripted("PassThruStartMsgFilter", &rc))
        return rc;
    *pFilterID = 3;
    return StatusNoError;
}

J2534_EXPORT PassThruStopMsgFilter(unsigned long ChannelID, unsigned long FilterID)
{
    fake::Call call("PassThruStopMsgFilter ch=%lu f=%lu", ChannelID, FilterID);
    return StatusNoError;
}

J2534_EXPORT PassThruSetProgrammingVoltage(unsigned long DeviceID, unsigned long, unsigned long)
{
    fake::Call call("PassThruSetProgrammingVoltage dev=%lu", DeviceID);
    return StatusNoError;
}

J2534_EXPORT PassThruReadVersion(unsigned long DeviceID, char *, char *, char *)
{
    fake::Call call("PassThruReadVersion dev=%lu", DeviceID);
    return StatusNoError;
}

J2534_EXPORT PassThruGetLastError(char *pErrorDescription)
{
    fake::Call call("PassThruGetLastError");
    std::strcpy(pErrorDescription, "fake failure");
    return StatusNoError;
}

#ifndef FAKE_OMIT_IOCTL
J2534_EXPORT PassThruIoctl(unsigned long ChannelID, unsigned long IoctlID, void *pInput,
                           void *pOutput)
{
    std::string params;
    if (IoctlID == IoctlSetConfig && pInput) {
        const auto *list = static_cast<const SConfigList *>(pInput);
        for (unsigned long i = 0; i < list->NumOfParams; ++i) {
            char entry[48];
            std::snprintf(entry, sizeof entry, "%s%lu=%lu", i ? "," : "",
                          list->ConfigPtr[i].Parameter, list->ConfigPtr[i].Value);
            params += entry;
        }
    }
    fake::Call call("PassThruIoctl ch=%lu id=%lu [%s] out=%s", ChannelID, IoctlID,
                    params.c_str(), pOutput ? "set" : "null");
    long rc = 0;
    if (scripted("PassThruIoctl", &rc))
        return rc;
    return StatusNoError;
}
#endif
