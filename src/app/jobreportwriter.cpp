#include "app/jobreportwriter.h"
#include "app/workerprogress.h"

#include "job/jobreport.h"

#include <QThread>

#include <atomic>

// One report on its worker thread. The GUI thread sets `cancelled`; the worker reads it between
// the PDF's rows and pages.
struct JobReportWriter::Run
{
    std::atomic<bool> cancelled{false};
};

JobReportWriter::JobReportWriter(QObject *parent)
    : QObject(parent)
{}

JobReportWriter::~JobReportWriter()
{
    // Workers post to this object: they end before it does.
    if (m_run)
        m_run->cancelled.store(true);
    m_run.reset();
    for (QThread *thread : findChildren<QThread *>(QString(), Qt::FindDirectChildrenOnly))
        thread->wait();
}

bool JobReportWriter::start(const QString &jobDir, const QString &html, const QString &pdf,
                            QPageSize::PageSizeId page)
{
    if (m_run)
        return false;
    auto run = std::make_shared<Run>();
    m_run = run;
    QThread *worker = QThread::create([this, run, jobDir, html, pdf, page] {
        const JobReport::Progress progress
            = workerProgress(this, run->cancelled, [this, run](int percent) {
                  if (run == m_run)
                      emit progressed(percent);
              });
        QString error;
        const bool written = JobReport::writeHtml(jobDir, html, &error)
                             && JobReport::writePdf(jobDir, pdf, page, &error, progress);
        QMetaObject::invokeMethod(
            this, [this, run, written, html, error] { done(run, written, html, error); },
            Qt::QueuedConnection);
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
    return true;
}

void JobReportWriter::done(const std::shared_ptr<Run> &run, bool written, const QString &html,
                           const QString &error)
{
    // A cancelled report has already ended.
    if (run != m_run)
        return;
    m_run.reset();
    emit ended(written, html, error);
}

void JobReportWriter::cancel()
{
    if (!m_run)
        return;
    m_run->cancelled.store(true);
    m_run.reset();
    emit ended(false, QString(), QString());
}
