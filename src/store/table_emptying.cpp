#include "store/table_emptying.h"

#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "store/layout.h"
#include "store/sqlite.h"
#include "store/table_file.h"
#include "store/tree.h"

namespace zelt::store {

namespace {

const Layout& layoutOfFile(const std::string& tableFile) {
    const size_t slash = tableFile.find_last_of('\\');
    std::string stem = tableFile.substr(slash == std::string::npos ? 0 : slash + 1);
    return layoutNamed(stem.substr(0, stem.find('.')));
}

}  // namespace

void checkWritable(Session& session, const std::string& tableFile) {
    std::string check;
    sql::Connection db =
        openTableFile(resolvePath(session.dataDir(), tableFile), tableFile, layoutOfFile(tableFile), check);
    session.unlock(tableFile, check);
    // SQLite opens a file it may not write read only, without a word.
    if (sqlite3_db_readonly(db.handle(), "main") == 1)
        throw sql::Failure(SQLITE_READONLY, sql::Cause::FileReadOnly, tableFile);
    // A write lock and a page written and given back: what emptying needs, refused by a file
    // another program writes or that cannot take a write.
    db.exec("BEGIN IMMEDIATE");
    try {
        db.exec("UPDATE zelt_meta SET value = value WHERE key = 'format'");
    } catch (const EngineError&) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    db.exec("ROLLBACK");
}

void emptyTableFiles(Session& session, const std::string& command, const std::vector<std::string>& tableFiles) {
    for (const std::string& f : tableFiles) checkWritable(session, f);
    Intent intent;
    intent.command = command;
    intent.committed = true;
    for (const std::string& f : tableFiles) intent.finish.push_back({IntentAction::Kind::Empty, {f}});
    IntentJournal journal(session.dataDir());
    journal.write(intent);
    runIntentActions(session, intent.finish);
    journal.remove();
}

bool settlePendingIntent(TableSet& tables) {
    if (!IntentJournal(tables.session().dataDir()).pending()) return false;
    recoverPendingIntent(tables.session());
    for (int n = 1; n <= 48; ++n)
        if (tables.table(n).active()) tables.table(n).refresh();
    return true;
}

}  // namespace zelt::store
