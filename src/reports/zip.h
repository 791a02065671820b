// A minimal ZIP archive writer with deflated entries, enough for Office documents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::reports {

struct ZipEntry {
    std::string name;  // path inside the archive, '/' separated
    std::string data;
};

// Builds an archive in memory entry by entry. An entry's bytes may arrive in pieces and are
// compressed as they come, so a large part is never held uncompressed. An archive beyond the 4 GB
// of a ZIP without extensions is an EngineError.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void beginEntry(const std::string& name);
    void write(std::string_view data);
    void endEntry();
    // The archive's bytes; the writer is spent.
    std::string finish();

private:
    struct Deflater;
    std::unique_ptr<Deflater> entry_;
    std::string name_;
    std::string out_, central_;
    uint32_t count_ = 0;
};

// The bytes of a ZIP archive holding the entries in order, each compressed with deflate.
std::string zipArchive(const std::vector<ZipEntry>& entries);

}  // namespace zelt::reports
