// A minimal ZIP archive writer with stored (uncompressed) entries, enough for Office documents.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::reports {

// CRC-32 as ZIP uses it (polynomial 0xEDB88320, initial and final value inverted).
uint32_t crc32(std::string_view data);

struct ZipEntry {
    std::string name;  // path inside the archive, '/' separated
    std::string data;
};

// The bytes of a ZIP archive holding the entries in order, each stored without compression.
std::string zipStored(const std::vector<ZipEntry>& entries);

}  // namespace zelt::reports
