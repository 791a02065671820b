// Note files (operational information) of master records: where a record's note file lives, and
// creating it empty when a record without one is shown.
#pragma once

#include "store/table_set.h"

#include <filesystem>
#include <string>

namespace zelt::editing {

// The note file of the current record of master table object `number`, as stored name
// ("ZELT\12.vrk"), built from the record's Sv as a whole number (0 before the first post).
std::string noteFileOf(store::TableSet& tables, int number);

// Creates the file empty when it does not exist; returns its path. A file that cannot be created
// is an EngineError with the file's name.
std::filesystem::path ensureNoteFile(const std::filesystem::path& dataDir, const std::string& storedName);

// The operational information of the current record of master table object `number` as plain
// text, lines separated by CR LF, as the reports print it; "" when the record has no note file.
std::string notePlainText(store::TableSet& tables, int number);

}  // namespace zelt::editing
