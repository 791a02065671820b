// The data bank reports: one list table of a register's records, one row per record.
#pragma once

#include "reports/skeleton.h"
#include "store/table_set.h"

namespace zelt::reports {

enum class DataBank { Families, Minors, ArchivedMinors, ArchivedFamilies };

// Types the data bank into `doc` (a new document), with the filter effects the bank has on its table:
// the live minors' bank leaves "(DKDN<>Null)" in force, the archive minors' bank narrows the
// user's filter to registered minors and leaves the archive unfiltered afterwards.
void dataBank(store::TableSet& tables, DataBank bank, Document& doc);

}  // namespace zelt::reports
