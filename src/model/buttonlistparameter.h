#pragma once

#include "model/zxlistparameter.h"

// A list parameter edited by a push button that shows the current entry; its menu offers every
// entry.
class ButtonListParameter : public ZxListParameter
{
public:
    explicit ButtonListParameter(const QStringList &items = QStringList(),
                                 int minimumContentsLength = 0);

    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;
};
