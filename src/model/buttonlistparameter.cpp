#include "model/buttonlistparameter.h"

#include "model/editorcast.h"
#include "model/editors/buttonlistparameterwidget.h"

#include <QDebug>

ButtonListParameter::ButtonListParameter(const QStringList &items, int minimumContentsLength)
    : ZxListParameter(items, minimumContentsLength)
{
}

void ButtonListParameter::updateWidgetValue(QWidget *widget)
{
    auto *button = editorCast<ButtonListParameterWidget>(widget, "ButtonListParameter",
                                                         EditorCast::ToEditor);
    if (!button)
        return;
    button->setCurrentIndex(value());
}

void ButtonListParameter::updateFromWidget(QWidget *widget)
{
    auto *button = editorCast<ButtonListParameterWidget>(widget, "ButtonListParameter",
                                                         EditorCast::FromEditor);
    if (!button)
        return;
    setValue(button->currentIndex());
    setValid(true);
}

QWidget *ButtonListParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *button = new ButtonListParameterWidget(items());
    button->setCurrentIndex(value());
    *changedSignal = SIGNAL(currentIndexChanged(int));
    *ok = true;
    return button;
}
