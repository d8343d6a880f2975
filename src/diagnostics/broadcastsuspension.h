#pragma once

#include "can/canmessage.h"
#include "util/translatabletext.h"

#include <QByteArray>
#include <QObject>

#include <atomic>

class DeviceDispatcher;
class QTimer;

// DM13 stop/start broadcast (PGN 0xDF00) for a procedure that needs a quiet bus: stops the
// broadcasts of one unit or all on the chosen networks, repeats the hold signal while they stay
// suspended (a unit resumes by itself 6 s after the last one), and starts them again when the
// engineer resumes, when the window goes and when the adapter does. Nothing is sent without an
// open adapter. Bus thread.
class BroadcastSuspension : public QObject
{
    Q_OBJECT

public:
    static constexpr quint8 Pf = 0xDF;
    static constexpr int Length = 8;
    // The 2-bit network fields in frame order: b0 bits 7-6 first, b2 bits 1-0 last.
    enum Network {
        CurrentDataLink = 0,
        SaeJ1587,
        SaeJ1922,
        J1939Network1,
        J1939Network2,
        Iso9141,
        SaeJ1850,
        OtherPort,
        J1939Network3,
        ProprietaryNetwork1,
        ProprietaryNetwork2,
        J1939Network4,
        NetworkCount
    };
    enum Command { StopBroadcast = 0, StartBroadcast = 1, NoAction = 3 };
    static constexpr int AllNetworks = (1 << NetworkCount) - 1;
    // The hold signal is repeated this often while suspended (tests shorten it).
    static int s_holdIntervalMs;

    // `bus` names the units in the service journal.
    explicit BroadcastSuspension(const DeviceDispatcher *bus = nullptr, QObject *parent = nullptr);

    // The data of a stop (indefinite suspension), start or hold message; `networks` is a set of
    // 1 << Network bits.
    static QByteArray stopData(int networks);
    static QByteArray startData(int networks);
    static QByteArray holdData();
    // The 2-bit command of one network in a DM13's data; -1 when the data is too short.
    static int networkCommand(const QByteArray &data, int network);
    // The DM13 to `destination` from `source` (the tool's address on the bus).
    static CanMessage frame(const QByteArray &data, quint8 destination, quint8 source);

    bool isSuspended() const { return m_suspended.load(); }
    quint8 destination() const { return m_destination.load(); }

public slots:
    // Stops the broadcasts of `destination` (0xFF: every unit) on `networks`; false when no
    // adapter is open.
    bool slotSuspend(int destination, int networks);
    // Starts the suspended broadcasts again; nothing when none are suspended.
    void slotResume();
    // The adapter's state: once it is no longer open, nothing can be held.
    void slotAdapterStateChanged(int state);

signals:
    // Suspended or resumed, with a line for the engineer. Emitted in the bus thread.
    void suspendedChanged(bool suspended, const QString &text);

private:
    bool send(const QByteArray &data);
    void sendHold();
    void end(const TranslatableText &text);

    const DeviceDispatcher *m_dispatcher;
    std::atomic<bool> m_suspended{false};
    std::atomic<quint8> m_destination{CanMessage::GlobalAddress};
    int m_networks = 0;
    QTimer *m_hold;
};
