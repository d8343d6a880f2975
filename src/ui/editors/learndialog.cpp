#include "ui/editors/learndialog.h"

#include "app/livebuscheck.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

LearnDialog::LearnDialog(int available, QWidget *parent)
    : QDialog(parent)
    , m_minutes(new QSpinBox(this))
    , m_margin(new QDoubleSpinBox(this))
{
    setObjectName(QStringLiteral("learnDialog"));
    setWindowTitle(tr("Learn the expected bus"));
    auto *form = new QFormLayout(this);
    auto *intro = new QLabel(
        tr("The scheme's units and functions learn what they showed in the last minutes of "
           "traffic: each function's period, the ranges of its values widened by the margin, "
           "each unit's NAME, software and trouble codes. Learn while the machine is healthy; "
           "the check then starts. Traffic kept: %n minute(s).",
           nullptr, qMax(1, available)),
        this);
    intro->setWordWrap(true);
    form->addRow(intro);
    m_minutes->setObjectName(QStringLiteral("learnMinutes"));
    m_minutes->setRange(1, LiveBusCheck::StretchLimit);
    m_minutes->setValue(qBound(1, available, LiveBusCheck::StretchLimit));
    m_minutes->setSuffix(tr(" min"));
    form->addRow(tr("Learn from the last"), m_minutes);
    m_margin->setObjectName(QStringLiteral("learnMargin"));
    m_margin->setRange(0, 1000);
    m_margin->setDecimals(0);
    m_margin->setValue(10);
    m_margin->setSuffix(tr(" %"));
    m_margin->setToolTip(tr("Value ranges grow by this share of their span on each side"));
    form->addRow(tr("Margin of the value ranges"), m_margin);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("learnButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

int LearnDialog::minutes() const
{
    return m_minutes->value();
}

double LearnDialog::marginPercent() const
{
    return m_margin->value();
}
