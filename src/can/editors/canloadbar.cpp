#include "can/editors/canloadbar.h"

#include "can/trafficcalculator.h"

#include <algorithm>

CanLoadBar::CanLoadBar(TrafficCalculator *calculator, QWidget *parent)
    : QProgressBar(parent)
    , m_calculator(calculator)
{
    setMaximumWidth(200);
    setAlignment(Qt::AlignCenter);
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
}

int CanLoadBar::capacity() const
{
    return m_calculator ? m_calculator->netMessageCapacityPerInterval() : 0;
}

void CanLoadBar::setLoad(int frames)
{
    m_load = frames;
    // The bar's scale is the whole capacity; QProgressBar ignores values out of range, so clamp.
    setValue(std::clamp(int(loadPercentage()), minimum(), maximum()));
    update();
}

double CanLoadBar::loadPercentage() const
{
    const int cap = capacity();
    return cap > 0 ? double(m_load) * 100.0 / cap : 0.0;
}

QString CanLoadBar::text() const
{
    return QStringLiteral("%1 %").arg(loadPercentage(), 0, 'f', 1);
}
