#include "store/sqlite.h"

#include <cstdio>

#include "base/error.h"

#include <cerrno>
#include <optional>
#include <utility>

namespace zelt::store::sql {

namespace {

// What the operating system's error says, where it says more than SQLite's code.
std::optional<Cause> causeOfErrno(int sysErrno, bool opening) {
    switch (sysErrno) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return Fault::DiskFull;
        case EROFS: return Fault::FileReadOnly;
        case EACCES:
        case EPERM: return opening ? Fault::FileNoAccess : Fault::FileReadOnly;
        case ENOENT:
        case ENOTDIR: return opening ? std::optional<Cause>(Fault::FileMissing) : std::nullopt;
        case EAGAIN: return Fault::FileLocked;
        default: return std::nullopt;
    }
}

}  // namespace

Cause causeOf(int code, int sysErrno) {
    if (code == SQLITE_IOERR_NOMEM) return Fault::NoMemory;
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return Fault::FileLocked;
        case SQLITE_READONLY:
        case SQLITE_PERM: return Fault::FileReadOnly;
        case SQLITE_FULL: return Fault::DiskFull;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT: return Fault::FileDamaged;
        case SQLITE_CONSTRAINT: return Fault::KeyViolation;
        case SQLITE_NOMEM: return Fault::NoMemory;
        case SQLITE_CANTOPEN: return causeOfErrno(sysErrno, true).value_or(Fault::CannotOpen);
        case SQLITE_IOERR: return causeOfErrno(sysErrno, false).value_or(Fault::InputOutput);
        default: return Fault::FileOther;
    }
}

Connection::Connection(const std::string& path, bool create, std::string displayName, bool readOnly, bool immutable)
    : name_(std::move(displayName)) {
    int flags = (readOnly || immutable ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0)) |
                SQLITE_OPEN_NOMUTEX;
    std::string name = path;
    if (immutable) {
        name = "file:";
        for (char c : path) {
            if (c == '%' || c == '?' || c == '#') {
                char buf[4];
                std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
                name += buf;
            } else {
                name += c;
            }
        }
        name += "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        const int sysErrno = db_ ? sqlite3_system_errno(db_) : 0;
        sqlite3_close(db_);
        db_ = nullptr;
        throw Failure(code, causeOf(code, sysErrno), name_);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);
}

Connection::~Connection() { close(); }

Connection::Connection(Connection&& o) noexcept : db_(std::exchange(o.db_, nullptr)), name_(std::move(o.name_)) {}

Connection& Connection::operator=(Connection&& o) noexcept {
    if (this != &o) {
        close();
        db_ = std::exchange(o.db_, nullptr);
        name_ = std::move(o.name_);
    }
    return *this;
}

void Connection::close() {
    if (db_) {
        if (inTransaction()) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Connection::exec(const char* sqlText) {
    const int rc = sqlite3_exec(db_, sqlText, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

void Connection::fail(int code) const {
    // The connection's own code is the extended one; the errno is only kept for opens and I/O.
    const int extended = db_ && (sqlite3_extended_errcode(db_) & 0xFF) == (code & 0xFF) ? sqlite3_extended_errcode(db_) : code;
    throw Failure(extended, causeOf(extended, db_ ? sqlite3_system_errno(db_) : 0), name_);
}

Statement::Statement(const Connection& c, std::string_view sqlText) : conn_(&c) {
    const int rc = sqlite3_prepare_v3(c.handle(), sqlText.data(), static_cast<int>(sqlText.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st_, nullptr);
    if (rc != SQLITE_OK) {
        st_ = nullptr;
        c.fail(rc);
    }
}

Statement::~Statement() { sqlite3_finalize(st_); }

Statement::Statement(Statement&& o) noexcept : st_(std::exchange(o.st_, nullptr)), conn_(o.conn_) {}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        sqlite3_finalize(st_);
        st_ = std::exchange(o.st_, nullptr);
        conn_ = o.conn_;
    }
    return *this;
}

Statement& Statement::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
    return *this;
}

Statement& Statement::bindNull(int i) {
    sqlite3_bind_null(st_, i);
    return *this;
}
Statement& Statement::bind(int i, double v) {
    sqlite3_bind_double(st_, i, v);
    return *this;
}
Statement& Statement::bind(int i, int64_t v) {
    sqlite3_bind_int64(st_, i, v);
    return *this;
}
Statement& Statement::bind(int i, std::string_view text) {
    sqlite3_bind_text(st_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    try {
        conn_->fail(rc);
    } catch (...) {
        sqlite3_reset(st_);
        throw;
    }
}

std::string_view Statement::columnText(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st_, i))) : std::string_view();
}

std::string quoted(std::string_view identifier) {
    std::string out = "\"";
    for (char c : identifier) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace zelt::store::sql
