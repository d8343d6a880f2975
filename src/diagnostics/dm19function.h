#pragma once

#include "diagnostics/identificationcodec.h"
#include "diagnostics/identificationfunction.h"

// DM19, calibration information (PGN 0xD300): each calibration's identification and its
// verification number. The list is kept as one text ("CALID (0x1234ABCD); ..."), which the
// engineer edits to stand in for a unit.
class DM19Function : public IdentificationFunction
{
    Q_OBJECT

public:
    enum Index { Count = 0, List };

    explicit DM19Function(QObject *parent = nullptr);

    bool decode(const QByteArray &data) override;
    QByteArray encode() const override;
    QString textDataImpl() const override;

    // The calibrations as last decoded or edited; any thread.
    IdentificationCodec::Calibrations calibrations() const;
};
