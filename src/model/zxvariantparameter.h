#pragma once

#include "model/zxparameter.h"
#include "model/zxvariant.h"

// A tagged small value (tune variables). Editor: ZxVariantWidget.
class ZxVariantParameter : public ZxTemplateParameter<ZxVariant>
{
public:
    ZxVariantParameter() = default;

    Type type() const override { return Variant; }
    QString toString() const override { return value().toString(); }
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;
    QVariant variantValue() const override;
    bool setVariantValue(const QVariant &value) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
