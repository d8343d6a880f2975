#pragma once

#include "machine/joystickvalue.h"
#include "model/zxparameter.h"

// A control panel joystick (type 6). Editor: JoystickCompositeWidget.
class JoystickParameter : public ZxTemplateParameter<JoystickValue>
{
public:
    JoystickParameter() = default;

    Type type() const override { return Joystick; }
    QString toString() const override { return value().toString(); }
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;
    // "x,y,flags"; malformed text is refused and leaves the value as it was.
    QVariant variantValue() const override;
    bool setVariantValue(const QVariant &value) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
