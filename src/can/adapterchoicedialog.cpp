#include "can/adapterchoicedialog.h"

#include "can/canhandlerfactory.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AdapterChoiceDialog::AdapterChoiceDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QString());
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    for (int type = CanHandlerFactory::FirstType; type <= CanHandlerFactory::LastType; ++type) {
        auto *button = new QPushButton(CanHandlerFactory::buttonText(type), this);
        button->setObjectName(QStringLiteral("adapterButton%1").arg(type));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, type] { choose(type); });
        layout->addWidget(button);
    }
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("adapterNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);
}

void AdapterChoiceDialog::choose(int type)
{
    if (!CanHandlerFactory::isAvailable(type)) {
        m_note->setText(
            tr("%1 is not available in this build").arg(CanHandlerFactory::buttonText(type)));
        m_note->show();
        return;
    }
    done(type);
}
