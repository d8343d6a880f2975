#include "model/editors/zxvariantwidget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>

ZxVariantWidget::ZxVariantWidget(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("variantType"));
    m_type->addItem(tr("U8"), int(ZxVariant::UInt8));
    m_type->addItem(tr("S16"), int(ZxVariant::Int16));
    m_type->addItem(tr("S32"), int(ZxVariant::Int32));
    m_type->addItem(tr("Float"), int(ZxVariant::Float));
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("variantValue"));
    layout->addWidget(m_type);
    layout->addWidget(m_value, 1);
    connect(m_type, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ZxVariantWidget::emitChanged);
    connect(m_value, &QLineEdit::editingFinished, this, &ZxVariantWidget::emitChanged);
}

ZxVariant ZxVariantWidget::value() const
{
    const int type = m_type->currentData().toInt();
    if (type == ZxVariant::Float)
        return ZxVariant::fromFloat(m_value->text().toFloat());
    return ZxVariant::fromInt(type, m_value->text().toInt());
}

void ZxVariantWidget::setValue(const ZxVariant &v)
{
    m_setting = true;
    const int index = m_type->findData(int(v.type));
    m_type->setCurrentIndex(index < 0 ? 0 : index);
    m_value->setText(v.type == ZxVariant::Float ? QString::number(double(v.toFloat()), 'g', 6)
                                                : QString::number(v.toInt()));
    m_setting = false;
}

void ZxVariantWidget::emitChanged()
{
    if (!m_setting)
        emit valueChanged(value());
}
