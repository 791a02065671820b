// The universal reports: a list of the live minors or families whose columns are the choices the
// user ticked in the picker, in the picker's order.
#pragma once

#include "reports/skeleton.h"
#include "store/table_set.h"

#include <string>
#include <vector>

namespace zelt::reports {

enum class Universal { Minors, Families };

// The picker's choices in list order; each is also its column's header.
const std::vector<std::string>& universalChoices(Universal which);

// Types the report over the records the user's filter shows, in the grid's order, with one
// column per ticked choice (`ticked` has one entry per choice). The caller makes sure one is ticked.
void universalReport(store::TableSet& tables, Universal which, const std::vector<bool>& ticked, Document& doc);

}  // namespace zelt::reports
