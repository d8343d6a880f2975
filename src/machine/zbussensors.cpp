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
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "F"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), InputState);
}

bool ZBusSensorA::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    const unsigned w0 = word(d, 0);
    setInt(1, int(w0 & 0x3FFF));
    setList(2, d[1] >> 6);
    setUpdateNeeded();
    return true;
}

void ZBusSensorA::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 14, intValue(1));
    BitField::put(w, 14, 2, listValue(2));
    sendWord(w, 2);
}

ZBusSensorB::ZBusSensorB(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorB"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "P"), Float);
}

bool ZBusSensorB::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float(word(d, 0) * 6.25 / 256));
    setUpdateNeeded();
    return true;
}

void ZBusSensorB::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 16, BitField::toRaw(floatValue(1) * 256 / 6.25, 0, 0xFFFF));
    sendWord(w, 2);
}

ZBusSensorC::ZBusSensorC(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorC"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "E"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), ZGnd);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN3"), InputState);
}

bool ZBusSensorC::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setInt(1, int(word(d, 0) & 0xFFF));
    setFloat(2, float((word(d, 2) & 0x7FFF) / 256.0));
    setList(3, d[3] >> 7);
    setList(4, d[1] >> 6);
    setList(5, (d[1] >> 4) & 3);
    setUpdateNeeded();
    return true;
}

void ZBusSensorC::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 12, intValue(1));
    BitField::put(w, 14, 2, listValue(4));
    BitField::put(w, 12, 2, listValue(5));
    BitField::put(w, 16, 15, BitField::toRaw(floatValue(2) * 256, 0, 0x7FFF));
    BitField::put(w, 31, 1, listValue(3) >= 1 ? 1 : 0);
    sendWord(w, 4);
}

ZBusSensorD::ZBusSensorD(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorD"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "LEN"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState);
}

bool ZBusSensorD::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float(word(d, 0) / 100.0));
    setInt(2, int(word(d, 2) & 0xFFF));
    setList(3, d[3] >> 6);
    setList(4, (d[3] >> 4) & 3);
    setUpdateNeeded();
    return true;
}

void ZBusSensorD::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 16, BitField::toRaw(floatValue(1) * 100, 0, 0xFFFF));
    BitField::put(w, 16, 12, intValue(2));
    BitField::put(w, 30, 2, listValue(3));
    BitField::put(w, 28, 2, listValue(4));
    sendWord(w, 4);
}

ZBusSensorE::ZBusSensorE(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorE"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "LEN"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN2"), InputState);
}

bool ZBusSensorE::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float(word(d, 0) / 256.0));
    setInt(2, int(word(d, 2) & 0xFFF));
    setList(3, d[3] >> 6);
    setList(4, (d[3] >> 4) & 3);
    setUpdateNeeded();
    return true;
}

void ZBusSensorE::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 16, BitField::toRaw(floatValue(1) * 256, 0, 0xFFFF));
    BitField::put(w, 16, 12, intValue(2));
    BitField::put(w, 30, 2, listValue(3));
    BitField::put(w, 28, 2, listValue(4));
    sendWord(w, 4);
}

ZBusSensorF::ZBusSensorF(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorF"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "L"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZsfInput);
}

bool ZBusSensorF::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setInt(1, int(word(d, 0) & 0x3FFF));
    setList(2, d[1] >> 6);
    setUpdateNeeded();
    return true;
}

void ZBusSensorF::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 14, intValue(1));
    BitField::put(w, 14, 2, listValue(2));
    sendWord(w, 2);
}

ZBusSensorG::ZBusSensorG(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorG"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "L"), Int);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZMark);
}

bool ZBusSensorG::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setInt(1, int(word(d, 0) & 0x7FFF));
    setList(2, d[1] >> 7);
    setUpdateNeeded();
    return true;
}

void ZBusSensorG::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 15, intValue(1));
    BitField::put(w, 15, 1, listValue(2));
    sendWord(w, 2);
}

ZBusSensorH::ZBusSensorH(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorH"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), ZGnd);
}

bool ZBusSensorH::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float((word(d, 0) & 0x7FFF) / 256.0));
    setList(2, d[1] >> 7);
    setUpdateNeeded();
    return true;
}

void ZBusSensorH::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 15, BitField::toRaw(floatValue(1) * 256, 0, 0x7FFF));
    BitField::put(w, 15, 1, listValue(2));
    sendWord(w, 2);
}

ZBusSensorJ::ZBusSensorJ(QObject *parent)
    : ZBusSensor(parent)
{
    setObjectName(QStringLiteral("ZBusSensorJ"));
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "ANG"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN1"), InputState);
}

bool ZBusSensorJ::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float(word(d, 0) / 100.0));
    setList(2, d[2] >> 6);
    setUpdateNeeded();
    return true;
}

void ZBusSensorJ::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 16, BitField::toRaw(floatValue(1) * 100, 0, 0xFFFF));
    BitField::put(w, 22, 2, listValue(2));
    sendWord(w, 3);
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
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "WIND"), Float);
    addSensorParameter(QT_TRANSLATE_NOOP("ZBusSensor", "IN"), InputState);
}

bool ZBusSensorL::dispatchMessage(const ZBusMessage &message)
{
    const quint8 *d = message.data();
    setFloat(1, float((word(d, 0) & 0x3FFF) / 10.0));
    setList(2, d[1] >> 6);
    setUpdateNeeded();
    return true;
}

void ZBusSensorL::transmitState()
{
    quint64 w = 0;
    BitField::put(w, 0, 14, BitField::toRaw(floatValue(1) * 10, 0, 0x3FFF));
    BitField::put(w, 14, 2, listValue(2));
    sendWord(w, 2);
}
