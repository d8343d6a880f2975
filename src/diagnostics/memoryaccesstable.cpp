#include "diagnostics/memoryaccesstable.h"

#include <algorithm>
#include <cmath>

double MemoryAccessTable::toEngineering(const SpnItem &item, quint32 raw) const
{
    const auto it = slotTable.constFind(item.slot);
    if (it == slotTable.constEnd())
        return double(raw);
    return double(raw) * it->multiplier + it->adder;
}

bool MemoryAccessTable::toRaw(const SpnItem &item, double value, quint32 *raw, quint8 *size) const
{
    const auto it = slotTable.constFind(item.slot);
    const SlotData slot = it == slotTable.constEnd() ? SlotData() : *it;
    *size = slot.size;
    if (!std::isfinite(value) || value < slot.minimum || value > slot.maximum)
        return false;
    if (!isValidSize(slot.size))
        return false;
    const double exact = it == slotTable.constEnd() ? value : (value - slot.adder) / slot.multiplier;
    if (!std::isfinite(exact))
        return false;
    const double rounded = std::round(exact);
    const double limit = slot.size == 4 ? 4294967295.0 : double((1u << (8 * slot.size)) - 1);
    if (rounded < 0 || rounded > limit)
        return false;
    *raw = quint32(rounded);
    return true;
}

int MemoryAccessTable::decimals(const SpnItem &item) const
{
    const auto it = slotTable.constFind(item.slot);
    if (it == slotTable.constEnd())
        return 10;
    const double m = std::fabs(it->multiplier);
    if (m >= 1 || !std::isfinite(m) || m == 0)
        return 0;
    // ceil(log10(1 / m) + 1), kept within what a spin box can show.
    return std::clamp(int(std::ceil(std::log10(1 / m) + 1)), 0, 10);
}

QString MemoryAccessTable::units(const SpnItem &item) const
{
    return slotFor(item).units;
}

bool MemoryAccessTable::nearlyEqual(double a, double b)
{
    if (a == b)
        return true;
    return std::fabs(a - b) * 1e12 <= std::min(std::fabs(a), std::fabs(b));
}

QString MemoryAccessTable::accessText(int access)
{
    switch (access) {
    case Readable:
        return QStringLiteral("RO");
    case Writable:
        return QStringLiteral("WO");
    default:
        return QStringLiteral("RW");
    }
}
