#pragma once

#include <QByteArray>

// Bytes written as hex digits, blanks allowed: hex("18fe f100").
inline QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}
