#pragma once

#include <QtGlobal>

// A double rounded to int as QVariant::toInt() gives it on the platforms we build for, without
// its undefined cases: what is not finite or beyond qint64 becomes 0 (the low bits of the
// smallest qint64, which the conversion yields there), the rest is rounded and truncated to int.
inline int variantRoundedInt(double value)
{
    constexpr double Limit = 9.2e18; // just inside qint64
    if (!(value > -Limit && value < Limit))
        return 0;
    return int(qRound64(value));
}
