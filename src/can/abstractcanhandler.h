#pragma once

#include <mutex>

#include "can/canmessage.h"
#include "can/dispatchresult.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>
#include <QVector>

#include <atomic>

class AbstractCanMessageDispatcher;

// Adapter-independent half of every CAN driver: poll loop, send queue, pack queue and connection
// state. Lives in the bus thread; the GUI thread calls the start-up operations and drains packs.
class AbstractCanHandler : public QObject
{
    Q_OBJECT

public:
    using MessagePack = QVector<QPair<CanMessage, DispatchResult>>;
    enum State { Closed = 0, Error = 1, Open = 2 };
    Q_ENUM(State)

    static constexpr int ReadBatchLimit = 128;
    static constexpr int SendBatchLimit = 64;

    explicit AbstractCanHandler(AbstractCanMessageDispatcher *dispatcher,
                                QObject *parent = nullptr);
    ~AbstractCanHandler() override;

    virtual QList<QPair<int, QString>> transceivers() = 0;
    virtual unsigned transceiversCount() = 0;
    // Position in transceivers() of a port named by the user (a listed name, or for some adapters
    // a path the system does not list); -1 when the adapter cannot use that name.
    virtual int transceiverIndexForName(const QString &name);

    bool start();
    bool stop();
    bool setTransceiver(int index);
    bool setBaudRate(unsigned rate);
    unsigned baudRate() const { return m_baudRate.load(); }
    QString lastError() const;
    State state() const { return State(m_state.load()); }
    bool isOpen() const { return state() == Open; }

    void sendMessage(const CanMessage &message);
    void sendMessages(const CanMessage *messages, int count);

    void enqueueMessagePack(const MessagePack &pack);
    bool isMessageQueueEmpty() const;
    // A direct connection just made to framesReceived or framesSent from another thread: the bus
    // thread takes the queue's lock before it emits them, so taking it here orders the
    // connection's making before its first call, also for ThreadSanitizer (which does not see
    // Qt's own locking).
    void publishConnections() const;
    MessagePack dequeuePack();

    void dispatchMessage(QPair<CanMessage, DispatchResult> *pair);
    // Milliseconds the bus ran since the handler started: the stamp of every frame. A played
    // recording counts the time it played (its pauses not, its speed so).
    virtual qint64 messageElapsedTimer() const;
    // Routes received frames to `dispatcher`, whose bus this handler then is the adapter of.
    void setDispatcher(AbstractCanMessageDispatcher *dispatcher);
    AbstractCanMessageDispatcher *dispatcher() const { return m_dispatcher.load(); }
    void setFastMode(bool on);
    bool isLowLatency() const { return m_lowLatency.load(); }
    void updateLowLatencyMode();
    void checkDropNewData();
    quint32 pollCount() const { return m_pollCount.load(); }

signals:
    void stateChanged(int state);
    void devicesChanged();
    // Bus thread: the frames of one receive batch, once they have been dispatched. For logic
    // that watches answers from any unit, in the scheme or not (acknowledgements of a request).
    void framesReceived(const QVector<CanMessage> &frames);
    // The frames of one send batch that went out, on the thread that sent them (any thread: the
    // frames are a copy). For a recording of the whole traffic, the program's own frames too.
    void framesSent(const QVector<CanMessage> &frames);

public slots:
    void receiveMessages();
    void errorTimeout();
    virtual bool setBaudRateImpl(unsigned rate) = 0;

protected:
    virtual bool receiveMessagesImpl(unsigned *count) = 0;
    virtual void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) = 0;
    virtual bool setTransceiverImpl(unsigned index) = 0;
    virtual bool startImpl() = 0;
    virtual bool stopImpl() = 0;

    void setLastError(const QString &text);
    void setTransmissionState(State newState);
    // Pairs the frames with one Received result stamped `timestamp`, dispatches each in order and
    // enqueues them as one pack (also when empty).
    void deliverReceived(const QVector<CanMessage> &frames, qint64 timestamp);
    QTimer *pollTimer() { return &m_pollTimer; }
    QTimer *errorTimer() { return &m_errorTimer; }

private:
    friend class AbstractCanMessageDispatcher;
    void enqueueSent(const CanMessage *messages, int count, DispatchResult::Status status);
    void applyLowLatencyToPollTimer();
    void postTimerCall(QTimer *timer, const char *method);

    std::atomic<unsigned> m_baudRate{250000};
    mutable std::mutex m_lastErrorMutex;
    QString m_lastError;
    QTimer m_pollTimer;
    std::mutex m_handlerMutex;
    std::atomic<AbstractCanMessageDispatcher *> m_dispatcher;
    QTimer m_errorTimer;
    mutable std::mutex m_queueMutex;
    mutable std::mutex m_sendMutex;
    QList<MessagePack> m_packQueue;
    std::atomic<int> m_state{Closed};
    QVector<CanMessage> m_sendQueue;
    // Start of the elapsed clock in steady-clock milliseconds; monotonic, never wraps.
    std::atomic<qint64> m_startedAt{0};
    std::atomic<quint32> m_pollCount{0};
    std::atomic<bool> m_lowLatency{false};
};

Q_DECLARE_METATYPE(AbstractCanHandler::MessagePack)
