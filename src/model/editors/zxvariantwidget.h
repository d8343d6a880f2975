#pragma once

#include "model/zxvariant.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

// Editor of a ZxVariant: a type selector and a value field.
class ZxVariantWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ZxVariantWidget(QWidget *parent = nullptr);

    ZxVariant value() const;
    void setValue(const ZxVariant &value);

signals:
    void valueChanged(ZxVariant value);

private:
    void emitChanged();

    QComboBox *m_type = nullptr;
    QLineEdit *m_value = nullptr;
    bool m_setting = false;
};
