#include "diagnostics/memoryaccessfile.h"

#include <QDebug>
#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

enum Section { Spns = 0, Groups = 1, Slots = 2, End = 3, NoSection = -1 };

bool parseAccess(const QString &text, int *access)
{
    if (text.isEmpty() || text == QLatin1String("RW"))
        *access = MemoryAccessTable::ReadWrite;
    else if (text == QLatin1String("RO"))
        *access = MemoryAccessTable::Readable;
    else if (text == QLatin1String("WO"))
        *access = MemoryAccessTable::Writable;
    else
        return false; // a typo must not make a read-only value writable
    return true;
}

bool parseSpnLine(const QStringList &fields, MemoryAccessTable::SpnItem *item)
{
    if (fields.size() < 4 || fields.at(0).trimmed().isEmpty())
        return false;
    bool ok = false;
    item->spn = fields.at(0).trimmed().toUInt(&ok, 16);
    if (!ok)
        return false;
    item->name = fields.at(1);
    item->description = fields.at(2);
    item->slot = fields.at(3);
    if (fields.size() > 4 && !fields.at(4).isEmpty()) {
        item->value = fields.at(4).toDouble(&ok);
        if (!ok || !std::isfinite(item->value))
            return false;
    }
    return parseAccess(fields.size() > 5 ? fields.at(5) : QString(), &item->access);
}

// The slot line's error text, or empty when the line is valid.
QString parseSlotLine(const QStringList &fields, int slotCount, QString *name,
                      MemoryAccessTable::SlotData *slot)
{
    const auto invalid = [slotCount](const char *what) {
        return QStringLiteral("SLOT %1 invalid %2").arg(slotCount).arg(QLatin1String(what));
    };
    *name = fields.at(0);
    bool ok = false;
    slot->multiplier = fields.at(1).toDouble(&ok);
    if (!ok || !std::isfinite(slot->multiplier) || slot->multiplier == 0)
        return invalid("multiplier");
    slot->adder = fields.at(2).toDouble(&ok);
    if (!ok || !std::isfinite(slot->adder))
        return invalid("adder");
    const uint size = fields.at(3).toUInt(&ok, 10);
    if (!ok || size > 255)
        return invalid("size");
    slot->size = quint8(size);
    slot->minimum = fields.at(4).toDouble(&ok);
    if (!ok || std::isnan(slot->minimum))
        return invalid("minimum");
    slot->maximum = fields.at(5).toDouble(&ok);
    if (!ok || std::isnan(slot->maximum) || slot->maximum < slot->minimum)
        return invalid("maximum");
    slot->units = fields.at(6);
    return QString();
}

QStringList splitLines(QByteArray data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringList lines;
    const QList<QByteArray> raw = data.split('\n');
    for (int i = 0; i < raw.size(); ++i) {
        QByteArray line = raw.at(i);
        // The final line feed ends the last line; it does not open another.
        if (i == raw.size() - 1 && line.isEmpty())
            break;
        // CR LF line ends; a carriage return elsewhere belongs to no field either, and one
        // kept in a field would not survive saving.
        line.replace('\r', QByteArray());
        lines.append(QString::fromUtf8(line));
    }
    return lines;
}

} // namespace

namespace MemoryAccessFile {

bool parse(const QByteArray &data, MemoryAccessTable *table, QString *errorText)
{
    const auto fail = [errorText](const QString &text) {
        qDebug("%s", qUtf8Printable(text));
        if (errorText)
            *errorText = text;
        return false;
    };
    if (data.size() > MaxFileSize)
        return fail(QStringLiteral("File too large"));
    const QStringList lines = splitLines(data);
    MemoryAccessTable result;
    int version = 0;
    int first = 0;
    if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("#version "))) {
        bool ok = false;
        version = lines.first().mid(9).toInt(&ok, 10);
        // An unreadable version ends reading: the file then lacks SPNs.
        first = ok ? 1 : lines.size();
    }
    int section = Spns;
    for (int i = first; i < lines.size() && section != End; ++i) {
        const QString &line = lines.at(i);
        if (version == 0 && line.isEmpty()) {
            ++section;
            continue;
        }
        if (version != 0) {
            if (line.isEmpty() || line.startsWith(QLatin1String("# ")))
                continue;
            if (line.startsWith(QLatin1Char('#'))) {
                const QString name = line.mid(1);
                section = name == QLatin1String("spns")     ? Spns
                          : name == QLatin1String("groups") ? Groups
                          : name == QLatin1String("slots")  ? Slots
                                                            : NoSection;
                continue;
            }
        }
        const QStringList fields = line.split(QLatin1Char(';'), Qt::KeepEmptyParts);
        const QString structureError = QStringLiteral("File structure error in line %1").arg(i + 1);
        if (section == Spns) {
            MemoryAccessTable::SpnItem item;
            if (!parseSpnLine(fields, &item))
                return fail(structureError);
            result.items.append(item);
        } else if (section == Groups) {
            if (fields.size() < 2)
                return fail(structureError);
            const QRegExp regExp(fields.at(1), Qt::CaseSensitive, QRegExp::RegExp);
            if (!regExp.isValid())
                qDebug("Group %s: invalid expression %s", qUtf8Printable(fields.at(0)),
                       qUtf8Printable(regExp.errorString()));
            result.groups.append({fields.at(0), regExp});
        } else if (section == Slots) {
            if (fields.size() < 7)
                return fail(structureError);
            QString name;
            MemoryAccessTable::SlotData slot;
            const QString slotError = parseSlotLine(fields, result.slotOrder.size(), &name, &slot);
            if (!slotError.isEmpty())
                return fail(slotError);
            // Two formats under one name would make the conversion depend on order.
            if (result.slotTable.contains(name))
                return fail(structureError);
            result.slotOrder.append(name);
            result.slotTable.insert(name, slot);
        } else {
            return fail(structureError);
        }
    }
    if (result.items.isEmpty())
        return fail(QStringLiteral("Error SPN list empty"));
    for (const MemoryAccessTable::SpnItem &item : qAsConst(result.items)) {
        if (!result.hasSlot(item.slot))
            qWarning("SPN 0x%06x names unknown slot \"%s\"", item.spn, qUtf8Printable(item.slot));
    }
    *table = result;
    return true;
}

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QByteArray write(const MemoryAccessTable &table)
{
    QStringList lines;
    for (const MemoryAccessTable::SpnItem &item : table.items)
        lines << QStringList{QString::number(item.spn, 16), item.name, item.description,
                             item.slot, numberText(item.value),
                             MemoryAccessTable::accessText(item.access)}
                     .join(QLatin1Char(';'));
    lines << QString();
    for (const MemoryAccessTable::SpnGroupItem &group : table.groups)
        lines << group.name + QLatin1Char(';') + group.regExp.pattern();
    lines << QString();
    for (const QString &name : table.slotOrder) {
        const MemoryAccessTable::SlotData slot = table.slotTable.value(name);
        lines << QStringList{name,
                             numberText(slot.multiplier),
                             numberText(slot.adder),
                             QString::number(slot.size),
                             numberText(slot.minimum),
                             numberText(slot.maximum),
                             slot.units}
                     .join(QLatin1Char(';'));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace MemoryAccessFile
