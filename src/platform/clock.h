// The local time, as the user's system sets its zone.
#pragma once

#include <ctime>

namespace platform {

// The broken-down local time of a moment; thread-safe.
std::tm LocalTime(std::time_t moment);

} // namespace platform
