// zelt-bench --transfer: times the transfer and the register check on generated registers and
// checks that both give what their rules taken literally (a scan per record) give.
#pragma once

#include <filesystem>

namespace zelt::bench {

// Returns how many literal comparisons differed (0 when all agree).
int runTransferBench(const std::filesystem::path& dir, int transferSize, int checkSize);

}  // namespace zelt::bench
