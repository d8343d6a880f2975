#pragma once

#include "model/zbusdevice.h"

// Base of the sensor models: typed access to the parameters behind "FAULT" (index 0).
class ZBusSensor : public ZBusDevice
{
    Q_OBJECT

public:
    explicit ZBusSensor(QObject *parent = nullptr);

protected:
    enum Kind { Int, Float, InputState, ZGnd, ZsfInput, ZMark };
    // Adds a parameter whose id is `id` and whose name is its translation.
    void addSensorParameter(const char *id, Kind kind);
    // Little-endian 16-bit word of data bytes i and i + 1.
    static unsigned word(const quint8 *d, int i)
    {
        return unsigned(d[i]) | unsigned(d[i + 1]) << 8;
    }
    void setInt(int index, int value);
    void setFloat(int index, float value);
    void setList(int index, int value);
    qint64 intValue(int index) const;
    double floatValue(int index) const;
    qint64 listValue(int index) const;
    // Sends the leading `length` bytes of the little-endian word.
    void sendWord(quint64 word, int length);
};

// Angle/force sensor ZSA: a 14-bit value and one input.
class ZBusSensorA : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorA(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorA; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Pressure sensor ZSB.
class ZBusSensorB : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorB(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorB; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Encoder sensor ZSC: a 12-bit count, an angle and three inputs.
class ZBusSensorC : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorC(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorC; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Angle and length sensor ZSD: angle in 0.01 degree steps, a length and two inputs.
class ZBusSensorD : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorD(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorD; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Angle and length sensor ZSE: angle in 1/256 degree steps, a length and two inputs.
class ZBusSensorE : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorE(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorE; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Position sensor ZSF: a 14-bit length and a two-bit input.
class ZBusSensorF : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorF(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorF; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Position sensor ZSG: a 15-bit length and a mark input.
class ZBusSensorG : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorG(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorG; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Inclination sensor ZSH: an angle in 1/256 degree steps and one input.
class ZBusSensorH : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorH(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorH; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Angle sensor ZSJ: an angle in 0.01 degree steps and one input.
class ZBusSensorJ : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorJ(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorJ; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Slewing sensor ZSK: a 10-bit angle, a temperature and one input.
class ZBusSensorK : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorK(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorK; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};

// Wind sensor ZSL: wind speed in 0.1 steps and one input.
class ZBusSensorL : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorL(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorL; }

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;
};
