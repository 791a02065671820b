// List files: the cp1251 text files of one value per line that hold pick lists, phrase lists and
// the settings and region files of the data directory.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::editing {

// The lines of a list file as UTF-8, in file order, each taken whole: no trimming, an empty line
// gives an empty value, duplicates stay. CR LF, a lone CR and a lone LF each end a line; a last
// line without an end still counts, and an empty file has no lines. A byte cp1251 leaves
// unassigned reads as U+FFFD. A missing file is created empty first. A file that cannot be
// created or read is an EngineError naming it.
std::vector<std::string> readListFile(const std::filesystem::path& path);

// readListFile for a file the caller must not create: a missing file is an EngineError naming it,
// as one that cannot be read.
std::vector<std::string> readExistingListFile(const std::filesystem::path& path);

// The first line of the list file as readListFile reads it; "" for an empty file.
std::string firstLine(const std::filesystem::path& path);

// Replaces the file's content with `lines` in cp1251, each ended by CR LF (characters cp1251
// cannot hold become '?'). The text goes to a temporary file in the same folder that then takes
// the file's place, so a failure never leaves a half-written file. EngineError naming the file
// when it cannot be written.
void writeListFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace zelt::editing
