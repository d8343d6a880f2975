#include "app/jobsession.h"

#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "can/busnames.h"
#include "can/replaycanhandler.h"
#include "can/tooladdress.h"
#include "descriptions/unitnames.h"
#include "diagnostics/identificationcodec.h"
#include "diagnostics/journalnotes.h"
#include "diagnostics/toolrequest.h"
#include "job/inventorycomparison.h"
#include "job/jobbustap.h"
#include "job/jobreport.h"
#include "job/parameterring.h"
#include "job/snapshotwriter.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QRunnable>

#include <algorithm>

namespace {

// The values a read or a write noted: "what = value" lines, "what: before → after" lines.
bool splitRead(const QString &line, QString *what, QString *value)
{
    const int at = line.lastIndexOf(QStringLiteral(" = "));
    if (at <= 0)
        return false;
    *what = line.left(at);
    *value = line.mid(at + 3);
    return true;
}

bool splitWrite(const QString &line, QString *what, QString *before, QString *after)
{
    const int arrow = line.lastIndexOf(QStringLiteral(" \u2192 "));
    const int colon = arrow > 0 ? line.lastIndexOf(QStringLiteral(": "), arrow) : -1;
    if (colon <= 0)
        return false;
    *what = line.left(colon);
    *before = line.mid(colon + 2, arrow - colon - 2);
    *after = line.mid(arrow + 3);
    return true;
}

InventoryRecord::Unit *unitLabelled(InventoryRecord *record, const QString &label)
{
    for (InventoryRecord::Unit &u : record->units) {
        if (u.label == label)
            return &u;
    }
    return nullptr;
}

void setValue(InventoryRecord::Unit *unit, const QString &what, const QString &value, bool keep)
{
    for (InventoryRecord::Value &v : unit->values) {
        if (v.what == what) {
            if (!keep)
                v.value = value;
            return;
        }
    }
    unit->values.append({what, value});
}

// What the refresh found fills what the first inventory missed; what was found stays.
void fillIn(InventoryRecord *found, const InventoryRecord &again)
{
    for (const InventoryRecord::Unit &u : again.units) {
        auto it = std::find_if(found->units.begin(), found->units.end(),
                               [&](const InventoryRecord::Unit &f) {
                                   return f.address == u.address && f.bus == u.bus;
                               });
        if (it == found->units.end()) {
            found->units.append(u);
            continue;
        }
        for (auto field : {&InventoryRecord::Unit::name, &InventoryRecord::Unit::ecu,
                           &InventoryRecord::Unit::software, &InventoryRecord::Unit::component,
                           &InventoryRecord::Unit::vin}) {
            if ((*it).*field == QString())
                (*it).*field = u.*field;
        }
        if (it->calibrations.isEmpty())
            it->calibrations = u.calibrations;
        if (!it->activeKnown) {
            it->active = u.active;
            it->activeKnown = u.activeKnown;
        }
        if (!it->previousKnown) {
            it->previous = u.previous;
            it->previousKnown = u.previousKnown;
        }
    }
    found->sortUnits();
}

// Whether an inventory may ask the units of a bus: it is open and it is not a recording played
// back (which cannot answer); the demo bus's simulated units can.
bool mayAsk(const AbstractCanHandler *handler)
{
    if (!handler || !handler->isOpen())
        return false;
    const auto *replay = qobject_cast<const ReplayCanHandler *>(handler);
    return !replay || replay->playingPath().isEmpty();
}

quint8 busNumberOf(const AbstractCanHandler *handler)
{
    const AbstractCanMessageDispatcher *bus = handler ? handler->dispatcher() : nullptr;
    return quint8(bus ? bus->busNumber() : 0);
}

// The units a bus's inventory found, without the tool asking from its address on that bus.
void dropTool(InventoryRecord *record, const AbstractCanHandler *handler)
{
    const quint8 tool = ToolAddress::of(handler ? handler->dispatcher() : nullptr).current();
    record->units.erase(
        std::remove_if(record->units.begin(), record->units.end(),
                       [tool](const InventoryRecord::Unit &u) { return u.address == tool; }),
        record->units.end());
}

} // namespace

const QVector<quint32> &JobSession::inventoryRequests()
{
    namespace Codec = IdentificationCodec;
    static const QVector<quint32> pgns{0xEE00,
                                       Codec::PgnEcu,
                                       Codec::PgnSoftware,
                                       Codec::PgnComponent,
                                       Codec::PgnVehicle,
                                       Codec::PgnDm19,
                                       0xFECA,
                                       0xFECB};
    return pgns;
}

JobSession::JobSession(QObject *parent)
    : QObject(parent)
    , m_reportWriter(new JobReportWriter(this))
{
    connect(m_reportWriter, &JobReportWriter::progressed, this, &JobSession::reportProgress);
    connect(m_reportWriter, &JobReportWriter::ended, this, &JobSession::reportDone);
    m_writing.setMaxThreadCount(1);
    m_inventoryTimer.setSingleShot(true);
    connect(&m_inventoryTimer, &QTimer::timeout, this, &JobSession::inventoryDone);
    connect(&m_requestTimer, &QTimer::timeout, this, &JobSession::sendRequest);
    connect(&m_sampleTimer, &QTimer::timeout, this, &JobSession::sample);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        if (!m_tap)
            return;
        m_tap->flush();
        const QString error = m_tap->rawError();
        if (!error.isEmpty() && m_rawError != error) {
            m_rawError = error;
            emit message(tr("The job's raw recording stopped: %1").arg(error));
        }
    });
    connect(&m_snapshotTimer, &QTimer::timeout, this, [this] { writeSnapshots(); });
}

JobSession::~JobSession()
{
    close();
}

void JobSession::setBus(AbstractCanHandler *handler, const TranslatableText &connection)
{
    m_handler = handler;
    m_connection = connection;
    if (m_tap)
        m_tap->attach(handler);
}

void JobSession::setOtherBuses(const QList<AbstractCanHandler *> &handlers)
{
    m_otherBuses.clear();
    for (AbstractCanHandler *handler : handlers)
        m_otherBuses << handler;
    if (m_tap)
        m_tap->attachOthers(handlers);
}

bool JobSession::requestsAllowed() const
{
    return mayAsk(m_handler);
}

QString JobSession::title() const
{
    if (!m_job)
        return QString();
    const ServiceJob::Header h = m_job->header();
    for (const QString &text : {h.serial, h.vin, h.order}) {
        if (!text.isEmpty())
            return text;
    }
    return QDir(m_job->dir()).dirName();
}

bool JobSession::start(const QString &jobsDir, const ServiceJob::Header &header, QString *error)
{
    close();
    ServiceJob::Setup setup;
    setup.connectionText = m_connection;
    setup.requests = requestsAllowed();
    setup.snapshotBeforeS = m_timing.snapshotBeforeS;
    setup.snapshotAfterS = m_timing.snapshotAfterS;
    auto job = ServiceJob::create(jobsDir, header, error, setup);
    if (!job || !begin(std::move(job), error))
        return false;
    takeInventory(Taking::AsFound);
    return true;
}

bool JobSession::open(const QString &dir, QString *error)
{
    close();
    auto job = ServiceJob::open(dir, error);
    if (!job)
        return false;
    if (job->isFinished()) {
        // A finished job is for reading: nothing more is recorded into it.
        m_job = std::move(job);
        emit jobChanged();
        return true;
    }
    if (!begin(std::move(job), error))
        return false;
    // The values read and written before the job was left.
    for (const ServiceJournal::Entry &e : m_job->changes())
        noteValues(e, nullptr);
    if (!m_job->hasAsFound())
        takeInventory(Taking::AsFound);
    return true;
}

bool JobSession::begin(std::unique_ptr<ServiceJob> job, QString *error)
{
    if (!QDir().mkpath(job->rawDir()) || !QDir().mkpath(job->snapshotsDir())) {
        if (error)
            *error = tr("Cannot make the folders of %1").arg(job->dir());
        return false;
    }
    m_job = std::move(job);
    m_lastValues.clear();
    m_rawError.clear();
    m_tap = std::make_unique<JobBusTap>(m_job->rawDir(), m_timing.partBytes);
    const qint64 beforeUs = qint64(m_job->snapshotBeforeS()) * 1000000;
    const qint64 afterUs = qint64(m_job->snapshotAfterS()) * 1000000;
    m_tap->setSnapshotWindow(beforeUs, afterUs);
    connect(
        m_tap.get(), &JobBusTap::snapshotsReady, this, [this] { writeSnapshots(); },
        Qt::QueuedConnection);
    m_parameters = std::make_unique<ParameterRing>(beforeUs + afterUs + 2000000);
    m_columns.clear();
    m_writer = std::make_shared<SnapshotWriter>(m_job->snapshotsDir());
    m_tap->attach(m_handler);
    QList<AbstractCanHandler *> others;
    for (const QPointer<AbstractCanHandler> &handler : qAsConst(m_otherBuses)) {
        if (handler)
            others << handler.data();
    }
    m_tap->attachOthers(others);
    // Notes come from any thread; they join the job in the GUI thread, in order.
    QPointer<JobSession> self(this);
    ServiceJournal::setListener([self](const ServiceJournal::Entry &entry) {
        if (self)
            QMetaObject::invokeMethod(
                self,
                [self, entry] {
                    if (self)
                        self->journal(entry);
                },
                Qt::QueuedConnection);
    });
    m_sampleTimer.start(m_timing.sampleMs);
    m_flushTimer.start(m_timing.flushMs);
    m_snapshotTimer.start(m_timing.snapshotCheckMs);
    emit jobChanged();
    return true;
}

void JobSession::close()
{
    if (!m_job)
        return;
    // The report of a job no longer open would come to whatever is open then.
    cancelReport();
    ServiceJournal::setListener({});
    m_inventoryTimer.stop();
    m_requestTimer.stop();
    m_sampleTimer.stop();
    m_flushTimer.stop();
    m_snapshotTimer.stop();
    m_taking = Taking::Nothing;
    if (m_tap) {
        m_tap->detach();
        // Snapshots still collecting keep what they have: the folder is all there is.
        if (!m_job->isFinished())
            writeSnapshots(true);
        m_tap->flush();
    }
    waitForSnapshots();
    m_tap.reset();
    m_writer.reset();
    m_parameters.reset();
    m_job.reset();
    emit jobChanged();
}

void JobSession::takeInventory(Taking kind)
{
    if (!m_tap || m_taking != Taking::Nothing)
        return;
    m_taking = kind;
    m_tap->startInventory();
    m_requesting = requestsAllowed();
    for (const QPointer<AbstractCanHandler> &other : qAsConst(m_otherBuses))
        m_requesting = m_requesting || mayAsk(other);
    m_nextRequest = 0;
    if (m_requesting)
        m_requestTimer.start(m_timing.requestSpacingMs);
    m_inventoryTimer.start(m_timing.listenMs);
    emit inventoryStarted(kind == Taking::AsLeft);
    emit message(kind == Taking::AsLeft ? tr("Taking the inventory as left…")
                                        : tr("Taking the inventory of the bus…"));
}

void JobSession::sendRequest()
{
    const QVector<quint32> &pgns = inventoryRequests();
    if (m_nextRequest >= pgns.size()) {
        m_requestTimer.stop();
        return;
    }
    // Every bus that can answer is asked, each from the tool's address there.
    const quint32 pgn = pgns.at(m_nextRequest++);
    QList<AbstractCanHandler *> buses{m_handler.data()};
    for (const QPointer<AbstractCanHandler> &other : qAsConst(m_otherBuses))
        buses << other.data();
    for (AbstractCanHandler *handler : qAsConst(buses)) {
        if (mayAsk(handler))
            handler->sendMessage(
                ToolRequest::frame(pgn, quint8(CanMessage::GlobalAddress),
                                   ToolAddress::of(handler->dispatcher()).current()));
    }
}

bool JobSession::refreshInventory()
{
    if (!m_tap || m_job->isFinished() || m_taking != Taking::Nothing)
        return false;
    takeInventory(Taking::Refresh);
    return true;
}

bool JobSession::finish()
{
    if (!m_tap || m_job->isFinished() || m_taking != Taking::Nothing)
        return false;
    takeInventory(Taking::AsLeft);
    return true;
}

void JobSession::inventoryDone()
{
    m_requestTimer.stop();
    const Taking kind = m_taking;
    m_taking = Taking::Nothing;
    if (!m_tap || kind == Taking::Nothing)
        return;
    const QMap<quint8, Inventory> others = m_tap->takeOtherInventories();
    const QDateTime taken = QDateTime::currentDateTimeUtc();
    InventoryRecord record = InventoryRecord::fromInventory(
        m_tap->takeInventory(), unitLabels(m_handler ? m_handler->dispatcher() : nullptr), taken,
        m_requesting);
    // The tool's own requests come from its address: it is no unit of the machine.
    dropTool(&record, m_handler);
    // The window's other buses: their units, named with their bus, follow the job's bus's.
    for (const QPointer<AbstractCanHandler> &handler : qAsConst(m_otherBuses)) {
        const auto inventory = handler ? others.constFind(busNumberOf(handler)) : others.cend();
        if (inventory == others.cend())
            continue;
        InventoryRecord bus = InventoryRecord::fromInventory(
            *inventory, unitLabels(handler->dispatcher()), taken, m_requesting,
            BusNames::defaultName(busNumberOf(handler)));
        dropTool(&bus, handler);
        record.units << bus.units;
    }
    record.sortUnits();
    QString error;
    bool ok = true;
    if (kind == Taking::AsLeft) {
        for (InventoryRecord::Unit &u : record.units) {
            const auto values = m_lastValues.value(u.label);
            for (auto it = values.cbegin(); it != values.cend(); ++it)
                setValue(&u, it.key(), it.value(), false);
        }
        ok = m_job->setAsLeft(record, &error);
    } else {
        if (kind == Taking::Refresh && m_job->hasAsFound()) {
            InventoryRecord found = m_job->asFound();
            fillIn(&found, record);
            record = found;
        }
        for (const ServiceJournal::Entry &e : m_job->changes())
            noteValues(e, &record);
        ok = m_job->setAsFound(record, &error);
        // The VIN comes from the bus when the engineer had none to give.
        ServiceJob::Header header = m_job->header();
        if (header.vin.isEmpty()) {
            for (const InventoryRecord::Unit &u : record.units) {
                if (!u.vin.isEmpty()) {
                    header.vin = u.vin;
                    m_job->setHeader(header, nullptr);
                    emit jobChanged();
                    break;
                }
            }
        }
    }
    if (!ok)
        emit message(error);
    emit inventoryTaken(kind == Taking::AsLeft);
    if (kind != Taking::AsLeft) {
        emit message(tr("Inventory: %n unit(s) found", nullptr, int(record.units.size())));
        return;
    }
    // The end of the job: the bus's health, the snapshots still collecting, the report.
    const JobBusTap::Health h = m_tap->health();
    ServiceJob::Health health;
    health.frames = h.frames;
    health.loadMeanPercent = h.loadMeanPercent;
    health.loadMaxPercent = h.loadMaxPercent;
    health.transportAborts = h.transportAborts;
    const qint64 nowUs = m_tap->nowUs();
    QMap<QString, quint8> busNumbers; // the other buses, by name
    for (const QPointer<AbstractCanHandler> &handler : qAsConst(m_otherBuses)) {
        if (handler)
            busNumbers.insert(BusNames::defaultName(busNumberOf(handler)), busNumberOf(handler));
    }
    for (const InventoryRecord::Unit &u : m_job->asFound().units) {
        // A unit of a bus no longer in the window was not heard: it is silent.
        const int bus = u.bus.isEmpty() ? busNumberOf(m_handler) : busNumbers.value(u.bus, 0xFF);
        const qint64 last
            = bus == 0xFF ? -1 : h.lastSeenUs.value(JobBusTap::unitKey(bus, quint8(u.address)), -1);
        if (last >= 0 && nowUs - last <= qint64(m_timing.silentAfterMs) * 1000)
            continue;
        const QString hex
            = QStringLiteral("0x")
              + QStringLiteral("%1").arg(u.address, 2, 16, QLatin1Char('0')).toUpper();
        health.silentUnits << (u.bus.isEmpty() ? hex : u.bus + QLatin1Char(' ') + hex);
    }
    m_tap->detach();
    writeSnapshots(true);
    waitForSnapshots();
    m_tap->flush();
    m_sampleTimer.stop();
    m_snapshotTimer.stop();
    m_flushTimer.stop();
    ServiceJournal::setListener({});
    if (!m_job->finish(health, &error)) {
        emit message(error);
        return;
    }
    m_tap.reset();
    emit jobChanged();
    // A long visit's report takes a while: finished() comes once it is written.
    cancelReport();
    m_finishing = startReport();
}

bool JobSession::startReport()
{
    if (!m_job
        || !m_reportWriter->start(m_job->dir(), m_job->filePath(QStringLiteral("report.html")),
                                  m_job->filePath(QStringLiteral("report.pdf")), m_pageSize))
        return false;
    emit reportStarted();
    return true;
}

void JobSession::reportDone(bool written, const QString &html, const QString &error)
{
    const bool finishing = m_finishing;
    m_finishing = false;
    emit reportEnded(written, html, error);
    if (!finishing)
        return;
    if (written)
        emit finished(html);
    else if (!error.isEmpty())
        emit message(error);
}

void JobSession::journal(const ServiceJournal::Entry &entry)
{
    if (!m_job || m_job->isFinished())
        return;
    QString error;
    if (!m_job->appendChange(entry, &error))
        emit message(error);
    if (noteValues(entry, nullptr) && m_job->hasAsFound()) {
        // A value read for the first time belongs to the machine as found.
        InventoryRecord found = m_job->asFound();
        if (noteValues(entry, &found) && found != m_job->asFound())
            m_job->setAsFound(found, nullptr);
    }
    emit changeAdded();
}

bool JobSession::noteValues(const ServiceJournal::Entry &entry, InventoryRecord *asFound)
{
    const bool read
        = entry.kind == ServiceJournal::MemoryRead || entry.kind == ServiceJournal::TuneRead;
    const bool write
        = entry.kind == ServiceJournal::MemoryWrite || entry.kind == ServiceJournal::TuneWrite;
    if (!read && !write)
        return false;
    InventoryRecord::Unit *unit = asFound ? unitLabelled(asFound, entry.unit) : nullptr;
    for (const QString &line : entry.details) {
        QString what;
        QString before;
        QString after;
        if (read && splitRead(line, &what, &after)) {
            if (unit)
                setValue(unit, what, after, true);
        } else if (write && splitWrite(line, &what, &before, &after)) {
            if (unit)
                setValue(unit, what, before, true);
            if (entry.outcome != ServiceJournal::Outcome::Done)
                continue;
        } else {
            continue;
        }
        if (!asFound)
            m_lastValues[entry.unit][what] = after;
    }
    return true;
}

void JobSession::writeSnapshots(bool finishing)
{
    if (!m_tap || !m_writer || !m_parameters)
        return;
    for (const Snapshot &s : m_tap->takeSnapshots(finishing)) {
        const ParameterSamples samples = m_parameters->samples(s.source, s.fromUs, s.toUs);
        const QString name = unitName(s.source);
        // Written on the job's own thread: a snapshot of a busy bus is megabytes of text and a
        // plot, which the window does not wait for. One at a time, in order.
        std::shared_ptr<SnapshotWriter> writer = m_writer;
        m_writing.start(QRunnable::create([this, writer, s, samples, name] {
            SnapshotWriter::Written written;
            const bool ok = writer->write(s, name, samples, &written);
            const QString text
                = ok ? tr("Fault snapshot %1: %2, %3")
                           .arg(written.id)
                           .arg(UnitNames::translated(SnapshotWriter::unitText(s.source, name)),
                                SnapshotWriter::changeText(s))
                     : writer->errorString();
            // The session waits for this thread before it goes: `this` outlives the call.
            QMetaObject::invokeMethod(
                this,
                [this, ok, id = written.id, text] {
                    if (ok)
                        emit snapshotWritten(id, text);
                    emit message(text);
                },
                Qt::QueuedConnection);
        }));
    }
}

void JobSession::waitForSnapshots()
{
    m_writing.waitForDone();
    // Their news, queued from the writing thread, arrive before anything that follows.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
