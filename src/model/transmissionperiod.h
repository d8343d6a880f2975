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

} // namespace TransmissionPeriod
