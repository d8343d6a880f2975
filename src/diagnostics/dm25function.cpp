#include "diagnostics/dm25function.h"

#include "descriptions/spnnames.h"
#include "descriptions/spnscaling.h"
#include "diagnostics/dm24function.h"
#include "diagnostics/editors/dm25schemetreeitem.h"
#include "model/descriptiontext.h"
#include "model/zxintparameter.h"

using namespace FreezeFrame;

DM25Function::DM25Function(QObject *parent)
    : FreezeFrameFunction(0xFD, 0xB7, parent)
{
    setObjectName(QStringLiteral("DM25Function"));
    setName(tr("DM25 - Expanded Freeze Frame"));
    addIntParameter(QStringLiteral("COUNT"))->setWords(tr("Freeze frames"));
}

void DM25Function::setRecords(const QVector<Dm25Record> &records)
{
    m_records.store(records);
    intParameter(Count)->setValue(int(records.size()));
    intParameter(Count)->setValid(true);
    decoded();
}

bool DM25Function::decode(const QByteArray &data)
{
    if (data.isEmpty())
        return false;
    setRecords(decodeDm25(data));
    return true;
}

QByteArray DM25Function::encode() const
{
    return encodeDm25(m_records.load());
}

std::optional<QVector<SpnSupport>> DM25Function::supportList() const
{
    auto *dm24 = qobject_cast<DM24Function *>(sibling(Dm24Pgn));
    if (!dm24 || !dm24->hasList())
        return std::nullopt;
    return dm24->supportList();
}

int DM25Function::displayGeneration() const
{
    auto *dm24 = qobject_cast<DM24Function *>(sibling(Dm24Pgn));
    return generation() ^ ((dm24 ? dm24->generation() + 1 : 0) << 16);
}

QStringList DM25Function::valueHeaders()
{
    return {tr("SPN"), tr("Name"), tr("Value"), tr("Raw")};
}

QVector<QStringList> DM25Function::valueRows(const Dm25Record &record,
                                             const std::optional<QVector<SpnSupport>> &list,
                                             bool *consistent)
{
    QVector<QStringList> rows;
    if (!list) {
        // Without the unit's list the bytes cannot be told apart.
        if (consistent)
            *consistent = true;
        if (!record.values.isEmpty())
            rows.append({QString(), tr("(no SPN list from the unit)"), hexText(record.values),
                         hexText(record.values)});
        return rows;
    }
    for (const FrameValue &v : splitValues(record.values, *list, consistent)) {
        const QString raw = hexText(v.raw);
        if (v.spn == NotAvailableSpn) {
            rows.append({QString(), tr("(not in the unit's SPN list)"), raw, raw});
            continue;
        }
        const std::optional<SpnScaling> scaling = SpnScaling::find(v.spn);
        QString name = DescriptionText::translated(scaling ? scaling->name : SpnNames::name(v.spn));
        QString value = raw;
        if (!v.complete)
            value = tr("cut short: %1").arg(raw);
        else if (scaling && !v.raw.isEmpty() && v.raw.size() <= 8)
            value = scaling->text(littleEndian(v.raw), int(v.raw.size()));
        rows.append({QString::number(v.spn), name, value, raw});
    }
    return rows;
}

QStringList DM25Function::tableHeaders() const
{
    return {tr("Code"), tr("Values")};
}

QVector<QStringList> DM25Function::tableRows() const
{
    const std::optional<QVector<SpnSupport>> list = supportList();
    QVector<QStringList> rows;
    for (const Dm25Record &r : m_records.load()) {
        QStringList values;
        for (const QStringList &v : valueRows(r, list)) {
            values << (v.at(SpnColumn).isEmpty() ? v.at(ValueColumn)
                                                 : tr("SPN %1 = %2").arg(v.at(SpnColumn),
                                                                        v.at(ValueColumn)));
        }
        rows.append({dtcText(r.dtc), values.join(QStringLiteral("; "))});
    }
    return rows;
}

QString DM25Function::textDataImpl() const
{
    const QVector<Dm25Record> records = m_records.load();
    if (records.isEmpty())
        return tr("no freeze frame");
    QStringList codes;
    for (const Dm25Record &r : records)
        codes << QStringLiteral("[%1,%2]").arg(r.dtc.spn).arg(r.dtc.fmi);
    return tr("Freeze frames: %1 (%2)").arg(records.size()).arg(codes.join(QLatin1Char(' ')));
}

AbstractSchemeTreeItem *DM25Function::createTreeItem()
{
    return new DM25SchemeTreeItem(this);
}
