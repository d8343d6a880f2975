#include "diagnostics/abstractnamedvariable.h"

#include "model/zxvariantparameter.h"

#include <QDomElement>

namespace {
constexpr int NameBytes = 3;  // byte 0 and the two name characters
constexpr int ValueBytes = 8; // up to the last value byte
} // namespace

AbstractNamedVariable::AbstractNamedVariable(QObject *parent)
    : AbstractDisplayableItem(parent)
{
    addParameter(new ZxVariantParameter, QStringLiteral("VAL"));
}

ZxVariantParameter *AbstractNamedVariable::valueParameter() const
{
    return static_cast<ZxVariantParameter *>(parameters().at(Val));
}

bool AbstractNamedVariable::namesThis(const CanMessage &message) const
{
    return message.length >= NameBytes
           && (quint32(message.data[1]) << 8 | message.data[2]) == nameNumber();
}

bool AbstractNamedVariable::matchMessage(const CanMessage &message)
{
    return namesThis(message);
}

bool AbstractNamedVariable::decodeValue(const CanMessage &message)
{
    // A short frame has no value: its buffer holds zeros, not data.
    if (message.length < ValueBytes)
        return false;
    ZxVariant v;
    v.type = message.data[3];
    v.setRawBits(qint32(quint32(message.data[4]) | quint32(message.data[5]) << 8
                        | quint32(message.data[6]) << 16 | quint32(message.data[7]) << 24));
    valueParameter()->setValue(v);
    valueParameter()->setValid(true);
    setUpdateNeeded();
    return true;
}

bool AbstractNamedVariable::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decodeValue(message);
    return true;
}

void AbstractNamedVariable::encode(quint8 *data) const
{
    const ZxVariant v = valueParameter()->value();
    const quint32 bits = quint32(v.rawBits());
    data[1] = quint8(nameNumber() >> 8);
    data[2] = quint8(nameNumber());
    data[3] = quint8(v.type);
    for (int i = 0; i < 4; ++i)
        data[4 + i] = quint8(bits >> (8 * i));
}

quint8 AbstractNamedVariable::deviceAddress() const
{
    for (const AbstractDisplayableItem *item = parentItem(); item; item = item->parentItem()) {
        if (item->address().kind == ItemAddress::J1939)
            return quint8(item->address().value);
    }
    return 0xFE;
}

void AbstractNamedVariable::updateUserReadableAddress()
{
    const auto printable = [](quint32 c) { return c >= 0x20 && c <= 0x7E; };
    const quint32 number = nameNumber();
    if (!printable(number >> 8) || !printable(number & 0xFF)) {
        AbstractDisplayableItem::updateUserReadableAddress();
        return;
    }
    setUserReadableAddress(QStringLiteral("\"%1%2\"")
                               .arg(QLatin1Char(char(number >> 8)))
                               .arg(QLatin1Char(char(number & 0xFF))));
}

QString AbstractNamedVariable::valueText() const
{
    const ZxVariant v = valueParameter()->value();
    switch (v.type) {
    case ZxVariant::UInt8:
    case ZxVariant::Int16:
    case ZxVariant::Int32:
        return QString::number(v.toInt());
    case ZxVariant::Float:
        return QString::number(double(v.toFloat()), 'g', 7);
    default:
        return tr("no value");
    }
}

void AbstractNamedVariable::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(QStringLiteral("func"));
}
