#include "app/clock.h"

#include "base/date.h"

#include <cstdio>
#include <ctime>

namespace zelt::app {

int SystemClock::today() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return daySerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int SystemClock::secondOfDay() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

std::string stampOf(const Clock& clock) {
    const int s = clock.secondOfDay();
    char time[16];
    std::snprintf(time, sizeof time, " %02d-%02d-%02d", s / 3600 % 24, s / 60 % 60, s % 60);
    return isoDate(clock.today()) + time;
}

}  // namespace zelt::app
