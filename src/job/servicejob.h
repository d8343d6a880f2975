#pragma once

#include "job/inventoryrecord.h"
#include "util/servicejournal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <mutex>

// One service job: its folder with the header (job.json), the inventories as found and as
// left, and the log of every change the program made. Each change is written at once, so the
// folder always holds what happened so far. appendChange() and changes() may be called from
// any thread (the bus thread and the GUI thread note changes); everything else belongs to the
// thread that created or opened the job.
class ServiceJob
{
    Q_DECLARE_TR_FUNCTIONS(ServiceJob)

public:
    static constexpr int FormatVersion = 1;
    static constexpr int DefaultSnapshotBeforeS = 10;
    static constexpr int DefaultSnapshotAfterS = 5;

    struct Header
    {
        QString serial;
        QString vin;
        QString order;
        QString engineer;
        QString notes;
        bool operator==(const Header &o) const
        {
            return serial == o.serial && vin == o.vin && order == o.order && engineer == o.engineer
                   && notes == o.notes;
        }
    };

    struct Health
    {
        double loadMeanPercent = 0;
        double loadMaxPercent = 0;
        qint64 frames = 0;
        qint64 transportAborts = 0;
        QStringList silentUnits; // "0x21"
        bool operator==(const Health &o) const
        {
            return loadMeanPercent == o.loadMeanPercent && loadMaxPercent == o.loadMaxPercent
                   && frames == o.frames && transportAborts == o.transportAborts
                   && silentUnits == o.silentUnits;
        }
    };

    // Everything job.json holds.
    struct Info
    {
        Header header;
        bool finished = false;
        QDateTime started;
        QDateTime finishedAt;
        QString connection;              // the adapter and port, as the window names them
        TranslatableText connectionText; // the same in the words of the code; may be empty
        bool requests = true;            // false: started on a recording, nothing was sent
        int snapshotBeforeS = DefaultSnapshotBeforeS;
        int snapshotAfterS = DefaultSnapshotAfterS;
        bool hasHealth = false; // written at finish
        Health health;
    };

    // How a new job starts; an invalid `started` is now.
    struct Setup
    {
        QString connection;
        TranslatableText connectionText; // when given, `connection` is said from it
        bool requests = true;
        int snapshotBeforeS = DefaultSnapshotBeforeS;
        int snapshotAfterS = DefaultSnapshotAfterS;
        QDateTime started;
    };

    // Makes JOBSDIR/YYYY-MM-DD_HHMM_<serial, order or "job">[-2, -3 ...] with job.json.
    static std::unique_ptr<ServiceJob> create(const QString &jobsDir, const Header &header,
                                              QString *error, const Setup &setup);
    static std::unique_ptr<ServiceJob> create(const QString &jobsDir, const Header &header,
                                              QString *error);
    static std::unique_ptr<ServiceJob> open(const QString &dir, QString *error);

    // The folder name for a job started at `started`, safe on Windows and Linux.
    static QString folderName(const QDateTime &started, const Header &header);
    // `text` without the characters file names may not hold, nor a trailing dot or space.
    static QString sanitised(const QString &text);

    QString dir() const { return m_dir; }
    QString rawDir() const;
    QString snapshotsDir() const;
    QString filePath(const QString &name) const;

    const Info &info() const { return m_info; }
    Header header() const { return m_info.header; }
    bool setHeader(const Header &header, QString *error = nullptr);
    bool isFinished() const { return m_info.finished; }
    bool finish(const Health &health, QString *error = nullptr,
                const QDateTime &at = QDateTime::currentDateTimeUtc());
    int snapshotBeforeS() const { return m_info.snapshotBeforeS; }
    int snapshotAfterS() const { return m_info.snapshotAfterS; }

    bool hasAsFound() const { return m_hasAsFound; }
    InventoryRecord asFound() const { return m_asFound; }
    bool setAsFound(const InventoryRecord &record, QString *error = nullptr);
    bool hasAsLeft() const { return m_hasAsLeft; }
    InventoryRecord asLeft() const { return m_asLeft; }
    bool setAsLeft(const InventoryRecord &record, QString *error = nullptr);

    // Any thread. The entry is kept even when the file cannot be written; the next call
    // writes it again. Times are kept to the second, as the file holds them.
    bool appendChange(const ServiceJournal::Entry &entry, QString *error = nullptr);
    QVector<ServiceJournal::Entry> changes() const;

    // The texts of job.json and changes.json; readers give false with a message naming the file.
    static QByteArray infoToBytes(const Info &info);
    static bool infoFromBytes(const QByteArray &bytes, Info *info, QString *error);
    static QByteArray changesToBytes(const QVector<ServiceJournal::Entry> &entries);
    static bool changesFromBytes(const QByteArray &bytes, QVector<ServiceJournal::Entry> *entries,
                                 QString *error);

    static const QString JobFile;
    static const QString AsFoundFile;
    static const QString AsLeftFile;
    static const QString ChangesFile;
    static const QString RawFolder;
    static const QString SnapshotsFolder;

private:
    explicit ServiceJob(const QString &dir)
        : m_dir(dir)
    {}
    bool saveInfo(const Info &info, QString *error);
    bool saveInventory(const QString &name, const InventoryRecord &record, QString *error);

    QString m_dir;
    Info m_info;
    bool m_hasAsFound = false;
    bool m_hasAsLeft = false;
    InventoryRecord m_asFound;
    InventoryRecord m_asLeft;

    mutable std::mutex m_changesMutex; // guards m_changes and the writing of changes.json
    QVector<ServiceJournal::Entry> m_changes;
};
