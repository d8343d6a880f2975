#include "job/servicejob.h"

#include "job/jobjson.h"
#include "util/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString ServiceJob::JobFile = QStringLiteral("job.json");
const QString ServiceJob::AsFoundFile = QStringLiteral("as-found.json");
const QString ServiceJob::AsLeftFile = QStringLiteral("as-left.json");
const QString ServiceJob::ChangesFile = QStringLiteral("changes.json");
const QString ServiceJob::RawFolder = QStringLiteral("raw");
const QString ServiceJob::SnapshotsFolder = QStringLiteral("snapshots");

namespace {

constexpr int MaxNamePartLength = 60;
constexpr int MaxUniqueTries = 1000;

// A missing file is not an error (`*exists` false); an unreadable one is.
bool readFile(const QString &path, QByteArray *bytes, bool *exists, QString *error)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = ServiceJob::tr("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

QDateTime toSecond(const QDateTime &time)
{
    if (!time.isValid())
        return time;
    const QDateTime utc = time.toUTC();
    return QDateTime::fromSecsSinceEpoch(utc.toSecsSinceEpoch(), Qt::UTC);
}

} // namespace

QString ServiceJob::sanitised(const QString &text)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString out;
    for (const QChar c : text.trimmed()) {
        if (forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QLatin1Char('_');
        else
            out += c;
    }
    out.truncate(MaxNamePartLength);
    // Windows drops a trailing dot or space from a name, so a folder "A." could not be found.
    while (out.endsWith(QLatin1Char('.')) || out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    return out;
}

QString ServiceJob::folderName(const QDateTime &started, const Header &header)
{
    QString what = sanitised(header.serial);
    if (what.isEmpty())
        what = sanitised(header.order);
    if (what.isEmpty())
        what = QStringLiteral("job");
    return started.toUTC().toString(QStringLiteral("yyyy-MM-dd_HHmm_")) + what;
}

std::unique_ptr<ServiceJob> ServiceJob::create(const QString &jobsDir, const Header &header,
                                               QString *error, const Setup &setup)
{
    QDir parent(jobsDir);
    if (!parent.mkpath(QStringLiteral("."))) {
        if (error)
            *error = tr("Cannot make the folder %1").arg(QDir::toNativeSeparators(jobsDir));
        return nullptr;
    }
    const QDateTime started
        = toSecond(setup.started.isValid() ? setup.started : QDateTime::currentDateTimeUtc());
    const QString base = folderName(started, header);
    QString name = base;
    // mkdir fails on an existing folder, so two jobs started in the same minute never share one.
    for (int n = 2; !parent.mkdir(name); ++n) {
        if (n > MaxUniqueTries) {
            if (error)
                *error
                    = tr("Cannot make a job folder in %1").arg(QDir::toNativeSeparators(jobsDir));
            return nullptr;
        }
        name = base + QStringLiteral("-%1").arg(n);
    }
    std::unique_ptr<ServiceJob> job(new ServiceJob(parent.absoluteFilePath(name)));
    QDir dir(job->m_dir);
    if (!dir.mkdir(RawFolder) || !dir.mkdir(SnapshotsFolder)) {
        if (error)
            *error = tr("Cannot make the folders of %1").arg(QDir::toNativeSeparators(job->m_dir));
        return nullptr;
    }
    Info info;
    info.header = header;
    info.started = started;
    info.connection
        = setup.connectionText.isEmpty() ? setup.connection : setup.connectionText.toString();
    info.connectionText = setup.connectionText;
    info.requests = setup.requests;
    info.snapshotBeforeS = setup.snapshotBeforeS;
    info.snapshotAfterS = setup.snapshotAfterS;
    if (!job->saveInfo(info, error))
        return nullptr;
    return job;
}

std::unique_ptr<ServiceJob> ServiceJob::create(const QString &jobsDir, const Header &header,
                                               QString *error)
{
    return create(jobsDir, header, error, Setup());
}

std::unique_ptr<ServiceJob> ServiceJob::open(const QString &dir, QString *error)
{
    std::unique_ptr<ServiceJob> job(new ServiceJob(QFileInfo(dir).absoluteFilePath()));
    QByteArray bytes;
    bool exists = false;
    if (!readFile(job->filePath(JobFile), &bytes, &exists, error))
        return nullptr;
    if (!exists) {
        if (error)
            *error = tr("%1 is not a service job: it has no %2")
                         .arg(QDir::toNativeSeparators(dir), JobFile);
        return nullptr;
    }
    if (!infoFromBytes(bytes, &job->m_info, error))
        return nullptr;
    const struct
    {
        const QString &name;
        bool *has;
        InventoryRecord *record;
    } inventories[] = {{AsFoundFile, &job->m_hasAsFound, &job->m_asFound},
                       {AsLeftFile, &job->m_hasAsLeft, &job->m_asLeft}};
    for (const auto &inv : inventories) {
        bytes.clear();
        if (!readFile(job->filePath(inv.name), &bytes, inv.has, error))
            return nullptr;
        if (*inv.has && !InventoryRecord::fromBytes(bytes, inv.name, inv.record, error))
            return nullptr;
    }
    bytes.clear();
    if (!readFile(job->filePath(ChangesFile), &bytes, &exists, error))
        return nullptr;
    if (exists && !changesFromBytes(bytes, &job->m_changes, error))
        return nullptr;
    return job;
}

QString ServiceJob::filePath(const QString &name) const
{
    return QDir(m_dir).filePath(name);
}

QString ServiceJob::rawDir() const
{
    return filePath(RawFolder);
}

QString ServiceJob::snapshotsDir() const
{
    return filePath(SnapshotsFolder);
}

bool ServiceJob::saveInfo(const Info &info, QString *error)
{
    if (!SaveFile::write(filePath(JobFile), infoToBytes(info), error))
        return false;
    m_info = info;
    return true;
}

bool ServiceJob::setHeader(const Header &header, QString *error)
{
    Info info = m_info;
    info.header = header;
    return saveInfo(info, error);
}

bool ServiceJob::finish(const Health &health, QString *error, const QDateTime &at)
{
    Info info = m_info;
    info.finished = true;
    info.finishedAt = toSecond(at);
    info.hasHealth = true;
    info.health = health;
    return saveInfo(info, error);
}

bool ServiceJob::saveInventory(const QString &name, const InventoryRecord &record, QString *error)
{
    return SaveFile::write(filePath(name), record.toBytes(), error);
}

bool ServiceJob::setAsFound(const InventoryRecord &record, QString *error)
{
    InventoryRecord kept = record;
    kept.taken = toSecond(kept.taken);
    if (!saveInventory(AsFoundFile, kept, error))
        return false;
    m_asFound = kept;
    m_hasAsFound = true;
    return true;
}

bool ServiceJob::setAsLeft(const InventoryRecord &record, QString *error)
{
    InventoryRecord kept = record;
    kept.taken = toSecond(kept.taken);
    if (!saveInventory(AsLeftFile, kept, error))
        return false;
    m_asLeft = kept;
    m_hasAsLeft = true;
    return true;
}

bool ServiceJob::appendChange(const ServiceJournal::Entry &entry, QString *error)
{
    ServiceJournal::Entry kept = entry;
    kept.time = toSecond(kept.time.isValid() ? kept.time : QDateTime::currentDateTimeUtc());
    std::lock_guard<std::mutex> lock(m_changesMutex);
    m_changes << kept;
    return SaveFile::write(filePath(ChangesFile), changesToBytes(m_changes), error);
}

QVector<ServiceJournal::Entry> ServiceJob::changes() const
{
    std::lock_guard<std::mutex> lock(m_changesMutex);
    return m_changes;
}
