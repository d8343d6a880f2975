#pragma once

#include "util/translatabletext.h"

#include <QObject>

class AbstractCanHandler;
class JobSession;
class MainWindow;
class QAction;
class QLabel;
class ServiceJobDock;
class StatusProgress;

// File ▸ New service job…, Open service job…, Finish service job: runs the window's one job,
// names it in the title and the status bar, and offers the job left open at the next start.
// GUI thread.
class ServiceJobActions : public QObject
{
    Q_OBJECT

public:
    explicit ServiceJobActions(MainWindow *window);
    ~ServiceJobActions() override;

    JobSession *session() const { return m_session; }
    ServiceJobDock *dock() const { return m_dock; }
    // The job's name for the window's title; empty without a job.
    QString titleText() const;

    void setBus(AbstractCanHandler *handler, const TranslatableText &connection);
    // The window's other buses: the job's raw recording keeps their frames too.
    void setOtherBuses(const QList<AbstractCanHandler *> &handlers);
    void setConnection(const TranslatableText &connection);
    // A job left open when the program last ended: offered to go on with it.
    void offerJobLeftOpen();

public slots:
    void newJob();
    void openJob();
    void finishJob();
    void openReport();

private slots:
    void jobChanged();
    void jobFinished(const QString &reportPath);
    void reportEnded(bool written, const QString &html, const QString &error);

private:
    QString jobsDirectory() const;
    // Tells where the report is and has the desktop open it.
    void showReport(const QString &html);

    MainWindow *m_window;
    JobSession *m_session;
    ServiceJobDock *m_dock;
    QAction *m_new;
    QAction *m_open;
    QAction *m_finish;
    QLabel *m_label;
    StatusProgress *m_reportProgress;
    bool m_openWhenWritten = false; // the report being written was asked for by "Open report"
    bool m_offered = false;
};
