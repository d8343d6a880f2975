#include "model/editors/notavailablecheckbox.h"

#include <QSignalBlocker>

void NotAvailableCheckBox::setUnavailableText(const QString &text)
{
    m_text = text;
    if (!text.isEmpty()) {
        setTristate(true);
        setCheckState(Qt::PartiallyChecked);
    } else if (checkState() == Qt::PartiallyChecked) {
        setTristate(false);
        setCheckState(Qt::Unchecked);
    }
}

void NotAvailableCheckBox::nextCheckState()
{
    m_text.clear();
    if (checkState() == Qt::PartiallyChecked) {
        // Partly checked counts as checked: leave it quietly, so that the tick is a change.
        const QSignalBlocker quiet(this);
        setTristate(false);
        setChecked(false);
    }
    setChecked(!isChecked());
}
