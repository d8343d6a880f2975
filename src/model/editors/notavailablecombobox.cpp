#include "model/editors/notavailablecombobox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

NotAvailableComboBox::NotAvailableComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // A pick of the user's, even of the entry already current, is a value of their own.
    connect(this, QOverload<int>::of(&QComboBox::activated), this,
            [this] { setUnavailableText(QString()); });
}

void NotAvailableComboBox::setUnavailableText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    update();
}

void NotAvailableComboBox::paintEvent(QPaintEvent *event)
{
    if (m_text.isEmpty()) {
        QComboBox::paintEvent(event);
        return;
    }
    // As QComboBox paints itself, with the text in place of the current entry.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = m_text;
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
