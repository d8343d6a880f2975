#pragma once

#include <QList>
#include <QVector>

class ZxParameter;

// A payload's layout as one table of bit fields, each holding one parameter of an item, so that
// decoding and encoding read the same row. The payload is read as a little-endian word (see
// BitField). Used on the thread of the item whose parameters it reads and writes.
class BitFieldTable
{
public:
    enum Encoding {
        LowBits, // a list, bool or int parameter; its low `width` bits are sent
        Clamped, // a list or int parameter; values beyond the field send its nearest end
        Scaled,  // a float parameter in steps of multiplier / divisor, rounded and clamped
    };

    // Parameter `index` lives in bits pos..pos+width-1 of the word.
    void addField(int index, int pos, int width, Encoding encoding = LowBits);
    void addScaledField(int index, int pos, int width, double multiplier, double divisor);

    // Sets every field's parameter from the word and marks it valid, in table order.
    void decode(quint64 word, const QList<ZxParameter *> &parameters) const;
    // The word with every field replaced by its parameter's value.
    quint64 encode(quint64 word, const QList<ZxParameter *> &parameters) const;
    // The leading payload bytes the fields cover.
    int byteLength() const;

    // The raw field value of a list, bool or int parameter.
    static qint64 fieldValue(const ZxParameter *parameter);
    static void setFieldValue(ZxParameter *parameter, qint64 value);

private:
    struct Field
    {
        int index;
        int pos;
        int width;
        Encoding encoding;
        double multiplier;
        double divisor;
    };
    QVector<Field> m_fields;
};
