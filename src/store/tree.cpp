#include "store/tree.h"

#include "base/error.h"
#include "base/text.h"
#include "store/layout.h"
#include "store/store_error.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <system_error>
#include <unordered_map>

namespace zelt::store {
namespace {

std::vector<TableObjectDef> buildObjects() {
    std::vector<TableObjectDef> v;
    // The minors' and parents' registers exist in four copies with the same numbering pattern:
    // master, then its three details, each copy eight objects further on.
    const Copy copies[] = {Copy::Live, Copy::Archive, Copy::Transfer, Copy::TransferArchive};
    const char* const minors[] = {"ZELT", "PNU", "PKO", "PIR"};
    const char* const parents[] = {"BDS", "SD", "PKOR", "PR"};
    auto addRegister = [&v](int first, Copy copy, const char* const (&names)[4]) {
        v.push_back({first, copy, names[0], 0, {}, ""});
        for (int i = 1; i < 4; ++i) v.push_back({first + i, copy, names[i], first, {"Sv"}, "Sv1"});
    };
    addRegister(1, Copy::Live, minors);
    addRegister(5, Copy::Archive, minors);
    addRegister(9, Copy::Live, parents);
    addRegister(13, Copy::Archive, parents);
    addRegister(17, Copy::Transfer, minors);
    addRegister(21, Copy::Transfer, parents);
    addRegister(25, Copy::TransferArchive, minors);
    addRegister(29, Copy::TransferArchive, parents);
    for (int k = 0; k < 4; ++k) {
        const int m = 33 + 2 * k;
        v.push_back({m, copies[k], "Prochie", 0, {}, ""});
        v.push_back({m + 1, copies[k], "PKOP", m, {"Sv"}, "Sv1"});
    }
    v.push_back({41, Copy::Live, "Uch", 0, {}, ""});
    // The institutions' archive and transfer objects are reserved: nothing opens them.
    v.push_back({42, Copy::Archive, "Uch", 0, {}, ""});
    v.push_back({43, Copy::Live, "PKOU", 41, {"Sv", "Naim"}, "SvNaim"});
    v.push_back({44, Copy::Transfer, "Uch", 0, {}, ""});
    v.push_back({45, Copy::TransferArchive, "Uch", 0, {}, ""});
    v.push_back({46, Copy::Archive, "PKOU", 0, {}, ""});
    v.push_back({47, Copy::Transfer, "PKOU", 0, {}, ""});
    v.push_back({48, Copy::TransferArchive, "PKOU", 0, {}, ""});
    std::sort(v.begin(), v.end(), [](const TableObjectDef& a, const TableObjectDef& b) { return a.number < b.number; });
    return v;
}

bool upperCaseExtension(std::string_view table) {
    return equalsIgnoreCaseAscii(table, "Prochie") || equalsIgnoreCaseAscii(table, "Uch") ||
           equalsIgnoreCaseAscii(table, "PKOU");
}

}  // namespace

const std::vector<TableObjectDef>& tableObjects() {
    static const std::vector<TableObjectDef> objects = buildObjects();
    return objects;
}

const TableObjectDef& tableObject(int number) {
    if (number < 1 || number > 48) throw valueFault(Fault::NoTableObject, "Table" + std::to_string(number));
    return tableObjects()[static_cast<size_t>(number - 1)];
}

const char* copyPrefix(Copy copy) {
    switch (copy) {
        case Copy::Live: return "";
        case Copy::Archive: return "Arxiv\\";
        case Copy::Transfer: return "Perenos\\";
        case Copy::TransferArchive: return "Perenos\\Arxiv\\";
    }
    return "";
}

std::string tableDirName(Copy copy, std::string_view table) {
    return std::string(copyPrefix(copy)) + std::string(table) + "\\";
}

std::string tableFileName(Copy copy, std::string_view table) {
    return tableDirName(copy, table) + std::string(table) + (upperCaseExtension(table) ? ".DB" : ".db");
}

std::string noteFileName(Copy copy, std::string_view table, long long sv) {
    return tableDirName(copy, table) + std::to_string(sv) + ".vrk";
}

namespace {

// Directory listings by lower-case name, kept while the directory's modification time stays the
// same, so that looking for many missing files in a large directory scans it once.
struct Listing {
    std::filesystem::file_time_type mtime;
    std::chrono::steady_clock::time_point readAt;
    std::chrono::steady_clock::duration readTook{};
    std::unordered_map<std::string, std::string> byLowerName;
};

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::unordered_map<std::string, Listing>& listings() {
    static std::unordered_map<std::string, Listing> cache;
    return cache;
}

// The entry of `dir` whose name equals `part` in another case, or nothing.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& dir, const std::string& part) {
    std::error_code ec;
    const auto mtime = std::filesystem::last_write_time(dir, ec);
    if (ec) return std::nullopt;
    Listing& l = listings()[dir.string()];
    const auto read = [&] {
        l.byLowerName.clear();
        l.mtime = mtime;
        const auto started = std::chrono::steady_clock::now();
        for (std::filesystem::directory_iterator it(dir, ec), endIt; !ec && it != endIt; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            l.byLowerName.emplace(lowerAscii(name), name);
        }
        l.readAt = std::chrono::steady_clock::now();
        l.readTook = l.readAt - started;
    };
    // The modification time has a coarse tick: a listing is trusted for a miss only while it is
    // fresh, and a remembered name is checked before it is used. Fresh is a second, or ten times
    // what reading the listing took, so that a directory of many thousand note files is not read
    // again and again while a walk creates the missing ones.
    if (l.byLowerName.empty() || l.mtime != mtime) read();
    auto hit = l.byLowerName.find(lowerAscii(part));
    const auto trusted = std::max<std::chrono::steady_clock::duration>(std::chrono::seconds(1), 10 * l.readTook);
    const bool stale = hit == l.byLowerName.end() ? std::chrono::steady_clock::now() - l.readAt > trusted
                                                  : !std::filesystem::exists(dir / hit->second, ec);
    if (stale) {
        read();
        hit = l.byLowerName.find(lowerAscii(part));
    }
    if (hit == l.byLowerName.end()) return std::nullopt;
    return dir / hit->second;
}

}  // namespace

void noteCreatedFile(const std::filesystem::path& path) {
    const std::filesystem::path dir = path.parent_path();
    auto it = listings().find(dir.string());
    if (it == listings().end()) return;
    std::error_code ec;
    it->second.mtime = std::filesystem::last_write_time(dir, ec);
    const std::string name = path.filename().string();
    it->second.byLowerName.emplace(lowerAscii(name), name);
}

std::filesystem::path resolvePath(const std::filesystem::path& dataDir, std::string_view storedName) {
    std::filesystem::path result = dataDir;
    bool exists = true;
    size_t start = 0;
    while (start <= storedName.size()) {
        size_t end = storedName.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = storedName.size();
        const std::string part(storedName.substr(start, end - start));
        start = end + 1;
        if (!part.empty()) {
            std::filesystem::path next = result / part;
            std::error_code ec;
            if (exists && !std::filesystem::exists(next, ec)) {
                // Another installation's files may arrive in another case.
                const auto other = findIgnoringCase(result, part);
                exists = other.has_value();
                if (other) next = *other;
            }
            result = std::move(next);
        }
        if (end == storedName.size()) break;
    }
    return result;
}

std::vector<IndexDef> indexesOf(Copy copy, std::string_view table) {
    std::vector<IndexDef> out;
    if (equalsIgnoreCaseAscii(table, "PKOU")) {
        out.push_back({"SvNaim", {"Sv", "Naim"}});
        return out;
    }
    if (!isMasterTable(table)) {
        out.push_back({"Sv1", {"Sv"}});
        return out;
    }
    out = lookupIndexesOf(table);
    // Sort indexes, one per grid column, on the grids the user can sort by a title click.
    const bool sortable = ((equalsIgnoreCaseAscii(table, "ZELT") || equalsIgnoreCaseAscii(table, "BDS")) &&
                           (copy == Copy::Live || copy == Copy::Archive)) ||
                          ((equalsIgnoreCaseAscii(table, "Prochie") || equalsIgnoreCaseAscii(table, "Uch")) &&
                           copy == Copy::Live);
    if (sortable) {
        for (const FieldDef& f : layoutNamed(table).fields)
            if (f.grid) out.push_back({std::string(f.name) + "1", {f.name}});
    }
    return out;
}

std::vector<IndexDef> lookupIndexesOf(std::string_view table) {
    // The archive move narrows a master to one person by his link key.
    if (isMasterTable(table)) return {{"zelt_Sv", {"Sv"}}};
    return {};
}

bool isLookupIndexName(std::string_view name) {
    return name.size() > 5 && equalsIgnoreCaseAscii(name.substr(0, 5), "zelt_");
}

const std::vector<BatchPair>& batchPairs() {
    static const std::vector<BatchPair> pairs = {
        {1, 1, 5},   {2, 2, 6},   {3, 3, 7},   {4, 4, 8},    {5, 9, 13},
        {6, 10, 14}, {7, 11, 15}, {8, 12, 16}, {9, 33, 35}, {10, 34, 36},
    };
    return pairs;
}

const std::vector<FieldLimit>& initialPhoneLimits() {
    static const std::vector<FieldLimit> limits = {
        {"ZELT", "DTel", 5}, {"BDS", "Dtm", 5}, {"BDS", "Dto", 5}, {"Prochie", "Dt", 7}};
    return limits;
}

bool isMasterTable(std::string_view table) {
    for (const char* m : {"ZELT", "BDS", "Prochie", "Uch"})
        if (equalsIgnoreCaseAscii(table, m)) return true;
    return false;
}

bool hasPlainTextNotes(std::string_view table) { return equalsIgnoreCaseAscii(table, "Uch"); }

}  // namespace zelt::store
