// How long the session goes without input before it counts as idle and the
// desktop rests: $ZELKORA_IDLE_SECONDS, 5 minutes unless set.
#pragma once

#include <cstdlib>

namespace host {

inline unsigned IdleMilliseconds() {
    const char* s = std::getenv("ZELKORA_IDLE_SECONDS");
    long seconds = s ? std::strtol(s, nullptr, 10) : 0;
    return seconds > 0 && seconds < 86400 ? unsigned(seconds) * 1000 : 5 * 60 * 1000;
}

} // namespace host
