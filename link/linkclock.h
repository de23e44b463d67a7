#pragma once

// The clock that times the link's waits, and the deadline arithmetic on its instants.

#include <chrono>
#include <functional>

// An instant of a steady clock, in integer nanoseconds. The limits must hold after days of uptime
// and across midnight, so neither a time of day nor a floating-point count of seconds is used.
using LinkInstant = std::chrono::steady_clock::time_point;
// Where the link takes its instants from; tests put a fake clock here.
using LinkClock = std::function<LinkInstant()>;

inline LinkInstant SteadyNow()
{
    return std::chrono::steady_clock::now();
}

// start + limit, held at the clock's largest instant instead of overflowing.
constexpr LinkInstant LimitAfter(LinkInstant start, std::chrono::nanoseconds limit)
{
    if (start.time_since_epoch() > LinkInstant::duration::max() - limit)
        return LinkInstant::max();
    return start + limit;
}
