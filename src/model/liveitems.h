#pragma once

#include <QtGlobal>

#include <functional>

class AbstractDisplayableItem;

// Every scheme item that exists, so that a pointer kept across threads or queued calls can be
// checked before it is used. Any thread.
namespace LiveItems {
void insert(const AbstractDisplayableItem *item);
void remove(const AbstractDisplayableItem *item);
bool contains(const AbstractDisplayableItem *item);
// How many items were removed so far. While it stays what contains() gave with its answer,
// every item found then still exists: a caller asking about the same item for every frame needs
// the lock only when some item went.
quint64 removals();
bool contains(const AbstractDisplayableItem *item, quint64 *removals);
// Runs `read` on the item while no thread can destroy it, for a pointer to an item of another
// thread (a catalogue's entry whose item may be dying in the bus thread). Only what every item
// has (name, address) may be read: a dying item's own kind may be gone already. False, without
// running `read`, when the item no longer exists.
bool visit(const AbstractDisplayableItem *item,
           const std::function<void(const AbstractDisplayableItem &)> &read);
} // namespace LiveItems
