#include "diagnostics/dm24function.h"

#include "descriptions/spnnames.h"
#include "model/zxintparameter.h"

#include <algorithm>

using namespace FreezeFrame;

DM24Function::DM24Function(QObject *parent)
    : FreezeFrameFunction(0xFD, 0xB6, parent)
{
    setObjectName(QStringLiteral("DM24Function"));
    setName(tr("DM24 - SPN Support"));
    addIntParameter(QStringLiteral("COUNT"))->setWords(tr("Supported SPNs"));
    addIntParameter(QStringLiteral("FFCOUNT"))->setWords(tr("SPNs in the freeze frame"));
}

void DM24Function::setSupportList(const QVector<SpnSupport> &list)
{
    m_list.store(list);
    const auto inFrame = std::count_if(list.cbegin(), list.cend(), [](const SpnSupport &s) {
        return s.inExpandedFreezeFrame;
    });
    intParameter(Count)->setValue(int(list.size()));
    intParameter(FreezeFrameCount)->setValue(int(inFrame));
    intParameter(Count)->setValid(true);
    intParameter(FreezeFrameCount)->setValid(true);
    decoded();
}

bool DM24Function::decode(const QByteArray &data)
{
    if (data.size() < Dm24RecordBytes)
        return false;
    setSupportList(decodeDm24(data));
    return true;
}

QByteArray DM24Function::encode() const
{
    return encodeDm24(m_list.load());
}

QStringList DM24Function::tableHeaders() const
{
    return {tr("SPN"), tr("Name"), tr("Freeze frame bytes"), tr("Data stream"),
            tr("Test results")};
}

QVector<QStringList> DM24Function::tableRows() const
{
    const QString yes = tr("yes");
    const QString no = tr("no");
    QVector<QStringList> rows;
    for (const SpnSupport &s : m_list.load()) {
        rows.append({QString::number(s.spn), SpnNames::translatedName(s.spn),
                     s.inExpandedFreezeFrame ? QString::number(s.length) : no,
                     s.inDataStream ? yes : no, s.scaledTestResults ? yes : no});
    }
    return rows;
}

QString DM24Function::textDataImpl() const
{
    const QVector<SpnSupport> list = m_list.load();
    const auto inFrame = std::count_if(list.cbegin(), list.cend(), [](const SpnSupport &s) {
        return s.inExpandedFreezeFrame;
    });
    return tr("%1 SPNs, %2 in the freeze frame").arg(list.size()).arg(inFrame);
}
