#pragma once

#include <QByteArray>
#include <QHash>

// The codes of a DM1 message (lamps in bytes 0-1, then four bytes per code), as
// spn << 8 | fmi with their occurrence counts. The "no code" patterns (all zero, all ones) are
// left out.
inline QHash<quint64, int> activeCodes(const QByteArray &data)
{
    QHash<quint64, int> codes;
    for (int i = 2; i + 4 <= data.size(); i += 4) {
        const auto *b = reinterpret_cast<const quint8 *>(data.constData() + i);
        const quint32 spn = b[0] | b[1] << 8 | quint32(b[2] >> 5) << 16;
        const quint8 fmi = b[2] & 0x1F;
        if ((spn == 0 && fmi == 0) || (spn == 0x7FFFF && fmi == 0x1F))
            continue;
        codes.insert(quint64(spn) << 8 | fmi, b[3] & 0x7F);
    }
    return codes;
}
