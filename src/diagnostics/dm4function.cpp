#include "diagnostics/dm4function.h"

#include "model/zxintparameter.h"

using namespace FreezeFrame;

namespace {

// The tree's data column names this many codes; the Details show them all.
constexpr int SummaryCodes = 3;

} // namespace

DM4Function::DM4Function(QObject *parent)
    : FreezeFrameFunction(0xFE, 0xCD, parent)
{
    setObjectName(QStringLiteral("DM4Function"));
    setName(tr("DM4 - Freeze Frame Parameters"));
    addIntParameter(QStringLiteral("COUNT"))->setWords(tr("Freeze frames"));
}

void DM4Function::setRecords(const QVector<Dm4Record> &records)
{
    m_records.store(records);
    intParameter(Count)->setValue(int(records.size()));
    intParameter(Count)->setValid(true);
    decoded();
}

bool DM4Function::decode(const QByteArray &data)
{
    if (data.isEmpty())
        return false;
    setRecords(decodeDm4(data));
    return true;
}

QByteArray DM4Function::encode() const
{
    return encodeDm4(m_records.load());
}

QStringList DM4Function::tableHeaders() const
{
    QStringList headers{tr("Code")};
    for (int f = 0; f < Dm4FieldCount; ++f)
        headers << dm4FieldName(Dm4Field(f));
    headers << tr("Manufacturer data");
    return headers;
}

QVector<QStringList> DM4Function::tableRows() const
{
    QVector<QStringList> rows;
    for (const Dm4Record &r : m_records.load()) {
        QStringList row{dtcText(r.dtc)};
        for (int f = 0; f < Dm4FieldCount; ++f)
            row << dm4FieldText(r, Dm4Field(f));
        row << hexText(r.manufacturer);
        rows.append(row);
    }
    return rows;
}

QString DM4Function::textDataImpl() const
{
    const QVector<Dm4Record> records = m_records.load();
    if (records.isEmpty())
        return tr("no freeze frame");
    QStringList codes;
    for (int i = 0; i < records.size() && i < SummaryCodes; ++i) {
        const Dm4Record &r = records.at(i);
        codes << tr("SPN %1 FMI %2: %3, %4")
                     .arg(r.dtc.spn)
                     .arg(r.dtc.fmi)
                     .arg(dm4FieldText(r, EngineSpeed), dm4FieldText(r, Coolant));
    }
    if (records.size() > SummaryCodes)
        codes << QStringLiteral("…");
    return tr("Freeze frames: %1 (%2)").arg(records.size()).arg(codes.join(QStringLiteral("; ")));
}
