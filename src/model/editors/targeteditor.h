#pragma once

#include <QLineEdit>

// Hexadecimal entry of a target value.
class TargetEditor : public QLineEdit
{
    Q_OBJECT

public:
    explicit TargetEditor(QWidget *parent = nullptr);

    quint32 target() const;
    void setTarget(quint32 value);

signals:
    void valueChanged();
};
