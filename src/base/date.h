// Calendar dates as day serials (day 0 = 30 December 1899), with the day.month.year text form
// the registry shows and types, and the ISO form the table files store.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelt {

struct Ymd {
    int year;
    int month;
    int day;
};

// Days since 30.12.1899 (the engine calendar's day zero) for a valid civil date.
int daySerial(int year, int month, int day);
Ymd civilFromSerial(int serial);
bool isValidDate(int year, int month, int day);

// "dd.mm.yyyy" with leading zeros.
std::string formatDate(int serial);
// Reads day.month.year as typed: one or two digits for day and month, four digits for the year
// (two digits are taken as 19yy/20yy within 50 years of `pivotYear`). Blanks around are ignored.
// Returns nothing for any other text or an impossible date.
std::optional<int> parseDate(std::string_view text, int pivotYear = 2000);

// "yyyy-mm-dd", the stored form.
std::string isoDate(int serial);
std::optional<int> parseIsoDate(std::string_view text);

}  // namespace zelt
