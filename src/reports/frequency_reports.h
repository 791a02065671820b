// The statistical reports: the minors' report (how often each value a field can be given occurs
// in the minors' register and its details) and the family control report (the control phrases in
// the families' control notes). Each counts first, then types the document, so a list file that
// cannot be read ends the command before any document exists.
#pragma once

#include "reports/document.h"
#include "reports/value_counts.h"
#include "store/table_set.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zelt::reports {

// One counted section: its heading (also its table's second column title) and its list with counts.
struct FrequencySection {
    std::string heading;
    ValueCounts counts;
};

// The control phrases of "kontpnu_r.vrk", read at the first family, counted over the `KKDN` lines
// of the families Table9 shows; no family leaves the list unread and empty. Table9 ends on its
// last record. A list file that cannot be created or read is an EngineError.
FrequencySection countFamilyControl(store::TableSet& tables, const std::filesystem::path& dataDir);
void typeFamilyControl(const FrequencySection& section, Document& doc);

// How a section of the minors' report counts: a field of the minor (table 1) or of his court,
// commission or prevention-work records (2 to 4), with the field, line or prefix rule; its list
// is the items of the card's combo box for `listField` of the same table, or a phrase file.
enum class CountRule { Field, Lines, Prefix };
struct MinorsSection {
    const char* heading;
    int table;
    const char* field;
    CountRule rule;
    const char* listField;
    const char* phraseFile;
};
const std::vector<MinorsSection>& minorsSections();

// The items the combo box of the minors' card for `field` of table object `table` shows, as loaded
// at start-up.
using PickListItems = std::function<std::vector<std::string>(int table, const char* field)>;

// The nineteen sections of the minors' report counted over the minors Table1 shows and their
// court, commission and prevention-work records (Table2 to Table4). Each phrase list is read at the
// first record that needs it and never when its table holds no record. Table1 ends on its last
// record, each detail table on the last record of that minor.
std::vector<FrequencySection> countMinors(store::TableSet& tables, const PickListItems& pickList,
                                          const std::filesystem::path& dataDir);
void typeMinorsReport(const std::vector<FrequencySection>& sections, Document& doc);

}  // namespace zelt::reports
