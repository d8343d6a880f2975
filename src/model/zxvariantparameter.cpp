#include "model/zxvariantparameter.h"

#include "model/editorcast.h"
#include "model/editors/zxvariantwidget.h"

#include <QDebug>

void ZxVariantParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor = editorCast<ZxVariantWidget>(widget, "ZxVariantParameter", EditorCast::ToEditor);
    if (!editor)
        return;
    editor->setValue(value());
}

void ZxVariantParameter::updateFromWidget(QWidget *widget)
{
    auto *editor
        = editorCast<ZxVariantWidget>(widget, "ZxVariantParameter", EditorCast::FromEditor);
    if (!editor)
        return;
    setValue(editor->value());
    setValid(true);
}

bool ZxVariantParameter::save(QDataStream &stream) const
{
    const ZxVariant v = value();
    stream << qint8(v.type) << qint32(v.rawBits());
    return streamOk(stream);
}

bool ZxVariantParameter::restore(QDataStream &stream)
{
    qint8 type = 0;
    qint32 bits = 0;
    stream >> type >> bits;
    if (!streamOk(stream))
        return false;
    ZxVariant v;
    v.type = type;
    v.setRawBits(bits);
    setValue(v);
    setValid(true);
    return true;
}

QVariant ZxVariantParameter::variantValue() const
{
    const ZxVariant v = value();
    if (v.type == ZxVariant::Float)
        return double(v.toFloat());
    return v.toInt();
}

bool ZxVariantParameter::setVariantValue(const QVariant &v)
{
    ZxVariant tagged;
    if (v.canConvert<ZxVariant>() && v.userType() == qMetaTypeId<ZxVariant>()) {
        setValue(v.value<ZxVariant>());
    } else if (v.type() == QVariant::String && ZxVariant::fromString(v.toString(), &tagged)) {
        // The tagged text form of scheme files keeps the type (the size on the wire).
        setValue(tagged);
    } else {
        // Keep the current type, change the number.
        const ZxVariant current = value();
        setValue(current.type == ZxVariant::Float ? ZxVariant::fromFloat(v.toFloat())
                                                  : ZxVariant::fromInt(current.type, v.toInt()));
    }
    setValid(true);
    return true;
}

QWidget *ZxVariantParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new ZxVariantWidget;
    editor->setValue(value());
    *changedSignal = SIGNAL(valueChanged(ZxVariant));
    *ok = true;
    return editor;
}
