#include "model/troublecode.h"

#include <algorithm>

TroubleCode TroubleCode::decode(const quint8 *b)
{
    TroubleCode c;
    // Conversion method 4: the three high bits of the third byte are SPN bits 16 to 18.
    c.spn = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2] >> 5) << 16;
    c.fmi = b[2] & MaxFmi;
    c.oc = b[3] & MaxOccurrences;
    c.conversionMethod = (b[3] & 0x80) != 0;
    return c;
}

void TroubleCode::append(QByteArray *out) const
{
    out->append(char(spn & 0xFF));
    out->append(char((spn >> 8) & 0xFF));
    out->append(char(((spn >> 16) & 0x07) << 5 | (fmi & MaxFmi)));
    out->append(char(fourthByte()));
}

QVector<TroubleCode> TroubleCode::decodeAll(const QByteArray &data, int offset)
{
    QVector<TroubleCode> codes;
    const auto *b = reinterpret_cast<const quint8 *>(data.constData());
    for (int at = qMax(0, offset); at + Bytes <= data.size(); at += Bytes)
        codes.append(decode(b + at));
    return codes;
}

QVector<TroubleCode> TroubleCode::decodeFaults(const QByteArray &data, int offset)
{
    QVector<TroubleCode> faults;
    for (const TroubleCode &c : decodeAll(data, offset)) {
        if (!c.isFault())
            continue;
        const bool listed = std::any_of(faults.cbegin(), faults.cend(),
                                        [&c](const TroubleCode &f) { return f.sameFault(c); });
        if (!listed)
            faults.append(c);
    }
    return faults;
}
