#include "ui/servicejobactions.h"

#include "app/jobsession.h"
#include "ui/desktopfiles.h"
#include "ui/editors/servicejobdialog.h"
#include "ui/mainwindow.h"
#include "ui/servicejobdock.h"
#include "ui/statusprogress.h"
#include "ui/userquestions.h"
#include "util/userfolders.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

namespace {

const QString OpenJobKey = QStringLiteral("ServiceJob/Open");
const QString DirectoryKey = QStringLiteral("ServiceJob/Directory");
const QString EngineerKey = QStringLiteral("ServiceJob/Engineer");

} // namespace

ServiceJobActions::ServiceJobActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_session(new JobSession(this))
    , m_dock(new ServiceJobDock(m_session, window))
    , m_new(new QAction(tr("New service job…"), window))
    , m_open(new QAction(tr("Open service job…"), window))
    , m_finish(new QAction(tr("Finish service job…"), window))
    , m_label(new QLabel(window))
    , m_reportProgress(
          new StatusProgress(window->statusBar(), QStringLiteral("reportCancel"), this))
{
    setObjectName(QStringLiteral("serviceJobActions"));
    m_session->setSchemeModel(window->schemeModel());
    // Letter where the engineer's locale uses it, A4 everywhere else.
    m_session->setPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                               ? QPageSize::Letter
                               : QPageSize::A4);
    m_new->setObjectName(QStringLiteral("actionNewServiceJob"));
    m_new->setStatusTip(tr("Starts a service job: the inventory as found, the record of the "
                           "visit, the inventory as left and a report"));
    m_open->setObjectName(QStringLiteral("actionOpenServiceJob"));
    m_finish->setObjectName(QStringLiteral("actionFinishServiceJob"));
    m_finish->setStatusTip(tr("Takes the inventory as left, compares it with the one as found "
                              "and writes the report"));
    if (auto *file = window->findChild<QMenu *>(QStringLiteral("menuFile"))) {
        QAction *before = window->findChild<QAction *>(QStringLiteral("actionOpenRecording"));
        file->insertSeparator(before);
        file->insertAction(before, m_new);
        file->insertAction(before, m_open);
        file->insertAction(before, m_finish);
        file->insertSeparator(before);
    }
    m_dock->toggleViewAction()->setObjectName(QStringLiteral("actionServiceJobDock"));
    window->addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    if (auto *raw = window->findChild<QDockWidget *>(QStringLiteral("rawDataWindow"))) {
        window->tabifyDockWidget(raw, m_dock);
        raw->raise();
    }
    if (auto *windows = window->findChild<QMenu *>(QStringLiteral("menuWindows")))
        windows->addAction(m_dock->toggleViewAction());
    m_label->setObjectName(QStringLiteral("jobLabel"));
    window->statusBar()->addPermanentWidget(m_label);

    connect(m_new, &QAction::triggered, this, &ServiceJobActions::newJob);
    connect(m_open, &QAction::triggered, this, &ServiceJobActions::openJob);
    connect(m_finish, &QAction::triggered, this, &ServiceJobActions::finishJob);
    connect(m_dock, &ServiceJobDock::finishRequested, this, &ServiceJobActions::finishJob);
    connect(m_dock, &ServiceJobDock::reportRequested, this, &ServiceJobActions::openReport);
    connect(m_session, &JobSession::jobChanged, this, &ServiceJobActions::jobChanged);
    connect(m_session, &JobSession::inventoryStarted, this, &ServiceJobActions::jobChanged);
    connect(m_session, &JobSession::inventoryTaken, this, &ServiceJobActions::jobChanged);
    connect(m_session, &JobSession::finished, this, &ServiceJobActions::jobFinished);
    connect(m_session, &JobSession::reportStarted, m_reportProgress,
            [this] { m_reportProgress->begin(tr("Writing the report…")); });
    connect(m_session, &JobSession::reportProgress, m_reportProgress, &StatusProgress::setPercent);
    connect(m_session, &JobSession::reportEnded, this, &ServiceJobActions::reportEnded);
    connect(m_reportProgress, &StatusProgress::cancelRequested, m_session,
            &JobSession::cancelReport);
    connect(m_session, &JobSession::message, this,
            [this](const QString &text) { m_window->statusBar()->showMessage(text, 10000); });
    jobChanged();
}

ServiceJobActions::~ServiceJobActions()
{
    // The job stays open in its folder: the next start offers it. The window is going: nobody
    // listens to the session any more.
    m_session->disconnect();
    m_session->close();
}

QString ServiceJobActions::titleText() const
{
    return m_session->isActive() ? tr("Job %1").arg(m_session->title()) : QString();
}

void ServiceJobActions::setBus(AbstractCanHandler *handler, const TranslatableText &connection)
{
    m_session->setBus(handler, connection);
}

void ServiceJobActions::setOtherBuses(const QList<AbstractCanHandler *> &handlers)
{
    m_session->setOtherBuses(handlers);
}

void ServiceJobActions::setConnection(const TranslatableText &connection)
{
    m_session->setConnection(connection);
}

QString ServiceJobActions::jobsDirectory() const
{
    return QSettings()
        .value(DirectoryKey, QDir(UserFolders::logDirectory()).filePath(QStringLiteral("jobs")))
        .toString();
}

void ServiceJobActions::newJob()
{
    if (m_session->isActive() && !m_session->isFinished()
        && !m_window->questions()->askConfirm(
            tr("New service job"),
            tr("The job %1 is open. It stays in its folder and can be opened again. Start a new "
               "job?")
                .arg(m_session->title())))
        return;
    QSettings settings;
    ServiceJobDialog::Answers proposed;
    proposed.engineer = settings.value(EngineerKey).toString();
    proposed.jobsDirectory = jobsDirectory();
    ServiceJobDialog dialog(proposed, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ServiceJobDialog::Answers a = dialog.answers();
    settings.setValue(EngineerKey, a.engineer);
    settings.setValue(DirectoryKey, a.jobsDirectory);
    ServiceJob::Header header;
    header.serial = a.serial;
    header.vin = a.vin;
    header.order = a.order;
    header.engineer = a.engineer;
    header.notes = a.notes;
    QString error;
    if (!QDir().mkpath(a.jobsDirectory) || !m_session->start(a.jobsDirectory, header, &error)) {
        m_window->questions()->showError(
            tr("New service job"),
            error.isEmpty() ? tr("Cannot make the folder %1").arg(a.jobsDirectory) : error);
        return;
    }
    settings.setValue(OpenJobKey, m_session->job()->dir());
    m_dock->show();
    m_dock->raise();
}

void ServiceJobActions::openJob()
{
    const QString dir
        = m_window->questions()->askDirectory(tr("Open service job"), jobsDirectory());
    if (dir.isEmpty())
        return;
    QString error;
    if (!m_session->open(dir, &error)) {
        m_window->questions()->showError(tr("Open service job"), error);
        return;
    }
    QSettings settings;
    if (m_session->isFinished())
        settings.remove(OpenJobKey);
    else
        settings.setValue(OpenJobKey, m_session->job()->dir());
    m_dock->show();
    m_dock->raise();
}

void ServiceJobActions::offerJobLeftOpen()
{
    if (m_offered || m_session->isActive())
        return;
    m_offered = true;
    QSettings settings;
    const QString dir = settings.value(OpenJobKey).toString();
    if (dir.isEmpty())
        return;
    QString error;
    if (!QFileInfo::exists(QDir(dir).filePath(ServiceJob::JobFile))) {
        settings.remove(OpenJobKey);
        return;
    }
    if (!m_window->questions()->askConfirm(tr("Service job"),
                                           tr("The service job in %1 was left open. Go on with it?")
                                               .arg(QDir::toNativeSeparators(dir))))
        return;
    if (!m_session->open(dir, &error)) {
        m_window->questions()->showError(tr("Open service job"), error);
        settings.remove(OpenJobKey);
        return;
    }
    m_dock->show();
    m_dock->raise();
}

void ServiceJobActions::finishJob()
{
    if (!m_session->isActive() || m_session->isFinished())
        return;
    if (!m_window->questions()->askConfirm(
            tr("Finish service job"),
            tr("Finish the job %1? The inventory as left is taken now, compared with the one as "
               "found, and the report is written.")
                .arg(m_session->title())))
        return;
    m_session->finish();
}

void ServiceJobActions::openReport()
{
    ServiceJob *job = m_session->job();
    if (!job || m_session->isWritingReport())
        return;
    // An open job's report tells how it stands now; a finished job's is written once, and
    // again when that one was not completed.
    const QString html = job->filePath(QStringLiteral("report.html"));
    if (!job->isFinished() || !QFileInfo::exists(html)
        || !QFileInfo::exists(job->filePath(QStringLiteral("report.pdf")))) {
        m_openWhenWritten = m_session->startReport();
        return;
    }
    showReport(html);
}

void ServiceJobActions::showReport(const QString &html)
{
    m_window->statusBar()->showMessage(tr("Report: %1").arg(QDir::toNativeSeparators(html)), 10000);
    openWithDesktop(m_window, html);
}

void ServiceJobActions::reportEnded(bool written, const QString &html, const QString &error)
{
    m_reportProgress->end();
    const bool open = m_openWhenWritten;
    m_openWhenWritten = false;
    // A finished job is not left open, whether its report was written or not.
    if (m_session->isFinished())
        QSettings().remove(OpenJobKey);
    if (written) {
        if (open)
            showReport(html);
    } else if (error.isEmpty()) {
        m_window->statusBar()->showMessage(tr("The report was not written; Open report writes it"),
                                           10000);
    } else if (open) {
        m_window->questions()->showError(tr("Service job report"), error);
    }
    // A job's finishing report that failed: the session's message says why.
}

void ServiceJobActions::jobFinished(const QString &reportPath)
{
    QSettings().remove(OpenJobKey);
    m_window->statusBar()->showMessage(
        tr("Job finished; report written: %1").arg(QDir::toNativeSeparators(reportPath)), 15000);
}

void ServiceJobActions::jobChanged()
{
    const bool open = m_session->isActive() && !m_session->isFinished();
    m_finish->setEnabled(open && !m_session->isTakingInventory());
    m_label->setVisible(m_session->isActive());
    m_label->setText(m_session->isActive()
                         ? (m_session->isFinished() ? tr("Job %1 (finished)") : tr("Job %1"))
                               .arg(m_session->title())
                         : QString());
    m_window->updateTitle();
}
