#pragma once

// Transmission periods an engineer sets by hand. Below the minimum one periodic message alone
// takes a large share of a 250 kbit/s bus (1 ms is about half of it), so such a period is only
// used when confirmed. Zero and negative values do not send periodically and need no question.
namespace TransmissionPeriod {

constexpr int MinimumMs = 10;

constexpr bool needsConfirmation(int periodMs)
{
    return periodMs > 0 && periodMs < MinimumMs;
}

// A continuous item expects a frame every period (and sends one so in Send); other items' timers
// only mark activity, and their period means nothing to the engineer. Item is a displayable item.
template<typename Item>
bool isPeriodic(const Item *item)
{
    return (item->deviceType() & Item::Continuous) != 0;
}

} // namespace TransmissionPeriod
