#pragma once

#include "diagnostics/freezeframe.h"
#include "diagnostics/freezeframefunction.h"
#include "model/guardedvalue.h"

// DM4, freeze frame parameters (PGN 0xFECD): per trouble code the engine's torque mode, boost,
// speed, load, coolant temperature and vehicle speed when the code was set, and the
// manufacturer's bytes. Bus thread; the records are guarded for the GUI thread.
class DM4Function : public FreezeFrameFunction
{
    Q_OBJECT

public:
    enum Index { Count = 0 };

    explicit DM4Function(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
    QStringList tableHeaders() const override;
    QVector<QStringList> tableRows() const override;
    QString textDataImpl() const override;

    QVector<FreezeFrame::Dm4Record> records() const { return m_records.load(); }
    // The records the tool sends when it stands in for the unit.
    void setRecords(const QVector<FreezeFrame::Dm4Record> &records);

private:
    GuardedValue<QVector<FreezeFrame::Dm4Record>> m_records;
};
