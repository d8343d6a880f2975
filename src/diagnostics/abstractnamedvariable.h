#pragma once

#include "model/abstractdisplayableitem.h"

class ZxVariantParameter;

// A variable named by two ASCII characters, carried in bytes 1-2 of its function's frames with
// its size (byte 3) and 32-bit raw value (bytes 4-7). The name is the item's address value.
class AbstractNamedVariable : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    enum ParameterIndex { Val = 0 };

    explicit AbstractNamedVariable(QObject *parent = nullptr);

    quint32 nameNumber() const { return address().value & 0xFFFF; }
    ZxVariantParameter *valueParameter() const;

    bool matchMessage(const CanMessage &message) override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void saveItemToXmlNodeImpl(QDomElement &element) override;
    // The two characters in quotes ("Hr"), as the controller names the variable; the number
    // when they are not printable.
    void updateUserReadableAddress() override;
    // The value as a plain number, without the type letter of the stream ("1234.5", not
    // "F1234.5"); "no value" for a value of no type.
    QString valueText() const;

    // Whether the frame names this variable (it must carry bytes 1-2).
    bool namesThis(const CanMessage &message) const;
    // Stores the size and value of a frame that carries them (8 bytes); false otherwise.
    bool decodeValue(const CanMessage &message);
    // Name, size and value into bytes 1-7.
    void encode(quint8 *data) const;
    // The address of the J1939 device this variable belongs to.
    quint8 deviceAddress() const;
};
