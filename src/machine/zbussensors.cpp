#include "machine/zbussensors.h"

#include "machine/bitfield.h"
#include "machine/machinelists.h"
#include "model/zxfloatparameter.h"
#include "model/zxinputstateparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

#include <climits>

ZBusSensor::ZBusSensor(QObject *parent)
    : ZBusDevice(0, parent)
{}

void ZBusSensor::addSensorParameter(const char *id, Kind kind)
{
    const QString name = tr(id);
    const QString key = QString::fromLatin1(id);
    switch (kind) {
    case Int:
        addIntParameter(name, key);
        break;
    case Float:
        addFloatParameter(name, key);
        break;
    case InputState:
        addParameter(new ZxInputStateParameter, name, key);
        break;
    case ZGnd:
        addListParameter(name, key, MachineLists::zGnd());
        break;
    case ZsfInput:
        addListParameter(name, key, MachineLists::zsfInput());
        break;
    case ZMark:
        addListParameter(name, key, MachineLists::zMark());
        break;
    }
}

void ZBusSensor::addSensorField(const char *id, Kind kind, int pos, int width,
                                BitFieldTable::Encoding encoding)
{
    addSensorParameter(id, kind);
    m_fields.addField(parameters().size() - 1, pos, width, encoding);
}

void ZBusSensor::addScaledSensorField(const char *id, int pos, int width, double multiplier,
                                      double divisor)
{
    addSensorParameter(id, Float);
    m_fields.addScaledField(parameters().size() - 1, pos, width, multiplier, divisor);
}

bool ZBusSensor::dispatchMessage(const ZBusMessage &message)
{
    m_fields.decode(BitField::fromBytes(message.data(), ZBusMessage::DataSize), parameters());
    setUpdateNeeded();
    return true;
}

void ZBusSensor::transmitState()
{
    sendWord(m_fields.encode(0, parameters()), m_fields.byteLength());
}

void ZBusSensor::setInt(int index, int value)
{
    intParameter(index)->setValue(value);
    intParameter(index)->setValid(true);
}

void ZBusSensor::setFloat(int index, float value)
{
    floatParameter(index)->setValue(value);
    floatParameter(index)->setValid(true);
}

void ZBusSensor::setList(int index, int value)
{
    listParameter(index)->setValue(value);
    listParameter(index)->setValid(true);
}

qint64 ZBusSensor::intValue(int index) const
{
    return intParameter(index)->value();
}

double ZBusSensor::floatValue(int index) const
{
    return double(floatParameter(index)->value());
}

qint64 ZBusSensor::listValue(int index) const
{
    return listParameter(index)->value();
}

void ZBusSensor::sendWord(quint64 word, int length)
{
    unsigned char data[8];
    BitField::toBytes(word, data, 8);
    sendMessage(data, unsigned(length));
}

ZBusSensorA::ZBusSensorA(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorA"));
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "F"), Int, 0, 14);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), InputState, 14, 2);
}

ZBusSensorB::ZBusSensorB(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorB"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "P"), 0, 16, 6.25, 256);
}

ZBusSensorC::ZBusSensorC(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorC"));
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "E"), Int, 0, 12);
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), 16, 15, 1, 256);
    // A value beyond the list sends its nearest end: above "1 - GND" still GND.
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), ZGnd, 31, 1, BitFieldTable::Clamped);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState, 14, 2);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN3"), InputState, 12, 2);
}

ZBusSensorD::ZBusSensorD(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorD"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), 0, 16, 1, 100);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "LEN"), Int, 16, 12);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState, 30, 2);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState, 28, 2);
}

ZBusSensorE::ZBusSensorE(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorE"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), 0, 16, 1, 256);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "LEN"), Int, 16, 12);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState, 30, 2);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState, 28, 2);
}

ZBusSensorF::ZBusSensorF(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorF"));
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "L"), Int, 0, 14);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZsfInput, 14, 2);
}

ZBusSensorG::ZBusSensorG(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorG"));
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "L"), Int, 0, 15);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZMark, 15, 1);
}

ZBusSensorH::ZBusSensorH(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorH"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), 0, 15, 1, 256);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZGnd, 15, 1);
}

ZBusSensorJ::ZBusSensorJ(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorJ"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), 0, 16, 1, 100);
    // Bits 16..21 carry nothing; the input sits at the top of the third byte.
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState, 22, 2);
}

ZBusSensorK::ZBusSensorK(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorK"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "T"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), InputState);
}

bool ZBusSensorK::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float((word(d, 0) & 0x3FF) * 360.0 / 1024));
    setInt(2, (d[1] & 0x3C) - 60);
    setList(3, d[1] >> 6);
    setUpdateNeeded();
    return true;
}

void ZBusSensorK::transmitState()
{
    // The angle is periodic: its count keeps the low ten bits. The temperature field holds
    // -60..0 degrees in steps of 4; (T + 62) rounds to the nearest step.
    const qint64 angle = BitField::toRaw(floatValue(1) * 1024 / 360, INT_MIN, INT_MAX);
    const qint64 t = BitField::clamp(intValue(2), -60, 0);
    quint64 w = 0;
    BitField::put(w, 0, 10, angle);
    BitField::put(w, 8, 8, BitField::get(w, 8, 8) | (quint64(t + 62) & 0x3C));
    BitField::put(w, 14, 2, listValue(3));
    sendWord(w, 2);
}

ZBusSensorL::ZBusSensorL(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorL"));
    addScaledSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "WIND"), 0, 14, 1, 10);
    addSensorField(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), InputState, 14, 2);
}
