#pragma once

#include <QByteArray>
#include <QHash>
#include <QRegExp>
#include <QString>
#include <QVector>

#include <limits>

// The values a memory access file describes: SPN items, display groups and raw-value slots, with
// the conversions between raw and engineering values. A plain value type.
struct MemoryAccessTable
{
    enum Access { Readable = 1, Writable = 2, ReadWrite = 3 };

    struct SpnGroupItem
    {
        QString name;
        QRegExp regExp;
    };

    struct SpnItem
    {
        QString name;
        quint32 spn = 0;
        QString description;
        QString slot;
        int access = ReadWrite;
        double value = 0;
        bool readChanged = false;
        bool modified = false;

        bool isReadable() const { return (access & Readable) != 0; }
        bool isWritable() const { return (access & Writable) != 0; }
    };

    // One raw-value format; the defaults apply to items that name no known slot.
    struct SlotData
    {
        double multiplier = 1;
        double adder = 0;
        quint8 size = 1;
        QString units = QStringLiteral("dec");
        double minimum = -std::numeric_limits<double>::infinity();
        double maximum = std::numeric_limits<double>::infinity();
    };

    QVector<SpnItem> items;
    QVector<SpnGroupItem> groups;
    // Slot names in file order, so that saving keeps the order.
    QStringList slotOrder;
    QHash<QString, SlotData> slotTable;

    bool hasSlot(const QString &name) const { return slotTable.contains(name); }
    SlotData slotFor(const SpnItem &item) const { return slotTable.value(item.slot); }

    // raw * multiplier + adder, the raw number taken as unsigned; the number itself without a slot.
    double toEngineering(const SpnItem &item, quint32 raw) const;
    // The raw number for a value, rounded to nearest; false when the value is not finite, lies
    // outside the slot's limits or does not fit the slot's size (1, 2 or 4 bytes).
    bool toRaw(const SpnItem &item, double value, quint32 *raw, quint8 *size) const;
    // Decimals shown: 10 without a slot, 0 for multipliers of 1 or more, else enough for one step.
    int decimals(const SpnItem &item) const;
    QString units(const SpnItem &item) const;

    static bool isValidSize(int size) { return size == 1 || size == 2 || size == 4; }
    // Equal within a relative tolerance of 1e-12.
    static bool nearlyEqual(double a, double b);
    static QString accessText(int access);
};
