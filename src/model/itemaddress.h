#pragma once

#include <QString>

// Kind and value of an item's address. A value of 0xFFFFFFFF in a catalogue entry means the
// address is chosen when the item is created.
struct ItemAddress
{
    enum Kind { None = 0, Sid = 1, Eid = 2, J1939 = 3, Pgn = 4, ZBus = 5, Variable = 6 };
    static constexpr quint32 Unassigned = 0xFFFFFFFF;

    int kind = None;
    quint32 value = Unassigned;

    // "sid", "eid", "j1939" for the kinds a description names; empty otherwise.
    static QString keyword(int kind);
    static int kindForKeyword(const QString &keyword);

    bool operator==(const ItemAddress &o) const { return kind == o.kind && value == o.value; }
    bool operator!=(const ItemAddress &o) const { return !(*this == o); }
};
