#include "can/trafficcalculator.h"

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
    const AbstractCanHandler *handler = AbstractCanHandler::instance();
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
        emit trafficChanged(trafficText(sum, depth() * interval() / 1000));
        emit trafficChanged(sum);
        sum = shiftLocked();
        p = periodFor(sum);
    }
    emit periodChanged(p);
}
