#pragma once

#include "demo/simulatedtransport.h"

#include <memory>

class SimulatedBroadcastControl;

// A diesel engine controller: broadcasts its speed (EEC1) and hours, sends its configuration
// (EC1, 34 bytes) by BAM every 5 s and when requested, answers HOURS requests, and stops and
// starts again on the EMR2 engine stop request (byte 0 equal to 1 stops it, any other value
// lets it run again). Its broadcasts pause while DM13 suspends them (`control`).
class SimulatedEngine : public SimulatedUnit
{
public:
    static constexpr int RunningRpm = 1500;
    static constexpr int RampRpmPerTick = 250;
    static constexpr int TickMs = 100;       // the speed ramps once per tick
    static constexpr int SpeedPeriodMs = 20; // EEC1 as engine controllers send it
    static constexpr int HoursPeriodMs = 1000;
    static constexpr int ConfigurationPeriodMs = 5000;

    // Without `link` the engine has a transport of its own; without `control` nothing suspends
    // its broadcasts.
    explicit SimulatedEngine(quint8 address = 0x01, std::shared_ptr<SimulatedTransport> link = {},
                             std::shared_ptr<SimulatedBroadcastControl> control = {});

    quint8 address() const { return m_address; }
    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;

    // The EC1 payload the engine sends: idle 800 rpm, high idle 2400 rpm, 500 Nm reference.
    static QByteArray configuration();
    // The HOURS payload for `hours` of operation and `revolutions`.
    static QByteArray hoursPayload(double hours, double revolutions);

    bool isRunning() const { return m_running; }
    int speedRpm() const { return m_speedRpm; }
    int stopRequestCount() const { return m_stopRequests; }
    int configurationRequestCount() const { return m_configurationRequests; }
    int hoursRequestCount() const { return m_hoursRequests; }
    // Frames the engine has broadcast by itself (EEC1, HOURS, EC1).
    int broadcastCount() const { return m_broadcasts; }

private:
    CanMessage speedFrame() const;
    CanMessage hoursFrame() const;
    void sendConfiguration(QVector<SimulatedReply> *replies);
    bool isSuspended() const;

    quint8 m_address;
    bool m_ownsLink; // set before m_link takes the given one
    std::shared_ptr<SimulatedTransport> m_link;
    std::shared_ptr<SimulatedBroadcastControl> m_control;
    bool m_running = true;
    int m_speedRpm = RunningRpm;
    double m_hours = 1234.5;
    double m_revolutions = 98765000.0;
    qint64 m_lastTickMs = -1;
    qint64 m_lastSpeedMs = -1;
    qint64 m_lastHoursMs = -1;
    qint64 m_lastConfigurationMs = -1;
    qint64 m_nowMs = 0;
    qint64 m_configurationSentMs = -1;
    int m_stopRequests = 0;
    int m_configurationRequests = 0;
    int m_hoursRequests = 0;
    int m_broadcasts = 0;
};
