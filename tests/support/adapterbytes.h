#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QVector>

// Bytes an adapter sends for one frame, written independently of the production encoders.
// The maker's adapter: F0, L, 02, stuffed little-endian id, info byte, data.
QByteArray zentraxFramePacket(quint32 id, bool extended, const QByteArray &data);
QByteArray zentraxFramePacket(const CanMessage &m);
// What a serial adapter sends for `frames`: the maker's packets, or the I-7565's text lines (these
// from the production encoder, whose own rows are tst_i7565codec's).
QByteArray serialAdapterBytes(bool zentrax, const QVector<CanMessage> &frames);
