#pragma once

#include <QPushButton>
#include <QStringList>

// Push button showing one entry of a list; its menu picks any entry.
class ButtonListParameterWidget : public QPushButton
{
    Q_OBJECT

public:
    explicit ButtonListParameterWidget(const QStringList &items, QWidget *parent = nullptr);

    int currentIndex() const { return m_index; }
    void setCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);

private:
    void choose(int index);

    QStringList m_items;
    int m_index = 0;
};
