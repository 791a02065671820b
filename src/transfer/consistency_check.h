// The register check: live minors and families that the archive shows were taken off the
// register after they were registered are deleted, with their details.
#pragma once

#include "store/table_set.h"
#include "transfer/progress.h"

namespace zelt::transfer {

// Clears the filters of the four masters, then deletes every live minor, and then every live
// family, for which the archive holds the same person (texts exact, dates as dates) with a date
// of deregistration later than the live date of registration DKDN. A blank DKDN is never stale,
// a blank archive DCcU never later. A stale record goes with its details, as the delete hook
// takes them, each person all or nothing under the journal of intent; note files stay. The
// minors' tables stay open, the families' are closed.
void checkRegisters(store::TableSet& tables, Progress& progress);

}  // namespace zelt::transfer
