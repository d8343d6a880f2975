#include "ui/editors/filterdockwidget.h"

#include "ui/dockcontent.h"
#include "ui/messagefilter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QString IdFieldDefault = QStringLiteral("0:00:00:00");

QLineEdit *idEdit(const QString &objectName, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setInputMask(QStringLiteral("H:HH:HH:HH; "));
    edit->setText(IdFieldDefault);
    edit->setToolTip(QObject::tr("Priority:PDUF:PDUS:Address"));
    return edit;
}

} // namespace

FilterDockWidget::FilterDockWidget(QWidget *parent)
    : QDockWidget(tr("Filters"), parent)
    , m_dispatch(new DispatchMessageFilter(this))
    , m_address(new AddressMaskMessageFilter(this))
    , m_priority(new PriorityMessageFilter(this))
    , m_target(new TargetMessageFilter(this))
{
    setObjectName(QStringLiteral("FilterDockWidget"));
    buildForm();
}

quint32 FilterDockWidget::idFieldValue(const QString &text)
{
    QString digits = text;
    digits.remove(QLatin1Char(':'));
    bool ok = false;
    const uint value = digits.trimmed().toUInt(&ok, 16);
    return ok ? value : 0u;
}

void FilterDockWidget::buildForm()
{
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);

    m_dispatchGroup = new QGroupBox(tr("Dispatch filter"), body);
    m_dispatchGroup->setObjectName(QStringLiteral("dispatchFilterGroupBox"));
    m_dispatchGroup->setCheckable(true);
    m_dispatchGroup->setChecked(false);
    auto *yes = new QRadioButton(tr("Yes"), m_dispatchGroup);
    yes->setObjectName(QStringLiteral("radioButton"));
    yes->setChecked(true);
    auto *no = new QRadioButton(tr("No"), m_dispatchGroup);
    no->setObjectName(QStringLiteral("radioButton_2"));
    m_dispatchButtons = new QButtonGroup(this);
    m_dispatchButtons->setObjectName(QStringLiteral("dispatchFilterButtonGroup"));
    m_dispatchButtons->addButton(yes, 0);
    m_dispatchButtons->addButton(no, 1);
    auto *dispatchRow = new QHBoxLayout(m_dispatchGroup);
    dispatchRow->addWidget(yes);
    dispatchRow->addWidget(no);
    connect(m_dispatchGroup, &QGroupBox::toggled, m_dispatch, &MessageFilter::setEnabled);
    connect(m_dispatchButtons, &QButtonGroup::idClicked, m_dispatch,
            &DispatchMessageFilter::setState);
    layout->addWidget(m_dispatchGroup);

    m_priorityGroup = new QGroupBox(tr("Priority filter"), body);
    m_priorityGroup->setObjectName(QStringLiteral("priorityFilterGroupBox"));
    m_priorityGroup->setCheckable(true);
    m_priorityGroup->setChecked(false);
    m_prioritySlider = new QSlider(Qt::Horizontal, m_priorityGroup);
    m_prioritySlider->setObjectName(QStringLiteral("priorityFilterSlider"));
    m_prioritySlider->setRange(0, 7);
    m_prioritySlider->setPageStep(2);
    m_prioritySlider->setTickPosition(QSlider::TicksBelow);
    m_prioritySlider->setTickInterval(1);
    (new QVBoxLayout(m_priorityGroup))->addWidget(m_prioritySlider);
    connect(m_priorityGroup, &QGroupBox::toggled, m_priority, &MessageFilter::setEnabled);
    connect(m_prioritySlider, &QSlider::valueChanged, m_priority,
            &PriorityMessageFilter::setPriority);
    layout->addWidget(m_priorityGroup);

    m_idGroup = new QGroupBox(tr("Id filter"), body);
    m_idGroup->setObjectName(QStringLiteral("idFilterGroupBox"));
    m_idGroup->setCheckable(true);
    m_idGroup->setChecked(false);
    auto *idForm = new QFormLayout(m_idGroup);
    m_maskEdit = idEdit(QStringLiteral("idFilterMaskEdit"), m_idGroup);
    m_valueEdit = idEdit(QStringLiteral("idFilterValueEdit"), m_idGroup);
    idForm->addRow(new QLabel(tr("Priority:PDUF:PDUS:Address"), m_idGroup));
    idForm->addRow(tr("Mask"), m_maskEdit);
    idForm->addRow(tr("Value"), m_valueEdit);
    connect(m_idGroup, &QGroupBox::toggled, m_address, &MessageFilter::setEnabled);
    connect(m_maskEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_address->setMask(idFieldValue(text)); });
    connect(m_valueEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_address->setValue(idFieldValue(text)); });
    layout->addWidget(m_idGroup);

    m_targetCheck = new QCheckBox(tr("Target filter"), body);
    m_targetCheck->setObjectName(QStringLiteral("targetFilterCheckBox"));
    connect(m_targetCheck, &QCheckBox::toggled, m_target, &MessageFilter::setEnabled);
    layout->addWidget(m_targetCheck);
    layout->addStretch(1);
    setScrolledDockContent(this, body);
}

QList<MessageFilter *> FilterDockWidget::filters() const
{
    return {m_dispatch, m_address, m_priority, m_target};
}

void FilterDockWidget::saveSettings(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("IdFilter"));
    settings.setValue(QStringLiteral("Enabled"), m_idGroup->isChecked());
    settings.setValue(QStringLiteral("Mask"), m_maskEdit->text());
    settings.setValue(QStringLiteral("Value"), m_valueEdit->text());
    settings.endGroup();
    settings.beginGroup(QStringLiteral("DispatchFilter"));
    settings.setValue(QStringLiteral("Enabled"), m_dispatchGroup->isChecked());
    settings.setValue(QStringLiteral("Value"), m_dispatchButtons->checkedId());
    settings.endGroup();
    settings.beginGroup(QStringLiteral("PriorityFilter"));
    settings.setValue(QStringLiteral("Enabled"), m_priorityGroup->isChecked());
    settings.setValue(QStringLiteral("Value"), m_prioritySlider->value());
    settings.endGroup();
    settings.setValue(QStringLiteral("TargetFilter/Enabled"), m_targetCheck->isChecked());
}

void FilterDockWidget::restoreSettings(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("IdFilter"));
    m_idGroup->setChecked(settings.value(QStringLiteral("Enabled"), false).toBool());
    m_maskEdit->setText(settings.value(QStringLiteral("Mask"), IdFieldDefault).toString());
    m_valueEdit->setText(settings.value(QStringLiteral("Value"), IdFieldDefault).toString());
    settings.endGroup();
    settings.beginGroup(QStringLiteral("DispatchFilter"));
    m_dispatchGroup->setChecked(settings.value(QStringLiteral("Enabled"), false).toBool());
    bool ok = false;
    const int dispatchValue = settings.value(QStringLiteral("Value")).toInt(&ok);
    if (ok) {
        if (QAbstractButton *button = m_dispatchButtons->button(dispatchValue)) {
            button->setChecked(true);
            m_dispatch->setState(dispatchValue);
        }
    }
    settings.endGroup();
    settings.beginGroup(QStringLiteral("PriorityFilter"));
    m_priorityGroup->setChecked(settings.value(QStringLiteral("Enabled"), false).toBool());
    const int priority = settings.value(QStringLiteral("Value")).toInt(&ok);
    if (ok)
        m_prioritySlider->setValue(priority);
    settings.endGroup();
    m_targetCheck->setChecked(
        settings.value(QStringLiteral("TargetFilter/Enabled"), false).toBool());
}
