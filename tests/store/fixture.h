// Shared scaffolding of the table-engine tests: a fresh data directory with an empty table tree, one
// session and the 48 table objects, plus raw SQLite access to see what actually lands in a file.
#pragma once

#include "store/session.h"
#include "store/table.h"
#include "store/table_set.h"
#include "store/tree.h"
#include "store/tree_init.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zelt::store::testing {

inline constexpr const char* kPassword = store::kTablePassword;
// How RawFile shows a NULL column.
inline constexpr const char* kNull = "<NULL>";

using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

// Store tests make their folders as every test does.
class TempDir : public zelt::testing::TempDir {
public:
    TempDir() : zelt::testing::TempDir("zelt-store") {}
};

// Direct SQLite access to one table file, bypassing the engine.
class RawFile {
public:
    explicit RawFile(const std::filesystem::path& path) {
        if (sqlite3_open_v2(path.string().c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + path.string());
        }
        sqlite3_busy_timeout(db_, 2000);
    }
    ~RawFile() { sqlite3_close_v2(db_); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    void exec(const std::string& sqlText) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sqlText.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string msg = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(sqlText + ": " + msg);
        }
    }
    // Every row of the query, each column as text.
    Rows rows(const std::string& sqlText) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sqlText.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlText + ": " + sqlite3_errmsg(db_));
        Rows out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            Strings row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row.push_back(p ? std::string(p) : std::string(kNull));
            }
            out.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        return out;
    }
    // The first column of every row.
    Strings column(const std::string& sqlText) {
        Strings out;
        for (auto& r : rows(sqlText)) out.push_back(r.at(0));
        return out;
    }
    std::string scalar(const std::string& sqlText) {
        const Rows r = rows(sqlText);
        return r.empty() ? std::string(kNull) : r[0].at(0);
    }

private:
    sqlite3* db_ = nullptr;
};

// Inserts one record with the given field texts and posts it; returns its counter N.
inline long long add(Table& table, const std::vector<std::pair<std::string, std::string>>& values) {
    table.insert();
    for (const auto& [field, text] : values) table.setText(field, text);
    table.post();
    return table.asInteger("N");
}

// The texts of `field` over every record shown, from the first while the end is not reached.
inline Strings walk(Table& table, const std::string& field) {
    Strings out;
    for (table.first(); !table.eof(); table.next()) out.push_back(table.asText(field));
    return out;
}

// The link-key rule the record hooks apply to a master: Sv := N after the first post, posted again
// from inside the after-post hook.
inline void giveLinkKey(Table& master) {
    master.afterPost = [](Table& m) {
        if (m.asInteger("Sv") != 0) return;
        m.edit();
        m.setInteger("Sv", m.asInteger("N"));
        m.post();
    };
}

inline std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// A data directory with the empty table tree under the one password, a session that knows it and the
// main window's 48 table objects, all closed and without record hooks.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::make_unique<TempDir>();
        createTableTree(dir(), kPassword);
        session_ = std::make_unique<Session>(dir());
        session_->addPassword(kPassword);
        tables_ = std::make_unique<TableSet>(*session_);
    }

    void TearDown() override {
        tables_.reset();
        session_.reset();
        dir_.reset();
    }

    Table& t(int number) { return tables_->table(number); }
    const std::filesystem::path& dir() const { return dir_->path(); }
    // The file of a table object as it lies in the data directory.
    std::filesystem::path fileOf(int number) { return resolvePath(dir(), t(number).fileName()); }

    std::unique_ptr<Session> session_;
    std::unique_ptr<TableSet> tables_;

private:
    std::unique_ptr<TempDir> dir_;
};

// StoreTest run once per row of a table of cases; each row gets a fresh data directory.
template <class Case>
class StoreCaseTest : public StoreTest, public ::testing::WithParamInterface<Case> {};

// Names each instantiated case after the `name` member of its row.
struct CaseName {
    template <class P>
    std::string operator()(const ::testing::TestParamInfo<P>& info) const {
        return info.param.name;
    }
};

}  // namespace zelt::store::testing
