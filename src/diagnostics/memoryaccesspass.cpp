#include "diagnostics/memoryaccesspass.h"

void MemoryAccessPass::startRead(const QVector<int> &items)
{
    m_items = items;
    m_position = 0;
    m_verifying = false;
}

void MemoryAccessPass::startWrite(const QVector<int> &items, const QVector<quint32> &raws,
                                  const QVector<quint8> &sizes)
{
    m_items = items;
    m_raws = raws;
    m_sizes = sizes;
    m_position = 0;
    m_written.clear();
}

bool MemoryAccessPass::startVerify(const std::function<bool(int)> &isReadable)
{
    QVector<int> items;
    QVector<quint32> raws;
    for (int index : qAsConst(m_written)) {
        if (isReadable(index)) {
            items.append(index);
            raws.append(m_raws.at(m_items.indexOf(index)));
        }
    }
    if (items.isEmpty())
        return false;
    m_items = items;
    m_raws = raws;
    m_position = 0;
    m_verifying = true;
    m_verifyFailed.clear();
    return true;
}
