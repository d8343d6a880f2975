#pragma once

#include "model/zxparameter.h"

// Floating-point parameter with optional decimals; "n/a" while not available.
class ZxFloatParameter : public ZxPodParameter<float, ZxParameter::Float>
{
public:
    explicit ZxFloatParameter(float initial = 0);

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

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals) { m_decimals = decimals; }

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;

private:
    int m_decimals = -1;
};
