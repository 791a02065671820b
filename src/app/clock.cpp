#include "app/clock.h"

#include "base/date.h"

#include <ctime>

namespace zelt::app {

int SystemClock::today() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return daySerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace zelt::app
