#include "can/trafficcalculator.h"

#include "can/abstractcanhandler.h"
#include "can/abstractcanmessagedispatcher.h"
#include "can/busclock.h"

#include <mutex>

namespace {
constexpr int WindowDepth = 2;
constexpr unsigned FallbackBitRate = 250000;
constexpr qint64 BitsPerFrame = 128;
} // namespace

TrafficCalculator::TrafficCalculator(QObject *parent)
    : EventCounter(WindowDepth, parent)
{}

int TrafficCalculator::netMessageCapacityPerInterval() const
{
    const AbstractCanHandler *handler = m_handler.load();
    const qint64 rate = handler ? handler->baudRate() : FallbackBitRate;
    return int(rate * depth() * interval() / (BitsPerFrame * 1000));
}

QString TrafficCalculator::trafficText(int frames, int windowSeconds)
{
    return tr("%n msg / %1 s", nullptr, frames).arg(windowSeconds);
}

void TrafficCalculator::slotNotifyPack(const AbstractCanHandler::MessagePack &pack)
{
    if (!pack.isEmpty())
        inc(pack.size());
}

void TrafficCalculator::shift()
{
    int sum;
    int p;
    {
        std::lock_guard locker(m_mutex);
        sum = get();
        // Frames per second of the bus's time: a recording played at 20x brings twenty seconds
        // of its traffic in each second.
        const AbstractCanHandler *handler = m_handler.load();
        const double rate = BusClock::of(handler ? handler->dispatcher() : nullptr).rate();
        const int perBusTime = rate > 0 && rate != 1.0 ? int(double(sum) / rate + 0.5) : sum;
        emit trafficChanged(trafficText(perBusTime, depth() * interval() / 1000));
        emit trafficChanged(perBusTime);
        sum = shiftLocked();
        p = periodFor(sum);
    }
    emit periodChanged(p);
}
