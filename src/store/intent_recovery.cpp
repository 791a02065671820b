#include "store/intent_recovery.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/sqlite.h"
#include "store/store_error.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <system_error>

namespace zelt::store {
namespace {

// The layout of a stored table file name: the name of its file without the extension.
const Layout& layoutOfFile(const std::string& tableFile) {
    const size_t slash = tableFile.find_last_of('\\');
    std::string stem = tableFile.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.substr(0, stem.find('.'));
    return layoutNamed(stem);
}

sql::Connection openFile(Session& session, const std::string& tableFile, const Layout& layout) {
    std::string check;
    sql::Connection db = openTableFile(resolvePath(session.dataDir(), tableFile), tableFile, layout, check);
    session.unlock(tableFile, check);
    return db;
}

const std::string& arg(const IntentAction& a, size_t i) {
    if (i >= a.args.size()) throw fileFault(Fault::JournalStepShort, IntentJournal::fileName());
    return a.args[i];
}

double numberArg(const IntentAction& a, size_t i) { return std::stod(arg(a, i)); }

// A field name of the layout, checked, quoted for SQL.
std::string column(const Layout& layout, const std::string& field) { return sql::quoted(layout.field(field).name); }

// A stored value in a journal line: "-" blank, "r" and the number, "t" and the text with '%',
// tab and line ends written as %25, %09, %0A, %0D.
std::string encodeValue(const sql::Statement& st, int column) {
    if (st.isNull(column)) return "-";
    if (st.columnType(column) == SQLITE_FLOAT || st.columnType(column) == SQLITE_INTEGER) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "r%.17g", st.columnDouble(column));
        return buf;
    }
    std::string out = "t";
    for (char c : st.columnText(column)) {
        switch (c) {
            case '%': out += "%25"; break;
            case '\t': out += "%09"; break;
            case '\n': out += "%0A"; break;
            case '\r': out += "%0D"; break;
            default: out += c;
        }
    }
    return out;
}

void bindEncoded(sql::Statement& st, int i, const std::string& v) {
    if (v.empty() || v == "-") {
        st.bindNull(i);
    } else if (v[0] == 'r') {
        st.bind(i, std::stod(v.substr(1)));
    } else {
        std::string text;
        for (size_t k = 1; k < v.size(); ++k) {
            if (v[k] == '%' && k + 2 < v.size()) {
                text += static_cast<char>(std::stoi(v.substr(k + 1, 2), nullptr, 16));
                k += 2;
            } else {
                text += v[k];
            }
        }
        st.bind(i, std::string_view(text));
    }
}

// The files a list of steps writes, each opened once and written in one transaction, committed
// when the list is done: a merge's finish list deletes from the same few files many times.
class OpenFiles {
public:
    explicit OpenFiles(Session& session) : session_(session) {}
    ~OpenFiles() {
        statements_.clear();
        for (auto& [name, db] : files_)
            if (db.inTransaction()) sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sql::Connection& get(const std::string& file, const Layout& layout) {
        auto it = files_.find(file);
        if (it == files_.end()) it = files_.emplace(file, openFile(session_, file, layout)).first;
        return it->second;
    }
    // Starts the file's transaction before its first write: a step with nothing to do writes
    // nothing, so it succeeds on a file that cannot be written.
    static void willWrite(sql::Connection& db) {
        if (!db.inTransaction()) db.exec("BEGIN IMMEDIATE");
    }
    // A statement of this text on the file, prepared once for the whole list.
    sql::Statement& statement(const std::string& file, sql::Connection& db, const std::string& text) {
        auto& st = statements_[file + '\n' + text];
        if (!st.valid()) st = sql::Statement(db, text);
        st.reset();
        return st;
    }
    void commit() {
        statements_.clear();
        for (auto& [name, db] : files_)
            if (db.inTransaction()) db.exec("COMMIT");
    }

private:
    Session& session_;
    std::map<std::string, sql::Connection> files_;
    std::map<std::string, sql::Statement> statements_;  // go before their connections
};

void runTableAction(OpenFiles& files, const IntentAction& a) {
    const std::string& file = arg(a, 0);
    // "-": the file could not be opened when the journal was written, so nothing was appended.
    if (a.kind == IntentAction::Kind::DropAppended && arg(a, 1) == "-") return;
    const Layout& layout = layoutOfFile(file);
    sql::Connection& db = files.get(file, layout);
    const std::string table = sql::quoted(layout.name);
    const std::string counter = sql::quoted(layout.fields[0].name);
    // Deletes the records `where` picks, if there are any.
    const auto deleteWhere = [&](const std::string& where, const std::function<void(sql::Statement&)>& bind) {
        sql::Statement& any = files.statement(file, db, "SELECT EXISTS (SELECT 1 FROM " + table + " WHERE " + where + ")");
        bind(any);
        const bool found = any.step() && any.columnInt(0) != 0;
        any.reset();
        if (!found) return;
        OpenFiles::willWrite(db);
        sql::Statement& st = files.statement(file, db, "DELETE FROM " + table + " WHERE " + where);
        bind(st);
        st.run();
    };
    switch (a.kind) {
        case IntentAction::Kind::DropAppended: {
            const bool keyed = a.args.size() >= 4;
            deleteWhere(counter + " > ?1" + (keyed ? " AND " + column(layout, arg(a, 2)) + " = ?2" : std::string()),
                        [&](sql::Statement& st) {
                            st.bind(1, static_cast<int64_t>(std::stoll(arg(a, 1))));
                            if (keyed) st.bind(2, numberArg(a, 3));
                        });
            break;
        }
        case IntentAction::Kind::Delete: {
            const bool bounded = a.args.size() >= 4;
            deleteWhere(column(layout, arg(a, 1)) + " = ?1" + (bounded ? " AND " + counter + " <= ?2" : std::string()),
                        [&](sql::Statement& st) {
                            st.bind(1, numberArg(a, 2));
                            if (bounded) st.bind(2, static_cast<int64_t>(std::stoll(arg(a, 3))));
                        });
            break;
        }
        case IntentAction::Kind::Blank: {
            std::string set;
            for (size_t i = 3; i < a.args.size(); ++i) set += (i > 3 ? ", " : "") + column(layout, a.args[i]) + " = NULL";
            if (set.empty()) break;
            OpenFiles::willWrite(db);
            sql::Statement st(db, "UPDATE " + table + " SET " + set + " WHERE " + column(layout, arg(a, 1)) + " = ?1");
            st.bind(1, numberArg(a, 2));
            st.run();
            break;
        }
        case IntentAction::Kind::Empty: {
            // The counter in sqlite_sequence is not reset: a later record never takes the number,
            // and so the note file, of a removed one.
            OpenFiles::willWrite(db);
            sql::Statement st(db, "DELETE FROM " + table);
            st.run();
            break;
        }
        case IntentAction::Kind::Restore: {
            std::string set;
            int param = 2;
            for (size_t i = 2; i + 1 < a.args.size(); i += 2)
                set += (i > 2 ? ", " : "") + column(layout, a.args[i]) + " = ?" + std::to_string(param++);
            if (set.empty()) break;
            OpenFiles::willWrite(db);
            sql::Statement st(db, "UPDATE " + table + " SET " + set + " WHERE " + counter + " = ?1");
            st.bind(1, static_cast<int64_t>(std::stoll(arg(a, 1))));
            param = 2;
            for (size_t i = 2; i + 1 < a.args.size(); i += 2) bindEncoded(st, param++, a.args[i + 1]);
            st.run();
            break;
        }
        default: break;
    }
}

// Best effort: a note move the next power loss must not undo. Note failures stay silent.
void syncDir(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool emptyOrMissing(const std::filesystem::path& p, bool& exists) {
    std::error_code ec;
    exists = std::filesystem::exists(p, ec);
    if (!exists) return true;
    const auto size = std::filesystem::file_size(p, ec);
    return !ec && size == 0;
}

bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
    std::ostringstream xs, ys;
    xs << x.rdbuf();
    ys << y.rdbuf();
    return xs.str() == ys.str();
}

void moveNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec)) return;
    bool exists = false;
    if (!emptyOrMissing(to, exists)) return;  // a note with text is never overwritten
    if (exists && !std::filesystem::remove(to, ec)) return;
    std::filesystem::create_directories(to.parent_path(), ec);
    std::filesystem::rename(from, to, ec);
    if (ec) return;
    noteCreatedFile(to);
    syncDir(to.parent_path());
    syncDir(from.parent_path());
}

// Puts a copy of `from` at `to`: copied beside and renamed into place, so that a crash never
// leaves half a note that a later run would take for a whole one. A copy that fails leaves `to`.
void placeCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::create_directories(to.parent_path(), ec);
    std::filesystem::path tmp = to;
    tmp += ".~tmp";
    if (!std::filesystem::copy_file(from, tmp, std::filesystem::copy_options::overwrite_existing, ec)) return;
    const int fd = ::open(tmp.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    std::filesystem::rename(tmp, to, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return;
    }
    noteCreatedFile(to);
    syncDir(to.parent_path());
}

void copyNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec)) return;
    bool exists = false;
    if (!emptyOrMissing(to, exists)) return;
    placeCopy(from, to);
}

// The bytes of `from` put in place of `to`, written beside and renamed over it.
void replaceNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec) || sameBytes(from, to)) return;
    placeCopy(from, to);
}

void runNoteAction(Session& session, const IntentAction& a) {
    const auto path = [&](size_t i) { return resolvePath(session.dataDir(), arg(a, i)); };
    switch (a.kind) {
        case IntentAction::Kind::MoveNote: moveNote(path(0), path(1)); break;
        case IntentAction::Kind::CopyNote: copyNote(path(0), path(1)); break;
        case IntentAction::Kind::ReplaceNote: replaceNote(path(0), path(1)); break;
        case IntentAction::Kind::DropNoteCopy: {
            bool exists = false;
            std::error_code ec;
            const auto p = path(0);
            const bool drop = emptyOrMissing(p, exists) || (a.args.size() > 1 && sameBytes(p, path(1)));
            if (exists && drop) std::filesystem::remove(p, ec);
            break;
        }
        default: break;
    }
}

}  // namespace

void runIntentActions(Session& session, const std::vector<IntentAction>& actions) {
    OpenFiles files(session);
    for (const IntentAction& a : actions) {
        switch (a.kind) {
            case IntentAction::Kind::DropAppended:
            case IntentAction::Kind::Delete:
            case IntentAction::Kind::Blank:
            case IntentAction::Kind::Empty:
            case IntentAction::Kind::Restore: runTableAction(files, a); break;
            default: runNoteAction(session, a);
        }
    }
    files.commit();
}

std::vector<IntentAction> restoreActions(Session& session, const std::string& tableFile,
                                         const std::vector<long long>& counters) {
    std::vector<IntentAction> out;
    if (counters.empty()) return out;
    const Layout& layout = layoutOfFile(tableFile);
    sql::Connection db = openFile(session, tableFile, layout);
    std::string cols;
    for (size_t i = 0; i < layout.fields.size(); ++i) cols += (i ? ", " : "") + sql::quoted(layout.fields[i].name);
    sql::Statement st(db, "SELECT " + cols + " FROM " + sql::quoted(layout.name) + " WHERE " +
                              sql::quoted(layout.fields[0].name) + " = ?1");
    for (long long c : counters) {
        st.reset();
        st.bind(1, static_cast<int64_t>(c));
        if (!st.step()) continue;
        IntentAction a{IntentAction::Kind::Restore, {tableFile, std::to_string(c)}};
        for (size_t i = 1; i < layout.fields.size(); ++i) {
            a.args.push_back(layout.fields[i].name);
            a.args.push_back(encodeValue(st, static_cast<int>(i)));
        }
        out.push_back(std::move(a));
    }
    return out;
}

long long highestCounter(Session& session, const std::string& tableFile) {
    const Layout& layout = layoutOfFile(tableFile);
    sql::Connection db = openFile(session, tableFile, layout);
    sql::Statement st(db, "SELECT COALESCE(MAX(" + sql::quoted(layout.fields[0].name) + "), 0) FROM " +
                              sql::quoted(layout.name));
    return st.step() ? st.columnInt(0) : 0;
}

bool recoverPendingIntent(Session& session) {
    IntentJournal journal(session.dataDir());
    const std::optional<Intent> intent = journal.read();
    if (!intent) return false;
    runIntentActions(session, intent->committed ? intent->finish : intent->undo);
    journal.remove();
    return true;
}

}  // namespace zelt::store
