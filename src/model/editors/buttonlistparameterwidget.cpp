#include "model/editors/buttonlistparameterwidget.h"

#include <QMenu>

ButtonListParameterWidget::ButtonListParameterWidget(const QStringList &items, QWidget *parent)
    : QPushButton(parent)
    , m_items(items)
{
    auto *menu = new QMenu(this);
    for (int i = 0; i < m_items.size(); ++i)
        menu->addAction(m_items.at(i), this, [this, i] { choose(i); });
    setMenu(m_items.isEmpty() ? nullptr : menu);
    setCurrentIndex(0);
}

void ButtonListParameterWidget::setCurrentIndex(int index)
{
    m_index = index;
    setText(index >= 0 && index < m_items.size() ? m_items.at(index) : QString::number(index));
}

void ButtonListParameterWidget::choose(int index)
{
    if (index == m_index)
        return;
    setCurrentIndex(index);
    emit currentIndexChanged(index);
}
