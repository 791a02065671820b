// Dates as typed, as stored and as day serials.
#include "base/date.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelt {
namespace {

TEST(ParseDate, ReadsTypedDatesAndRefusesTheRest) {
    struct Case {
        const char* text;
        int pivot;
        const char* expected;  // nullptr: not a date
    };
    const std::vector<Case> cases = {
        {"1.2.2005", 2000, "01.02.2005"},
        {" 29.02.2004 ", 2000, "29.02.2004"},
        {"29.02.2005", 2000, nullptr},
        {"31.04.2005", 2000, nullptr},
        {"01.01.205", 2000, nullptr},
        {"01.01.20055", 2000, nullptr},
        {"1-1-2005", 2000, nullptr},
        {"01.13.2005", 2000, nullptr},
        {"", 2000, nullptr},
        // two-digit years: within 50 years of the pivot
        {"01.01.05", 2000, "01.01.2005"},
        {"01.01.50", 2000, "01.01.2050"},
        {"01.01.51", 2000, "01.01.1951"},
        {"01.01.99", 2000, "01.01.1999"},
        {"01.01.76", 2026, "01.01.2076"},
        {"01.01.77", 2026, "01.01.1977"},
    };
    for (const Case& c : cases) {
        const auto serial = parseDate(c.text, c.pivot);
        if (c.expected == nullptr) {
            EXPECT_FALSE(serial.has_value()) << c.text;
        } else {
            ASSERT_TRUE(serial.has_value()) << c.text;
            EXPECT_EQ(formatDate(*serial), c.expected) << c.text;
        }
    }
}

TEST(DaySerial, CountsFromTheEngineCalendarsDayZero) {
    EXPECT_EQ(daySerial(1899, 12, 30), 0);
    EXPECT_EQ(daySerial(1900, 3, 1), 61);
    EXPECT_EQ(daySerial(2000, 1, 1), 36526);
    for (int serial : {-700000, 0, 1, 36526, 46000, 2900000}) {
        const Ymd ymd = civilFromSerial(serial);
        EXPECT_EQ(daySerial(ymd.year, ymd.month, ymd.day), serial);
    }
}

TEST(IsoDate, IsTheStoredFormAndChecksItsFields) {
    EXPECT_EQ(isoDate(daySerial(2005, 3, 15)), "2005-03-15");
    EXPECT_EQ(parseIsoDate("2005-03-15"), daySerial(2005, 3, 15));
    for (const char* bad : {"2005-3-15", "2005-02-30", "2005-13-01", "2005/03/15", "20a5-03-15", ""})
        EXPECT_FALSE(parseIsoDate(bad).has_value()) << bad;
}

}  // namespace
}  // namespace zelt
