// The statistical reports' counts by their rules taken literally (every value compared with every
// list entry, the register walked once per reason), to check the fast reports against, and the
// long lists the benchmark gives them.
#pragma once

#include "app/application.h"

#include <filesystem>
#include <string>

namespace zelt::bench {

// Makes every pick list and phrase list the statistical reports read `size` values long: the
// file's own values first, then made-up ones. Run before the program starts (pick lists are read
// at start-up).
void lengthenReportLists(const std::filesystem::path& dataDir, size_t size);

// Compares the last report of `a`, made by menu item `item` (N134, N151 or N156), with the same
// report counted literally over the tables as they are now; "" when they agree, else the first
// difference.
std::string literalDifference(app::Application& a, const std::string& item);

}  // namespace zelt::bench
