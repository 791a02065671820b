#include "base/date.h"

#include <cctype>
#include <cstdio>

namespace zelt {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

constexpr long kSerialEpoch = daysFromCivil(1899, 12, 30);

bool readNumber(std::string_view s, size_t& pos, int minDigits, int maxDigits, int& out, int& digits) {
    out = 0;
    digits = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && digits < maxDigits) {
        out = out * 10 + (s[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits >= minDigits;
}

}  // namespace

bool isValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int limit = kDays[month - 1];
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && leap) limit = 29;
    return day <= limit;
}

int daySerial(int year, int month, int day) {
    return static_cast<int>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kSerialEpoch);
}

Ymd civilFromSerial(int serial) {
    long z = serial + kSerialEpoch + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Ymd{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

std::string formatDate(int serial) {
    const Ymd ymd = civilFromSerial(serial);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", ymd.day, ymd.month, ymd.year);
    return buf;
}

std::optional<int> parseDate(std::string_view text, int pivotYear) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    const std::string_view s = text.substr(b, e - b);
    size_t pos = 0;
    int day, month, year, digits;
    if (!readNumber(s, pos, 1, 2, day, digits) || pos >= s.size() || s[pos++] != '.') return std::nullopt;
    if (!readNumber(s, pos, 1, 2, month, digits) || pos >= s.size() || s[pos++] != '.') return std::nullopt;
    if (!readNumber(s, pos, 2, 4, year, digits) || pos != s.size() || digits == 3) return std::nullopt;
    if (digits == 2) {
        // Two-digit years fall in the century window of 50 years either side of the pivot year.
        int candidate = (pivotYear / 100) * 100 + year;
        if (candidate > pivotYear + 50) candidate -= 100;
        else if (candidate <= pivotYear - 50) candidate += 100;
        year = candidate;
    }
    if (!isValidDate(year, month, day)) return std::nullopt;
    return daySerial(year, month, day);
}

std::string isoDate(int serial) {
    const Ymd ymd = civilFromSerial(serial);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

std::optional<int> parseIsoDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    int v[3] = {0, 0, 0};
    const size_t starts[3] = {0, 5, 8}, lens[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (size_t i = 0; i < lens[k]; ++i) {
            const char c = s[starts[k] + i];
            if (c < '0' || c > '9') return std::nullopt;
            v[k] = v[k] * 10 + (c - '0');
        }
    }
    if (!isValidDate(v[0], v[1], v[2])) return std::nullopt;
    return daySerial(v[0], v[1], v[2]);
}

}  // namespace zelt
