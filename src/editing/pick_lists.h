// Pick lists: the list files that fill the combo boxes' drop-down lists at start-up, and the
// caption labels whose double click opens a field's list file in the text editor.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::editing {

// One row of the load order: the file read at that step and the combo boxes it fills, in order.
struct PickListRow {
    int order;
    const char* file;
    std::vector<const char*> comboBoxes;
};
const std::vector<PickListRow>& pickListRows();

// Whether the combo box holds its list sorted alphabetically (collatesBefore) rather than in file
// order: the minors' card's combo boxes do, except the occupation list.
bool holdsListSorted(std::string_view comboBox);

// The combo box with a fixed list that reads no file.
extern const char* const kSexComboBox;
const std::vector<std::string>& sexValues();

// What the loading read: the values of each combo box filled, in file order, and the read error
// that ended it ("" when none).
struct LoadedPickLists {
    std::map<std::string, std::vector<std::string>> values;
    std::string readError;
};

// Reads the list files in load order, steps 1 to 24 (a step without a row reads the previous file
// again and adds nothing), creating missing files empty. The first file that cannot be created or
// opened ends the loading silently; a file that opens but cannot be read ends it with its error.
// Either way the files read before it keep their values.
LoadedPickLists loadPickLists(const std::filesystem::path& dataDir);

// A caption label that opens a list file: on a double click, or on a single click for Label31.
struct ListLabel {
    const char* label;
    const char* file;
    bool singleClick;
};
const std::vector<ListLabel>& listLabels();

}  // namespace zelt::editing
