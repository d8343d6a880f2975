#pragma once

#include "can/abstractcanhandler.h"

#include <QCanBusDevice>
#include <QStringList>

#include <functional>
#include <mutex>

class QCanBusFrame;

// Driver over Qt's CAN bus module: SocketCAN, PEAK, TinyCAN, pass-thru and the virtual bus, each
// port named "plugin:interface". The QCanBusDevice is created, used and deleted in the handler's
// (bus) thread only; start-up calls from the GUI thread are forwarded there, and frames sent from
// another thread wait in a queue that the bus thread writes out.
class QtCanBusHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    static constexpr int DefaultConnectTimeoutMs = 3000;

    explicit QtCanBusHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent = nullptr);
    ~QtCanBusHandler() override;

    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;
    // Listed names; a bare interface ("can0") on SocketCAN; any "plugin:interface" of an
    // installed plugin, which joins the list (virtual bus URLs, pass-thru library paths).
    int transceiverIndexForName(const QString &name) override;
    // Frames the bus delivered that a classic CAN handler cannot carry (FD, remote, error).
    quint64 droppedFrames() const { return m_dropped.load(); }

    static bool probe(QString *why);
    // How long start() waits for a device that connects asynchronously (the virtual bus, which
    // reports a refused connection only by never connecting).
    void setConnectTimeout(int ms) { m_connectTimeoutMs.store(ms); }
    // A configuration value of the open device (invalid without one); bus thread only.
    QVariant deviceConfiguration(int key) const;

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    bool runInThread(const std::function<bool()> &work);
    bool startInThread();
    void closeDevice();
    bool writeFrames(const QVector<CanMessage> &frames);
    void writePending();
    QString pluginName() const;
    void failWith(const QString &text);
    bool isUsableFrame(const QCanBusFrame &frame);

    mutable std::mutex m_listMutex;
    QList<QPair<int, QString>> m_listCache;
    QStringList m_extraPorts;
    QString m_selected; // "plugin:interface", guarded by m_listMutex
    QCanBusDevice *m_device = nullptr;
    bool m_connecting = false; // bus thread: start() waits for the device in a nested loop
    std::atomic<bool> m_connected{false};
    std::atomic<int> m_connectTimeoutMs{DefaultConnectTimeoutMs};
    std::atomic<bool> m_failed{false};
    std::mutex m_pendingMutex;
    QVector<CanMessage> m_pending;
    std::atomic<quint64> m_dropped{0};
};
