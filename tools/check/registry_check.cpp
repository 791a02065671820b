#include "check/registry_check.h"

#include "store/tree.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace zelt::check {
namespace {

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Db openReadOnly(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    return Db(db, &sqlite3_close);
}

// Runs a query and gives each row's first column as text.
std::vector<std::string> column(sqlite3* db, const std::string& sqlText, std::string* error) {
    std::vector<std::string> out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sqlText.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        *error = sqlite3_errmsg(db);
        return out;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(st, 0);
        out.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    if (rc != SQLITE_DONE) *error = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    return out;
}

std::string joined(const std::vector<std::string>& v, size_t most = 10) {
    std::ostringstream s;
    for (size_t i = 0; i < v.size() && i < most; ++i) s << (i ? ", " : "") << v[i];
    if (v.size() > most) s << ", ...";
    return s.str();
}

}  // namespace

std::vector<std::string> checkRegistry(const std::filesystem::path& dataDir) {
    std::vector<std::string> problems;
    // One table file may be bound to several table objects; each file is checked once.
    std::map<std::string, const store::TableObjectDef*> files;
    for (const store::TableObjectDef& def : store::tableObjects())
        files.emplace(store::tableFileName(def.copy, def.table), &def);

    // The link keys of every master file, for the details of the same copy.
    std::map<std::string, std::set<std::string>> masterKeys;
    for (const auto& [name, def] : files) {
        const std::filesystem::path path = store::resolvePath(dataDir, name);
        if (!std::filesystem::exists(path)) continue;
        Db db = openReadOnly(path);
        std::string error;
        const auto integrity = column(db.get(), "PRAGMA integrity_check", &error);
        if (!error.empty() || integrity != std::vector<std::string>{"ok"}) {
            problems.push_back(name + ": integrity check: " + (error.empty() ? joined(integrity) : error));
            continue;
        }
        if (def->masterSource != 0) continue;
        const std::string table = def->table;
        const auto keys = column(db.get(), "SELECT Sv FROM \"" + table + "\"", &error);
        if (!error.empty()) {
            problems.push_back(name + ": " + error);
            continue;
        }
        masterKeys[name] = std::set<std::string>(keys.begin(), keys.end());
        if (def->copy == store::Copy::Live) {
            const auto wrong = column(db.get(), "SELECT N FROM \"" + table + "\" WHERE Sv IS NOT N", &error);
            if (!error.empty()) problems.push_back(name + ": " + error);
            else if (!wrong.empty()) problems.push_back(name + ": masters whose Sv is not N: N " + joined(wrong));
        }
    }
    for (const auto& [name, def] : files) {
        if (def->masterSource == 0) continue;
        const store::TableObjectDef& master = store::tableObject(def->masterSource);
        const std::string masterFile = store::tableFileName(master.copy, master.table);
        const auto keys = masterKeys.find(masterFile);
        const std::filesystem::path path = store::resolvePath(dataDir, name);
        if (keys == masterKeys.end() || !std::filesystem::exists(path)) continue;
        Db db = openReadOnly(path);
        std::string error;
        const auto details = column(db.get(), "SELECT Sv FROM \"" + std::string(def->table) + "\"", &error);
        if (!error.empty()) {
            problems.push_back(name + ": " + error);
            continue;
        }
        std::vector<std::string> orphans;
        for (const std::string& sv : details)
            if (!keys->second.count(sv)) orphans.push_back(sv);
        if (!orphans.empty())
            problems.push_back(name + ": " + std::to_string(orphans.size()) + " records point to a master missing from " +
                               masterFile + ": Sv " + joined(orphans));
    }
    return problems;
}

}  // namespace zelt::check
