#include "diagnostics/identificationcodec.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>

namespace IdentificationCodec {

namespace {

constexpr char NotAvailableByte = char(0xFF);

QString tr(const char *text)
{
    return QCoreApplication::translate("IdentificationCodec", text);
}

// The bytes up to the first zero byte, trailing 0xFF padding removed.
QByteArray unpadded(const QByteArray &data)
{
    QByteArray text = data;
    const int zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    while (!text.isEmpty() && text.endsWith(NotAvailableByte))
        text.chop(1);
    return text;
}

} // namespace

QString plainText(const QByteArray &data)
{
    return QString::fromLatin1(unpadded(data));
}

QString ecuText(const QByteArray &data)
{
    const int zero = data.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? data : data.left(zero));
}

QString softwareText(const QByteArray &data)
{
    return data.isEmpty() ? QString() : plainText(data.mid(1));
}

QStringList componentFields(const QByteArray &data)
{
    QStringList fields;
    const QByteArray text = unpadded(data);
    int start = 0;
    while (fields.size() < ComponentFieldCount) {
        const int end = text.indexOf(Delimiter, start);
        if (end < 0) {
            // The last field without its closing delimiter still counts.
            if (start < text.size())
                fields << QString::fromLatin1(text.mid(start));
            break;
        }
        fields << QString::fromLatin1(text.mid(start, end - start));
        start = end + 1;
    }
    while (fields.size() < ComponentFieldCount)
        fields << QString();
    return fields;
}

QByteArray encodeComponent(const QStringList &fields)
{
    QByteArray out;
    for (int i = 0; i < ComponentFieldCount; ++i)
        out += fields.value(i).toLatin1() + Delimiter;
    return out;
}

QString vin(const QByteArray &data)
{
    QByteArray text = unpadded(data);
    const int end = text.indexOf(Delimiter);
    if (end >= 0)
        text.truncate(end);
    // A VIN (or a machine's product identification number) is letters and digits; some units
    // send it without the delimiter and fill the rest of their message with other bytes.
    const auto stop = std::find_if(text.cbegin(), text.cend(), [](char c) {
        return !std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != ' ';
    });
    text.truncate(int(stop - text.cbegin()));
    return QString::fromLatin1(text.left(VinMaxLength));
}

QByteArray encodeVin(const QString &vin)
{
    return vin.left(VinMaxLength).toLatin1() + Delimiter;
}

Calibrations calibrations(const QByteArray &data)
{
    Calibrations list;
    const auto *b = reinterpret_cast<const quint8 *>(data.constData());
    for (int at = 0; at + CalibrationRecordBytes <= data.size(); at += CalibrationRecordBytes) {
        Calibration c;
        c.cvn = quint32(b[at]) | quint32(b[at + 1]) << 8 | quint32(b[at + 2]) << 16
                | quint32(b[at + 3]) << 24;
        c.calId = plainText(data.mid(at + CvnBytes, CalIdBytes));
        list << c;
    }
    return list;
}

QByteArray encodeCalibrations(const Calibrations &list)
{
    QByteArray out;
    for (const Calibration &c : list) {
        for (int i = 0; i < CvnBytes; ++i)
            out += char(c.cvn >> (8 * i));
        // Padded with zero bytes to its 16 characters.
        QByteArray id = c.calId.toLatin1().left(CalIdBytes);
        id.append(CalIdBytes - id.size(), '\0');
        out += id;
    }
    return out;
}

QString cvnText(quint32 cvn)
{
    if (cvn == CvnNotAvailable)
        return QStringLiteral("n/a");
    return QStringLiteral("0x") + QStringLiteral("%1").arg(cvn, 8, 16, QLatin1Char('0')).toUpper();
}

QString calibrationsText(const Calibrations &list)
{
    QStringList parts;
    for (const Calibration &c : list)
        parts << QStringLiteral("%1 (%2)").arg(c.calId, cvnText(c.cvn));
    return parts.join(QStringLiteral("; "));
}

Calibrations parseCalibrations(const QString &text)
{
    Calibrations list;
    const QStringList parts = text.split(QStringLiteral("; "), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        Calibration c;
        c.calId = part;
        const int open = part.lastIndexOf(QStringLiteral(" ("));
        if (open >= 0 && part.endsWith(QLatin1Char(')'))) {
            const QString number = part.mid(open + 2, part.size() - open - 3);
            bool ok = false;
            const quint32 cvn = number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                    ? number.mid(2).toUInt(&ok, 16)
                                    : 0;
            if (ok || number == QLatin1String("n/a")) {
                c.calId = part.left(open);
                c.cvn = ok ? cvn : CvnNotAvailable;
            }
        }
        list << c;
    }
    return list;
}

QString printable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x")
                   + QStringLiteral("%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

bool isIdentificationPgn(quint32 pgn)
{
    return pgn == PgnEcu || pgn == PgnSoftware || pgn == PgnComponent || pgn == PgnVehicle
           || pgn == PgnDm19;
}

QString componentText(const QStringList &fields)
{
    const auto field = [&fields](int i) { return fields.value(i); };
    return printable(tr("make %1, model %2, serial number %3, unit number %4")
                         .arg(field(0), field(1), field(2), field(3)));
}

QString summary(quint32 pgn, const QByteArray &data)
{
    switch (pgn) {
    case PgnEcu:
        return printable(ecuText(data));
    case PgnSoftware: {
        // The fields one after another without their delimiters: "MC2 4.1.7, BOOT 1.3".
        const QStringList fields
            = softwareText(data).split(QLatin1Char(Delimiter), Qt::SkipEmptyParts);
        return printable(fields.join(QStringLiteral(", ")));
    }
    case PgnComponent: {
        return componentText(componentFields(data));
    }
    case PgnVehicle:
        return printable(vin(data));
    case PgnDm19: {
        const Calibrations list = calibrations(data);
        return list.isEmpty() ? tr("none") : printable(calibrationsText(list));
    }
    default:
        return QString();
    }
}

} // namespace IdentificationCodec
