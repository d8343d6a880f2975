#include "demo/simulatedcontrolleroutputs.h"

#include "devicetests/controllerdevicetest.h"
#include "machine/controlleriostatedevicefunction.h"
#include "machine/controlpanelstatefunction.h"
#include "machine/joystickparameter.h"

#include <cstdlib>

namespace {

constexpr quint8 PfProprietaryB = 0xFF;
constexpr quint8 PsIoState = 0x30;
constexpr quint8 PsPanelState = 0x32;
constexpr quint8 Priority = 6;
constexpr int OutputOffOk = 0;
constexpr int OutputOnOk = 1;

bool isFrame(const CanMessage &m, quint8 ps, quint8 source)
{
    return m.extended && m.pduFormat() == PfProprietaryB && m.pduSpecific() == ps
           && m.address() == source && m.length == 8;
}

QString lastSegment(const char *path)
{
    return QString::fromLatin1(path).section(QLatin1Char('/'), -1);
}

// An axis reaches the asked deflection at half its travel in the same direction.
bool axisReaches(int value, int asked)
{
    if (asked == 0)
        return true;
    return (value > 0) == (asked > 0) && std::abs(value) * 2 >= std::abs(asked);
}

} // namespace

SimulatedControllerOutputs::SimulatedControllerOutputs(quint8 controller, quint8 panel)
    : m_controller(controller)
    , m_panel(panel)
    , m_io(std::make_unique<ControllerIOStateDeviceFunction>())
    , m_panelState(std::make_unique<ControlPanelStateFunction>())
{}

SimulatedControllerOutputs::~SimulatedControllerOutputs() = default;

bool SimulatedControllerOutputs::isActive() const
{
    return m_lastPanelMs >= 0 && m_nowMs - m_lastPanelMs <= PanelSilenceMs;
}

void SimulatedControllerOutputs::frameSent(const CanMessage &frame, QVector<SimulatedReply> *)
{
    if (!isFrame(frame, PsPanelState, m_panel))
        return;
    m_panelState->decode(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length));
    m_lastPanelMs = m_nowMs;
}

bool SimulatedControllerOutputs::replacesRecorded(const CanMessage &frame)
{
    if (!isFrame(frame, PsIoState, m_controller))
        return false;
    // The inputs and undriven outputs are the recording's last ones before the panel took
    // over, and hold still while it drives: a test's state checks need a steady machine.
    if (isActive())
        return true;
    m_io->decode(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length));
    return false;
}

bool SimulatedControllerOutputs::isDriveOn(int index) const
{
    const ControllerDeviceTest::OutputDrive &drive = ControllerDeviceTest::outputDrives().at(index);
    const ZxParameter *control = m_panelState->parameter(lastSegment(drive.panelPath));
    if (auto *joystick = dynamic_cast<const JoystickParameter *>(control)) {
        JoystickValue asked;
        if (!JoystickValue::parse(QString::fromLatin1(drive.onValue), &asked))
            return false;
        const JoystickValue v = joystick->value();
        return axisReaches(v.x, asked.x) && axisReaches(v.y, asked.y)
               && (v.flags & asked.flags) == asked.flags;
    }
    if (!control)
        return false;
    return BitFieldFunction::fieldValue(control) == QByteArray(drive.onValue).toInt();
}

int SimulatedControllerOutputs::outputState(const char *output) const
{
    const ZxParameter *p = m_io->parameter(QString::fromLatin1(output));
    return p ? int(BitFieldFunction::fieldValue(p)) : -1;
}

QByteArray SimulatedControllerOutputs::report()
{
    const QList<ControllerDeviceTest::OutputDrive> &drives = ControllerDeviceTest::outputDrives();
    // An output several drives share is on when any of them asks for it.
    for (int i = 0; i < drives.size(); ++i) {
        if (ZxParameter *p = m_io->parameter(QString::fromLatin1(drives.at(i).output)))
            BitFieldFunction::setFieldValue(p, OutputOffOk);
    }
    for (int i = 0; i < drives.size(); ++i) {
        ZxParameter *p = m_io->parameter(QString::fromLatin1(drives.at(i).output));
        if (p && isDriveOn(i))
            BitFieldFunction::setFieldValue(p, OutputOnOk);
    }
    return m_io->encode();
}

void SimulatedControllerOutputs::tick(qint64 nowMs, QVector<SimulatedReply> *replies)
{
    m_nowMs = nowMs;
    if (!isActive())
        return;
    if (m_lastReportMs >= 0 && nowMs - m_lastReportMs < ReportPeriodMs)
        return;
    m_lastReportMs = nowMs;
    const QByteArray payload = report();
    CanMessage m(quint32(Priority) << 26 | quint32(PfProprietaryB) << 16
                     | quint32(PsIoState) << 8 | m_controller,
                 reinterpret_cast<const quint8 *>(payload.constData()), payload.size());
    replies->append({m, 0});
}
