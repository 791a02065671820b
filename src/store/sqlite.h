// Thin owners of SQLite connections and statements that turn every SQLite failure into a
// StoreError telling its cause and the table file.
#pragma once

#include "store/store_error.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt::store::sql {

class Statement;

// Why a table file could not be opened, read or written, as the user can act on it: one of the
// file faults, FileMissing to FileOther.
using Cause = Fault;

// The cause behind SQLite's extended result `code`; `sysErrno` is the operating system's error
// behind a failed open or I/O (0 when unknown).
Cause causeOf(int code, int sysErrno);

// A failure of SQLite on one table file.
class Failure : public StoreError {
public:
    Failure(int code, Cause cause, const std::string& file) : StoreError(fileFault(code, cause, file)) {}
    int code() const { return info().code; }
    Cause cause() const { return info().kind; }

private:
    static FaultInfo fileFault(int code, Cause cause, const std::string& file) {
        FaultInfo f;
        f.kind = cause;
        f.file = file;
        f.code = code;
        return f;
    }
};

// One open database file. Closing finalises nothing on its own: statements must go first.
class Connection {
public:
    Connection() = default;
    // Opens an existing file read-write (create=false) or creates it. `displayName` names the table
    // file in error messages. A read-only connection never writes the file; an immutable one
    // (read-only too) also takes no lock and needs no shared-memory file beside it, for a file
    // in a folder that cannot be written.
    Connection(const std::string& path, bool create, std::string displayName, bool readOnly = false,
               bool immutable = false);
    ~Connection();
    Connection(Connection&& o) noexcept;
    Connection& operator=(Connection&& o) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return db_; }
    bool isOpen() const { return db_ != nullptr; }
    const std::string& displayName() const { return name_; }
    void exec(const char* sqlText);
    int64_t lastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }
    bool inTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }
    // Throws the Failure for result `code` of the last call on this connection.
    [[noreturn]] void fail(int code) const;
    void close();

private:
    sqlite3* db_ = nullptr;
    std::string name_;
};

// A prepared statement; reset before every run, so one object is reused for many rows.
class Statement {
public:
    Statement() = default;
    Statement(const Connection& c, std::string_view sqlText);
    ~Statement();
    Statement(Statement&& o) noexcept;
    Statement& operator=(Statement&& o) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool valid() const { return st_ != nullptr; }
    Statement& reset();
    Statement& bindNull(int i);
    Statement& bind(int i, double v);
    Statement& bind(int i, int64_t v);
    Statement& bind(int i, std::string_view text);
    // Steps once: true while a row is available.
    bool step();
    void run() { while (step()) {} }

    int columnType(int i) const { return sqlite3_column_type(st_, i); }
    bool isNull(int i) const { return columnType(i) == SQLITE_NULL; }
    double columnDouble(int i) const { return sqlite3_column_double(st_, i); }
    int64_t columnInt(int i) const { return sqlite3_column_int64(st_, i); }
    std::string_view columnText(int i) const;
    sqlite3_stmt* handle() const { return st_; }

private:
    sqlite3_stmt* st_ = nullptr;
    const Connection* conn_ = nullptr;
};

// Double quotes an identifier for SQL text (names come from the layouts, never from the user).
std::string quoted(std::string_view identifier);

}  // namespace zelt::store::sql
