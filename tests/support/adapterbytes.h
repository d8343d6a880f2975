#pragma once

#include <QByteArray>

// Bytes an adapter sends for one frame, written independently of the production encoders.
// The maker's adapter: F0, L, 02, stuffed little-endian id, info byte, data.
QByteArray zentraxFramePacket(quint32 id, bool extended, const QByteArray &data);
