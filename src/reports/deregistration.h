// The reports on people taken off the register (counts by quarter, the families of a year) and
// the list of convicted minors.
#pragma once

#include "reports/skeleton.h"
#include "store/table_set.h"

#include <string>

namespace zelt::reports {

// The archive filter admitting the records taken off the register in quarter q (1 to 4) of
// `year`, the upper bound excluded: (DCcU>='01.01.2024')and(DCcU<'01.04.2024').
std::string quarterFilter(int quarter, int year);

enum class Archive { Minors, Families };

// The 6 by 5 table of deregistrations by quarter for `year` and the year before, with the count of
// each reason. Leaves the archive table unfiltered (a failure leaves the quarter filter in force).
void quarterCounts(store::TableSet& tables, Archive archive, int year, Document& doc);

// The families taken off the register in each quarter of `year`, one table per quarter. Leaves
// the archived families unfiltered.
void yearlyFamilyList(store::TableSet& tables, int year, Document& doc);

// The live minors the user's filter shows that have court proceedings, each once with all of them.
void convictedList(store::TableSet& tables, Document& doc);

}  // namespace zelt::reports
