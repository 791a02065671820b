// Today's date and the time of day as the program sees them: the system clock, or a fixed moment
// for scripts and tests.
#pragma once

#include <string>

namespace zelt::app {

class Clock {
public:
    virtual ~Clock() = default;
    // Today as a day serial (day 0 = 30.12.1899), date only.
    virtual int today() const = 0;
    // Seconds since midnight.
    virtual int secondOfDay() const = 0;
};

class SystemClock : public Clock {
public:
    int today() const override;
    int secondOfDay() const override;
};

// A fixed day; its time of day stands at noon until set.
class FixedClock : public Clock {
public:
    explicit FixedClock(int day) : day_(day) {}
    int today() const override { return day_; }
    int secondOfDay() const override { return second_; }
    void set(int day) { day_ = day; }
    void setSecondOfDay(int second) { second_ = second; }

private:
    int day_;
    int second_ = 12 * 3600;
};

// The moment as a safety copy is named by it: "2026-12-10 14-03-22".
std::string stampOf(const Clock& clock);

}  // namespace zelt::app
