#pragma once

#include <QVector>

#include <functional>

// One pass of a memory access exchange: the table items it reads, writes or verifies, in file
// order, the raw values a write fixed when it started, and how far the unit has answered.
// Bus thread only.
class MemoryAccessPass
{
public:
    void startRead(const QVector<int> &items);
    void startWrite(const QVector<int> &items, const QVector<quint32> &raws,
                    const QVector<quint8> &sizes);
    // Reads back what the last write wrote, where `isReadable` allows it, and compares with the
    // values written. False (and nothing changed) when no written item can be read.
    bool startVerify(const std::function<bool(int)> &isReadable);

    const QVector<int> &items() const { return m_items; }
    int size() const { return m_items.size(); }
    int position() const { return m_position; }
    bool isOver() const { return m_position >= m_items.size(); }
    bool isVerifying() const { return m_verifying; }
    int item() const { return m_items.at(m_position); }
    quint32 raw() const { return m_raws.at(m_position); }
    quint8 rawSize() const { return m_sizes.at(m_position); }
    // The next item; false at the end of the pass.
    bool advance() { return ++m_position < m_items.size(); }

    // Write: the item at the position was written.
    void markWritten() { m_written.append(item()); }
    const QVector<int> &written() const { return m_written; }
    // Verify: the unit holds another value than the one written.
    void markVerifyFailed() { m_verifyFailed.append(item()); }
    const QVector<int> &verifyFailed() const { return m_verifyFailed; }

private:
    QVector<int> m_items;
    QVector<quint32> m_raws;
    QVector<quint8> m_sizes;
    int m_position = 0;
    bool m_verifying = false;
    QVector<int> m_written;
    QVector<int> m_verifyFailed;
};
