#include "demo/simulatedcontrolleroutputs.h"

#include "devicetests/controllerdevicetest.h"
#include "machine/joystickvalue.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr quint8 PfProprietaryB = 0xFF;
constexpr quint8 PsIoState = 0x30;
constexpr quint8 PsPanelState = 0x32;
constexpr quint8 Priority = 6;
constexpr int OutputOffOk = 0;
constexpr int OutputOnOk = 1;
constexpr int OutputBits = 3;
constexpr quint8 JoystickFlags = 0x03;

// Where the controller's IO state carries each output: the first of its three bits, the payload
// read as a little-endian word.
struct OutputField
{
    const char *name;
    int pos;
};
const OutputField Outputs[] = {
    {"WPLEFT", 24}, {"WPRIGHT", 27}, {"RPM1", 32},  {"STOP1", 35},    {"BEEP1", 38},
    {"PILOT", 41},  {"UP", 44},      {"DOWN", 47},  {"LEFT", 50},     {"RIGHT", 53},
    {"BACKWARD", 56}, {"FORWARD", 59},
};

// The panel's state: joysticks by their first byte (x, y, flags), buttons by their bit.
struct PanelField
{
    const char *name;
    int at;
    bool joystick;
};
const PanelField PanelFields[] = {
    {"LJ", 0, true},           {"RJ", 3, true},          {"B1", 23, false},
    {"B2", 22, false},         {"B3", 21, false},        {"B4", 20, false},
    {"B1-Control", 47, false}, {"B2-Stop", 46, false},   {"B3-Engine", 45, false},
    {"B4-Beep", 44, false},    {"B5-Setup", 43, false},
};

quint64 wordOf(const QByteArray &payload)
{
    quint64 word = 0;
    for (int i = 0; i < payload.size() && i < 8; ++i)
        word |= quint64(quint8(payload.at(i))) << (8 * i);
    return word;
}

QByteArray payloadOf(quint64 word)
{
    QByteArray payload(8, '\0');
    for (int i = 0; i < 8; ++i)
        payload[i] = char(word >> (8 * i));
    return payload;
}

const OutputField *outputField(const char *name)
{
    for (const OutputField &f : Outputs) {
        if (std::strcmp(f.name, name) == 0)
            return &f;
    }
    return nullptr;
}

const PanelField *panelField(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    for (const PanelField &f : PanelFields) {
        if (std::strcmp(f.name, name) == 0)
            return &f;
    }
    return nullptr;
}

bool isFrame(const CanMessage &m, quint8 ps, quint8 source)
{
    return m.extended && m.pduFormat() == PfProprietaryB && m.pduSpecific() == ps
           && m.address() == source && m.length == 8;
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
    , m_base(8, '\0')
    , m_panelState(8, '\0')
{}

bool SimulatedControllerOutputs::isActive() const
{
    return m_lastPanelMs >= 0 && m_nowMs - m_lastPanelMs <= PanelSilenceMs;
}

void SimulatedControllerOutputs::frameSent(const CanMessage &frame, QVector<SimulatedReply> *)
{
    if (!isFrame(frame, PsPanelState, m_panel))
        return;
    m_panelState = QByteArray(reinterpret_cast<const char *>(frame.data), frame.length);
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
    m_base = QByteArray(reinterpret_cast<const char *>(frame.data), frame.length);
    return false;
}

bool SimulatedControllerOutputs::isDriveOn(int index) const
{
    const ControllerDeviceTest::OutputDrive &drive = ControllerDeviceTest::outputDrives().at(index);
    const PanelField *control = panelField(drive.panelPath);
    if (!control)
        return false;
    const auto *bytes = reinterpret_cast<const quint8 *>(m_panelState.constData());
    if (control->joystick) {
        JoystickValue asked;
        if (!JoystickValue::parse(QString::fromLatin1(drive.onValue), &asked))
            return false;
        const int x = JoystickValue::decodeAxis(bytes[control->at]);
        const int y = JoystickValue::decodeAxis(bytes[control->at + 1]);
        const int flags = bytes[control->at + 2] & JoystickFlags;
        return axisReaches(x, asked.x) && axisReaches(y, asked.y)
               && (flags & asked.flags) == asked.flags;
    }
    const int pressed = int((wordOf(m_panelState) >> control->at) & 1);
    return pressed == QByteArray(drive.onValue).toInt();
}

int SimulatedControllerOutputs::outputState(const char *output) const
{
    const OutputField *f = outputField(output);
    return f ? int((wordOf(report()) >> f->pos) & ((1u << OutputBits) - 1)) : -1;
}

QByteArray SimulatedControllerOutputs::report() const
{
    const QList<ControllerDeviceTest::OutputDrive> &drives = ControllerDeviceTest::outputDrives();
    quint64 word = wordOf(m_base);
    const quint64 mask = (1u << OutputBits) - 1;
    // An output several drives share is on when any of them asks for it.
    for (int i = 0; i < drives.size(); ++i) {
        if (const OutputField *f = outputField(drives.at(i).output))
            word = (word & ~(mask << f->pos)) | quint64(OutputOffOk) << f->pos;
    }
    for (int i = 0; i < drives.size(); ++i) {
        const OutputField *f = outputField(drives.at(i).output);
        if (f && isDriveOn(i))
            word = (word & ~(mask << f->pos)) | quint64(OutputOnOk) << f->pos;
    }
    return payloadOf(word);
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
