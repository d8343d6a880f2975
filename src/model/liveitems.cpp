#include "model/liveitems.h"

#include <QSet>

#include <atomic>
#include <mutex>

namespace {

std::mutex s_mutex; // guards the set
// Written under the mutex, before an item leaves the set.
std::atomic<quint64> s_removals{0};
QSet<const AbstractDisplayableItem *> &items()
{
    static QSet<const AbstractDisplayableItem *> set;
    return set;
}

} // namespace

void LiveItems::insert(const AbstractDisplayableItem *item)
{
    std::lock_guard locker(s_mutex);
    items().insert(item);
}

void LiveItems::remove(const AbstractDisplayableItem *item)
{
    std::lock_guard locker(s_mutex);
    // Counted first: whoever still reads the old count asks before the item left the set.
    s_removals.fetch_add(1);
    items().remove(item);
}

bool LiveItems::contains(const AbstractDisplayableItem *item)
{
    std::lock_guard locker(s_mutex);
    return items().contains(item);
}

quint64 LiveItems::removals()
{
    return s_removals.load();
}

bool LiveItems::contains(const AbstractDisplayableItem *item, quint64 *removals)
{
    std::lock_guard locker(s_mutex);
    *removals = s_removals.load(std::memory_order_relaxed);
    return items().contains(item);
}

bool LiveItems::visit(const AbstractDisplayableItem *item,
                      const std::function<void(const AbstractDisplayableItem &)> &read)
{
    // An item leaves the set first thing in its base destructor, before what every item has is
    // destroyed: while the lock is held here, that part stays.
    std::lock_guard locker(s_mutex);
    if (!item || !items().contains(item))
        return false;
    read(*item);
    return true;
}
