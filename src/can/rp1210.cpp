#include "can/rp1210.h"

using namespace Rp1210Api;

const char *const Rp1210::RequiredFunctions[5]
    = {"RP1210_ClientConnect", "RP1210_ClientDisconnect", "RP1210_SendMessage",
       "RP1210_ReadMessage", "RP1210_SendCommand"};

Rp1210::Rp1210()
{
    m_library.bind(RequiredFunctions[0], &m_connect);
    m_library.bind(RequiredFunctions[1], &m_disconnect);
    m_library.bind(RequiredFunctions[2], &m_send);
    m_library.bind(RequiredFunctions[3], &m_read);
    m_library.bind(RequiredFunctions[4], &m_command);
    // Error texts are a courtesy: without them the code alone is reported.
    m_library.bind("RP1210_GetErrorMsg", &m_errorMsg, AdapterLibrary::Optional);
}

bool Rp1210::load(const QString &fileName)
{
    return m_library.load(fileName);
}

short Rp1210::clientConnect(short device, const QByteArray &protocol)
{
    if (!isLoaded())
        return ErrDllNotLoaded;
    // Buffer sizes 0: the library's defaults; the library does the J1939 transport protocol.
    return m_connect(nullptr, device, protocol.constData(), 0, 0, 0);
}

short Rp1210::clientDisconnect(short client)
{
    return isLoaded() ? m_disconnect(client) : ErrDllNotLoaded;
}

short Rp1210::sendMessage(short client, const QByteArray &message)
{
    if (!isLoaded())
        return ErrDllNotLoaded;
    // The API takes a non-const buffer it does not write.
    QByteArray copy = message;
    return m_send(client, copy.data(), short(copy.size()), NoNotify, NonBlockingIo);
}

short Rp1210::readMessage(short client, char *buffer, short size)
{
    return isLoaded() ? m_read(client, buffer, size, NonBlockingIo) : short(-ErrDllNotLoaded);
}

short Rp1210::sendCommand(short command, short client, const QByteArray &data)
{
    if (!isLoaded())
        return ErrDllNotLoaded;
    QByteArray copy = data;
    return m_command(command, client, copy.data(), short(copy.size()));
}

QString Rp1210::errorText(short code)
{
    if (!isLoaded() || !m_errorMsg)
        return QString();
    char text[TextCapacity + 1] = {};
    if (m_errorMsg(code, text) != NoError)
        return QString();
    text[TextCapacity] = '\0';
    return QString::fromLocal8Bit(text, int(qstrnlen(text, TextCapacity)));
}
