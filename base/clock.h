// The program's clock: local date in seconds since 1970-01-01 00:00:00
// counted in local time (no time zone conversion when read back).
// Replaceable so that tests can fix the time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace kestrova {

std::int64_t LocalNowSeconds();
// Installs a clock; an empty function restores the system clock.
void SetClock(std::function<std::int64_t()> clock);

// The monotonic clock every delay and time limit is measured with (the
// progress window's delay, event pumping, network inactivity). Replaceable
// so that tests move time forward themselves instead of sleeping.
using MonotonicTime = std::chrono::steady_clock::time_point;
MonotonicTime MonotonicNow();
// Installs a monotonic clock; an empty function restores the system clock.
void SetMonotonicClock(std::function<MonotonicTime()> clock);

// A monotonic clock for tests: starts at an arbitrary point and moves only
// when told to. It is the program's monotonic clock from its construction
// to its destruction.
class ManualMonotonicClock {
public:
    ManualMonotonicClock();
    ~ManualMonotonicClock();
    ManualMonotonicClock(const ManualMonotonicClock&) = delete;
    ManualMonotonicClock& operator=(const ManualMonotonicClock&) = delete;

    void Advance(std::chrono::nanoseconds step);
    MonotonicTime Now() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace kestrova
