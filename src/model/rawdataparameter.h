#pragma once

#include "model/zxparameter.h"

#include <QVarLengthArray>

using RawBytes = QVarLengthArray<unsigned char, 8>;

// Raw payload bytes, shown read-only.
class RawDataParameter : public ZxTemplateParameter<RawBytes>
{
public:
    RawDataParameter() = default;

    QString toString() const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    void setBytes(const unsigned char *data, int length);

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
