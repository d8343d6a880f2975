#pragma once

#include "model/zxboolparameter.h"

#include <QString>

// A button of a panel: a boolean shown and edited as a checkable tool button with an icon for
// each position (released, pressed), or the name alone when it has none.
class BoolButtonParameter : public ZxBoolParameter
{
public:
    explicit BoolButtonParameter(const QString &offIcon = QString(),
                                 const QString &onIcon = QString());

    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    QString offIcon() const { return m_offIcon; }
    QString onIcon() const { return m_onIcon; }

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;

private:
    QString m_offIcon;
    QString m_onIcon;
};
