#include "ui/editors/connectiontimeoutsdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int MaxDelayMs = 60000;
constexpr int MaxWindow = 255;
} // namespace

ConnectionTimeoutsDialog::ConnectionTimeoutsDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Connection timeouts"));
    auto *grid = new QGridLayout;

    auto *delays = new QGroupBox(tr("Receive Node Delays"), this);
    auto *delayForm = new QFormLayout(delays);
    m_rtsToCts = addSpin(delayForm, tr("RTS to CTS"), "rtsToCts", MaxDelayMs);
    m_dataToCts0 = addSpin(delayForm, tr("Data to CTS0"), "dataToCts0", MaxDelayMs);
    m_pause = addSpin(delayForm, tr("Pause timing"), "pause", MaxDelayMs);
    m_dataToAck = addSpin(delayForm, tr("Last data to ACK"), "dataToAck", MaxDelayMs);
    m_window = addSpin(delayForm, tr("Window size"), "windowSize", MaxWindow);
    m_window->setMinimum(1);

    auto *timeouts = new QGroupBox(tr("Receive Node Timeouts"), this);
    auto *timeoutForm = new QFormLayout(timeouts);
    m_dataToData = addSpin(timeoutForm, tr("Data to data(T1)"), "dataToData", MaxDelayMs);
    m_ctsToData = addSpin(timeoutForm, tr("CTS to data(T2)"), "ctsToData", MaxDelayMs);

    grid->addWidget(delays, 0, 0);
    grid->addWidget(timeouts, 0, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                             | QDialogButtonBox::RestoreDefaults
                                             | QDialogButtonBox::Help,
                                         this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectionTimeoutsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectionTimeoutsDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &ConnectionTimeoutsDialog::showDiagram);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &ConnectionTimeoutsDialog::restoreDefaults);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    // The stored timings, those every bus of the window uses.
    QSettings settings;
    setValues(TPConnection::readTiming(settings));
}

QSpinBox *ConnectionTimeoutsDialog::addSpin(QFormLayout *form, const QString &label,
                                            const char *objectName, int maximum)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QLatin1String(objectName));
    spin->setRange(0, maximum);
    form->addRow(label, spin);
    return spin;
}

TPConnection::Timing ConnectionTimeoutsDialog::values() const
{
    TPConnection::Timing t;
    t.delayRtsToCts = m_rtsToCts->value();
    t.delayDataToCts0 = m_dataToCts0->value();
    t.delayCts0ToCts = m_pause->value();
    t.delayDataToAck = m_dataToAck->value();
    t.windowSize = m_window->value();
    t.timeoutDataToData = m_dataToData->value();
    t.timeoutCtsToData = m_ctsToData->value();
    return t;
}

void ConnectionTimeoutsDialog::setValues(const TPConnection::Timing &t)
{
    m_rtsToCts->setValue(t.delayRtsToCts);
    m_dataToCts0->setValue(t.delayDataToCts0);
    m_pause->setValue(t.delayCts0ToCts);
    m_dataToAck->setValue(t.delayDataToAck);
    m_window->setValue(t.windowSize);
    m_dataToData->setValue(t.timeoutDataToData);
    m_ctsToData->setValue(t.timeoutCtsToData);
}

void ConnectionTimeoutsDialog::restoreDefaults()
{
    setValues(TPConnection::defaultTiming());
}

void ConnectionTimeoutsDialog::accept()
{
    QSettings settings;
    TPConnection::writeTiming(settings, values());
    QDialog::accept();
}

void ConnectionTimeoutsDialog::showDiagram()
{
    // A window of the dialog's own: it closes with the dialog and never outlives the program's
    // main window, which would keep the program running after Exit.
    auto *view = new QLabel(this, Qt::Window);
    view->setObjectName(QStringLiteral("connectionDiagram"));
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(tr("Connection diagram"));
    view->setPixmap(QPixmap(QStringLiteral(":/connection_diagram.png")));
    connect(this, &QDialog::finished, view, &QWidget::close);
    view->show();
}
