#pragma once

#include "app/jobreportwriter.h"
#include "job/servicejob.h"
#include "job/snapshotcollector.h"
#include "scheme/schemetreemodel.h"
#include "util/servicejournal.h"

#include <QMap>
#include <QObject>
#include <QPageSize>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <memory>

class AbstractCanMessageDispatcher;
class AbstractSchemeTreeItem;
class AbstractCanHandler;
class JobBusTap;
class ParameterRing;
class SchemeTreeModel;
class SnapshotWriter;

// The service job the window runs: makes or opens the job's folder, takes the inventory as
// found (listening and, with a live bus, asking every unit), keeps the record of the visit
// (the service journal's notes, the raw traffic, the fault snapshots with the affected unit's
// parameters), and at the end takes the inventory as left, notes the bus's health and writes
// the report. GUI thread; the bus side runs in a JobBusTap.
class JobSession : public QObject
{
    Q_OBJECT

public:
    struct Timing
    {
        int listenMs = 5000;       // how long an inventory listens
        int requestSpacingMs = 40; // between the inventory's requests
        int sampleMs = 200;        // parameter samples for the snapshots
        int flushMs = 1000;        // raw recording to the disk
        int snapshotCheckMs = 250; // completed snapshots are written
        int silentAfterMs = 5000;  // a unit quiet this long at the end is silent
        int snapshotBeforeS = ServiceJob::DefaultSnapshotBeforeS; // for jobs started from now
        int snapshotAfterS = ServiceJob::DefaultSnapshotAfterS;
        qint64 partBytes = 64LL * 1024 * 1024;
    };
    // The parameter groups an inventory asks every unit for.
    static const QVector<quint32> &inventoryRequests();

    explicit JobSession(QObject *parent = nullptr);
    ~JobSession() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    const Timing &timing() const { return m_timing; }
    void setSchemeModel(SchemeTreeModel *model) { m_model = model; }
    // The bus the job listens to, and how the window names the connection.
    void setBus(AbstractCanHandler *handler, const TranslatableText &connection);
    // The window's other buses: the job's raw recording keeps their frames beside its bus's,
    // and its inventories list their units with their bus.
    void setOtherBuses(const QList<AbstractCanHandler *> &handlers);
    void setConnection(const TranslatableText &connection) { m_connection = connection; }
    // Whether an inventory may ask the units: a bus is open and it is not a recording played
    // back (which cannot answer).
    bool requestsAllowed() const;
    void setPageSize(QPageSize::PageSizeId size) { m_pageSize = size; }

    bool start(const QString &jobsDir, const ServiceJob::Header &header, QString *error);
    bool open(const QString &dir, QString *error);
    // Stops recording; the folder keeps everything (a job left open can be opened again).
    void close();

    ServiceJob *job() const { return m_job.get(); }
    bool isActive() const { return m_job != nullptr; }
    bool isFinished() const { return m_job && m_job->isFinished(); }
    bool isTakingInventory() const { return m_inventoryTimer.isActive(); }
    // "SN4711", the order or the folder's name: what the window's title calls the job.
    QString title() const;

    // Takes the as-found inventory again: what it finds fills what the first one missed (a
    // unit that came late, an identification not received); what was found stays.
    bool refreshInventory();
    // Takes the as-left inventory; once it is in, the job is finished and the report written.
    bool finish();
    // Writes the report of the job as it stands (HTML and PDF in the folder) on a thread of its
    // own, which reads the folder only: reportStarted, reportProgress and reportEnded tell of
    // it. False without a job or while a report is being written.
    bool startReport();
    bool isWritingReport() const { return m_reportWriter->isWriting(); }
    // Stops the report being written: reportEnded(false) with no error comes at once.
    void cancelReport() { m_reportWriter->cancel(); }

signals:
    void jobChanged();
    void inventoryStarted(bool asLeft);
    void inventoryTaken(bool asLeft);
    void changeAdded();
    void snapshotWritten(int id, const QString &text);
    // The job is finished and its report written.
    void finished(const QString &reportPath);
    void message(const QString &text);
    void reportStarted();
    void reportProgress(int percent);
    // Written (`html` is the report's path), or not: `error` says why, empty when cancelled.
    void reportEnded(bool written, const QString &html, const QString &error);

private:
    enum class Taking { Nothing, AsFound, Refresh, AsLeft };
    void reportDone(bool written, const QString &html, const QString &error);
    bool begin(std::unique_ptr<ServiceJob> job, QString *error);
    void takeInventory(Taking kind);
    void inventoryDone();
    void sendRequest();
    void journal(const ServiceJournal::Entry &entry);
    // Takes the values a read or write noted: the first one of each into `asFound` (when
    // given), else the latest into the values kept for the inventory as left. False for other
    // notes.
    bool noteValues(const ServiceJournal::Entry &entry, InventoryRecord *asFound);
    void sample();
    void writeSnapshots(bool finishing = false);
    // Until every snapshot taken so far is in the folder.
    void waitForSnapshots();
    // The name of a unit of the job's bus.
    QString unitName(quint8 address) const;
    QList<AbstractSchemeTreeItem *> jobUnits(const AbstractCanMessageDispatcher *bus) const;
    QMap<quint8, QString> unitLabels(const AbstractCanMessageDispatcher *bus) const;

    Timing m_timing;
    QPointer<SchemeTreeModel> m_model;
    QPointer<AbstractCanHandler> m_handler;
    QList<QPointer<AbstractCanHandler>> m_otherBuses;
    bool m_requesting = false;
    TranslatableText m_connection;
    QString m_rawError;
    QPageSize::PageSizeId m_pageSize = QPageSize::A4;
    QMap<QString, QMap<QString, QString>> m_lastValues; // unit label -> what -> value
    QMap<quint8, QStringList> m_columns;
    std::unique_ptr<ServiceJob> m_job;
    std::unique_ptr<JobBusTap> m_tap;
    std::unique_ptr<ParameterRing> m_parameters;
    std::shared_ptr<SnapshotWriter> m_writer;
    QThreadPool m_writing; // writes the snapshots, one at a time
    QTimer m_inventoryTimer;
    QTimer m_requestTimer;
    QTimer m_sampleTimer;
    QTimer m_flushTimer;
    QTimer m_snapshotTimer;
    Taking m_taking = Taking::Nothing;
    int m_nextRequest = 0;
    JobReportWriter *m_reportWriter;
    bool m_finishing = false; // the report being written ends the job
};
