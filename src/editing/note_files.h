// Note files (operational information) of master records: where a record's note file lives, and
// creating it empty when a record without one is shown.
#pragma once

#include "store/table_set.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::editing {

// The note file of the current record of master table object `number`, as stored name
// ("ZELT\12.vrk"), built from the record's Sv as a whole number (0 before the first post).
std::string noteFileOf(store::TableSet& tables, int number);

// Creates the file empty when it does not exist; returns its path. A file that cannot be created
// is an EngineError with the file's name.
std::filesystem::path ensureNoteFile(const std::filesystem::path& dataDir, const std::string& storedName);

// ensureNoteFile for each of `storedNames` from position `from` on, in order: note files of the
// table directory `tableDir` ("ZELT\\"). The directory is read once instead of looking for each
// file, so that many records are checked at the cost of one listing. Returns the position of the
// first file that cannot be created (its predecessors are done), or storedNames.size().
size_t ensureNoteFiles(const std::filesystem::path& dataDir, const std::string& tableDir,
                       const std::vector<std::string>& storedNames, size_t from);

// The operational information of the current record of master table object `number` as plain
// text, lines separated by CR LF, as the reports print it; "" when the record has no note file.
std::string notePlainText(store::TableSet& tables, int number);

}  // namespace zelt::editing
