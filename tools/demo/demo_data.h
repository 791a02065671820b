// Deterministic generator of realistic demo registers (minors, families, others, institutions) and
// of the pick lists and phrase lists that go with them, for filling a fresh data directory.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zelt::demo {

// One record as field name -> display text, in layout order. Dates are "dd.mm.yyyy", numbers plain
// ("16"), texts as a user would type them (UTF-8, every character representable in cp1251; memo
// lines are separated by "\r\n"). Blank fields are left out; N and Sv never appear.
struct Record {
    std::vector<std::pair<std::string, std::string>> fields;
};

struct Master {
    Record record;
    // Detail layout name ("PNU", "PKO", "PIR", "SD", "PKOR", "PR", "PKOP", "PKOU") -> record, in
    // date order per layout. A PKOU record carries Naim: the first 10 characters of its
    // institution's Naim, the value the master link would give it.
    std::vector<std::pair<std::string, Record>> details;
    // The person was taken off the register: minors and families carry DCcU and OCcU (families also
    // PCcU); the others' layout has no deregistration fields, so for them only this flag tells.
    // Such a master belongs in the archive copy. Institutions are never archived.
    bool archived = false;
    // Operational information as plain text, one or two sentences; may be empty.
    std::string note;
};

struct Sizes {
    int minors = 1000;
    int families = 600;
    int others = 200;
    int institutions = 40;
    // Share of the minors, families and others that are archived (rounded to whole records).
    double archivedShare = 0.25;
};

struct DemoData {
    std::vector<Master> minors;        // ZELT with PNU, PKO, PIR
    std::vector<Master> families;      // BDS with SD, PKOR, PR
    std::vector<Master> others;        // Prochie with PKOP
    std::vector<Master> institutions;  // Uch with PKOU
    // List file name ("ul.vrk") -> its lines: every pick list and phrase list of the program,
    // holding the values the records above are drawn from.
    std::vector<std::pair<std::string, std::vector<std::string>>> listFiles;
};

// The same sizes, seed and day give the same data. Dates lie before or on `todaySerial` (a day
// serial), ages are counted to that day. Runs in time linear in the sizes.
DemoData generateDemo(const Sizes& sizes, unsigned seed, int todaySerial);

}  // namespace zelt::demo
