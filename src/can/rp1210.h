#pragma once

#include "can/adapterlibrary.h"
#include "can/rp1210api.h"

#include <QByteArray>
#include <QString>

// Run-time binding of one vendor's heavy-duty adapter library: a method per API function used,
// each returning the library's result unchanged. While no library is loaded every method returns
// ErrDllNotLoaded without calling anything. Not thread-safe: the owning handler serialises all
// calls.
class Rp1210
{
public:
    // Returned in place of a call while no library is loaded (the API's "not initialised").
    static constexpr short ErrDllNotLoaded = 128;

    Rp1210();

    bool load(const QString &fileName);
    void unload() { m_library.unload(); }
    bool isLoaded() const { return m_library.isLoaded(); }
    QString fileName() const { return m_library.fileName(); }
    // The file tried and the loader's reason after a failed load().
    QString loadError() const { return m_library.errorString(); }

    short clientConnect(short device, const QByteArray &protocol);
    short clientDisconnect(short client);
    short sendMessage(short client, const QByteArray &message);
    // Bytes read into `buffer`, 0 for none, minus the error code on a failure.
    short readMessage(short client, char *buffer, short size);
    short sendCommand(short command, short client, const QByteArray &data = QByteArray());
    // The library's text for an error code, bounded and terminated; empty when it has none.
    QString errorText(short code);

    // Entry points a library must export to be used.
    static const char *const RequiredFunctions[5];

private:
    AdapterLibrary m_library;
    Rp1210Api::ClientConnectFn m_connect = nullptr;
    Rp1210Api::ClientDisconnectFn m_disconnect = nullptr;
    Rp1210Api::SendMessageFn m_send = nullptr;
    Rp1210Api::ReadMessageFn m_read = nullptr;
    Rp1210Api::SendCommandFn m_command = nullptr;
    Rp1210Api::GetErrorMsgFn m_errorMsg = nullptr;
};
