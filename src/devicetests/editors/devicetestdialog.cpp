#include "devicetests/editors/devicetestdialog.h"

#include "devicetests/devicetest.h"
#include "devicetests/devicetestreport.h"
#include "util/userfolders.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char *const WarningIcon = ":/icons/devicestate/filter.png";
const char *const FaultIcon = ":/icons/teststate/incomplete.png";

// A step not run yet has no verdict: a hollow grey circle, unlike every result's mark.
QIcon pendingIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::gray, 1.5));
        painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        return QIcon(pixmap);
    }();
    return icon;
}
} // namespace

DeviceTestDialog::DeviceTestDialog(DeviceTest *test, QWidget *parent)
    : QDialog(parent)
    , m_test(test)
{
    setObjectName(QStringLiteral("DeviceTestDialog"));
    setWindowTitle(tr("Test"));
    if (test)
        test->setParent(this);

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("tableWidget"));
    m_table->setColumnCount(2);
    m_table->setHorizontalHeaderLabels({tr("Test name"), tr("Result")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto *heading = new QLabel(tr("Test Description"), this);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("iconLabel"));
    m_iconLabel->hide();
    m_textLabel = new QLabel(tr("TextLabel"), this);
    m_textLabel->setObjectName(QStringLiteral("textLabel"));
    m_textLabel->setWordWrap(true);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    // The steps done of all steps: a step's own wait is too short to follow on a bar.
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(tr("%v of %m steps"));

    m_skipButton = new QPushButton(tr("Skip test"), this);
    m_skipButton->setObjectName(QStringLiteral("skipButton"));
    m_saveButton = new QPushButton(tr("Save report…"), this);
    m_saveButton->setObjectName(QStringLiteral("saveReportButton"));
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    m_skipButton->setAutoDefault(false);
    m_saveButton->setAutoDefault(false);

    auto *messageRow = new QHBoxLayout;
    messageRow->addWidget(m_iconLabel);
    messageRow->addWidget(m_textLabel, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_skipButton);
    buttons->addWidget(m_saveButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(heading);
    layout->addLayout(messageRow);
    layout->addWidget(m_progress);
    layout->addWidget(m_statusLabel);
    layout->addLayout(buttons);
    // Room for whole step names ("Setting output BACKWARD off", "UP - 010 - Off, output
    // voltage") and several rows around the current one.
    resize(sizeHint().expandedTo(QSize(520, 560)));

    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_saveButton, &QPushButton::clicked, this, &DeviceTestDialog::slotSaveReport);
    if (!test) {
        m_skipButton->setEnabled(false);
        m_saveButton->setEnabled(false);
        return;
    }
    connect(m_skipButton, &QPushButton::clicked, test, &DeviceTest::skipTest);
    connect(test, &DeviceTest::currentTestChanged, this, &DeviceTestDialog::slotCurrentTestChanged);
    connect(test, &DeviceTest::showWarningMessage, this, &DeviceTestDialog::slotShowWarningMessage);
    connect(test, &DeviceTest::showFaultMessage, this, &DeviceTestDialog::slotShowFaultMessage);
    connect(test, &DeviceTest::hideMessage, this, &DeviceTestDialog::slotHideMessage);

    const QList<TestAction *> steps = test->tests();
    m_progress->setRange(0, qMax(1, steps.size()));
    m_table->setRowCount(steps.size());
    for (int row = 0; row < steps.size(); ++row) {
        m_table->setItem(row, 0, new QTableWidgetItem(steps.at(row)->name()));
        m_table->setItem(row, 1, new QTableWidgetItem);
        updateRow(row);
    }
    if (!test->unresolved().isEmpty())
        m_statusLabel->setText(
            tr("Not found: %1").arg(test->unresolved().join(QStringLiteral("; "))));
}

DeviceTestDialog::~DeviceTestDialog()
{
    if (m_test)
        m_test->stop();
}

QString DeviceTestDialog::reportDirectory() const
{
    if (!m_reportDirectory.isEmpty())
        return m_reportDirectory;
    return UserFolders::logDirectory();
}

void DeviceTestDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Start on the first show only: minimising and restoring must not start again at step 0.
    if (m_started || !m_test)
        return;
    m_started = true;
    if (m_test->count() == 0) {
        m_skipButton->setEnabled(false);
        m_textLabel->setText(tr("This test has no steps"));
        return;
    }
    m_test->start();
}

bool DeviceTestDialog::confirmCancel()
{
    return QMessageBox::question(this, windowTitle(),
                                 tr("Cancel the test? Steps not yet done are reported as not run."),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void DeviceTestDialog::done(int result)
{
    if (m_test && m_test->isRunning() && m_test->currentIndex() > 0 && !confirmCancel())
        return;
    if (m_test)
        m_test->stop();
    QDialog::done(result);
}

void DeviceTestDialog::updateRow(int row)
{
    QTableWidgetItem *item = m_table->item(row, 1);
    if (!m_test || !item || row >= m_test->records().size())
        return;
    const int result = m_test->records().at(row).result;
    QIcon icon;
    switch (result) {
    case DeviceTest::Passed:
        icon = style()->standardIcon(QStyle::SP_DialogApplyButton);
        break;
    case DeviceTest::Skipped:
        icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
        break;
    case DeviceTest::Failed:
        icon = QIcon(QString::fromLatin1(FaultIcon));
        break;
    default:
        icon = pendingIcon();
        break;
    }
    item->setIcon(icon);
    item->setData(Qt::UserRole, result);
    item->setToolTip(DeviceTestReport::resultText(result));
    item->setText(result == DeviceTest::NotRun ? QString() : DeviceTestReport::resultText(result));
}

void DeviceTestDialog::slotCurrentTestChanged(int index)
{
    if (index > 0)
        updateRow(index - 1);
    m_progress->setValue(qBound(0, index, m_table->rowCount()));
    if (index >= m_table->rowCount()) {
        m_skipButton->setEnabled(false);
        m_iconLabel->hide();
        m_textLabel->setText(tr("Test complete") + QLatin1Char('\n')
                             + DeviceTestReport::summary(m_test));
        m_cancelButton->setText(tr("Finish"));
        m_cancelButton->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
        return;
    }
    m_table->setCurrentCell(index, 0);
    slotHideMessage();
}

void DeviceTestDialog::showMessage(const QString &iconPath, const QString &text)
{
    m_iconLabel->setPixmap(QIcon(iconPath).pixmap(16, 16));
    m_iconLabel->setProperty("iconPath", iconPath);
    m_iconLabel->show();
    m_textLabel->setText(text);
}

void DeviceTestDialog::slotShowWarningMessage(const QString &text)
{
    showMessage(QString::fromLatin1(WarningIcon), text);
}

void DeviceTestDialog::slotShowFaultMessage(const QString &text)
{
    showMessage(QString::fromLatin1(FaultIcon), text);
}

void DeviceTestDialog::slotHideMessage()
{
    m_iconLabel->hide();
    m_iconLabel->setProperty("iconPath", QString());
    TestAction *step = m_test ? m_test->currentTest() : nullptr;
    if (!step) {
        m_textLabel->setText(QString());
        return;
    }
    // Most steps are described by their name alone, which the table shows already: the
    // dialog says where the test stands instead.
    const QString description = step->description();
    m_textLabel->setText(description.isEmpty() || description == step->name()
                             ? tr("Step %1 of %2: %3")
                                   .arg(m_test->currentIndex() + 1)
                                   .arg(m_table->rowCount())
                                   .arg(step->name())
                             : description);
}

QString DeviceTestDialog::askReportPath(const QString &proposed)
{
    QFileDialog dialog(this, tr("Save report"));
    dialog.setObjectName(QStringLiteral("saveReportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("Test report (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void DeviceTestDialog::slotSaveReport()
{
    if (!m_test)
        return;
    const QString proposed
        = QDir(reportDirectory())
              .filePath(DeviceTestReport::baseName(m_test) + QStringLiteral(".csv"));
    const QString path = askReportPath(proposed);
    if (path.isEmpty())
        return;
    QStringList paths;
    QString error;
    if (DeviceTestReport::saveAs(m_test, path, &paths, &error)) {
        m_savedReports = paths;
        m_statusLabel->setText(tr("Report saved: %1").arg(paths.join(QStringLiteral(", "))));
    } else {
        m_statusLabel->setText(tr("The report could not be saved: %1").arg(error));
    }
}
