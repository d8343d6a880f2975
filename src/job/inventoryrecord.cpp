#include "job/inventoryrecord.h"

#include "descriptions/unitnames.h"
#include "diagnostics/identificationcodec.h"
#include "job/jobjson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace {

namespace Codec = IdentificationCodec;

constexpr int MaxAddress = 255;

QString summaryOf(const Inventory::Unit &unit, quint32 pgn)
{
    const auto found = unit.messages.constFind(pgn);
    return found == unit.messages.cend() ? QString() : Codec::summary(pgn, *found);
}

QJsonArray codesJson(const QVector<InventoryRecord::Code> &codes)
{
    QJsonArray array;
    for (const InventoryRecord::Code &c : codes)
        array.append(QJsonObject{{QStringLiteral("spn"), qint64(c.spn)},
                                 {QStringLiteral("fmi"), qint64(c.fmi)},
                                 {QStringLiteral("oc"), qint64(c.oc)}});
    return array;
}

// Codes with numbers out of their fields' range are dropped: no unit can have sent them.
QVector<InventoryRecord::Code> codesFrom(const QJsonValue &value)
{
    QVector<InventoryRecord::Code> codes;
    for (const QJsonValue &v : value.toArray()) {
        const QJsonObject o = v.toObject();
        const double spn = o.value(QLatin1String("spn")).toDouble(-1);
        const double fmi = o.value(QLatin1String("fmi")).toDouble(-1);
        const double oc = o.value(QLatin1String("oc")).toDouble(0);
        if (spn < 0 || spn > TroubleCode::MaxSpn || fmi < 0 || fmi > TroubleCode::MaxFmi || oc < 0
            || oc > TroubleCode::MaxOccurrences)
            continue;
        InventoryRecord::Code code;
        code.spn = quint32(spn);
        code.fmi = quint8(fmi);
        code.oc = quint8(oc);
        codes << code;
    }
    return codes;
}

} // namespace

bool InventoryRecord::Unit::operator==(const Unit &o) const
{
    return address == o.address && bus == o.bus && label == o.label && name == o.name
           && ecu == o.ecu && software == o.software && component == o.component
           && componentFields == o.componentFields && vin == o.vin && calibrations == o.calibrations
           && active == o.active && previous == o.previous && activeKnown == o.activeKnown
           && previousKnown == o.previousKnown && values == o.values;
}

QString InventoryRecord::Unit::componentText() const
{
    return componentFields.size() == Codec::ComponentFieldCount
               ? Codec::componentText(componentFields)
               : component;
}

QString InventoryRecord::defaultLabel(int address)
{
    return UnitNames::unnamed(address);
}

QString InventoryRecord::unitText(const QString &label, const QString &bus)
{
    const QString name = UnitNames::translated(label);
    return bus.isEmpty() || name.isEmpty() ? name : tr("%1 on %2").arg(name, bus);
}

InventoryRecord InventoryRecord::fromInventory(const Inventory &inventory,
                                               const QMap<quint8, QString> &labels,
                                               const QDateTime &taken, bool requested,
                                               const QString &bus)
{
    InventoryRecord record;
    record.taken = taken.toUTC();
    record.requested = requested;
    const QMap<quint8, Inventory::Unit> &units = inventory.units();
    for (auto it = units.cbegin(); it != units.cend(); ++it) {
        const Inventory::Unit &in = *it;
        Unit unit;
        unit.address = it.key();
        unit.bus = bus;
        unit.label = labels.value(it.key());
        if (unit.label.isEmpty())
            unit.label = defaultLabel(it.key());
        if (in.hasName)
            unit.name = QStringLiteral("%1").arg(in.name, 16, 16, QLatin1Char('0')).toUpper();
        unit.ecu = summaryOf(in, Codec::PgnEcu);
        unit.software = summaryOf(in, Codec::PgnSoftware);
        unit.component = summaryOf(in, Codec::PgnComponent);
        const auto component = in.messages.constFind(Codec::PgnComponent);
        if (component != in.messages.cend())
            unit.componentFields = Codec::componentFields(*component);
        unit.vin = summaryOf(in, Codec::PgnVehicle);
        const auto dm19 = in.messages.constFind(Codec::PgnDm19);
        if (dm19 != in.messages.cend()) {
            for (const Codec::Calibration &c : Codec::calibrations(*dm19))
                unit.calibrations << Calibration{Codec::printable(c.calId), Codec::cvnText(c.cvn)};
        }
        const auto dm1 = in.messages.constFind(Inventory::PgnDm1);
        unit.activeKnown = dm1 != in.messages.cend();
        if (unit.activeKnown)
            unit.active = TroubleCode::decodeFaults(*dm1);
        const auto dm2 = in.messages.constFind(Inventory::PgnDm2);
        unit.previousKnown = dm2 != in.messages.cend();
        if (unit.previousKnown)
            unit.previous = TroubleCode::decodeFaults(*dm2);
        record.units << unit;
    }
    return record;
}

bool InventoryRecord::before(const Unit &a, const Unit &b)
{
    if (a.bus != b.bus) {
        // "can2" before "can10"; the job's own bus (no name) first.
        if (a.bus.size() != b.bus.size())
            return a.bus.size() < b.bus.size();
        return a.bus < b.bus;
    }
    return a.address < b.address;
}

void InventoryRecord::sortUnits()
{
    std::stable_sort(units.begin(), units.end(), &InventoryRecord::before);
}

const InventoryRecord::Unit *InventoryRecord::unit(int address, const QString &bus) const
{
    for (const Unit &u : units) {
        if (u.address == address && u.bus == bus)
            return &u;
    }
    return nullptr;
}

QJsonObject InventoryRecord::toJson() const
{
    QJsonArray unitArray;
    for (const Unit &u : units) {
        QJsonArray calibrationArray;
        for (const Calibration &c : u.calibrations)
            calibrationArray.append(
                QJsonObject{{QStringLiteral("calId"), c.calId}, {QStringLiteral("cvn"), c.cvn}});
        QJsonArray valueArray;
        for (const Value &v : u.values)
            valueArray.append(
                QJsonObject{{QStringLiteral("what"), v.what}, {QStringLiteral("value"), v.value}});
        QJsonObject unit{
            {QStringLiteral("address"), u.address},
            {QStringLiteral("label"), u.label},
            {QStringLiteral("name"), u.name},
            {QStringLiteral("ecu"), u.ecu},
            {QStringLiteral("software"), u.software},
            {QStringLiteral("component"), u.component},
            {QStringLiteral("componentFields"), QJsonArray::fromStringList(u.componentFields)},
            {QStringLiteral("vin"), u.vin},
            {QStringLiteral("calibrations"), calibrationArray},
            {QStringLiteral("active"), codesJson(u.active)},
            {QStringLiteral("previous"), codesJson(u.previous)},
            {QStringLiteral("activeKnown"), u.activeKnown},
            {QStringLiteral("previousKnown"), u.previousKnown},
            {QStringLiteral("values"), valueArray}};
        // Only a job with several buses names them: one bus's files stay as they were.
        if (!u.bus.isEmpty())
            unit.insert(QStringLiteral("bus"), u.bus);
        unitArray.append(unit);
    }
    return QJsonObject{{QStringLiteral("version"), Version},
                       {QStringLiteral("taken"), JobJson::timeText(taken)},
                       {QStringLiteral("requested"), requested},
                       {QStringLiteral("units"), unitArray}};
}

QByteArray InventoryRecord::toBytes() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Indented);
}

bool InventoryRecord::fromBytes(const QByteArray &bytes, const QString &fileName,
                                InventoryRecord *record, QString *error)
{
    QJsonObject object;
    return JobJson::parseObject(bytes, fileName, &object, error)
           && fromJson(object, fileName, record, error);
}

bool InventoryRecord::fromJson(const QJsonObject &object, const QString &fileName,
                               InventoryRecord *record, QString *error)
{
    if (!JobJson::checkVersion(object, Version, fileName, error))
        return false;
    const QJsonValue unitsValue = object.value(QLatin1String("units"));
    if (!unitsValue.isArray() && !unitsValue.isUndefined()) {
        if (error)
            *error = JobJson::damaged(fileName, tr("the units are not a list"));
        return false;
    }
    InventoryRecord r;
    r.taken = JobJson::parseTime(object.value(QLatin1String("taken")).toString());
    r.requested = object.value(QLatin1String("requested")).toBool();
    for (const QJsonValue &v : unitsValue.toArray()) {
        const QJsonObject o = v.toObject();
        const double address = o.value(QLatin1String("address")).toDouble(-1);
        if (!v.isObject() || address < 0 || address > MaxAddress) {
            if (error)
                *error = JobJson::damaged(fileName, tr("a unit without a valid address"));
            return false;
        }
        Unit u;
        u.address = int(address);
        u.bus = o.value(QLatin1String("bus")).toString();
        u.label = o.value(QLatin1String("label")).toString();
        if (u.label.isEmpty())
            u.label = defaultLabel(u.address);
        u.name = o.value(QLatin1String("name")).toString();
        u.ecu = o.value(QLatin1String("ecu")).toString();
        u.software = o.value(QLatin1String("software")).toString();
        u.component = o.value(QLatin1String("component")).toString();
        const QJsonArray fields = o.value(QLatin1String("componentFields")).toArray();
        if (fields.size() == Codec::ComponentFieldCount) {
            for (const QJsonValue &f : fields)
                u.componentFields << f.toString();
        }
        u.vin = o.value(QLatin1String("vin")).toString();
        for (const QJsonValue &c : o.value(QLatin1String("calibrations")).toArray()) {
            const QJsonObject co = c.toObject();
            u.calibrations << Calibration{co.value(QLatin1String("calId")).toString(),
                                          co.value(QLatin1String("cvn")).toString()};
        }
        u.active = codesFrom(o.value(QLatin1String("active")));
        u.previous = codesFrom(o.value(QLatin1String("previous")));
        u.activeKnown = o.value(QLatin1String("activeKnown")).toBool();
        u.previousKnown = o.value(QLatin1String("previousKnown")).toBool();
        for (const QJsonValue &c : o.value(QLatin1String("values")).toArray()) {
            const QJsonObject vo = c.toObject();
            u.values << Value{vo.value(QLatin1String("what")).toString(),
                              vo.value(QLatin1String("value")).toString()};
        }
        r.units << u;
    }
    r.sortUnits();
    *record = r;
    return true;
}
