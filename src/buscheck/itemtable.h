#pragma once

#include <QtGlobal>

#include <algorithm>
#include <utility>
#include <vector>

class AbstractDisplayableItem;

// What the bus check keeps of each item, by the item's pointer. Looked up for every frame: one
// flat array with open addressing, at most half full, so a look-up mostly reads one slot instead
// of a hash bucket and its node. Inserting a key again replaces its value.
template<typename T>
class ItemTable
{
public:
    T *value(const AbstractDisplayableItem *item) const
    {
        if (m_slots.empty() || !item)
            return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = slotOf(item, mask);; i = (i + 1) & mask) {
            if (m_slots[i].first == item)
                return m_slots[i].second;
            if (!m_slots[i].first)
                return nullptr;
        }
    }

    void insert(const AbstractDisplayableItem *item, T *value)
    {
        if (!item)
            return;
        if (2 * (m_count + 1) > m_slots.size()) {
            std::vector<Slot> old;
            old.swap(m_slots);
            m_slots.resize(std::max<size_t>(16, 2 * old.size()));
            m_count = 0;
            for (const Slot &slot : old) {
                if (slot.first)
                    insert(slot.first, slot.second);
            }
        }
        const size_t mask = m_slots.size() - 1;
        size_t i = slotOf(item, mask);
        while (m_slots[i].first && m_slots[i].first != item)
            i = (i + 1) & mask;
        if (!m_slots[i].first)
            ++m_count;
        m_slots[i] = {item, value};
    }

private:
    using Slot = std::pair<const AbstractDisplayableItem *, T *>;
    // Items lie at least 16 bytes apart: the low bits say nothing, the multiplication spreads
    // the rest over the table.
    static size_t slotOf(const AbstractDisplayableItem *item, size_t mask)
    {
        return size_t((quintptr(item) >> 4) * 0x9E3779B97F4A7C15ull >> 32) & mask;
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
};
