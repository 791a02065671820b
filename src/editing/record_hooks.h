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

// What a walk over the records master table object `number` shows, from its first record to past
// its last, does through the after-scroll hook, without reading each record: the note file of
// every record made, the cursor left on the last record at the end (on an empty table, where
// first() leaves it). A note file that cannot be made ends it on that record with the hook's
// error, as it would end the walk there.
void walkNoteFiles(store::TableSet& tables, int number);

// Attaches every hook to the table objects. The host must outlive the tables' use.
void installRecordHooks(store::TableSet& tables, HookHost& host);

}  // namespace zelt::editing
