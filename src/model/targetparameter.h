#pragma once

#include "model/zxparameter.h"

// An integer shown and edited in hexadecimal (an address or identifier to aim at).
class TargetParameter : public ZxPodParameter<int, ZxParameter::Int>
{
public:
    explicit TargetParameter(int initial = 0);

    QString toString() const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool setVariantValue(const QVariant &value) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
