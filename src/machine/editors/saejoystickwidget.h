#pragma once

#include "machine/saejoystickvalue.h"

#include <QWidget>

class JoystickPad;
class QLabel;

// Editor of an SAE joystick: a pad to drag and the value's text; dragging sets the statuses
// and positions of both axes.
class SaeJoystickWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SaeJoystickWidget(QWidget *parent = nullptr);

    SaeJoystickValue value() const { return m_value; }
    // Shows the value without emitting valueChanged.
    void setValue(const SaeJoystickValue &value);
    // Moves the stick to a screen point, as a drag does.
    void moveTo(const QPointF &point);

signals:
    void valueChanged(const SaeJoystickValue &value);

private:
    JoystickPad *m_pad;
    QLabel *m_text;
    SaeJoystickValue m_value;
};
