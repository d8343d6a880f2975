#include "app/livebuscheck.h"
#include "app/workerprogress.h"

#include "buscheck/checkreport.h"
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "util/savefile.h"

#include <QFileInfo>
#include <QThread>

#include <atomic>

// One learning on its worker thread. The GUI thread sets `cancelled`; the worker reads it
// between functions and stretches.
struct LiveBusCheck::LearningRun
{
    std::atomic<bool> cancelled{false};
    double marginPercent = 0;
};

LiveBusCheck::LiveBusCheck(QObject *parent)
    : QObject(parent)
{
    m_advance.setInterval(DefaultAdvanceMs);
    connect(&m_advance, &QTimer::timeout, this, &LiveBusCheck::slotAdvance);
}

LiveBusCheck::~LiveBusCheck()
{
    // Learning threads post to this object: they end before it does. No signal now: whoever
    // listens may be going too.
    if (m_run)
        m_run->cancelled.store(true);
    for (QThread *thread : findChildren<QThread *>(QString(), Qt::FindDirectChildrenOnly))
        thread->wait();
}

qint64 LiveBusCheck::nowUs() const
{
    if (m_clock)
        return m_clock();
    if (const AbstractCanHandler *handler = m_handler)
        return handler->messageElapsedTimer() * 1000;
    return qMax<qint64>(0, m_lastFrameUs);
}

void LiveBusCheck::slotNotifyPack(const AbstractCanHandler::MessagePack &pack)
{
    for (const auto &pair : pack) {
        const DispatchResult &result = pair.second;
        // Frames the adapter could not send never reached the bus.
        const bool onBus = result.isReceived()
                           || (result.status.testFlag(DispatchResult::Dispatched)
                               && !result.status.testFlag(DispatchResult::TransmitError));
        if (!onBus)
            continue;
        const qint64 timeUs = result.timestamp * 1000;
        m_lastFrameUs = qMax(m_lastFrameUs, timeUs);
        takeForLearning(pair.first, timeUs, result.item);
        if (isRunning())
            m_checker->take(pair.first, timeUs, result.item);
    }
}

void LiveBusCheck::takeForLearning(const CanMessage &message, qint64 timeUs,
                                   AbstractDisplayableItem *item)
{
    if (m_stretches.empty() || timeUs >= m_stretches.back().startUs + m_stretchUs) {
        // Stretches lie on a grid from the first one, so each covers one length of time.
        qint64 startUs = timeUs;
        if (!m_stretches.empty()) {
            const qint64 origin = m_stretches.back().startUs;
            startUs = origin + (timeUs - origin) / m_stretchUs * m_stretchUs;
        }
        m_stretches.push_back(Stretch{startUs, std::make_shared<BusLearner>()});
        while (m_stretches.size() > size_t(StretchLimit))
            m_stretches.pop_front();
    }
    m_stretches.back().learner->take(message, timeUs, item);
}

LiveBusCheck::Stretches LiveBusCheck::stretchesToLearn(int stretches) const
{
    Stretches taken;
    if (m_stretches.empty())
        return taken;
    // The stretches that meet the last `stretches` lengths of time: the current one is seldom
    // complete, so the oldest one taken reaches further back.
    const qint64 fromUs = m_lastFrameUs - qint64(qMax(1, stretches)) * m_stretchUs;
    auto first = m_stretches.end() - 1;
    while (first != m_stretches.begin() && (first - 1)->startUs + m_stretchUs > fromUs)
        --first;
    for (auto it = first; it + 1 != m_stretches.end(); ++it)
        taken.push_back(it->learner);
    // The current stretch goes on taking frames while a worker joins it.
    taken.push_back(std::make_shared<const BusLearner>(*m_stretches.back().learner));
    return taken;
}

std::shared_ptr<BusLearner> LiveBusCheck::join(const Stretches &stretches, qint64 endUs,
                                               const std::function<bool(int percent)> &progress)
{
    // Joining copies the gaps; working out the periods sorts them and takes most of the time.
    constexpr int JoinShare = 20;
    auto joined = std::make_shared<BusLearner>();
    for (size_t i = 0; i < stretches.size(); ++i) {
        if (progress && !progress(int(JoinShare * i / stretches.size())))
            return nullptr;
        joined->append(*stretches[i]);
    }
    if (joined->isEmpty())
        return nullptr;
    const bool finished = joined->finish(qMax(endUs, joined->endUs()), [&](int done, int total) {
        return !progress || progress(JoinShare + (100 - JoinShare) * done / qMax(1, total));
    });
    return finished ? joined : nullptr;
}

int LiveBusCheck::apply(const BusLearner &joined, const QList<AbstractDisplayableItem *> &devices,
                        double marginPercent)
{
    BusLearner::Settings settings;
    settings.marginPercent = marginPercent;
    m_outside = joined.sourcesOutside(devices);
    return joined.apply(devices, settings);
}

int LiveBusCheck::learn(const QList<AbstractDisplayableItem *> &devices, int stretches,
                        double marginPercent)
{
    const std::shared_ptr<BusLearner> joined = join(stretchesToLearn(stretches), m_lastFrameUs, {});
    return joined ? apply(*joined, devices, marginPercent) : -1;
}

bool LiveBusCheck::startLearning(int stretches, double marginPercent)
{
    if (m_run || m_stretches.empty())
        return false;
    m_learned.reset();
    auto run = std::make_shared<LearningRun>();
    run->marginPercent = marginPercent;
    m_run = run;
    // The worker owns what it reads: shared completed stretches and a copy of the current one.
    QThread *worker
        = QThread::create([this, run, taken = stretchesToLearn(stretches), endUs = m_lastFrameUs] {
              const std::shared_ptr<BusLearner> joined = join(
                  taken, endUs, workerProgress(this, run->cancelled, [this, run](int percent) {
                      if (run == m_run)
                          emit learningProgress(percent);
                  }));
              // Handed back by value: the GUI thread alone touches it from now on.
              QMetaObject::invokeMethod(
                  this, [this, run, joined] { learningDone(run, joined); }, Qt::QueuedConnection);
          });
    worker->setParent(this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
    return true;
}

void LiveBusCheck::learningDone(const std::shared_ptr<LearningRun> &run,
                                const std::shared_ptr<BusLearner> &joined)
{
    // A cancelled learning has already ended.
    if (run != m_run)
        return;
    m_run.reset();
    m_learned = joined;
    m_learnedMargin = run->marginPercent;
    emit learningEnded(true);
}

void LiveBusCheck::cancelLearning()
{
    if (!m_run)
        return;
    m_run->cancelled.store(true);
    m_run.reset();
    emit learningEnded(false);
}

int LiveBusCheck::applyLearned(const QList<AbstractDisplayableItem *> &devices)
{
    const std::shared_ptr<BusLearner> joined = std::move(m_learned);
    m_learned.reset();
    return joined ? apply(*joined, devices, m_learnedMargin) : -1;
}

void LiveBusCheck::start(const QList<AbstractDisplayableItem *> &devices, const QString &bus)
{
    stop();
    m_checker = std::make_unique<BusChecker>();
    m_checkedBus = bus;
    BusChecker::Settings settings;
    if (const AbstractCanHandler *handler = m_handler)
        settings.bitrate = int(handler->baudRate());
    settings.judgeSentItems = true;
    m_checker->setSettings(settings);
    m_checker->setListener([this](int index, const Deviation &) { emit deviationChanged(index); });
    m_checker->setDevices(devices);
    m_advance.start();
    emit started();
}

void LiveBusCheck::stop()
{
    if (!isRunning())
        return;
    m_advance.stop();
    m_checker->finish(nowUs() - m_lagUs);
    emit stopped();
}

void LiveBusCheck::slotAdvance()
{
    if (!isRunning())
        return;
    m_checker->advance(nowUs() - m_lagUs);
    emit advanced();
}

bool LiveBusCheck::saveReport(const QString &path, const QString &scheme, QString *error) const
{
    if (!m_checker) {
        if (error)
            *error = tr("No check has run yet.");
        return false;
    }
    // A file for tools: the source keeps one name whatever the language.
    const CheckReport::Source source{QStringLiteral("live bus"), scheme, m_checker->startUs(),
                                     m_checker->nowUs()};
    const bool junit
        = QFileInfo(path).suffix().compare(QLatin1String("xml"), Qt::CaseInsensitive) == 0;
    // The check of one of several buses names it, as the console's check of a recording of
    // several does; a window of one bus writes the report it always wrote.
    if (!m_checkedBus.isEmpty()) {
        const QVector<CheckReport::Bus> buses{{m_checkedBus, m_checker.get()}};
        return SaveFile::write(
            path, junit ? CheckReport::junit(buses, source) : CheckReport::json(buses, source),
            error);
    }
    return SaveFile::write(path,
                           junit ? CheckReport::junit(*m_checker, source)
                                 : CheckReport::json(*m_checker, source),
                           error);
}

void LiveBusCheck::forgetLearned()
{
    cancelLearning();
    m_learned.reset();
    m_stretches.clear();
}

void LiveBusCheck::switchBus(const AbstractCanHandler *handler)
{
    stop();
    forgetLearned();
    m_lastFrameUs = -1;
    m_outside.clear();
    m_handler = handler;
}
