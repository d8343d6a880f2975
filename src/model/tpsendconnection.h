#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <bitset>

class CanMessage;
class J1939Device;

// One J1939 transport-protocol connection in which a device the program stands in for sends a
// long message to a peer (RTS/CTS): announces it, sends the packets each CTS asks for, waits
// for the end-of-message acknowledgement and aborts when the peer stays silent. Child of the
// device, in the bus thread; the device's transport removes it when it ends.
class TPSendConnection : public QObject
{
    Q_OBJECT

public:
    enum State {
        WaitingForCts = 0,
        Holding = 1,
        SendingWindow = 2,
        WaitingForAck = 3,
        Ended = 4,
    };
    Q_ENUM(State)

    // Connection abort reasons (SAE J1939-21).
    enum AbortReason : quint8 {
        AlreadyInSession = 1,
        TimedOut = 3,
        CtsDuringTransfer = 4,
        RetransmitLimit = 5,
        OtherError = 250,
    };

    // Originator timings in ms; each bus has its own (DeviceDispatcher).
    struct Timing
    {
        int timeoutCts = 1250;   // T3: waiting for a CTS or the acknowledgement
        int timeoutHold = 1050;  // T4: waiting for the CTS after one that holds the connection
        int packetInterval = 10; // between the packets of a window
        int retransmitLimit = 2; // CTS frames that ask for packets sent before
    };
    // The timings of the device's bus; the defaults off a bus.
    Timing timing() const;
    static Timing defaultTiming() { return Timing(); }

    static constexpr int MaxSize = 255 * 7;

    TPSendConnection(J1939Device *device, quint8 peer, quint32 pgn, const QByteArray &data);
    ~TPSendConnection() override;

    // Sends the RTS and waits for the first CTS.
    void start();
    // A TP.CM frame of the peer addressed to the device: CTS, acknowledgement or abort, already
    // known to carry this connection's PGN.
    void controlMessage(const CanMessage &frame);
    // An abort frame from `source` to `destination` for `pgn` (the device's own abort frames).
    static CanMessage abortFrame(quint8 source, quint8 destination, quint32 pgn,
                                 AbortReason reason);

    State state() const { return m_state; }
    quint8 peer() const { return m_peer; }
    quint32 pgn() const { return m_pgn; }
    int packetCount() const { return m_packets; }
    bool isCompleted() const { return m_completed; }

public slots:
    void slotTimeout();

private:
    void takeCts(quint8 count, quint8 next);
    void sendNextPacket();
    void abort(AbortReason reason);
    void end();
    void setState(State state);
    void send(CanMessage &frame);
    CanMessage frame(quint8 pf, const quint8 (&payload)[8]) const;

    J1939Device *m_device;
    quint8 m_peer;
    quint32 m_pgn;
    QByteArray m_data;
    int m_packets;
    State m_state = WaitingForCts;
    int m_next = 1;          // the next packet of the window being sent
    int m_windowEnd = 0;     // the last packet of that window
    std::bitset<256> m_sent; // packets that went out at least once, by sequence number
    int m_sentCount = 0;
    int m_retransmits = 0;
    bool m_completed = false;
    QTimer m_timer;
};
