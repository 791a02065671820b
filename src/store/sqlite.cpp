#include "store/sqlite.h"

#include "base/error.h"

#include <utility>

namespace zelt::store::sql {

Connection::Connection(const std::string& path, bool create, std::string displayName) : name_(std::move(displayName)) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw EngineError("Не удаётся открыть файл таблицы " + name_ + ": " + msg);
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
    char* err = nullptr;
    if (sqlite3_exec(db_, sqlText, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "?";
        sqlite3_free(err);
        throw EngineError("Ошибка таблицы " + name_ + ": " + msg);
    }
}

void Connection::fail(const std::string& what) const {
    throw EngineError("Ошибка таблицы " + name_ + ": " + what + (db_ ? std::string(" (") + sqlite3_errmsg(db_) + ")" : ""));
}

Statement::Statement(const Connection& c, std::string_view sqlText) : conn_(&c) {
    if (sqlite3_prepare_v3(c.handle(), sqlText.data(), static_cast<int>(sqlText.size()), SQLITE_PREPARE_PERSISTENT, &st_,
                           nullptr) != SQLITE_OK) {
        st_ = nullptr;
        c.fail("не удаётся подготовить запрос");
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
    const std::string msg = sqlite3_errmsg(conn_->handle());
    sqlite3_reset(st_);
    throw EngineError("Ошибка таблицы " + conn_->displayName() + ": " + msg);
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
