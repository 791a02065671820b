#include "reports/zip.h"

#include <array>

#include "base/error.h"

namespace zelt::reports {

namespace {

std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// 1980-01-01 00:00, the earliest DOS date: the archive does not depend on the clock.
constexpr uint32_t kDosTime = 0;
constexpr uint32_t kDosDate = (0 << 9) | (1 << 5) | 1;
constexpr uint32_t kVersion = 20;

}  // namespace

uint32_t crc32(std::string_view data) {
    static const std::array<uint32_t, 256> table = makeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : data) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string zipStored(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const ZipEntry& e : entries) {
        if (e.data.size() >= 0xFFFFFFFFu || out.size() >= 0xFFFFFFFFu || entries.size() >= 0xFFFF)
            throw EngineError("Документ слишком велик для записи.");
        uint32_t crc = crc32(e.data);
        uint32_t offset = static_cast<uint32_t>(out.size());
        uint32_t size = static_cast<uint32_t>(e.data.size());
        uint32_t nameLen = static_cast<uint32_t>(e.name.size());

        put32(out, 0x04034b50);
        put16(out, kVersion);
        put16(out, 0);  // flags
        put16(out, 0);  // stored
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, nameLen);
        put16(out, 0);  // extra
        out += e.name;
        out += e.data;

        put32(central, 0x02014b50);
        put16(central, kVersion);  // made by
        put16(central, kVersion);  // needed
        put16(central, 0);
        put16(central, 0);
        put16(central, kDosTime);
        put16(central, kDosDate);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, nameLen);
        put16(central, 0);  // extra
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, offset);
        central += e.name;
    }
    uint32_t centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(entries.size()));
    put16(out, static_cast<uint32_t>(entries.size()));
    put32(out, static_cast<uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);  // comment
    return out;
}

}  // namespace zelt::reports
