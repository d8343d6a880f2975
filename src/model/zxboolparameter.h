#pragma once

#include "model/zxparameter.h"

// Boolean parameter: "1", "0", or "n/a" while not available (the J1939 two-bit pattern 3).
class ZxBoolParameter : public ZxPodParameter<bool, ZxParameter::Bool>
{
public:
    explicit ZxBoolParameter(bool initial = false);

    QString toString() const override;
    bool appendNumberText(QByteArray *out) const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool setVariantValue(const QVariant &value) override;
    bool setNumber(double value) override;
    bool toNumber(double *value) const override
    {
        *value = double(this->value());
        return true;
    }

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
