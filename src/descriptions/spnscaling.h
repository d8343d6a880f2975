#pragma once

#include <QString>

#include <optional>

// How the function library scales a suspect parameter number: a parameter whose short name is
// "SPN<number>" gives the SPN's name, factor, offset, unit and length. Read once, on first use,
// under a lock; any thread (the bus thread decodes freeze frames with it).
struct SpnScaling
{
    quint32 spn = 0;
    QString name;
    double factor = 1.0; // value = raw × factor + offset
    double offset = 0.0;
    QString unit;        // "rpm", "°C"; empty for a plain number
    int bitLength = 0;   // the field's length in the library's groups
    int decimals = 0;    // digits after the point one step of the factor needs

    // Bytes a freeze frame gives the value (the library's bits rounded up).
    int byteLength() const { return (bitLength + 7) / 8; }
    // The value of a raw field of `bytes` bytes, least significant first: "1200.5 rpm", or
    // "n/a" / "error" for J1939's not-available and error ranges.
    QString text(quint64 raw, int bytes) const;

    // The library's scaling of the SPN; none when no parameter of the library carries it.
    static std::optional<SpnScaling> find(quint32 spn);
    // Forgets what was read: the next look-up reads the library again.
    static void reset();
};

// J1939's ranges of a raw field of `bytes` bytes: the top values mean "not available" (all
// ones, or the top 256 values of a wider field) and the ones below "error".
namespace SpnRanges {
bool isNotAvailable(quint64 raw, int bytes);
bool isError(quint64 raw, int bytes);
} // namespace SpnRanges
