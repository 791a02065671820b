// Carrying out a journal of intent: the undo and finish steps run straight on the table and note
// files, and the start-up recovery that completes or undoes a command a crash cut short.
#pragma once

#include "store/intent_journal.h"
#include "store/session.h"

#include <string>
#include <vector>

namespace zelt::store {

// Runs the steps in order on the files of the session's data directory, each table step one
// durable commit of its own. Fails with an engine error on the first table file that cannot be
// opened or written; the steps are idempotent, so running the whole list again is safe.
void runIntentActions(Session& session, const std::vector<IntentAction>& actions);

// The highest counter N in the table file (0 when it holds no record): records a command appends
// afterwards are those above it.
long long highestCounter(Session& session, const std::string& tableFile);

// Restore steps that put back the records with these counters of the table file as they are
// stored now (every field but the counter); counters not in the file give no step.
std::vector<IntentAction> restoreActions(Session& session, const std::string& tableFile,
                                         const std::vector<long long>& counters);

// When the data directory holds a journal: undoes the command (not yet committed) or finishes it
// (committed), then removes the journal. Returns whether there was one. On failure the journal
// stays for the next attempt.
bool recoverPendingIntent(Session& session);

}  // namespace zelt::store
