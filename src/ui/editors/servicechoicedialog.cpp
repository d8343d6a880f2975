#include "ui/editors/servicechoicedialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

ServiceChoiceDialog::ServiceChoiceDialog(const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent)
    , m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("serviceChoiceDialog"));
    setWindowTitle(title);
    auto *label = new QLabel(text, this);
    label->setWordWrap(true);
    m_layout->addWidget(label);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_layout->addWidget(buttons);
}

QVBoxLayout *ServiceChoiceDialog::groupLayout(const QString &group)
{
    QGroupBox *box = m_groups.value(group);
    if (!box) {
        box = new QGroupBox(group, this);
        new QVBoxLayout(box);
        // Above the buttons, in the order the groups were made.
        m_layout->insertWidget(m_layout->count() - 1, box);
        m_groups.insert(group, box);
    }
    return static_cast<QVBoxLayout *>(box->layout());
}

void ServiceChoiceDialog::addCheck(const QString &group, const char *name, const QString &text,
                                   bool checked)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    groupLayout(group)->addWidget(box);
}

void ServiceChoiceDialog::addRadio(const QString &group, const char *name, const QString &text,
                                   bool checked)
{
    QVBoxLayout *layout = groupLayout(group);
    // Radio buttons with one parent exclude each other: each group's frame is that parent.
    auto *button = new QRadioButton(text, m_groups.value(group));
    button->setObjectName(QLatin1String(name));
    button->setChecked(checked);
    layout->addWidget(button);
}

bool ServiceChoiceDialog::isChecked(const char *name) const
{
    auto *button = findChild<QAbstractButton *>(QLatin1String(name));
    return button && button->isChecked();
}
