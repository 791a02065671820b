// The physical table file: one SQLite database holding one data table of a layout, its indexes
// and a metadata table with the format version and the password check.
#pragma once

#include "store/layout.h"
#include "store/sqlite.h"
#include "store/tree.h"

#include <filesystem>
#include <string>

namespace zelt::store {

inline constexpr int kFormatVersion = 1;

// The check value stored for a table password. It tells a right password from a wrong one; it
// does not encrypt the file.
std::string passwordCheck(const std::string& password);

// Creates a new empty table file at `path` (its directory is created too) with the layout's data
// table, the given indexes and the password check. Refuses to touch an existing file.
void createTableFile(const std::filesystem::path& path, const std::string& displayName, const Layout& layout,
                     const std::vector<IndexDef>& indexes, const std::string& password);

// Opens an existing table file and checks that it is one of ours, of this layout: every field of
// the layout in record order with its type. Returns the stored password check. A read-only file
// (a file from another installation) is opened so that nothing is ever written into it.
sql::Connection openTableFile(const std::filesystem::path& path, const std::string& displayName, const Layout& layout,
                              std::string& storedPasswordCheck, bool readOnly = false);

// Adds to an open table file those of `indexes` it lacks. A file that cannot take them now (read
// only, busy, full) stays as it is and works without them, only slower.
void addMissingIndexes(sql::Connection& db, const Layout& layout, const std::vector<IndexDef>& indexes);

// SQL column type of a field type: INTEGER for the counter, REAL for numbers, TEXT otherwise.
const char* columnType(FieldType t);

}  // namespace zelt::store
