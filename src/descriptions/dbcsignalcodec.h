#pragma once

#include "descriptions/dbcdatabase.h"

#include <QString>
#include <QVector>

// One signal found in a payload by DbcSignalCodec::decodeMessage.
struct DbcDecodedSignal
{
    int signalIndex = -1; // in the message's signalList
    quint64 raw = 0;      // the signal's bits, not sign-extended
    double value = 0.0;   // physical: raw (as integer or IEEE float) * factor + offset
    QString text;         // the value's text from the value table, empty when none
};

// Reads and writes DBC signals in payloads of any length (frames, CAN FD, reassembled transport
// groups). A signal whose bits do not all lie in the payload is not present.
class DbcSignalCodec
{
public:
    static bool fits(const DbcSignal &signal, int payloadLength);
    // The signal's bits (1 to 64), false when they do not fit or the layout is invalid.
    static bool readRaw(const DbcSignal &signal, const quint8 *data, int size, quint64 *raw);
    static bool writeRaw(const DbcSignal &signal, quint64 raw, quint8 *data, int size);
    // readRaw() for a signal the caller knows fits the payload (fits() holds): for a caller that
    // checks a message's layout once and then decodes every frame.
    static quint64 readFitting(const DbcSignal &signal, const quint8 *data);

    // Raw bits as the number they carry: sign-extended integer, or IEEE float/double.
    static double rawNumber(const DbcSignal &signal, quint64 raw);
    static double physical(const DbcSignal &signal, quint64 raw);
    // The bits that carry a physical value: the nearest raw value, saturated to the signal's range.
    static quint64 rawForPhysical(const DbcSignal &signal, double value);
    static qint64 valueKey(const DbcSignal &signal, quint64 raw);

    static bool decode(const DbcSignal &signal, const quint8 *data, int size, double *value);
    static bool encode(const DbcSignal &signal, double value, quint8 *data, int size);

    // The signals present in the payload: those that fit, and of the multiplexed ones those whose
    // switch is present and holds one of their values. In the order of the message's signals.
    static QVector<DbcDecodedSignal> decodeMessage(const DbcMessage &message, const quint8 *data,
                                                   int size);
    // The same into `decoded`, whose memory is used again: for a caller decoding every frame.
    static void decodeMessage(const DbcMessage &message, const quint8 *data, int size,
                              QVector<DbcDecodedSignal> *decoded);
};
