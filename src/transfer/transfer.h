// Merging another installation's minors, families and others (the transfer copy of the table
// tree) into the live and archive tables of this one, one person at a time, all or nothing.
#pragma once

#include "store/table_set.h"
#include "transfer/progress.h"

namespace zelt::transfer {

// Opens every source table of the merge (masters and details of the transfer copies of minors,
// families and others) read-only, checks that each is a table file of its layout, and closes it
// again. A damaged, foreign or differently laid out file fails with the engine's error naming it;
// nothing has been changed then.
void checkSources(store::TableSet& tables);

// The merge itself, after checkSources(): the preparation (tables closed and opened, the progress
// maximum), the six phases in order, and every table the phases touched closed at the end. The
// transfer files are only read. Each person (master, details, note file) is merged whole or not
// at all, also across a crash, through the journal of intent; an error ends the merge at the
// person where it happened, with the persons before it merged.
void mergeTransfer(store::TableSet& tables, Progress& progress);

}  // namespace zelt::transfer
