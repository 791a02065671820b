// Shared scaffolding of the table-engine tests: a fresh data directory with an empty table tree, one
// session and the 48 table objects, plus raw SQLite access to see what actually lands in a file.
#pragma once

#include "store/session.h"
#include "store/table.h"
#include "store/table_set.h"
#include "store/tree.h"
#include "store/tree_init.h"

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

inline constexpr const char* kPassword = "581306";
inline constexpr const char* kNull = "<NULL>";

// Direct SQLite access to one table file, bypassing the engine.
class RawFile {
public:
    explicit RawFile(const std::filesystem::path& path) {
        if (sqlite3_open_v2(path.string().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
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
    // Every row of the query, each column as text; NULL reads as kNull.
    std::vector<std::vector<std::string>> rows(const std::string& sqlText) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sqlText.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlText + ": " + sqlite3_errmsg(db_));
        std::vector<std::vector<std::string>> out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
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
    std::vector<std::string> column(const std::string& sqlText) {
        std::vector<std::string> out;
        for (auto& r : rows(sqlText)) out.push_back(r.empty() ? std::string() : r[0]);
        return out;
    }
    std::string scalar(const std::string& sqlText) {
        const auto r = rows(sqlText);
        return r.empty() || r[0].empty() ? std::string(kNull) : r[0][0];
    }

private:
    sqlite3* db_ = nullptr;
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("zelt-store-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        createTableTree(dir_, kPassword);
        session_ = std::make_unique<Session>(dir_);
        session_->addPassword(kPassword);
        tables_ = std::make_unique<TableSet>(*session_);
    }

    void TearDown() override {
        tables_.reset();
        session_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    Table& t(int number) { return tables_->table(number); }
    const std::filesystem::path& dir() const { return dir_; }
    // The file of a table object as it lies in the data directory.
    std::filesystem::path fileOf(int number) { return resolvePath(dir_, t(number).fileName()); }

    // Inserts one record with the given field texts and posts it; returns its counter N.
    static long long add(Table& table, const std::vector<std::pair<std::string, std::string>>& values) {
        table.insert();
        for (const auto& [field, text] : values) table.setText(field, text);
        table.post();
        return table.asInteger("N");
    }

    // The texts of `field` over every record shown, from the first while the end is not reached.
    static std::vector<std::string> walk(Table& table, const std::string& field) {
        std::vector<std::string> out;
        for (table.first(); !table.eof(); table.next()) out.push_back(table.asText(field));
        return out;
    }

    // The link-key rule the record hooks apply to a master: Sv := N after the first post.
    static void giveLinkKey(Table& master) {
        master.afterPost = [](Table& m) {
            if (m.asInteger("Sv") != 0) return;
            m.edit();
            m.setInteger("Sv", m.asInteger("N"));
            m.post();
        };
    }

    std::unique_ptr<Session> session_;
    std::unique_ptr<TableSet> tables_;

private:
    std::filesystem::path dir_;
};

}  // namespace zelt::store::testing
