#include "machine/bitfieldtable.h"

#include "machine/bitfield.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

void BitFieldTable::addField(int index, int pos, int width, Encoding encoding)
{
    Q_ASSERT(index >= 0 && pos >= 0 && width > 0 && pos + width <= 64 && encoding != Scaled);
    m_fields.append({index, pos, width, encoding, 1.0, 1.0});
}

void BitFieldTable::addScaledField(int index, int pos, int width, double multiplier, double divisor)
{
    Q_ASSERT(index >= 0 && pos >= 0 && width > 0 && pos + width <= 64);
    Q_ASSERT(multiplier > 0 && divisor > 0);
    m_fields.append({index, pos, width, Scaled, multiplier, divisor});
}

void BitFieldTable::decode(quint64 word, const QList<ZxParameter *> &parameters) const
{
    for (const Field &f : m_fields) {
        ZxParameter *p = parameters.at(f.index);
        const quint64 raw = BitField::get(word, f.pos, f.width);
        if (f.encoding == Scaled) {
            if (auto *number = dynamic_cast<ZxFloatParameter *>(p))
                number->setValue(float(double(raw) * f.multiplier / f.divisor));
        } else {
            setFieldValue(p, qint64(raw));
        }
        p->setValid(true);
    }
}

quint64 BitFieldTable::encode(quint64 word, const QList<ZxParameter *> &parameters) const
{
    for (const Field &f : m_fields) {
        const ZxParameter *p = parameters.at(f.index);
        const auto high = qint64(BitField::mask(f.width));
        qint64 raw = 0;
        switch (f.encoding) {
        case LowBits:
            raw = fieldValue(p);
            break;
        case Clamped:
            raw = BitField::clamp(fieldValue(p), 0, high);
            break;
        case Scaled:
            if (auto *number = dynamic_cast<const ZxFloatParameter *>(p))
                raw = BitField::toRaw(double(number->value()) * f.divisor / f.multiplier, 0, high);
            break;
        }
        BitField::put(word, f.pos, f.width, raw);
    }
    return word;
}

int BitFieldTable::byteLength() const
{
    int bits = 0;
    for (const Field &f : m_fields)
        bits = qMax(bits, f.pos + f.width);
    return (bits + 7) / 8;
}

qint64 BitFieldTable::fieldValue(const ZxParameter *parameter)
{
    if (auto *list = dynamic_cast<const ZxListParameter *>(parameter))
        return list->value();
    if (auto *flag = dynamic_cast<const ZxBoolParameter *>(parameter))
        return flag->value() ? 1 : 0;
    if (auto *number = dynamic_cast<const ZxIntParameter *>(parameter))
        return number->value();
    return 0;
}

void BitFieldTable::setFieldValue(ZxParameter *parameter, qint64 value)
{
    if (auto *list = dynamic_cast<ZxListParameter *>(parameter))
        list->setValue(int(value));
    else if (auto *flag = dynamic_cast<ZxBoolParameter *>(parameter))
        flag->setValue(value != 0);
    else if (auto *number = dynamic_cast<ZxIntParameter *>(parameter))
        number->setValue(int(value));
}
