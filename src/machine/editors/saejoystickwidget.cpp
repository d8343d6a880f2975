#include "machine/editors/saejoystickwidget.h"

#include "machine/editors/joystickpad.h"

#include <QHBoxLayout>
#include <QLabel>

SaeJoystickWidget::SaeJoystickWidget(QWidget *parent)
    : QWidget(parent)
    , m_pad(new JoystickPad(this))
    , m_text(new QLabel(this))
{
    m_pad->setObjectName(QStringLiteral("pad"));
    m_text->setObjectName(QStringLiteral("text"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pad);
    layout->addWidget(m_text, 1);
    connect(m_pad, &JoystickPad::moved, this, &SaeJoystickWidget::moveTo);
    setValue(m_value);
}

void SaeJoystickWidget::setValue(const SaeJoystickValue &value)
{
    m_value = value;
    m_pad->setPosition(value.toPointF());
    m_text->setText(value.toString());
}

void SaeJoystickWidget::moveTo(const QPointF &point)
{
    SaeJoystickValue v = m_value;
    v.setPos(point);
    setValue(v);
    emit valueChanged(m_value);
}
