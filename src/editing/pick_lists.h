// Pick lists: the order in which the list files that fill the combo boxes' drop-down lists are read
// at start-up, and the reading itself.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zelt::editing {

// One step of the load order: the list file read at that step.
struct ListFileStep {
    int order;
    const char* file;
};
const std::vector<ListFileStep>& pickListSteps();

// What one step fills: the file and the combo boxes that show its lines, in order.
struct PickListRow {
    int order;
    std::string file;
    std::vector<std::string> comboBoxes;
};

// What the loading read: the values of each combo box filled, in file order, and the read error
// that ended it ("" when none).
struct LoadedPickLists {
    std::map<std::string, std::vector<std::string>> values;
    std::string readError;
};

// Reads the list files of `rows` in their order, steps 1 to the last row's (a step without a row
// reads the previous file again and adds nothing), creating missing files empty. The first file that
// cannot be created or opened ends the loading silently; a file that opens but cannot be read ends
// it with its error. Either way the files read before it keep their values.
LoadedPickLists loadPickLists(const std::filesystem::path& dataDir, const std::vector<PickListRow>& rows);

}  // namespace zelt::editing
