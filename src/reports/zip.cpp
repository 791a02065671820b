#include "reports/zip.h"

#include <zlib.h>

#include "base/error.h"

namespace zelt::reports {

namespace {

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
constexpr uint32_t kDeflated = 8;

// Raw deflate (no zlib header), as ZIP's method 8 stores it.
std::string deflated(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EngineError("Не удаётся сжать документ.");
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw EngineError("Не удаётся сжать документ.");
    return out;
}

}  // namespace

std::string zipArchive(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const ZipEntry& e : entries) {
        if (e.data.size() >= 0xFFFFFFFFu || out.size() >= 0xFFFFFFFFu || entries.size() >= 0xFFFF)
            throw EngineError("Документ слишком велик для записи.");
        const uint32_t crc = static_cast<uint32_t>(
            ::crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
        const std::string packed = deflated(e.data);
        if (packed.size() >= 0xFFFFFFFFu - out.size()) throw EngineError("Документ слишком велик для записи.");
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t size = static_cast<uint32_t>(e.data.size());
        const uint32_t packedSize = static_cast<uint32_t>(packed.size());
        uint32_t nameLen = static_cast<uint32_t>(e.name.size());

        put32(out, 0x04034b50);
        put16(out, kVersion);
        put16(out, 0);  // flags
        put16(out, kDeflated);
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, packedSize);
        put32(out, size);
        put16(out, nameLen);
        put16(out, 0);  // extra
        out += e.name;
        out += packed;

        put32(central, 0x02014b50);
        put16(central, kVersion);  // made by
        put16(central, kVersion);  // needed
        put16(central, 0);  // flags
        put16(central, kDeflated);
        put16(central, kDosTime);
        put16(central, kDosDate);
        put32(central, crc);
        put32(central, packedSize);
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
