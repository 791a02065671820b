// Emptying a group of table files as one command: every file checked before any is emptied, and a
// journal of intent that finishes the emptying at the next start when a crash cuts it short.
#pragma once

#include "store/session.h"
#include "store/table_set.h"

#include <string>
#include <vector>

namespace zelt::store {

// Opens the table file (its layout and password checked) and takes and gives back its write lock
// without changing anything; throws the engine error of a file that cannot be opened or written
// (missing, held by another program, read only, damaged).
void checkWritable(Session& session, const std::string& tableFile);

// Empties the table files in order, all or nothing across a crash: each is checked first, and
// the first that cannot be used ends the command with its error before anything is emptied. Then
// a journal, committed from the start, names every file to empty; the files are emptied and the
// journal removed. A failure while emptying leaves the journal, which the next start (or the next
// command) completes. Every record goes; each file keeps its counter, indexes and password.
// The table objects of those files must be closed.
void emptyTableFiles(Session& session, const std::string& command, const std::vector<std::string>& tableFiles);

// A journal left by a command that failed in this run, or by a crash before it, is settled before
// the next command begins; the open tables then read their files anew. Returns whether there was one.
bool settlePendingIntent(TableSet& tables);

}  // namespace zelt::store
