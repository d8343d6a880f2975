#pragma once

#include "diagnostics/freezeframe.h"
#include "diagnostics/freezeframefunction.h"
#include "model/guardedvalue.h"

// DM24, SPN support (PGN 0xFDB6): the SPNs a unit supports, whether each is in its expanded
// freeze frame, data stream and test results, and its length in the freeze frame. DM25 reads
// its records by this list. Bus thread; the list is guarded for the GUI thread.
class DM24Function : public FreezeFrameFunction
{
    Q_OBJECT

public:
    enum Index { Count = 0, FreezeFrameCount };

    explicit DM24Function(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
    QStringList tableHeaders() const override;
    QVector<QStringList> tableRows() const override;
    QString textDataImpl() const override;

    QVector<FreezeFrame::SpnSupport> supportList() const { return m_list.load(); }
    // Whether a list came from the unit (or was given to stand in).
    bool hasList() const { return generation() > 0; }
    void setSupportList(const QVector<FreezeFrame::SpnSupport> &list);

private:
    GuardedValue<QVector<FreezeFrame::SpnSupport>> m_list;
};
