// Checks a data directory for what no command may ever leave behind: a damaged table file, a live
// master whose link key is not its counter, a detail record whose master is missing from its copy.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::check {

// Every problem found in the table files of `dataDir`, one line each in words a developer reads
// ("ZELT\PNU.db: 2 records point to a missing minor: Sv 17, 18"); empty when the registry is sound.
// Opens the files read-only and changes nothing; a table file that is missing is not a problem.
std::vector<std::string> checkRegistry(const std::filesystem::path& dataDir);

}  // namespace zelt::check
