#include "archive/archive.h"

#include "base/error.h"
#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "store/tree.h"

#include <cmath>
#include <optional>
#include <system_error>
#include <vector>

namespace zelt::archive {
namespace {

// The table objects of one register and what a restore carries back.
struct DetailCopy {
    int live;
    int archived;
    std::vector<const char*> fields;  // copied by name
};

struct RegisterTables {
    int liveMaster;
    int archiveMaster;
    const char* table;
    std::vector<int> liveDetails;       // delete order, the batch order after the master
    std::vector<int> batches;           // BatchMove numbers, master first
    bool keepsFilter;                   // minors and parents put the user's filter back
    int restoreFrom, restoreTo;         // master positions copied by a restore (1-based)
    std::vector<DetailCopy> details;    // restore order
};

const RegisterTables& tablesOf(Register r) {
    static const RegisterTables minors{1, 5, "ZELT", {2, 3, 4}, {1, 2, 3, 4}, true,
                                       // The last five fields (the father's place of birth and passport)
                                       // come back too: the archive holds them.
                                       3, 55,
                                       {{2, 6, {"DSud", "MeraSud", "StSud", "DObSud"}},
                                        {3, 7, {"DProt", "NProt", "StProt", "MeraProt", "Rek"}},
                                        {4, 8, {"SubProf", "DProf", "RabProf"}}}};
    static const RegisterTables parents{9, 13, "BDS", {10, 11, 12}, {5, 6, 7, 8}, true,
                                        // The registration and deregistration fields and KKDN stay
                                        // behind: a family comes back to be registered anew.
                                        3, 46,
                                        {{10, 14, {"F", "I", "O", "DR", "OU"}},
                                         {11, 15, {"DKDN", "NKDN", "O", "PM", "DM", "Mater"}},
                                         {12, 16, {"S", "D", "Pr", "P"}}}};
    static const RegisterTables others{33, 35, "Prochie", {34}, {9, 10}, false, 0, 0, {}};
    switch (r) {
        case Register::Minors: return minors;
        case Register::Parents: return parents;
        case Register::Others: return others;
    }
    return minors;
}

long long svOf(store::Table& t) { return static_cast<long long>(std::trunc(t.asNumber("Sv"))); }

// Where the cursor lands after the move: the next record, or the previous one for the last.
store::Table::Bookmark returnPosition(store::Table& t) {
    t.next();
    store::Table::Bookmark at;
    if (t.eof()) {
        t.prior();
        at = t.bookmark();
        t.next();
    } else {
        at = t.bookmark();
        t.prior();
    }
    return at;
}

void narrowTo(store::Table& t, long long sv) {
    t.setFilterText("");
    t.setFiltered(false);
    t.setFilterText("Sv=" + std::to_string(sv));
    t.setFiltered(true);
}

void restoreFilter(store::Table& t, bool keepsFilter, const std::string& remembered) {
    t.setFilterText("");
    t.setFiltered(false);
    if (!keepsFilter) return;
    t.setFilterText(remembered);
    t.setFiltered(true);
}

void runBatches(store::TableSet& tables, const std::vector<int>& batches) {
    for (int number : batches) {
        const store::BatchPair& pair = store::batchPairs()[static_cast<size_t>(number - 1)];
        store::Table& destination = tables.table(pair.destination);
        destination.close();
        destination.batchAppendFrom(tables.table(pair.source));
        destination.open();
    }
}

std::string noteName(store::Copy copy, const char* table, long long sv) { return store::noteFileName(copy, table, sv); }

using Action = store::IntentAction;
using Kind = store::IntentAction::Kind;

std::string fileOf(store::TableSet& tables, int number) { return tables.table(number).fileName(); }

// Undoes what a command appends to table object `number`: the records above today's last counter
// (with the link key `sv`, when given; one archived parent may already have a copy of the family
// with the same Sv in the archive, and that copy is never touched).
Action dropAppended(store::TableSet& tables, int number, std::optional<long long> sv) {
    const std::string file = fileOf(tables, number);
    std::string highest = "-";
    try {
        highest = std::to_string(store::highestCounter(tables.session(), file));
    } catch (const EngineError&) {
        // A file that cannot be opened now cannot take the command's records either: its batch
        // fails with this same error, at its own step, and there is nothing of it to undo.
    }
    Action a{Kind::DropAppended, {file, highest}};
    if (sv) a.args.insert(a.args.end(), {"Sv", std::to_string(*sv)});
    return a;
}

// A journal of intent left by a command that failed in this run, or by a crash before it, is
// settled before the next command begins; the tables shown then read the files anew.
void settlePending(store::TableSet& tables) {
    if (!store::IntentJournal(tables.session().dataDir()).pending()) return;
    store::recoverPendingIntent(tables.session());
    for (store::TableId id : store::allTableIds())
        if (tables.table(id).active()) tables.table(id).refresh();
}

// The journal of one command: written before it changes anything, rewritten as committed once all
// the records it adds are stored, removed when it is complete. A command cut short leaves it on
// disk for the next start, or the next archive command, to undo or finish.
class Journal {
public:
    Journal(store::TableSet& tables, store::Intent intent) : tables_(tables), file_(tables.session().dataDir()),
                                                             intent_(std::move(intent)) {
        file_.write(intent_);
    }
    void commit(std::vector<Action> finish) {
        intent_.committed = true;
        intent_.finish = std::move(finish);
        file_.write(intent_);
    }
    // Runs the finish steps that the command does not do through its tables (the note files).
    void finishFiles(const std::vector<Action>& steps) { store::runIntentActions(tables_.session(), steps); }
    void complete() { file_.remove(); }

private:
    store::TableSet& tables_;
    store::IntentJournal file_;
    store::Intent intent_;
};

const char* const kMotherBlock[] = {"Fm", "Im", "Om", "DRm", "MRm", "ORm", "GRm", "URm", "DomRm", "KRm", "Obm",
                                    "Gm", "Um", "Dm", "Km", "MRabm", "Serm", "Nomm", "DVm", "KVm", "Dtm", "Mtm"};
const char* const kFatherBlock[] = {"Fo", "Io", "Oo", "DRo", "MRo", "ORo", "GRo", "URo", "DomRo", "KRo", "Obo",
                                    "Go", "Uo", "Do", "Ko", "MRabo", "Sero", "Nomo", "DVo", "KVo", "Dto", "Mto"};

}  // namespace

void moveToArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& master = tables.table(r.liveMaster);
    settlePending(tables);
    const long long sv = svOf(master);
    const std::string liveNote = noteName(store::Copy::Live, r.table, sv);
    const std::string archiveNote = noteName(store::Copy::Archive, r.table, sv);
    const std::string remembered = master.filterText();
    std::optional<Journal> journal;
    if (!master.isEmpty()) {  // with no record there is nothing to move, and nothing to protect
        store::Intent intent;
        intent.command = "move " + std::string(r.table) + " Sv " + std::to_string(sv);
        for (int number : r.batches)
            intent.undo.push_back(dropAppended(tables, store::batchPairs()[static_cast<size_t>(number - 1)].destination, sv));
        intent.undo.push_back({Kind::DropNoteCopy, {archiveNote}});
        journal.emplace(tables, std::move(intent));
    }
    const store::Table::Bookmark back = returnPosition(master);
    narrowTo(master, svOf(master));
    runBatches(tables, r.batches);
    std::vector<Action> finish;
    for (int d : r.liveDetails) finish.push_back({Kind::Delete, {fileOf(tables, d), "Sv", std::to_string(sv)}});
    finish.push_back({Kind::Delete, {fileOf(tables, r.liveMaster), "Sv", std::to_string(sv)}});
    const Action note{Kind::MoveNote, {liveNote, archiveNote}};
    finish.push_back(note);
    if (journal) journal->commit(finish);
    // Only now that everything is copied are the live records deleted. The journal finishes
    // them if they are cut short, so they need not be one durable commit each.
    {
        store::Session::Batch batch(tables.session());
        for (int d : r.liveDetails) {
            store::Table& detail = tables.table(d);
            while (!detail.isEmpty()) {
                detail.first();
                detail.deleteRecord();
            }
        }
        master.deleteRecord();
        batch.commit();
    }
    restoreFilter(master, r.keepsFilter, remembered);
    master.tryGotoBookmark(back);  // moving the only record leaves nothing to land on
    store::runIntentActions(tables.session(), {note});
    if (journal) journal->complete();
}

void archiveParent(store::TableSet& tables, Parent parent) {
    const RegisterTables& r = tablesOf(Register::Parents);
    store::Table& families = tables.table(r.liveMaster);
    settlePending(tables);
    const long long sv = svOf(families);
    const std::string liveNote = noteName(store::Copy::Live, r.table, sv);
    const std::string archiveNote = noteName(store::Copy::Archive, r.table, sv);
    store::Intent intent;
    intent.command = std::string(parent == Parent::Mother ? "mother" : "father") + " " + r.table + " Sv " + std::to_string(sv);
    for (int number : r.batches)
        intent.undo.push_back(dropAppended(tables, store::batchPairs()[static_cast<size_t>(number - 1)].destination, sv));
    // The archive may hold the note of an earlier copy of the family (the other parent archived
    // before): only a note this command copies there is taken back.
    intent.undo.push_back({Kind::DropNoteCopy, {archiveNote, liveNote}});
    Journal journal(tables, std::move(intent));
    journal.finishFiles({{Kind::CopyNote, {liveNote, archiveNote}}});
    const std::string remembered = families.filterText();
    const store::Table::Bookmark back = returnPosition(families);
    narrowTo(families, svOf(families));
    runBatches(tables, r.batches);
    Action blank{Kind::Blank, {fileOf(tables, r.liveMaster), "Sv", std::to_string(sv)}};
    for (const char* field : parent == Parent::Mother ? kMotherBlock : kFatherBlock) blank.args.push_back(field);
    journal.commit({blank});
    families.edit();
    for (const char* field : parent == Parent::Mother ? kMotherBlock : kFatherBlock) families.setBlank(field);
    restoreFilter(families, true, remembered);  // changing the filter posts the blanked record
    families.tryGotoBookmark(back);
    journal.complete();
}

void restoreFromArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& archived = tables.table(r.archiveMaster);
    store::Table& live = tables.table(r.liveMaster);
    settlePending(tables);
    if (archived.isEmpty()) throw EngineError("Нет записи для переноса из архива");
    // Everything a restore adds is new: the live records above today's last counters.
    store::Intent intent;
    intent.command = "restore " + std::string(r.table) + " N " + archived.asText("N");
    intent.undo.push_back(dropAppended(tables, r.liveMaster, std::nullopt));
    for (const DetailCopy& d : r.details) intent.undo.push_back(dropAppended(tables, d.live, std::nullopt));
    Journal journal(tables, std::move(intent));
    {
        // One commit per file: the journal undoes a restore cut short.
        store::Session::Batch batch(tables.session());
        try {
            live.append();  // refused with the filter warning while the live table has a filter text
        } catch (...) {
            journal.complete();  // nothing was written
            throw;
        }
        for (int p = r.restoreFrom; p <= r.restoreTo; ++p) live.setTextByPosition(p, archived.textByPosition(p));
        live.post();
        live.edit();
        live.setNumber("Sv", live.asNumber("N"));
        live.post();
        const double newSv = live.asNumber("Sv");
        for (const DetailCopy& d : r.details) {
            store::Table& from = tables.table(d.archived);
            store::Table& to = tables.table(d.live);
            // From the first detail record: a detail grid clicked before the restore must not cut it short.
            for (from.first(); !from.eof(); from.next()) {
                to.append();
                to.setNumber("Sv", newSv);
                for (const char* f : d.fields) to.setText(f, from.asText(f));
                to.post();
            }
        }
        batch.commit();
    }
    // The note follows once the records are all stored.
    const std::vector<Action> note{{Kind::CopyNote, {noteName(store::Copy::Archive, r.table, svOf(archived)),
                                                     noteName(store::Copy::Live, r.table, svOf(live))}}};
    journal.commit(note);
    journal.finishFiles(note);
    journal.complete();
}

void deleteFromArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& archived = tables.table(r.archiveMaster);
    settlePending(tables);
    if (archived.isEmpty()) throw EngineError("Нет записей для удаления");
    // Nothing is added, so the command is committed from the start: once begun it is finished.
    // The master goes by its counter, since two archived copies of a family share their Sv.
    const std::string sv = std::to_string(svOf(archived));
    store::Intent intent;
    intent.command = "delete " + std::string(r.table) + " N " + archived.asText("N");
    intent.committed = true;
    for (const DetailCopy& d : r.details) intent.finish.push_back({Kind::Delete, {fileOf(tables, d.archived), "Sv", sv}});
    intent.finish.push_back({Kind::Delete, {fileOf(tables, r.archiveMaster), "N", archived.asText("N")}});
    Journal journal(tables, std::move(intent));
    {
        store::Session::Batch batch(tables.session());  // one commit per file: the journal finishes it
        for (const DetailCopy& d : r.details) {
            store::Table& detail = tables.table(d.archived);
            while (!detail.isEmpty()) {
                detail.first();
                detail.deleteRecord();
            }
        }
        archived.deleteRecord();
        batch.commit();
    }
    journal.complete();
}

}  // namespace zelt::archive
