#pragma once

#include "model/zxparameter.h"

// Integer parameter; "n/a" while not available. Editor: spin box.
class ZxIntParameter : public ZxPodParameter<int, ZxParameter::Int>
{
public:
    explicit ZxIntParameter(int initial = 0);

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
