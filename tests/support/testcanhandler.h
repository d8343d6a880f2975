#pragma once

#include <mutex>

#include "can/abstractcanhandler.h"

#include <QSet>

#include <functional>
#include <memory>

class AbstractDisplayableItem;
class DeviceDispatcher;

// Scriptable adapter for tests: hands out queued receive batches and records what was written.
// The production AbstractCanHandler runs on top of it unchanged.
class TestCanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    explicit TestCanHandler(AbstractCanMessageDispatcher *dispatcher = nullptr,
                            QObject *parent = nullptr);
    ~TestCanHandler() override;

    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;

    void setPorts(const QStringList &names);
    void queueBatch(const QVector<CanMessage> &frames);
    void setSendOk(bool ok);
    void setStartOk(bool ok);
    void setStopOk(bool ok);
    void setSupportedRates(const QSet<unsigned> &rates);
    // Runs inside receiveMessagesImpl, while the adapter is held by the poll cycle.
    void setDuringReceive(std::function<void()> hook);

    int receiveCalls() const;
    QVector<int> writtenBatchSizes() const;
    QVector<CanMessage> writtenFrames() const;
    // Forgets what was written so far (a test's set-up traffic).
    void clearWritten();
    // The frames written of one PDU format (PF), in order.
    QVector<CanMessage> writtenFrames(quint8 pduFormat) const;
    int selectedTransceiver() const;
    // The bus this handler is the adapter of: the dispatcher it was given, else one of its own
    // made on first use. A unit adopted onto it sends through this handler.
    DeviceDispatcher *bus();
    void adopt(AbstractDisplayableItem *unit);

    using AbstractCanHandler::errorTimer;
    using AbstractCanHandler::pollTimer;
    using AbstractCanHandler::setTransmissionState;

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    mutable std::mutex m_mutex;
    QStringList m_ports{QStringLiteral("test0")};
    QList<QVector<CanMessage>> m_batches;
    bool m_sendOk = true;
    bool m_startOk = true;
    bool m_stopOk = true;
    QSet<unsigned> m_rates{125000, 250000, 500000, 1000000};
    std::function<void()> m_duringReceive;
    int m_receiveCalls = 0;
    QVector<int> m_writtenSizes;
    QVector<CanMessage> m_written;
    int m_selected = -1;
    std::unique_ptr<DeviceDispatcher> m_ownBus;
};

// A frame with the given identifier and data bytes.
CanMessage makeFrame(quint32 id, std::initializer_list<quint8> bytes, bool extended = true);
