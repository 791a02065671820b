// The record hooks: link key after a master's post, the filter warning and the master post before
// inserts, the cascade before a master's delete, and the note file on every change of record.
#pragma once

#include "store/table_set.h"

#include <filesystem>
#include <string>

namespace zelt::editing {

extern const char* const kFilterWarningF1;
extern const char* const kFilterWarningF2;

// What the hooks need from the window that owns the tables.
class HookHost {
public:
    virtual ~HookHost() = default;
    // A message box with OK.
    virtual void showMessage(const std::string& text) = 0;
    // Master table object `number` shows a new current record whose note file is `path` (it exists
    // now): the operational-information boxes of that table take it. An empty path: the record's
    // note file could not be created, and the hook throws that error next.
    virtual void noteFileShown(int number, const std::filesystem::path& path) = 0;
};

// Attaches every hook to the table objects. The host must outlive the tables' use.
void installRecordHooks(store::TableSet& tables, HookHost& host);

}  // namespace zelt::editing
