#pragma once

#include "machine/joystickvalue.h"

#include <QWidget>

class JoystickPad;
class QCheckBox;
class QSpinBox;

// Editor of a control panel joystick: a pad to drag, the two axes as numbers and the two flags.
class JoystickCompositeWidget : public QWidget
{
    Q_OBJECT

public:
    explicit JoystickCompositeWidget(QWidget *parent = nullptr);

    JoystickValue value() const;
    // Shows the value without emitting valueChanged.
    void setValue(const JoystickValue &value);

signals:
    void valueChanged(const JoystickValue &value);

private:
    void takePad(const QPointF &position);
    void takeFields();

    JoystickPad *m_pad;
    QSpinBox *m_x;
    QSpinBox *m_y;
    QCheckBox *m_first;
    QCheckBox *m_second;
    bool m_showing = false;
};
