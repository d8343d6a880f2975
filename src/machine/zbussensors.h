#pragma once

#include "machine/bitfieldtable.h"
#include "model/zbusdevice.h"

// Base of the sensor models: the parameters behind "FAULT" (index 0), each in a field of one
// table that decodes what the sensor sends and encodes what the tool sends in its place. The
// tool sends the leading data bytes the fields cover.
class ZBusSensor : public ZBusDevice
{
    Q_OBJECT

public:
    explicit ZBusSensor(QObject *parent = nullptr);

    bool dispatchMessage(const ZBusMessage &message) override;
    using ZBusDevice::dispatchMessage;
    void transmitState() override;

protected:
    enum Kind { Int, Float, InputState, ZGnd, ZsfInput, ZMark };
    // Adds a parameter whose id is `id` and whose name is its translation.
    void addSensorParameter(const char *id, Kind kind);
    // Adds a parameter held in bits pos..pos+width-1 of the data read as a little-endian word.
    void addSensorField(const char *id, Kind kind, int pos, int width,
                        BitFieldTable::Encoding encoding = BitFieldTable::LowBits);
    // Adds a float parameter held in the field in steps of multiplier / divisor.
    void addScaledSensorField(const char *id, int pos, int width, double multiplier,
                              double divisor);
    // For a sensor whose fields are not plain scalings, its own decoding and encoding.
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

private:
    BitFieldTable m_fields;
};

// Angle/force sensor ZSA: a 14-bit value and one input.
class ZBusSensorA : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorA(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorA; }
};

// Pressure sensor ZSB.
class ZBusSensorB : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorB(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorB; }
};

// Encoder sensor ZSC: a 12-bit count, an angle and three inputs.
class ZBusSensorC : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorC(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorC; }
};

// Angle and length sensor ZSD: angle in 0.01 degree steps, a length and two inputs.
class ZBusSensorD : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorD(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorD; }
};

// Angle and length sensor ZSE: angle in 1/256 degree steps, a length and two inputs.
class ZBusSensorE : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorE(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorE; }
};

// Position sensor ZSF: a 14-bit length and a two-bit input.
class ZBusSensorF : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorF(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorF; }
};

// Position sensor ZSG: a 15-bit length and a mark input.
class ZBusSensorG : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorG(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorG; }
};

// Inclination sensor ZSH: an angle in 1/256 degree steps and one input.
class ZBusSensorH : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorH(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorH; }
};

// Angle sensor ZSJ: an angle in 0.01 degree steps and one input.
class ZBusSensorJ : public ZBusSensor
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit ZBusSensorJ(QObject *parent = nullptr);
    static AbstractDisplayableItem *create() { return new ZBusSensorJ; }
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
};
