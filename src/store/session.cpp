#include "store/session.h"

#include "base/error.h"
#include "store/store_error.h"
#include "store/table_file.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace zelt::store {

Session::Session(std::filesystem::path dataDir) : dataDir_(std::move(dataDir)) {}

void Session::setNetworkControlDir(const std::string& dir) {
    std::error_code ec;
    std::string plain = dir;
    while (!plain.empty() && (plain.back() == '\\' || plain.back() == '/')) plain.pop_back();
    if (!std::filesystem::is_directory(plain.empty() ? std::string("/") : plain, ec))
        throw valueFault(Fault::NetworkDirMissing, dir);
    netDir_ = dir;
}

void Session::addPassword(const std::string& password) {
    if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end()) passwords_.push_back(password);
}

void Session::unlock(const std::string& displayName, const std::string& storedCheck) {
    for (const std::string& p : passwords_)
        if (passwordCheck(p) == storedCheck) return;
    while (prompt_) {
        const std::optional<std::string> answer = prompt_(displayName);
        if (!answer) break;
        if (passwordCheck(*answer) == storedCheck) {
            addPassword(*answer);
            return;
        }
    }
    throw fileFault(Fault::WrongPassword, displayName);
}

Session::Batch::Batch(Session& s) : s_(s) { ++s_.batchDepth_; }

Session::Batch::~Batch() {
    if (ended_) return;
    if (--s_.batchDepth_ == 0) {
        try {
            s_.commitAll();
        } catch (...) {
            // The loop already ends with an error of its own, which is the one the user sees.
        }
    }
}

void Session::Batch::commit() {
    if (ended_) return;
    ended_ = true;
    if (--s_.batchDepth_ == 0) s_.commitAll();
}

void Session::beforeWrite(sql::Connection& c) {
    if (batchDepth_ == 0 || c.inTransaction()) return;
    c.exec("BEGIN IMMEDIATE");
    inBatch_.push_back(&c);
}

void Session::forget(sql::Connection& c) {
    const auto it = std::find(inBatch_.begin(), inBatch_.end(), &c);
    if (it == inBatch_.end()) return;
    inBatch_.erase(it);
    if (c.inTransaction()) c.exec("COMMIT");
}

void Session::commitAll() {
    std::vector<sql::Connection*> pending;
    pending.swap(inBatch_);
    std::exception_ptr first;
    for (sql::Connection* c : pending) {
        try {
            if (c->inTransaction()) c->exec("COMMIT");
            // A long loop leaves a long journal: fold it into the file now rather than in the
            // middle of the user's next post.
            c->exec("PRAGMA wal_checkpoint(PASSIVE)");
        } catch (const EngineError&) {
            // A commit that failed leaves nothing stored; no later write may join its transaction.
            if (c->inTransaction()) sqlite3_exec(c->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

}  // namespace zelt::store
