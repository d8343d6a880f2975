#pragma once

#include "job/inventory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QVector>

// What a service job keeps of an inventory of the bus ("as found", "as left"): per unit its
// NAME, identification texts, calibrations, trouble codes and the values the engineer read or
// wrote. Plain values; written to and read from the job's JSON files.
struct InventoryRecord
{
    Q_DECLARE_TR_FUNCTIONS(InventoryRecord)

public:
    static constexpr int Version = 1;

    using Code = Inventory::Code;
    struct Calibration
    {
        QString calId;
        QString cvn; // "0x1234ABCD" or "n/a"
        bool operator==(const Calibration &o) const { return calId == o.calId && cvn == o.cvn; }
    };
    struct Value
    {
        QString what;
        QString value;
        bool operator==(const Value &o) const { return what == o.what && value == o.value; }
    };
    struct Unit
    {
        int address = 0;
        // The bus of a unit on one of the window's other buses ("can1"); empty on the job's
        // own bus, which is all a job with one bus has.
        QString bus;
        QString label;
        QString name; // 16 hex digits, empty when no address claim came
        QString ecu;  // identification texts, empty when not received
        QString software;
        QString component;
        // The component's fields as sent (make, model, serial number, unit number), so the
        // text can be said in another language; empty in records of older versions.
        QStringList componentFields;
        QString vin;
        QVector<Calibration> calibrations;
        QVector<Code> active;
        QVector<Code> previous;
        bool activeKnown = false; // false: no DM1 came
        bool previousKnown = false;
        QVector<Value> values;
        // The component identification in the current language.
        QString componentText() const;
        bool operator==(const Unit &o) const;
        bool operator!=(const Unit &o) const { return !(*this == o); }
    };

    QDateTime taken;
    bool requested = false;
    QVector<Unit> units; // by bus (the job's own first) and address

    bool operator==(const InventoryRecord &o) const
    {
        return taken == o.taken && requested == o.requested && units == o.units;
    }
    bool operator!=(const InventoryRecord &o) const { return !(*this == o); }

    // Units without a label of their own are called "Unit 0x1C". `bus` names the bus of the
    // units when it is not the job's own.
    static InventoryRecord fromInventory(const Inventory &inventory,
                                         const QMap<quint8, QString> &labels = {},
                                         const QDateTime &taken = QDateTime::currentDateTimeUtc(),
                                         bool requested = false, const QString &bus = QString());
    static QString defaultLabel(int address);
    // A unit as the window and the report name it, in the current language; one of the job's
    // other buses is named: "Engine #1 (0x00) on can1".
    static QString unitText(const QString &label, const QString &bus);
    // The order of `units`: the job's own bus first, then the others by name; by address.
    static bool before(const Unit &a, const Unit &b);
    void sortUnits();

    const Unit *unit(int address, const QString &bus = QString()) const;

    QJsonObject toJson() const;
    QByteArray toBytes() const;
    // False with a message naming `fileName` for a damaged text or a newer format.
    static bool fromBytes(const QByteArray &bytes, const QString &fileName, InventoryRecord *record,
                          QString *error);
    static bool fromJson(const QJsonObject &object, const QString &fileName,
                         InventoryRecord *record, QString *error);
};
