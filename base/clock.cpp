#include "base/clock.h"

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>

namespace kestrova {

namespace {
std::function<std::int64_t()>& ClockSlot()
{
    static std::function<std::int64_t()> slot;
    return slot;
}
std::mutex& MonotonicMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<MonotonicTime()>& MonotonicSlot()
{
    static std::function<MonotonicTime()> slot;
    return slot;
}

}  // namespace

std::int64_t LocalNowSeconds()
{
    if (ClockSlot())
        return ClockSlot()();
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(now) + local.tm_gmtoff;
}

void SetClock(std::function<std::int64_t()> clock)
{
    ClockSlot() = std::move(clock);
}

MonotonicTime MonotonicNow()
{
    std::function<MonotonicTime()> clock;
    {
        std::lock_guard<std::mutex> lock(MonotonicMutex());
        clock = MonotonicSlot();
    }
    return clock ? clock() : std::chrono::steady_clock::now();
}

void SetMonotonicClock(std::function<MonotonicTime()> clock)
{
    std::lock_guard<std::mutex> lock(MonotonicMutex());
    MonotonicSlot() = std::move(clock);
}

struct ManualMonotonicClock::Shared {
    std::atomic<std::int64_t> elapsed{0};
    MonotonicTime start = std::chrono::steady_clock::now();
};

ManualMonotonicClock::ManualMonotonicClock() : shared_(std::make_shared<Shared>())
{
    // The function holds the state too: a thread that took the function just
    // before the destructor ran still reads valid memory.
    std::shared_ptr<Shared> s = shared_;
    SetMonotonicClock([s] { return s->start + std::chrono::nanoseconds(s->elapsed.load()); });
}

ManualMonotonicClock::~ManualMonotonicClock()
{
    SetMonotonicClock({});
}

void ManualMonotonicClock::Advance(std::chrono::nanoseconds step)
{
    shared_->elapsed += step.count();
}

MonotonicTime ManualMonotonicClock::Now() const
{
    return shared_->start + std::chrono::nanoseconds(shared_->elapsed.load());
}

}  // namespace kestrova
