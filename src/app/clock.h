// Today's date as the program sees it: the system clock, or a fixed date for scripts and tests.
#pragma once

namespace zelt::app {

class Clock {
public:
    virtual ~Clock() = default;
    // Today as a day serial (day 0 = 30.12.1899), date only.
    virtual int today() const = 0;
};

class SystemClock : public Clock {
public:
    int today() const override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(int day) : day_(day) {}
    int today() const override { return day_; }
    void set(int day) { day_ = day; }

private:
    int day_;
};

}  // namespace zelt::app
