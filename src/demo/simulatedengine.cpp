#include "demo/simulatedengine.h"

#include "demo/simulatedbroadcastcontrol.h"
#include "demo/simulatedidentification.h"

#include <algorithm>

namespace {

constexpr quint32 PgnEec1 = 0xF004;
constexpr quint32 PgnEc1 = 0xFEE3;
constexpr quint32 PgnHours = 0xFEE5;
constexpr quint8 PfEmr2 = 0xFF;
constexpr quint8 PsEmr2 = 0x16;
constexpr quint8 StopRequested = 1;
constexpr quint8 Eec1Priority = 3;
constexpr quint8 InfoPriority = 6;

void putWord(QByteArray *data, int at, int raw)
{
    (*data)[at] = char(raw & 0xFF);
    (*data)[at + 1] = char((raw >> 8) & 0xFF);
}

void putDword(QByteArray *data, int at, quint32 raw)
{
    for (int i = 0; i < 4; ++i)
        (*data)[at + i] = char(raw >> (8 * i));
}

} // namespace

SimulatedEngine::SimulatedEngine(quint8 address, std::shared_ptr<SimulatedTransport> link,
                                 std::shared_ptr<SimulatedBroadcastControl> control)
    : m_address(address)
    , m_ownsLink(!link)
    , m_link(link ? std::move(link) : std::make_shared<SimulatedTransport>(address))
    , m_control(std::move(control))
{}

bool SimulatedEngine::isSuspended() const
{
    return m_control && m_control->isSuspended(m_nowMs);
}

QByteArray SimulatedEngine::configuration()
{
    // Speeds 0.125 rpm per bit, torques 1 % per bit from -125 %, range limits 10 rpm per bit.
    QByteArray d(34, char(0xFF));
    const int speeds[][2] = {{0, 800}, {3, 1200}, {6, 1600}, {9, 1900}, {12, 2200}, {15, 2400}};
    for (const auto &s : speeds)
        putWord(&d, s[0], s[1] * 8);
    const int torques[][2] = {{2, 20}, {5, 85}, {8, 100}, {11, 95}, {14, 80}};
    for (const auto &t : torques)
        d[t[0]] = char(t[1] + 125);
    putWord(&d, 17, 64);         // gain: 0.05 %/rpm
    putWord(&d, 19, 500);        // reference torque, Nm
    putWord(&d, 21, 2600 * 8);   // maximum momentary override speed
    d[23] = char(20);            // override time limit: 2 s
    d[24] = char(70);            // requested speed range: 700 ...
    d[25] = char(250);           // ... to 2500 rpm
    d[26] = char(0 + 125);       // requested torque range: 0 ...
    d[27] = char(100 + 125);     // ... to 100 %
    putWord(&d, 28, 2500 * 8);   // extended range upper limit
    return d;                    // bytes 30 to 33 stay 0xFF
}

QByteArray SimulatedEngine::hoursPayload(double hours, double revolutions)
{
    QByteArray d(8, char(0xFF));
    putDword(&d, 0, quint32(hours / 0.05));
    putDword(&d, 4, quint32(revolutions / 1000.0));
    return d;
}

CanMessage SimulatedEngine::speedFrame() const
{
    QByteArray d(8, char(0xFF));
    d[0] = char(0xF0);                                // torque mode: low idle governor
    d[1] = char(125 + (m_running ? 15 : 0));          // driver's demand torque
    d[2] = char(125 + (m_speedRpm > 0 ? 20 : 0));     // actual torque
    putWord(&d, 3, m_speedRpm * 8);
    d[5] = char(m_address);
    return SimulatedTransport::frame(Eec1Priority, PgnEec1, 0xFF, m_address, d);
}

CanMessage SimulatedEngine::hoursFrame() const
{
    return SimulatedTransport::frame(InfoPriority, PgnHours, 0xFF, m_address,
                                     hoursPayload(m_hours, m_revolutions));
}

void SimulatedEngine::sendConfiguration(QVector<SimulatedReply> *replies)
{
    // A broadcast still being sent is not interrupted by a second one: it answers the request.
    const int bamMs = (34 + 6) / 7 * SimulatedTransport::BamSpacingMs + 50;
    if (m_configurationSentMs >= 0 && m_nowMs - m_configurationSentMs < bamMs)
        return;
    m_configurationSentMs = m_nowMs;
    m_link->send(PgnEc1, configuration(), CanMessage::GlobalAddress, replies);
}

void SimulatedEngine::frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies)
{
    if (!frame.extended || (m_ownsLink && m_link->takeControlFrame(frame, replies)))
        return;
    if (frame.pduFormat() == PfEmr2 && frame.pduSpecific() == PsEmr2) {
        if (frame.length < 1)
            return; // no request in it
        if (frame.data[0] == StopRequested) {
            if (m_running)
                ++m_stopRequests;
            m_running = false;
        } else {
            m_running = true;
        }
        return;
    }
    const qint64 pgn = SimulatedIdentification::requestedPgn(frame, m_address);
    if (pgn == PgnEc1) {
        ++m_configurationRequests;
        sendConfiguration(replies);
    } else if (pgn == PgnHours) {
        ++m_hoursRequests;
        replies->append({hoursFrame(), 1});
    }
}

void SimulatedEngine::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    m_nowMs = nowMs;
    if (m_ownsLink)
        m_link->tick(nowMs, replies);
    if (m_lastTickMs < 0 || nowMs - m_lastTickMs >= TickMs) {
        const double hoursPassed = m_lastTickMs < 0 ? 0.0 : (nowMs - m_lastTickMs) / 3600000.0;
        m_lastTickMs = nowMs;
        const int target = m_running ? RunningRpm : 0;
        if (m_speedRpm < target)
            m_speedRpm = std::min(target, m_speedRpm + RampRpmPerTick);
        else
            m_speedRpm = std::max(target, m_speedRpm - RampRpmPerTick);
        if (m_speedRpm > 0) {
            m_hours += hoursPassed;
            m_revolutions += m_speedRpm * hoursPassed * 60.0;
        }
    }
    // While suspended the periods run on and their frames are left out.
    const bool suspended = isSuspended();
    if (m_lastSpeedMs < 0 || nowMs - m_lastSpeedMs >= SpeedPeriodMs) {
        m_lastSpeedMs = nowMs;
        if (!suspended) {
            replies->append({speedFrame(), 0});
            ++m_broadcasts;
        }
    }
    if (m_lastHoursMs < 0 || nowMs - m_lastHoursMs >= HoursPeriodMs) {
        m_lastHoursMs = nowMs;
        if (!suspended) {
            replies->append({hoursFrame(), 0});
            ++m_broadcasts;
        }
    }
    // The configuration waits until the transport is free rather than in its queue, so that a
    // suspension meanwhile holds it back.
    if ((m_lastConfigurationMs < 0 || nowMs - m_lastConfigurationMs >= ConfigurationPeriodMs)
        && !m_link->isBusy()) {
        m_lastConfigurationMs = nowMs;
        if (!suspended) {
            sendConfiguration(replies);
            ++m_broadcasts;
        }
    }
}
