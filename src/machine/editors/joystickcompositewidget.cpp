#include "machine/editors/joystickcompositewidget.h"

#include "machine/editors/joystickpad.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

JoystickCompositeWidget::JoystickCompositeWidget(QWidget *parent)
    : QWidget(parent)
    , m_pad(new JoystickPad(this))
    , m_x(new QSpinBox(this))
    , m_y(new QSpinBox(this))
    , m_first(new QCheckBox(tr("Flag 1"), this))
    , m_second(new QCheckBox(tr("Flag 2"), this))
{
    m_pad->setObjectName(QStringLiteral("pad"));
    m_x->setObjectName(QStringLiteral("x"));
    m_y->setObjectName(QStringLiteral("y"));
    m_first->setObjectName(QStringLiteral("flag1"));
    m_second->setObjectName(QStringLiteral("flag2"));
    for (QSpinBox *box : {m_x, m_y})
        box->setRange(-JoystickValue::AxisLimit, JoystickValue::AxisLimit);
    auto *fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fields->addRow(tr("X"), m_x);
    fields->addRow(tr("Y"), m_y);
    fields->addRow(m_first);
    fields->addRow(m_second);
    // The fields below the pad: a panel of two joysticks and their buttons stays narrow.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pad, 0, Qt::AlignHCenter);
    layout->addLayout(fields);
    layout->addStretch(1);
    connect(m_pad, &JoystickPad::moved, this, &JoystickCompositeWidget::takePad);
    for (QSpinBox *box : {m_x, m_y})
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this,
                &JoystickCompositeWidget::takeFields);
    for (QCheckBox *box : {m_first, m_second})
        connect(box, &QCheckBox::toggled, this, &JoystickCompositeWidget::takeFields);
}

JoystickValue JoystickCompositeWidget::value() const
{
    JoystickValue v;
    v.x = m_x->value();
    v.y = m_y->value();
    v.flags = (m_first->isChecked() ? 1 : 0) | (m_second->isChecked() ? 2 : 0);
    return v;
}

void JoystickCompositeWidget::setValue(const JoystickValue &value)
{
    m_showing = true;
    // The spin boxes clamp what they show; the value itself is the parameter's.
    m_x->setValue(value.x);
    m_y->setValue(value.y);
    m_first->setChecked(value.flags & 1);
    m_second->setChecked(value.flags & 2);
    m_pad->setPosition(QPointF(double(m_x->value()) / JoystickValue::AxisLimit,
                               -double(m_y->value()) / JoystickValue::AxisLimit));
    m_showing = false;
}

void JoystickCompositeWidget::takePad(const QPointF &position)
{
    m_showing = true;
    m_x->setValue(int(std::lround(position.x() * JoystickValue::AxisLimit)));
    m_y->setValue(int(std::lround(-position.y() * JoystickValue::AxisLimit)));
    m_showing = false;
    emit valueChanged(value());
}

void JoystickCompositeWidget::takeFields()
{
    if (m_showing)
        return;
    m_pad->setPosition(QPointF(double(m_x->value()) / JoystickValue::AxisLimit,
                               -double(m_y->value()) / JoystickValue::AxisLimit));
    emit valueChanged(value());
}
