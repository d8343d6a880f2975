#pragma once

#include "model/zxparameter.h"

// Text parameter. Editor: line edit.
class ZxStringParameter : public ZxTemplateParameter<QString>
{
public:
    explicit ZxStringParameter(const QString &initial = QString());

    Type type() const override { return String; }
    QString toString() const override { return value(); }
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;
    QVariant variantValue() const override { return value(); }
    bool setVariantValue(const QVariant &value) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
