#include "can/rp1210canhandler.h"

#include "can/tooladdress.h"

#include <QCoreApplication>
#include <QDebug>

using namespace Rp1210Api;
using Rp1210Records::Protocol;

namespace {

// J1939-81: the source of "cannot claim address".
constexpr quint8 NullAddress = 0xFE;

QString folderOf(const Rp1210CanHandler::Options &options)
{
    return options.folder.isEmpty() ? Rp1210Ini::defaultFolder() : options.folder;
}

QString unusableText()
{
    return QCoreApplication::translate("Rp1210", "Unable to use RP1210 adapters");
}

} // namespace

Rp1210CanHandler::Rp1210CanHandler(AbstractCanMessageDispatcher *dispatcher, const Options &options,
                                   QObject *parent)
    : AbstractCanHandler(dispatcher, parent)
    , m_options(options)
{
    Rp1210Ini ini;
    m_ready = ini.load(folderOf(options));
    if (!m_ready) {
        setLastError(QStringLiteral("%1\n%2").arg(unusableText(), ini.errorString()));
        return;
    }
    for (const QString &warning : ini.warnings())
        qWarning("RP1210: %s", qUtf8Printable(warning));
    for (const Rp1210Ini::Vendor &vendor : ini.vendors()) {
        const QString library
            = options.library.isEmpty() ? ini.libraryFor(vendor.implementation) : options.library;
        for (const Rp1210Ini::Device &device : vendor.devices) {
            m_ports << Port{library, short(device.id),
                            QStringLiteral("%1/%2 %3")
                                .arg(vendor.implementation)
                                .arg(device.id)
                                .arg(device.description)};
        }
    }
}

Rp1210CanHandler::~Rp1210CanHandler()
{
    stop();
    std::lock_guard locker(m_libraryMutex);
    disconnectLocked();
    m_api.unload();
}

bool Rp1210CanHandler::probe(const Options &options, QString *why)
{
    Rp1210Ini ini;
    if (!ini.load(folderOf(options))) {
        if (why)
            *why = QStringLiteral("%1\n%2").arg(unusableText(), ini.errorString());
        return false;
    }
    if (options.library.isEmpty())
        return true;
    Rp1210 api;
    if (api.load(options.library))
        return true;
    if (why)
        *why = QStringLiteral("%1\n%2").arg(unusableText(), api.loadError());
    return false;
}

QList<QPair<int, QString>> Rp1210CanHandler::transceivers()
{
    QList<QPair<int, QString>> list;
    for (int i = 0; i < m_ports.size(); ++i)
        list << qMakePair(i, m_ports.at(i).name);
    return list;
}

unsigned Rp1210CanHandler::transceiversCount()
{
    return unsigned(m_ports.size());
}

void Rp1210CanHandler::failWith(const char *what, short code)
{
    const QString text = m_api.errorText(code);
    setLastError(QStringLiteral("%1 failed: %2(code %3)")
                     .arg(QLatin1String(what), text.isEmpty() ? QString() : text + QLatin1Char(' '))
                     .arg(code));
}

void Rp1210CanHandler::disconnectLocked()
{
    if (m_client == NoClient)
        return;
    m_api.clientDisconnect(m_client);
    m_client = NoClient;
    m_protected = -1;
}

bool Rp1210CanHandler::setTransceiverImpl(unsigned index)
{
    std::lock_guard locker(m_libraryMutex);
    if (!m_ready)
        return false;
    disconnectLocked();
    const Port &port = m_ports.at(int(index));
    // Another vendor's device needs that vendor's library.
    if (!m_api.isLoaded() || m_api.fileName() != AdapterLibrary::resolveFileName(port.library)) {
        m_api.unload();
        if (!m_api.load(port.library)) {
            m_port = -1;
            setLastError(QStringLiteral("%1\n%2").arg(unusableText(), m_api.loadError()));
            return false;
        }
    }
    m_port = int(index);
    return true;
}

bool Rp1210CanHandler::connectLocked(unsigned rate)
{
    const QByteArray protocol = Rp1210Records::connectString(m_options.protocol, rate);
    if (protocol.isEmpty()) {
        setLastError(QStringLiteral("RP1210 adapters cannot connect at %1 bit/s").arg(rate));
        return false;
    }
    const short client = m_api.clientConnect(m_ports.at(m_port).device, protocol);
    if (isError(client) || client < 0) {
        failWith("RP1210_ClientConnect", client);
        return false;
    }
    m_client = client;
    // A new client passes nothing until its filters are opened.
    short rc = m_api.sendCommand(SetAllFiltersStatesToPass, m_client);
    if (!isError(rc))
        rc = m_api.sendCommand(SetMessageReceive, m_client, QByteArray(1, ReceiveOn));
    if (isError(rc)) {
        failWith("RP1210_SendCommand", rc);
        disconnectLocked();
        return false;
    }
    if (m_options.protocol == Protocol::J1939)
        protectToolAddressLocked();
    return true;
}

void Rp1210CanHandler::protectToolAddressLocked()
{
    // A tool that lost its address and found no other claims nothing.
    const ToolAddress &tool = ToolAddress::of(dispatcher());
    if (!tool.canSend())
        return;
    const quint8 address = tool.current();
    // Waits for the claim's outcome (a quarter second): the connection is being set up anyway.
    const short rc = m_api.sendCommand(ProtectJ1939Address, m_client,
                                       Rp1210Records::protectCommand(address, tool.name(), true));
    if (isError(rc)) {
        // Listening still works; only the tool's own requests will be refused by the adapter.
        qWarning("RP1210: the adapter could not claim the tool's address %02X: %s (code %d)",
                 address, qUtf8Printable(m_api.errorText(rc)), rc);
        return;
    }
    m_protected = address;
}

bool Rp1210CanHandler::startImpl()
{
    std::lock_guard locker(m_libraryMutex);
    if (m_port < 0 || !m_api.isLoaded()) {
        setLastError(QStringLiteral("RP1210 device not selected"));
        return false;
    }
    disconnectLocked();
    return connectLocked(baudRate());
}

bool Rp1210CanHandler::stopImpl()
{
    std::lock_guard locker(m_libraryMutex);
    disconnectLocked();
    return true;
}

bool Rp1210CanHandler::setBaudRateImpl(unsigned rate)
{
    std::lock_guard locker(m_libraryMutex);
    if (Rp1210Records::connectString(m_options.protocol, rate).isEmpty()) {
        setLastError(QStringLiteral("RP1210 adapters cannot connect at %1 bit/s").arg(rate));
        return false;
    }
    // Not connected yet: the rate is the one start() connects at.
    if (m_client == NoClient)
        return m_ready;
    // The rate is part of the client's protocol: a new rate is a new connection.
    disconnectLocked();
    return connectLocked(rate);
}

bool Rp1210CanHandler::claimLocked(const CanMessage &claim, bool *ok)
{
    const ToolAddress &tool = ToolAddress::of(dispatcher());
    if (Rp1210Records::claimedName(claim) != tool.name())
        return false; // a simulated unit's claim goes on the wire as it is
    const quint8 address = claim.address();
    const int held = m_protected.load();
    // The adapter holds this address and answers requests for it: no second claim.
    if (held == address)
        return true;
    if (held >= 0) {
        m_api.sendCommand(ReleaseJ1939Address, m_client, QByteArray(1, char(held)));
        m_protected = -1;
    }
    // The tool gave up its address: its "cannot claim" goes out as a frame.
    if (address == NullAddress)
        return false;
    // Not waiting: this runs in the bus thread, which must not stall for the claim's time.
    const short rc = m_api.sendCommand(ProtectJ1939Address, m_client,
                                       Rp1210Records::protectCommand(address, tool.name(), false));
    if (isError(rc)) {
        qWarning("RP1210: the adapter could not claim address %02X: %s (code %d)", address,
                 qUtf8Printable(m_api.errorText(rc)), rc);
        *ok = false;
    } else {
        m_protected = address;
    }
    return true;
}

void Rp1210CanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    *ok = false;
    std::lock_guard locker(m_libraryMutex);
    if (m_client == NoClient)
        return;
    *ok = true;
    for (unsigned i = 0; i < count; ++i) {
        const CanMessage &m = messages[i];
        if (m_options.protocol == Protocol::J1939 && Rp1210Records::isAddressClaim(m)
            && claimLocked(m, ok))
            continue;
        const QByteArray message = Rp1210Records::toMessage(m_options.protocol, m);
        if (message.isEmpty()) {
            qDebug("RP1210: a standard frame %03X cannot go out as J1939", m.id);
            *ok = false;
            continue;
        }
        const short rc = m_api.sendMessage(m_client, message);
        if (isError(rc)) {
            qDebug("RP1210 send: code %d", rc);
            *ok = false;
        }
    }
}

bool Rp1210CanHandler::receiveMessagesImpl(unsigned *count)
{
    *count = 0;
    const qint64 stamp = messageElapsedTimer();
    QVector<CanMessage> frames;
    unsigned read = 0;
    {
        std::lock_guard locker(m_libraryMutex);
        if (m_client == NoClient) {
            setLastError(QStringLiteral("RP1210 client not connected"));
            return false;
        }
        // One message per call: at most a batch's worth per cycle, the base reads again after
        // a full one.
        while (read < unsigned(ReadBatchLimit)) {
            const short size = m_api.readMessage(m_client, m_readBuffer, ReadBufferSize);
            if (size == 0)
                break;
            if (size < 0) {
                failWith("RP1210_ReadMessage", short(-size));
                return false;
            }
            ++read;
            CanMessage m;
            const auto result = Rp1210Records::fromMessage(m_options.protocol, m_readBuffer,
                                                           qMin<int>(size, ReadBufferSize), &m);
            if (result == Rp1210Records::ReadResult::Frame)
                frames << m;
            else if (result == Rp1210Records::ReadResult::LongMessage)
                ++m_longMessages;
            else
                qDebug("RP1210: a message of %d bytes skipped", int(size));
        }
    }
    *count = read;
    deliverReceived(frames, stamp);
    return true;
}
