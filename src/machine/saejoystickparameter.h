#pragma once

#include "machine/saejoystickvalue.h"
#include "model/zxparameter.h"

// An SAE J1939 joystick (type 9). Editor: SaeJoystickWidget.
class SaeJoystickParameter : public ZxTemplateParameter<SaeJoystickValue>
{
public:
    SaeJoystickParameter() = default;

    Type type() const override { return SaeJoystick; }
    QString toString() const override { return value().toString(); }
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;
    // Its text form; malformed text is refused and leaves the value as it was.
    QVariant variantValue() const override;
    bool setVariantValue(const QVariant &value) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
