#include "can/editors/adapterchoicedialog.h"

#include "can/canhandlerfactory.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AdapterChoiceDialog::AdapterChoiceDialog(const CanHandlerFactory::AdapterOptions &options,
                                         QWidget *parent)
    : QDialog(parent)
    , m_options(options)
{
    setWindowTitle(tr("Choose the CAN adapter"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    // A button per adapter with a line beside it saying what it is.
    auto *grid = new QGridLayout;
    for (int type = CanHandlerFactory::FirstType; type <= CanHandlerFactory::LastType; ++type) {
        auto *button = new QPushButton(CanHandlerFactory::buttonText(type), this);
        button->setObjectName(QStringLiteral("adapterButton%1").arg(type));
        button->setAutoDefault(false);
        auto *what = new QLabel(CanHandlerFactory::description(type), this);
        what->setObjectName(QStringLiteral("adapterDescription%1").arg(type));
        what->setBuddy(button);
        QString why;
        if (!CanHandlerFactory::probe(type, m_options, &why)) {
            button->setToolTip(why);
            what->setToolTip(why);
            what->setEnabled(false);
        }
        connect(button, &QPushButton::clicked, this, [this, type] { choose(type); });
        const int row = type - CanHandlerFactory::FirstType;
        grid->addWidget(button, row, 0);
        grid->addWidget(what, row, 1);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("adapterNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);
    // Cancel ends the dialog with no adapter, as closing it does.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("adapterCancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void AdapterChoiceDialog::choose(int type)
{
    // Probed again: the user may have plugged in or installed something meanwhile.
    QString why;
    if (!CanHandlerFactory::probe(type, m_options, &why)) {
        m_note->setText(why);
        m_note->show();
        return;
    }
    done(type);
}
