#include "model/liveitems.h"

#include <QSet>

#include <mutex>

namespace {

std::mutex s_mutex; // guards the set
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
    items().remove(item);
}

bool LiveItems::contains(const AbstractDisplayableItem *item)
{
    std::lock_guard locker(s_mutex);
    return items().contains(item);
}
