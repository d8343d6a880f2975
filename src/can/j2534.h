#pragma once

#include "can/adapterlibrary.h"
#include "can/j2534api.h"

#include <QString>

// Run-time binding of an SAE J2534 pass-thru library: one method per library function with the
// same parameters, returning the library's result code. Loading happens once, in checkDLL();
// while no library is loaded every method returns ERR_FAILED without calling anything. Not
// thread-safe: the owning handler serialises all calls.
class J2534
{
public:
    static constexpr const char *DefaultDllName = "op20pt32";

    J2534();

    void setDllName(const QString &name);
    QString dllName() const { return m_dllName; }
    bool checkDLL();
    bool valid() const { return m_library.isLoaded(); }
    // One debug line per library call.
    void setTrace(bool on) { m_trace = on; }
    void unload() { m_library.unload(); }
    QString lastError() const { return m_lastError; }
    // The file tried and the loader's reason after a failed checkDLL().
    QString loadError() const { return m_library.errorString(); }
    // PassThruGetLastError's text, bounded and terminated; empty when there is none.
    QString libraryErrorText();

    long PassThruOpen(void *pName, unsigned long *pDeviceID);
    long PassThruClose(unsigned long DeviceID);
    long PassThruConnect(unsigned long DeviceID, unsigned long ProtocolID, unsigned long Flags,
                         unsigned long BaudRate, unsigned long *pChannelID);
    long PassThruDisconnect(unsigned long ChannelID);
    long PassThruReadMsgs(unsigned long ChannelID, J2534Api::PassThruMsg *pMsg,
                          unsigned long *pNumMsgs, unsigned long Timeout);
    long PassThruWriteMsgs(unsigned long ChannelID, J2534Api::PassThruMsg *pMsg,
                           unsigned long *pNumMsgs, unsigned long Timeout);
    long PassThruStartPeriodicMsg(unsigned long ChannelID, J2534Api::PassThruMsg *pMsg,
                                  unsigned long *pMsgID, unsigned long TimeInterval);
    long PassThruStopPeriodicMsg(unsigned long ChannelID, unsigned long MsgID);
    long PassThruStartMsgFilter(unsigned long ChannelID, unsigned long FilterType,
                                J2534Api::PassThruMsg *pMaskMsg,
                                J2534Api::PassThruMsg *pPatternMsg,
                                J2534Api::PassThruMsg *pFlowControlMsg, unsigned long *pFilterID);
    long PassThruStopMsgFilter(unsigned long ChannelID, unsigned long FilterID);
    long PassThruSetProgrammingVoltage(unsigned long DeviceID, unsigned long PinNumber,
                                       unsigned long Voltage);
    long PassThruReadVersion(unsigned long DeviceID, char *pFirmwareVersion, char *pDllVersion,
                             char *pApiVersion);
    long PassThruGetLastError(char *pErrorDescription);
    // SET_CONFIG lists lose the parameters some interfaces reject (see isSkippedConfigParameter)
    // and the rest is passed on; a list with nothing left succeeds without a call.
    long PassThruIoctl(unsigned long ChannelID, unsigned long IoctlID, void *pInput,
                       void *pOutput);

    // Every entry point of the API; loading fails unless all resolve.
    static const char *const FunctionNames[14];

private:
    bool ready();

    QString m_lastError;
    QString m_dllName = QString::fromLatin1(DefaultDllName);
    bool m_trace = false;
    AdapterLibrary m_library;
    J2534Api::PassThruOpenFn m_open = nullptr;
    J2534Api::PassThruCloseFn m_close = nullptr;
    J2534Api::PassThruConnectFn m_connect = nullptr;
    J2534Api::PassThruDisconnectFn m_disconnect = nullptr;
    J2534Api::PassThruReadMsgsFn m_readMsgs = nullptr;
    J2534Api::PassThruWriteMsgsFn m_writeMsgs = nullptr;
    J2534Api::PassThruStartPeriodicMsgFn m_startPeriodic = nullptr;
    J2534Api::PassThruStopPeriodicMsgFn m_stopPeriodic = nullptr;
    J2534Api::PassThruStartMsgFilterFn m_startFilter = nullptr;
    J2534Api::PassThruStopMsgFilterFn m_stopFilter = nullptr;
    J2534Api::PassThruSetProgrammingVoltageFn m_setVoltage = nullptr;
    J2534Api::PassThruReadVersionFn m_readVersion = nullptr;
    J2534Api::PassThruGetLastErrorFn m_getLastError = nullptr;
    J2534Api::PassThruIoctlFn m_ioctl = nullptr;
};
