#include "store/intent_recovery.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/sqlite.h"
#include "store/store_error.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
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

void runTableAction(Session& session, const IntentAction& a) {
    const std::string& file = arg(a, 0);
    // "-": the file could not be opened when the journal was written, so nothing was appended.
    if (a.kind == IntentAction::Kind::DropAppended && arg(a, 1) == "-") return;
    const Layout& layout = layoutOfFile(file);
    sql::Connection db = openFile(session, file, layout);
    const std::string table = sql::quoted(layout.name);
    const std::string counter = sql::quoted(layout.fields[0].name);
    switch (a.kind) {
        case IntentAction::Kind::DropAppended: {
            const bool keyed = a.args.size() >= 4;
            sql::Statement st(db, "DELETE FROM " + table + " WHERE " + counter + " > ?1" +
                                      (keyed ? " AND " + column(layout, arg(a, 2)) + " = ?2" : std::string()));
            st.bind(1, static_cast<int64_t>(std::stoll(arg(a, 1))));
            if (keyed) st.bind(2, numberArg(a, 3));
            st.run();
            break;
        }
        case IntentAction::Kind::Delete: {
            sql::Statement st(db, "DELETE FROM " + table + " WHERE " + column(layout, arg(a, 1)) + " = ?1");
            st.bind(1, numberArg(a, 2));
            st.run();
            break;
        }
        case IntentAction::Kind::Blank: {
            std::string set;
            for (size_t i = 3; i < a.args.size(); ++i) set += (i > 3 ? ", " : "") + column(layout, a.args[i]) + " = NULL";
            if (set.empty()) break;
            sql::Statement st(db, "UPDATE " + table + " SET " + set + " WHERE " + column(layout, arg(a, 1)) + " = ?1");
            st.bind(1, numberArg(a, 2));
            st.run();
            break;
        }
        case IntentAction::Kind::Empty: {
            // The counter in sqlite_sequence is not reset: a later record never takes the number,
            // and so the note file, of a removed one.
            sql::Statement st(db, "DELETE FROM " + table);
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

void copyNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec)) return;
    bool exists = false;
    if (!emptyOrMissing(to, exists)) return;
    std::filesystem::create_directories(to.parent_path(), ec);
    // Copied beside and renamed into place: a crash never leaves half a note that a later run
    // would take for a whole one.
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

void runNoteAction(Session& session, const IntentAction& a) {
    const auto path = [&](size_t i) { return resolvePath(session.dataDir(), arg(a, i)); };
    switch (a.kind) {
        case IntentAction::Kind::MoveNote: moveNote(path(0), path(1)); break;
        case IntentAction::Kind::CopyNote: copyNote(path(0), path(1)); break;
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
    for (const IntentAction& a : actions) {
        switch (a.kind) {
            case IntentAction::Kind::DropAppended:
            case IntentAction::Kind::Delete:
            case IntentAction::Kind::Blank:
            case IntentAction::Kind::Empty: runTableAction(session, a); break;
            default: runNoteAction(session, a);
        }
    }
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
