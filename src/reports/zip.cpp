#include "reports/zip.h"

#include <zlib.h>

#include <algorithm>

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

}  // namespace

// Raw deflate (no zlib header), as ZIP's method 8 stores it, with the CRC and size of what went in.
struct ZipWriter::Deflater {
    z_stream z{};
    std::string packed;
    uint32_t crc = 0;
    uint64_t size = 0;

    Deflater() {
        if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw EngineError("Не удаётся сжать документ.");
        crc = static_cast<uint32_t>(::crc32(0, nullptr, 0));
    }
    ~Deflater() { deflateEnd(&z); }

    // Compresses `data`; with `finish`, also everything zlib still holds.
    void run(std::string_view data, bool finish) {
        // zlib counts in uInt: feed a huge piece in slices.
        const size_t kSlice = 1u << 30;
        do {
            const size_t n = std::min(data.size(), kSlice);
            const bool last = n == data.size();
            // crc32 with no buffer answers its initial value: only real bytes go in.
            if (n > 0)
                crc = static_cast<uint32_t>(::crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(n)));
            size += n;
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
            z.avail_in = static_cast<uInt>(n);
            const int flush = finish && last ? Z_FINISH : Z_NO_FLUSH;
            int rc;
            do {
                char buf[64 * 1024];
                z.next_out = reinterpret_cast<Bytef*>(buf);
                z.avail_out = sizeof buf;
                rc = deflate(&z, flush);
                if (rc == Z_STREAM_ERROR) throw EngineError("Не удаётся сжать документ.");
                packed.append(buf, sizeof buf - z.avail_out);
            } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
            data.remove_prefix(n);
        } while (!data.empty());
    }
};

ZipWriter::ZipWriter() = default;
ZipWriter::~ZipWriter() = default;

void ZipWriter::beginEntry(const std::string& name) {
    if (entry_) endEntry();
    name_ = name;
    entry_ = std::make_unique<Deflater>();
}

void ZipWriter::write(std::string_view data) {
    if (!data.empty()) entry_->run(data, false);
}

void ZipWriter::endEntry() {
    if (!entry_) return;
    entry_->run(std::string_view(), true);
    const Deflater& e = *entry_;
    if (e.size >= 0xFFFFFFFFu || out_.size() >= 0xFFFFFFFFu || count_ >= 0xFFFF ||
        e.packed.size() >= 0xFFFFFFFFu - out_.size())
        throw EngineError("Документ слишком велик для записи.");
    const uint32_t offset = static_cast<uint32_t>(out_.size());
    const uint32_t size = static_cast<uint32_t>(e.size);
    const uint32_t packedSize = static_cast<uint32_t>(e.packed.size());
    const uint32_t nameLen = static_cast<uint32_t>(name_.size());

    put32(out_, 0x04034b50);
    put16(out_, kVersion);
    put16(out_, 0);  // flags
    put16(out_, kDeflated);
    put16(out_, kDosTime);
    put16(out_, kDosDate);
    put32(out_, e.crc);
    put32(out_, packedSize);
    put32(out_, size);
    put16(out_, nameLen);
    put16(out_, 0);  // extra
    out_ += name_;
    out_ += e.packed;

    put32(central_, 0x02014b50);
    put16(central_, kVersion);  // made by
    put16(central_, kVersion);  // needed
    put16(central_, 0);  // flags
    put16(central_, kDeflated);
    put16(central_, kDosTime);
    put16(central_, kDosDate);
    put32(central_, e.crc);
    put32(central_, packedSize);
    put32(central_, size);
    put16(central_, nameLen);
    put16(central_, 0);  // extra
    put16(central_, 0);  // comment
    put16(central_, 0);  // disk
    put16(central_, 0);  // internal attributes
    put32(central_, 0);  // external attributes
    put32(central_, offset);
    central_ += name_;
    ++count_;
    entry_.reset();
}

std::string ZipWriter::finish() {
    endEntry();
    const uint32_t centralOffset = static_cast<uint32_t>(out_.size());
    std::string out = std::move(out_);
    out += central_;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count_);
    put16(out, count_);
    put32(out, static_cast<uint32_t>(central_.size()));
    put32(out, centralOffset);
    put16(out, 0);  // comment
    return out;
}

std::string zipArchive(const std::vector<ZipEntry>& entries) {
    if (entries.size() >= 0xFFFF) throw EngineError("Документ слишком велик для записи.");
    ZipWriter zip;
    for (const ZipEntry& e : entries) {
        zip.beginEntry(e.name);
        zip.write(e.data);
        zip.endEntry();
    }
    return zip.finish();
}

}  // namespace zelt::reports
