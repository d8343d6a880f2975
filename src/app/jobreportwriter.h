#pragma once

#include <QObject>
#include <QPageSize>
#include <QString>

#include <memory>

// Writes a service job folder's report (HTML and PDF) on a worker thread of its own, which reads
// the folder only and has the PDF's document, writer and painter to itself: a long visit's report
// takes many seconds to lay out. Tells how far it is and when it ended; stops when cancelled.
// Lives on the GUI thread.
class JobReportWriter : public QObject
{
    Q_OBJECT

public:
    explicit JobReportWriter(QObject *parent = nullptr);
    // A report being written stops, unheard, before the writer goes.
    ~JobReportWriter() override;

    // False while a report is being written.
    bool start(const QString &jobDir, const QString &html, const QString &pdf,
               QPageSize::PageSizeId page);
    bool isWriting() const { return m_run != nullptr; }
    // Stops the report being written: ended(false) with no error comes at once.
    void cancel();

signals:
    void progressed(int percent);
    // Written (`html` is the report's path), or not: `error` says why, empty when cancelled.
    void ended(bool written, const QString &html, const QString &error);

private:
    struct Run;
    void done(const std::shared_ptr<Run> &run, bool written, const QString &html,
              const QString &error);

    std::shared_ptr<Run> m_run;
};
