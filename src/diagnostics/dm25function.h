#pragma once

#include "diagnostics/freezeframe.h"
#include "diagnostics/freezeframefunction.h"
#include "model/guardedvalue.h"

#include <optional>

// DM25, expanded freeze frames (PGN 0xFDB7): per trouble code the values of the SPNs the unit's
// DM24 lists, in its order and lengths. Values are scaled where the function library knows the
// SPN, raw otherwise; without the unit's DM24 a record's values are raw bytes. Bus thread; the
// records are guarded for the GUI thread.
class DM25Function : public FreezeFrameFunction
{
    Q_OBJECT

public:
    static constexpr quint32 Dm24Pgn = 0xFDB6;
    enum Index { Count = 0 };
    enum ValueColumn { SpnColumn = 0, NameColumn, ValueColumn, RawColumn, ValueColumnCount };

    explicit DM25Function(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
    QStringList tableHeaders() const override;
    QVector<QStringList> tableRows() const override;
    QString textDataImpl() const override;
    // The table reads the unit's DM24 list too.
    int displayGeneration() const override;
    AbstractSchemeTreeItem *createTreeItem() override;

    QVector<FreezeFrame::Dm25Record> records() const { return m_records.load(); }
    void setRecords(const QVector<FreezeFrame::Dm25Record> &records);
    // The unit's DM24 list; none while the unit has no DM24 function or it has heard nothing.
    std::optional<QVector<FreezeFrame::SpnSupport>> supportList() const;

    // A record's values as rows of SPN, name, value with unit and raw bytes; *consistent is false
    // when the record's length disagrees with the list. Any thread.
    static QVector<QStringList> valueRows(const FreezeFrame::Dm25Record &record,
                                          const std::optional<QVector<FreezeFrame::SpnSupport>> &list,
                                          bool *consistent = nullptr);
    static QStringList valueHeaders();

private:
    GuardedValue<QVector<FreezeFrame::Dm25Record>> m_records;
};
