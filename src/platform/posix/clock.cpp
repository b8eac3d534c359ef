#include "platform/clock.h"

namespace platform {

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

} // namespace platform
