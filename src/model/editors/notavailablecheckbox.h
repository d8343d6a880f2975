#pragma once

#include "model/editors/notavailablespinbox.h"

#include <QCheckBox>

// A check box that shows a missing value partly checked; the user's click makes it checked.
class NotAvailableCheckBox : public QCheckBox, public NotAvailableDisplay
{
public:
    QString unavailableText() const override { return m_text; }
    void setUnavailableText(const QString &text) override;

protected:
    void nextCheckState() override;

private:
    QString m_text;
};
