#pragma once

class AbstractDisplayableItem;

// Every scheme item that exists, so that a pointer kept across threads or queued calls can be
// checked before it is used. Any thread.
namespace LiveItems {
void insert(const AbstractDisplayableItem *item);
void remove(const AbstractDisplayableItem *item);
bool contains(const AbstractDisplayableItem *item);
} // namespace LiveItems
