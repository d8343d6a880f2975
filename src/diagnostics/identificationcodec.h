#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The identification messages of a unit as bytes and as texts: ECU (0xFDC5), software (0xFEDA),
// component (0xFEEB), vehicle (0xFEEC) and DM19 calibration information (0xD300). Shared by the
// functions, the window's identification and the console program. Plain functions, any thread.
namespace IdentificationCodec {

constexpr quint32 PgnEcu = 0xFDC5;
constexpr quint32 PgnSoftware = 0xFEDA;
constexpr quint32 PgnComponent = 0xFEEB;
constexpr quint32 PgnVehicle = 0xFEEC;
constexpr quint32 PgnDm19 = 0xD300;

// Fields of the texts end with "*".
constexpr char Delimiter = '*';
constexpr int ComponentFieldCount = 4; // make, model, serial number, unit number
constexpr int VinMaxLength = 200;
// A DM19 record: the verification number (4 bytes, least significant first), then the
// calibration identification (16 bytes ASCII, padded with 0x00 or 0xFF).
constexpr int CvnBytes = 4;
constexpr int CalIdBytes = 16;
constexpr int CalibrationRecordBytes = CvnBytes + CalIdBytes;
constexpr quint32 CvnNotAvailable = 0xFFFFFFFF;

struct Calibration
{
    QString calId;
    quint32 cvn = CvnNotAvailable;
    bool operator==(const Calibration &o) const { return calId == o.calId && cvn == o.cvn; }
};
using Calibrations = QVector<Calibration>;

// Text of a field as sent: up to the first zero byte, without trailing 0xFF padding (Latin-1).
QString plainText(const QByteArray &data);

// ECU identification: the whole text up to the first zero byte, delimiters kept.
QString ecuText(const QByteArray &data);
// Software identification: the fields after the count byte, up to a zero byte.
QString softwareText(const QByteArray &data);

// Component identification: always four fields; missing trailing ones are empty, a text
// without any "*" is the make alone, anything after the fourth "*" is ignored.
QStringList componentFields(const QByteArray &data);
// "make Deutz, model TCD 2.9 L4, serial number 11934527, unit number E01", printable, in the
// current language.
QString componentText(const QStringList &fields);
// "make*model*serial number*unit number*", each field Latin-1, missing fields empty.
QByteArray encodeComponent(const QStringList &fields);

// The VIN: the text up to the first "*" or zero byte, at most 200 characters.
QString vin(const QByteArray &data);
QByteArray encodeVin(const QString &vin);

// Every whole 20-byte record; a trailing partial record is ignored.
Calibrations calibrations(const QByteArray &data);
QByteArray encodeCalibrations(const Calibrations &list);
// "0x1234ABCD", or "n/a" for 0xFFFFFFFF.
QString cvnText(quint32 cvn);
// "CALID (0x1234ABCD); OTHER (n/a)": the text form a DM19 function keeps and edits.
QString calibrationsText(const Calibrations &list);
Calibrations parseCalibrations(const QString &text);

// The text with control characters written as \xNN, safe to show on a terminal or a label.
QString printable(const QString &text);
// One line for a message of these groups (ECU text, software text, component fields, VIN,
// calibrations), printable; empty for other groups.
QString summary(quint32 pgn, const QByteArray &data);
bool isIdentificationPgn(quint32 pgn);

} // namespace IdentificationCodec
