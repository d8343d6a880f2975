#include "model/targetparameter.h"

#include "model/editorcast.h"
#include "model/editors/targeteditor.h"

#include <QDebug>

TargetParameter::TargetParameter(int initial)
    : ZxPodParameter(initial)
{}

QString TargetParameter::toString() const
{
    return QString::number(quint32(value()), 16);
}

void TargetParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor = editorCast<TargetEditor>(widget, "TargetParameter", EditorCast::ToEditor);
    if (!editor)
        return;
    editor->setTarget(quint32(value()));
}

void TargetParameter::updateFromWidget(QWidget *widget)
{
    auto *editor = editorCast<TargetEditor>(widget, "TargetParameter", EditorCast::FromEditor);
    if (!editor)
        return;
    setValue(int(editor->target()));
    setValid(true);
}

bool TargetParameter::setVariantValue(const QVariant &v)
{
    bool ok = true;
    int target = 0;
    if (v.type() == QVariant::String || v.type() == QVariant::ByteArray) {
        // Scheme files keep the decimal number; hand-written files often give "0x"-prefixed
        // hexadecimal. Anything else ("a0") is refused rather than read as another unit.
        const QString text = v.toString().trimmed();
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            target = text.mid(2).toInt(&ok, 16);
        else
            target = text.toInt(&ok, 10);
    } else {
        target = v.toInt(&ok);
    }
    if (!ok) {
        qWarning("Target \"%s\" refused: not a decimal or 0x-prefixed hexadecimal number",
                 qUtf8Printable(v.toString()));
        return false;
    }
    setValue(target);
    setValid(true);
    return true;
}

QWidget *TargetParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new TargetEditor;
    editor->setTarget(quint32(value()));
    *changedSignal = SIGNAL(valueChanged());
    *ok = true;
    return editor;
}
