#pragma once

#include "model/editors/notavailablespinbox.h"

#include <QComboBox>

// A combo box that reads "n/a" (or "error") in place of its current entry while its parameter has
// no valid value, until the user picks an entry. The current index is kept meanwhile.
class NotAvailableComboBox : public QComboBox, public NotAvailableDisplay
{
    Q_OBJECT

public:
    explicit NotAvailableComboBox(QWidget *parent = nullptr);

    QString unavailableText() const override { return m_text; }
    void setUnavailableText(const QString &text) override;
    // What the closed box shows.
    QString displayText() const { return m_text.isEmpty() ? currentText() : m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};
