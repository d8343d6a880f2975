#include "app/livebuscheck.h"

#include "buscheck/checkreport.h"
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "util/savefile.h"

#include <QFileInfo>

LiveBusCheck::LiveBusCheck(QObject *parent)
    : QObject(parent)
{
    m_advance.setInterval(DefaultAdvanceMs);
    connect(&m_advance, &QTimer::timeout, this, &LiveBusCheck::slotAdvance);
}

LiveBusCheck::~LiveBusCheck() = default;

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
        m_stretches.push_back(Stretch{startUs, BusLearner()});
        while (m_stretches.size() > size_t(StretchLimit))
            m_stretches.pop_front();
    }
    m_stretches.back().learner.take(message, timeUs, item);
}

int LiveBusCheck::learn(const QList<AbstractDisplayableItem *> &devices, int stretches,
                        double marginPercent)
{
    if (m_stretches.empty())
        return -1;
    // The stretches that meet the last `stretches` lengths of time: the current one is seldom
    // complete, so the oldest one taken reaches further back.
    const qint64 fromUs = m_lastFrameUs - qint64(qMax(1, stretches)) * m_stretchUs;
    auto first = m_stretches.end() - 1;
    while (first != m_stretches.begin() && (first - 1)->startUs + m_stretchUs > fromUs)
        --first;
    BusLearner joined;
    for (auto it = first; it != m_stretches.end(); ++it)
        joined.append(it->learner);
    if (joined.isEmpty())
        return -1;
    joined.finish(qMax(m_lastFrameUs, joined.endUs()));
    BusLearner::Settings settings;
    settings.marginPercent = marginPercent;
    m_outside = joined.sourcesOutside(devices);
    return joined.apply(devices, settings);
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
