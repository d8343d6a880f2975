#include "diagnostics/engineconfigurationfunction.h"

#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"

#include <QtMath>

#include <cmath>

namespace {

// One field of EC1: where it sits and how a raw value becomes a physical one
// (physical = raw * scale + offset). All-ones means "not available"; raw values above the
// valid maximum (0xFA or 0xFAFF) are reserved.
struct Field
{
    int index;
    int byte; // -1: not carried by EC1
    int size;
    double scale;
    double offset;
};

constexpr double Speed = 0.125;
constexpr double Torque = 1.0;
constexpr double TorqueOffset = -125.0;

const Field Fields[] = {
    {0, 0, 2, Speed, 0},    {1, 3, 2, Speed, 0},   {2, 6, 2, Speed, 0},
    {3, 9, 2, Speed, 0},    {4, 12, 2, Speed, 0},  {5, 15, 2, Speed, 0},
    {6, 21, 2, Speed, 0},   {7, 28, 2, Speed, 0},  {8, 24, 1, 10.0, 0},
    {9, 25, 1, 10.0, 0},    {10, 2, 1, Torque, TorqueOffset},
    {11, 5, 1, Torque, TorqueOffset},              {12, 8, 1, Torque, TorqueOffset},
    {13, 11, 1, Torque, TorqueOffset},             {14, 14, 1, Torque, TorqueOffset},
    {15, 26, 1, Torque, TorqueOffset},             {16, 27, 1, Torque, TorqueOffset},
    {17, 17, 2, 1.0 / 1280.0, 0},                  {18, 19, 2, 1.0, 0},
    {19, 23, 1, 0.1, 0},
};

quint32 allOnes(int size)
{
    return size == 1 ? 0xFF : 0xFFFF;
}

quint32 validMaximum(int size)
{
    return size == 1 ? 0xFA : 0xFAFF;
}

struct Label
{
    const char *key;
    const char *label;
    const char *description;
    bool isFloat;
};

const Label Labels[] = {
    {"SI1", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Idle speed"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at Idle, Point 1"), true},
    {"S2", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed 2"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at Point 2"), true},
    {"S3", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed 3"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at Point 3"), true},
    {"S4", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed 4"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at Point 4"), true},
    {"S5", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed 5"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at Point 5"), true},
    {"SHI6", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "High idle speed"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Speed at High Idle, Point 6"), true},
    {"SMO7", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Maximum override speed"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Maximum Momentary Override Speed, Point 7"),
     true},
    {"SERH", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed extended range upper"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Extended Range Requested Speed Control Range Upper Limit"),
     true},
    {"SRL", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed range lower"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Requested Speed Control Range Lower Limit"),
     true},
    {"SRU", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Speed range upper"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Requested Speed Control Range Upper Limit"),
     true},
    {"T1", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Idle torque %"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Percent Torque At Idle, Point 1"),
     false},
    {"T2", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque % 2"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Percent Torque At Point 2"), false},
    {"T3", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque % 3"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Percent Torque At Point 3"), false},
    {"T4", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque % 4"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Percent Torque At Point 4"), false},
    {"T5", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque % 5"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Percent Torque At Point 5"), false},
    {"TRL", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque range lower"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Requested Torque Control Range Lower Limit"),
     false},
    {"TRU", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque range upper"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Requested Torque Control Range Upper Limit"),
     false},
    {"", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Gain"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Gain (Kp) Of The Endspeed Governor"),
     true},
    {"", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Reference Torque"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Reference Torque"), false},
    {"OVL", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Override limit"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction",
                       "Engine Maximum Momentary Override Time Limit"),
     true},
    {"INRT", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Inertia"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Moment of Inertia"), true},
    {"TLIM", QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Torque limit"),
     QT_TRANSLATE_NOOP("EngineConfigurationFunction", "Engine Default Torque Limit"), false},
};

} // namespace

EngineConfigurationFunction::EngineConfigurationFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFE, 0xE3, parent)
{
    setObjectName(QStringLiteral("EngineConfigurationFunction"));
    setName(tr("Engine Configuration 1"));
    for (const Label &l : Labels) {
        ZxParameter *p = nullptr;
        if (l.isFloat)
            p = addFloatParameter(tr(l.label), QString::fromLatin1(l.key));
        else
            p = addIntParameter(tr(l.label), QString::fromLatin1(l.key));
        p->setDescription(tr(l.description));
    }
    parameters().at(17)->setSuffix(QStringLiteral("%/rpm"));
    parameters().at(18)->setSuffix(QStringLiteral("Nm"));
}

bool EngineConfigurationFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

bool EngineConfigurationFunction::decode(const QByteArray &data)
{
    if (data.size() < FirstEditionLength)
        return false;
    const auto byte = [&data](int i) { return quint32(quint8(data.at(i))); };
    for (const Field &f : Fields) {
        if (f.byte + f.size > data.size()) {
            parameters().at(f.index)->setValid(false);
            continue;
        }
        const quint32 raw = f.size == 1 ? byte(f.byte) : byte(f.byte) | byte(f.byte + 1) << 8;
        ZxParameter *p = parameters().at(f.index);
        // All-ones is "not available": shown as such, and sent back as all-ones.
        const bool available = raw != allOnes(f.size);
        const double value = raw * f.scale + f.offset;
        if (p->type() == ZxParameter::Float)
            floatParameter(f.index)->setValue(float(value));
        else
            intParameter(f.index)->setValue(int(std::lround(value)));
        p->setValid(available);
    }
    setUpdateNeeded();
    return true;
}

QByteArray EngineConfigurationFunction::encode() const
{
    // Bytes the message does not carry from a parameter (30-33) say "not available".
    QByteArray data(MessageLength, char(0xFF));
    for (const Field &f : Fields) {
        const ZxParameter *p = parameters().at(f.index);
        const double value = p->type() == ZxParameter::Float
                                 ? double(floatParameter(f.index)->value())
                                 : double(intParameter(f.index)->value());
        quint32 raw = allOnes(f.size);
        if (p->isValid() && std::isfinite(value)) {
            // Nearest raw value within the valid range: a float round trip must not lose a bit
            // and an out-of-range value must not wrap.
            const double r = std::floor((value - f.offset) / f.scale + 0.5);
            raw = quint32(qBound(0.0, r, double(validMaximum(f.size))));
        }
        data[f.byte] = char(raw & 0xFF);
        if (f.size == 2)
            data[f.byte + 1] = char(raw >> 8);
    }
    return data;
}

void EngineConfigurationFunction::transmitState()
{
    const QByteArray data = encode();
    transmitData(reinterpret_cast<const unsigned char *>(data.constData()), unsigned(data.size()));
}
