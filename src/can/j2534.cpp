#include "can/j2534.h"

#include <QDebug>

#include <vector>

using namespace J2534Api;

const char *const J2534::FunctionNames[14] = {
    "PassThruOpen",         "PassThruClose",           "PassThruConnect",
    "PassThruDisconnect",   "PassThruReadMsgs",        "PassThruWriteMsgs",
    "PassThruStartPeriodicMsg", "PassThruStopPeriodicMsg", "PassThruStartMsgFilter",
    "PassThruStopMsgFilter", "PassThruSetProgrammingVoltage", "PassThruReadVersion",
    "PassThruGetLastError", "PassThruIoctl"};

J2534::J2534()
{
    m_library.bind(FunctionNames[0], &m_open);
    m_library.bind(FunctionNames[1], &m_close);
    m_library.bind(FunctionNames[2], &m_connect);
    m_library.bind(FunctionNames[3], &m_disconnect);
    m_library.bind(FunctionNames[4], &m_readMsgs);
    m_library.bind(FunctionNames[5], &m_writeMsgs);
    m_library.bind(FunctionNames[6], &m_startPeriodic);
    m_library.bind(FunctionNames[7], &m_stopPeriodic);
    m_library.bind(FunctionNames[8], &m_startFilter);
    m_library.bind(FunctionNames[9], &m_stopFilter);
    m_library.bind(FunctionNames[10], &m_setVoltage);
    m_library.bind(FunctionNames[11], &m_readVersion);
    m_library.bind(FunctionNames[12], &m_getLastError);
    m_library.bind(FunctionNames[13], &m_ioctl);
}

void J2534::setDllName(const QString &name)
{
    if (name == m_dllName)
        return;
    m_library.unload();
    m_dllName = name;
}

bool J2534::checkDLL()
{
    if (m_library.isLoaded())
        return true;
    if (m_library.load(m_dllName)) {
        m_lastError.clear();
        return true;
    }
    m_lastError = QStringLiteral("error loading J2534 DLL");
    return false;
}

bool J2534::ready()
{
    if (m_library.isLoaded())
        return true;
    m_lastError = QStringLiteral("error loading J2534 DLL");
    return false;
}

QString J2534::libraryErrorText()
{
    if (!ready())
        return m_lastError;
    char text[TextCapacity + 1] = {};
    if (m_getLastError(text) != StatusNoError)
        return QString();
    text[TextCapacity] = '\0';
    return QString::fromLocal8Bit(text, int(qstrnlen(text, TextCapacity)));
}

#define J2534_CALL(fn, ...)                                                                     \
    do {                                                                                        \
        if (!ready())                                                                           \
            return ErrFailed;                                                                   \
        if (m_trace)                                                                            \
            qDebug("J2534: %s", #fn);                                                           \
        return fn(__VA_ARGS__);                                                                 \
    } while (false)

long J2534::PassThruOpen(void *pName, unsigned long *pDeviceID)
{
    J2534_CALL(m_open, pName, pDeviceID);
}

long J2534::PassThruClose(unsigned long DeviceID)
{
    J2534_CALL(m_close, DeviceID);
}

long J2534::PassThruConnect(unsigned long DeviceID, unsigned long ProtocolID, unsigned long Flags,
                            unsigned long BaudRate, unsigned long *pChannelID)
{
    J2534_CALL(m_connect, DeviceID, ProtocolID, Flags, BaudRate, pChannelID);
}

long J2534::PassThruDisconnect(unsigned long ChannelID)
{
    J2534_CALL(m_disconnect, ChannelID);
}

long J2534::PassThruReadMsgs(unsigned long ChannelID, PassThruMsg *pMsg, unsigned long *pNumMsgs,
                             unsigned long Timeout)
{
    J2534_CALL(m_readMsgs, ChannelID, pMsg, pNumMsgs, Timeout);
}

long J2534::PassThruWriteMsgs(unsigned long ChannelID, PassThruMsg *pMsg, unsigned long *pNumMsgs,
                              unsigned long Timeout)
{
    J2534_CALL(m_writeMsgs, ChannelID, pMsg, pNumMsgs, Timeout);
}

long J2534::PassThruStartPeriodicMsg(unsigned long ChannelID, PassThruMsg *pMsg,
                                     unsigned long *pMsgID, unsigned long TimeInterval)
{
    J2534_CALL(m_startPeriodic, ChannelID, pMsg, pMsgID, TimeInterval);
}

long J2534::PassThruStopPeriodicMsg(unsigned long ChannelID, unsigned long MsgID)
{
    J2534_CALL(m_stopPeriodic, ChannelID, MsgID);
}

long J2534::PassThruStartMsgFilter(unsigned long ChannelID, unsigned long FilterType,
                                   PassThruMsg *pMaskMsg, PassThruMsg *pPatternMsg,
                                   PassThruMsg *pFlowControlMsg, unsigned long *pFilterID)
{
    J2534_CALL(m_startFilter, ChannelID, FilterType, pMaskMsg, pPatternMsg, pFlowControlMsg,
               pFilterID);
}

long J2534::PassThruStopMsgFilter(unsigned long ChannelID, unsigned long FilterID)
{
    J2534_CALL(m_stopFilter, ChannelID, FilterID);
}

long J2534::PassThruSetProgrammingVoltage(unsigned long DeviceID, unsigned long PinNumber,
                                          unsigned long Voltage)
{
    J2534_CALL(m_setVoltage, DeviceID, PinNumber, Voltage);
}

long J2534::PassThruReadVersion(unsigned long DeviceID, char *pFirmwareVersion, char *pDllVersion,
                                char *pApiVersion)
{
    J2534_CALL(m_readVersion, DeviceID, pFirmwareVersion, pDllVersion, pApiVersion);
}

long J2534::PassThruGetLastError(char *pErrorDescription)
{
    J2534_CALL(m_getLastError, pErrorDescription);
}

long J2534::PassThruIoctl(unsigned long ChannelID, unsigned long IoctlID, void *pInput,
                          void *pOutput)
{
    if (!ready())
        return ErrFailed;
    if (IoctlID != IoctlSetConfig || !pInput)
        return m_ioctl(ChannelID, IoctlID, pInput, pOutput);
    const auto *list = static_cast<const SConfigList *>(pInput);
    std::vector<SConfig> kept;
    for (unsigned long i = 0; list->ConfigPtr && i < list->NumOfParams; ++i) {
        if (!isSkippedConfigParameter(list->ConfigPtr[i].Parameter))
            kept.push_back(list->ConfigPtr[i]);
    }
    if (kept.empty())
        return StatusNoError;
    SConfigList passed{static_cast<unsigned long>(kept.size()), kept.data()};
    return m_ioctl(ChannelID, IoctlID, &passed, pOutput);
}
