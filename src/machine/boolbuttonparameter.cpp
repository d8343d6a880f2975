#include "machine/boolbuttonparameter.h"

#include "model/editorcast.h"

#include <QDebug>
#include <QToolButton>

BoolButtonParameter::BoolButtonParameter(const QString &offIcon, const QString &onIcon)
    : m_offIcon(offIcon)
    , m_onIcon(onIcon)
{}

void BoolButtonParameter::updateWidgetValue(QWidget *widget)
{
    auto *button = editorCast<QToolButton>(widget, "BoolButtonParameter", EditorCast::ToEditor);
    if (!button)
        return;
    button->setChecked(value());
}

void BoolButtonParameter::updateFromWidget(QWidget *widget)
{
    auto *button = editorCast<QToolButton>(widget, "BoolButtonParameter", EditorCast::FromEditor);
    if (!button)
        return;
    setValue(button->isChecked());
    setValid(true);
}

QWidget *BoolButtonParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *button = new QToolButton;
    button->setCheckable(true);
    button->setToolTip(toolTipText());
    button->setText(name());
    if (!m_offIcon.isEmpty() && !m_onIcon.isEmpty()) {
        QIcon icon;
        icon.addFile(m_offIcon, QSize(), QIcon::Normal, QIcon::Off);
        icon.addFile(m_onIcon, QSize(), QIcon::Normal, QIcon::On);
        button->setIcon(icon);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    button->setChecked(value());
    *changedSignal = SIGNAL(toggled(bool));
    *ok = true;
    return button;
}
