#include "descriptions/pgnfunctionregistry.h"

#include <mutex>

namespace {

struct Kind
{
    DeviceFactoryEntry entry;
    PgnFunctionRegistry::Offer offer;
};

std::mutex s_mutex;

QList<Kind> &kinds()
{
    static QList<Kind> list;
    return list;
}

} // namespace

void PgnFunctionRegistry::registerFunction(const DeviceFactoryEntry &entry, Offer offer)
{
    std::lock_guard locker(s_mutex);
    for (Kind &existing : kinds()) {
        if (existing.entry.key == entry.key) {
            existing = {entry, offer};
            return;
        }
    }
    kinds().append({entry, offer});
}

QList<DeviceFactoryEntry> PgnFunctionRegistry::functions()
{
    std::lock_guard locker(s_mutex);
    QList<DeviceFactoryEntry> entries;
    for (const Kind &kind : qAsConst(kinds()))
        entries.append(kind.entry);
    return entries;
}

bool PgnFunctionRegistry::isByHandOnly(const QByteArray &key)
{
    std::lock_guard locker(s_mutex);
    for (const Kind &kind : qAsConst(kinds())) {
        if (kind.entry.key == key)
            return kind.offer == ByHandOnly;
    }
    return false;
}
