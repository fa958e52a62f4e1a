#include "base/clock.h"

#include <ctime>

namespace kestrova {

namespace {
std::function<std::int64_t()>& ClockSlot()
{
    static std::function<std::int64_t()> slot;
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

}  // namespace kestrova
