// A minimal ZIP archive writer with deflated entries, enough for Office documents.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::reports {


struct ZipEntry {
    std::string name;  // path inside the archive, '/' separated
    std::string data;
};

// The bytes of a ZIP archive holding the entries in order, each compressed with deflate. An archive
// beyond the 4 GB of a ZIP without extensions is an EngineError.
std::string zipArchive(const std::vector<ZipEntry>& entries);

}  // namespace zelt::reports
