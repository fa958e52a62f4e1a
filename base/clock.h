// The program's clock: local date in seconds since 1970-01-01 00:00:00
// counted in local time (no time zone conversion when read back).
// Replaceable so that tests can fix the time.
#pragma once

#include <cstdint>
#include <functional>

namespace kestrova {

std::int64_t LocalNowSeconds();
// Installs a clock; an empty function restores the system clock.
void SetClock(std::function<std::int64_t()> clock);

}  // namespace kestrova
