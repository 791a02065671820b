// The age rule: whole 365.25-day years between the date of birth and today.
#pragma once

namespace zelt {

// Absolute day difference divided by 365.25, truncated, kept to its low 16 bits. A blank date of
// birth is day 0 (30.12.1899), so it gives the years since then.
inline unsigned ageInYears(int todaySerial, int birthSerial) {
    const long diff = todaySerial > birthSerial ? long(todaySerial) - birthSerial : long(birthSerial) - todaySerial;
    const long years = static_cast<long>(static_cast<double>(diff) / 365.25);
    return static_cast<unsigned>(years) & 0xFFFFu;
}

}  // namespace zelt
