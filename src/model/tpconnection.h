#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <atomic>

class CanMessage;
class J1939Device;
class QSettings;

// One J1939 transport-protocol connection in which a simulated device receives a long message
// from a peer (RTS/CTS). Paces the peer with CTS frames and acknowledges the end. Child of the
// device, in the bus thread.
class TPConnection : public QObject
{
    Q_OBJECT

public:
    enum State {
        WaitingToRespondRTS = 0,
        WaitingFirstData = 1,
        Receiving = 2,
        WaitingToSendCTS0 = 3,
        Paused = 4,
        WaitingToSendAck = 5,
        WaitingTransmitterToSendAck = 6,
    };
    Q_ENUM(State)

    enum DataResult { KeepGoing = 0, Complete = 1, SequenceError = 2 };

    enum Control : quint8 {
        Rts = 0x10,
        Cts = 0x11,
        EndOfMsgAck = 0x13,
        Bam = 0x20,
        ConnAbort = 0xFF,
    };

    // Receiver timings in ms (WindowSize in packets); each bus has its own (DeviceDispatcher).
    struct Timing
    {
        int delayRtsToCts = 200;
        int delayDataToCts0 = 200;
        int delayCts0ToCts = 500;
        int delayDataToAck = 200;
        int timeoutDataToData = 750; // T1: a sender may space its packets up to 200 ms
        int timeoutCtsToData = 1250;
        int windowSize = 2;
    };
    // The timings of the device's bus; the defaults off a bus.
    Timing timing() const;
    static Timing defaultTiming() { return Timing(); }
    // The group "ConnectionTiming": a key absent or not an integer keeps its default.
    static Timing readTiming(QSettings &settings);
    static void writeTiming(QSettings &settings, const Timing &timing);
    static const char *const SettingsGroup;

    // Built from an RTS frame of `peer` (the frame's text may be filled in).
    TPConnection(const CanMessage &rts, J1939Device *device);
    ~TPConnection() override;

    // Whether an RTS announces a message this receiver can take (size and packet count agree).
    static bool isValidAnnouncement(quint16 size, quint8 packets);

    J1939Device *device() const;
    State state() const { return m_state; }
    quint32 pgn() const { return m_pgn; }
    quint8 peer() const { return m_peer; }
    quint8 packetCount() const { return m_packets; }
    quint16 totalSize() const { return m_size; }
    quint8 window() const { return m_window; }
    QByteArray data() const { return m_data; }
    QTimer *timer() { return &m_timer; }

    int dataMessage(const CanMessage &message);
    // Packets the next CTS asks for: the window, or fewer at the end of the message.
    quint8 packetsToRequest() const;
    void sendCts(quint8 packets);
    CanMessage ackMessage() const;
    void setState(State state);

public slots:
    void slotTimeout();

private:
    State m_state = WaitingToRespondRTS;
    quint32 m_pgn = 0;
    quint8 m_peer = 0;
    quint8 m_packets = 0;
    quint16 m_size = 0;
    quint8 m_next = 1;
    quint8 m_window = 1;
    QByteArray m_data;
    QTimer m_timer;
};
