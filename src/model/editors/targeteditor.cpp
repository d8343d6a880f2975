#include "model/editors/targeteditor.h"

#include "model/editors/hexintvalidator.h"

TargetEditor::TargetEditor(QWidget *parent)
    : QLineEdit(parent)
{
    setValidator(new HexIntValidator(8, this));
    connect(this, &QLineEdit::editingFinished, this, &TargetEditor::valueChanged);
}

quint32 TargetEditor::target() const
{
    return text().toUInt(nullptr, 16);
}

void TargetEditor::setTarget(quint32 value)
{
    setText(QString::number(value, 16));
}
