#include "job/inventorycomparison.h"

#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/fmitexts.h"

#include <QMap>

#include <map>

namespace {

using Row = InventoryComparison::Row;
using Kind = InventoryComparison::Kind;
using Field = InventoryComparison::Field;
using Fate = InventoryComparison::CodeFate;
using Unit = InventoryRecord::Unit;
using Code = InventoryRecord::Code;

Kind kindOf(const QString &before, const QString &after)
{
    if (before == after)
        return Kind::Same;
    if (before.isEmpty())
        return Kind::Added;
    if (after.isEmpty())
        return Kind::Removed;
    return Kind::Changed;
}

QString codeKey(const Code &code)
{
    return QStringLiteral("SPN %1 FMI %2").arg(code.spn).arg(code.fmi);
}

QString codeListText(const QVector<Code> &codes, bool known)
{
    if (!known)
        return InventoryComparison::tr("not received");
    QStringList texts;
    for (const Code &c : codes)
        texts << codeKey(c) + QStringLiteral(" OC %1").arg(c.oc);
    return texts.isEmpty() ? InventoryComparison::tr("none") : texts.join(QLatin1String("; "));
}

// Keyed lists (calibrations, values) compared by key; order of first appearance kept.
void compareKeyed(const Row &base, const QVector<QPair<QString, QString>> &before,
                  const QVector<QPair<QString, QString>> &after, QVector<Row> *rows)
{
    QStringList keys;
    QMap<QString, QString> b, a;
    for (const auto &p : before) {
        if (!keys.contains(p.first))
            keys << p.first;
        b.insert(p.first, p.second);
    }
    for (const auto &p : after) {
        if (!keys.contains(p.first))
            keys << p.first;
        a.insert(p.first, p.second);
    }
    for (const QString &key : keys) {
        Row row = base;
        row.key = key;
        row.before = b.value(key);
        row.after = a.value(key);
        if (!b.contains(key))
            row.kind = Kind::Added;
        else if (!a.contains(key))
            row.kind = Kind::Removed;
        else
            row.kind = row.before == row.after ? Kind::Same : Kind::Changed;
        rows->append(row);
    }
}

const Code *findCode(const QVector<Code> &list, const Code &code)
{
    for (const Code &c : list) {
        if (c.spn == code.spn && c.fmi == code.fmi)
            return &c;
    }
    return nullptr;
}

// `wasActive`: the unit's active codes as found, for its previously active ones (a code that
// went from one list to the other is stored now, not new); null for the active codes.
void compareCodes(Row base, const QVector<Code> &before, bool beforeKnown,
                  const QVector<Code> &after, bool afterKnown, const QVector<Code> *wasActive,
                  QVector<Row> *rows)
{
    // Without a DM1/DM2 on one side nothing can be said of single codes: one row of the lists.
    if (!beforeKnown || !afterKnown || (before.isEmpty() && after.isEmpty())) {
        base.before = codeListText(before, beforeKnown);
        base.after = codeListText(after, afterKnown);
        base.kind = kindOf(base.before, base.after);
        rows->append(base);
        return;
    }
    const bool stored = wasActive != nullptr;
    const auto find = findCode;
    for (const Code &c : before) {
        Row row = base;
        row.key = codeKey(c);
        row.code = c;
        row.before = InventoryComparison::codeText(c);
        const Code *now = find(after, c);
        if (now) {
            row.after = InventoryComparison::codeText(*now);
            row.code = *now;
            row.fate = stored ? Fate::StillStored : Fate::StillActive;
            row.kind = *now == c ? Kind::Same : Kind::Changed;
        } else {
            row.fate = Fate::Cleared;
            row.kind = Kind::Removed;
        }
        rows->append(row);
    }
    for (const Code &c : after) {
        if (find(before, c))
            continue;
        Row row = base;
        row.key = codeKey(c);
        row.code = c;
        row.after = InventoryComparison::codeText(c);
        row.fate = stored && findCode(*wasActive, c) ? Fate::NowStored : Fate::New;
        row.kind = Kind::Added;
        rows->append(row);
    }
}

void compareUnits(const Unit &f, const Unit &l, QVector<Row> *rows)
{
    Row base;
    base.address = f.address;
    base.bus = f.bus;
    base.unit = l.label.isEmpty() ? f.label : l.label;
    const QString componentBefore = f.componentText();
    const QString componentAfter = l.componentText();
    const struct
    {
        Field field;
        const QString &before;
        const QString &after;
    } texts[] = {{Field::Name, f.name, l.name},
                 {Field::Ecu, f.ecu, l.ecu},
                 {Field::Software, f.software, l.software},
                 {Field::Component, componentBefore, componentAfter},
                 {Field::Vin, f.vin, l.vin}};
    for (const auto &t : texts) {
        Row row = base;
        row.field = t.field;
        row.before = t.before;
        row.after = t.after;
        row.kind = kindOf(t.before, t.after);
        rows->append(row);
    }
    QVector<QPair<QString, QString>> before, after;
    for (const InventoryRecord::Calibration &c : f.calibrations)
        before.append({c.calId, c.cvn});
    for (const InventoryRecord::Calibration &c : l.calibrations)
        after.append({c.calId, c.cvn});
    base.field = Field::Calibration;
    compareKeyed(base, before, after, rows);
    base.field = Field::ActiveCode;
    compareCodes(base, f.active, f.activeKnown, l.active, l.activeKnown, nullptr, rows);
    base.field = Field::PreviousCode;
    compareCodes(base, f.previous, f.previousKnown, l.previous, l.previousKnown, &f.active, rows);
    before.clear();
    after.clear();
    for (const InventoryRecord::Value &v : f.values)
        before.append({v.what, v.value});
    for (const InventoryRecord::Value &v : l.values)
        after.append({v.what, v.value});
    base.field = Field::Value;
    compareKeyed(base, before, after, rows);
}

} // namespace

QVector<Row> InventoryComparison::compare(const InventoryRecord &found, const InventoryRecord &left)
{
    // A unit is its bus and address: the same address on two buses is two units.
    const auto unitOrder
        = [](const Unit *a, const Unit *b) { return InventoryRecord::before(*a, *b); };
    std::map<const Unit *, std::pair<const Unit *, const Unit *>, decltype(unitOrder)> byUnit(
        unitOrder);
    for (const Unit &u : found.units)
        byUnit[&u].first = &u;
    for (const Unit &u : left.units)
        byUnit[&u].second = &u;
    QVector<Row> rows;
    for (const auto &[key, pair] : byUnit) {
        const Unit *f = pair.first;
        const Unit *l = pair.second;
        if (f && l) {
            compareUnits(*f, *l, &rows);
            continue;
        }
        Row row;
        row.address = key->address;
        row.bus = key->bus;
        row.field = Field::Unit;
        row.unit = f ? f->label : l->label;
        row.before = f ? f->label : QString();
        row.after = l ? l->label : QString();
        row.kind = f ? Kind::Removed : Kind::Added;
        rows << row;
    }
    return rows;
}

QString InventoryComparison::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Same:
        return tr("same");
    case Kind::Changed:
        return tr("changed");
    case Kind::Added:
        return tr("added");
    case Kind::Removed:
        return tr("removed");
    }
    return QString();
}

QString InventoryComparison::fateText(CodeFate fate)
{
    switch (fate) {
    case CodeFate::None:
        return QString();
    case CodeFate::Cleared:
        return tr("cleared");
    case CodeFate::StillActive:
        return tr("still active");
    case CodeFate::New:
        return tr("new");
    case CodeFate::StillStored:
        return tr("still stored");
    case CodeFate::NowStored:
        return tr("stored since, no longer active");
    }
    return QString();
}

QString InventoryComparison::fieldText(const Row &row)
{
    switch (row.field) {
    case Field::Unit:
        return tr("Unit");
    case Field::Name:
        return tr("NAME");
    case Field::Ecu:
        return tr("ECU");
    case Field::Software:
        return tr("Software");
    case Field::Component:
        return tr("Component");
    case Field::Vin:
        return tr("VIN");
    case Field::Calibration:
        return tr("CAL ID %1").arg(row.key);
    case Field::ActiveCode:
        return row.key.isEmpty() ? tr("Active codes") : tr("Active %1").arg(row.key);
    case Field::PreviousCode:
        return row.key.isEmpty() ? tr("Previously active codes")
                                 : tr("Previously active %1").arg(row.key);
    case Field::Value:
        return row.key;
    }
    return QString();
}

QString InventoryComparison::codeText(const Code &code)
{
    const QString name = DtcArrayParameter::description(code.spn, code.fmi);
    const QString fmi = FmiTexts::text(code.fmi);
    return tr("SPN %1 FMI %2 (%3) OC %4")
        .arg(code.spn)
        .arg(code.fmi)
        .arg(name.isEmpty() ? fmi : name + QStringLiteral("; ") + fmi)
        .arg(code.oc);
}
