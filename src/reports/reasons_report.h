// The registration reasons report: for each reason of the reasons list, the minors whose
// registration reasons hold it, as one table typed into the document.
#pragma once

#include "reports/document.h"
#include "store/table_set.h"

#include <filesystem>

namespace zelt::reports {

// Types the title and the table header, then reads "pr_kdn_p.vrk" (never created): a missing or
// unreadable file is an EngineError raised with the title and header already typed. Each reason
// in file order gets its row and one numbered row per line of a minor's `PKDN` equal to it, the
// minors in Table1's order; the register is walked once, and only when the list has a reason.
// Table1 ends on its last record.
void registrationReasonsReport(store::TableSet& tables, const std::filesystem::path& dataDir, Document& doc);

}  // namespace zelt::reports
