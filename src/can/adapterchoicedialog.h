#pragma once

#include <QDialog>

class QLabel;

// Modal, untitled dialog with one button per adapter type; the result is the chosen type.
// Types not built into this program leave the dialog open with a note under the buttons.
class AdapterChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AdapterChoiceDialog(QWidget *parent = nullptr);

private:
    void choose(int type);

    QLabel *m_note = nullptr;
};
