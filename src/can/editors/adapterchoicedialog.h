#pragma once

#include "can/canhandlerfactory.h"

#include <QDialog>

class QLabel;

// Modal, untitled dialog with one button per adapter type; the result is the chosen type.
// Types that cannot be used now (not built in, their library missing or incomplete) say why in
// their tool tip; choosing one leaves the dialog open with that reason under the buttons.
class AdapterChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AdapterChoiceDialog(const CanHandlerFactory::AdapterOptions &options = {},
                                 QWidget *parent = nullptr);

private:
    void choose(int type);

    QLabel *m_note = nullptr;
    CanHandlerFactory::AdapterOptions m_options;
};
