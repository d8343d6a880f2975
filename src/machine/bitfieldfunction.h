#pragma once

#include "machine/bitfieldtable.h"
#include "model/staticpgnj1939devicefunction.h"

#include <QByteArray>

// A function of the machine's own units whose 8-byte payload is a table of bit fields, each
// holding one list, bool or int parameter. Frames shorter than 8 bytes are taken (counted and
// supervised) but change nothing. Subclasses add what is not a plain field.
class BitFieldFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr int PayloadLength = 8;

    BitFieldFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void transmitState() override;

    // Sets the parameters from an 8-byte payload; false (and nothing changed) for any other size.
    bool decode(const QByteArray &payload);
    // The payload the unit sends for the current values.
    QByteArray encode() const;

protected:
    // Parameter `index` lives in bits pos..pos+width-1 of the payload read as a little-endian word.
    void addField(int index, int pos, int width);
    virtual void decodeExtra(const unsigned char *) {}
    // The word the fields are written into (unused bits as the unit sends them).
    virtual quint64 initialWord() const { return 0; }
    virtual void encodeExtra(unsigned char *) const {}

private:
    BitFieldTable m_fields;
};
