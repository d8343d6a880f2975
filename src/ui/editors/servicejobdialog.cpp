#include "ui/editors/servicejobdialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit *field(const char *name, const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setClearButtonEnabled(true);
    return edit;
}

// The field at least as wide as its placeholder, whose words would otherwise be cut off: the
// text's room of the field's own size hint, the room its clear button takes beside it.
void fitPlaceholder(QLineEdit *edit)
{
    const QFontMetrics metrics = edit->fontMetrics();
    constexpr int HintCharacters = 17; // QLineEdit's size hint holds this many "x"
    const int chrome
        = edit->sizeHint().width() - metrics.horizontalAdvance(QLatin1Char('x')) * HintCharacters;
    const int clearButton = edit->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, edit) + 8;
    edit->setMinimumWidth(metrics.horizontalAdvance(edit->placeholderText()) + chrome
                          + clearButton);
}

} // namespace

ServiceJobDialog::ServiceJobDialog(const Answers &proposed, QWidget *parent)
    : QDialog(parent)
    , m_serial(field("jobSerial", proposed.serial, this))
    , m_vin(field("jobVin", proposed.vin, this))
    , m_order(field("jobOrder", proposed.order, this))
    , m_engineer(field("jobEngineer", proposed.engineer, this))
    , m_notes(new QPlainTextEdit(proposed.notes, this))
    , m_directory(field("jobDirectory", proposed.jobsDirectory, this))
{
    setWindowTitle(tr("New service job"));
    setObjectName(QStringLiteral("serviceJobDialog"));
    m_notes->setObjectName(QStringLiteral("jobNotes"));
    m_notes->setTabChangesFocus(true);
    m_notes->setMaximumHeight(fontMetrics().lineSpacing() * 5);
    m_vin->setMaxLength(17 * 2);
    m_vin->setPlaceholderText(tr("taken from the bus when a unit sends it"));
    m_serial->setPlaceholderText(tr("machine serial number"));
    fitPlaceholder(m_vin);
    fitPlaceholder(m_serial);

    auto *browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("jobDirectoryBrowse"));
    browse->setText(tr("…"));
    browse->setToolTip(tr("Choose the folder the job folders go into"));
    connect(browse, &QToolButton::clicked, this, &ServiceJobDialog::browse);
    auto *directoryRow = new QHBoxLayout;
    directoryRow->addWidget(m_directory, 1);
    directoryRow->addWidget(browse);

    auto *form = new QFormLayout;
    form->addRow(tr("Machine serial:"), m_serial);
    form->addRow(tr("VIN:"), m_vin);
    form->addRow(tr("Order number:"), m_order);
    form->addRow(tr("Engineer:"), m_engineer);
    form->addRow(tr("Notes:"), m_notes);
    form->addRow(tr("Jobs folder:"), directoryRow);

    auto *hint = new QLabel(
        tr("The job takes an inventory of the bus now and when it is finished, records the "
           "traffic, every change the program makes to the machine and the bus around each "
           "change of a unit's trouble codes, and writes a report."),
        this);
    hint->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("Start job"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_directory, &QLineEdit::textChanged, this, &ServiceJobDialog::updateOk);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(form);
    layout->addWidget(buttons);
    updateOk();
    resize(qMax(sizeHint().width(), 460), sizeHint().height());
}

ServiceJobDialog::Answers ServiceJobDialog::answers() const
{
    Answers a;
    a.serial = m_serial->text().trimmed();
    a.vin = m_vin->text().trimmed();
    a.order = m_order->text().trimmed();
    a.engineer = m_engineer->text().trimmed();
    a.notes = m_notes->toPlainText().trimmed();
    a.jobsDirectory = m_directory->text().trimmed();
    return a;
}

void ServiceJobDialog::browse()
{
    const QString chosen
        = QFileDialog::getExistingDirectory(this, tr("Jobs folder"), m_directory->text());
    if (!chosen.isEmpty())
        m_directory->setText(chosen);
}

void ServiceJobDialog::updateOk()
{
    // Without a folder there is nowhere to keep the job.
    m_ok->setEnabled(!m_directory->text().trimmed().isEmpty());
}
