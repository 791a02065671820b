#include "archive/archive.h"

#include "base/error.h"
#include "store/tree.h"

#include <cmath>
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

std::filesystem::path notePath(store::TableSet& tables, store::Copy copy, const char* table, long long sv) {
    return store::resolvePath(tables.session().dataDir(), store::noteFileName(copy, table, sv));
}

// File moves and copies of note files fail silently: the records are what matters.
void moveNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec)) return;
    // Reopening the archive table has just shown the moved record and so created its archive note
    // empty; an empty note holds nothing and gives way. A note with text is never overwritten.
    if (std::filesystem::exists(to, ec)) {
        if (std::filesystem::file_size(to, ec) != 0 || ec) return;
        std::filesystem::remove(to, ec);
        if (ec) return;
    }
    std::filesystem::create_directories(to.parent_path(), ec);
    std::filesystem::rename(from, to, ec);
    if (!ec) store::noteCreatedFile(to);
}

void copyNote(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec) || std::filesystem::exists(to, ec)) return;
    std::filesystem::create_directories(to.parent_path(), ec);
    if (std::filesystem::copy_file(from, to, std::filesystem::copy_options::skip_existing, ec)) store::noteCreatedFile(to);
}

const char* const kMotherBlock[] = {"Fm", "Im", "Om", "DRm", "MRm", "ORm", "GRm", "URm", "DomRm", "KRm", "Obm",
                                    "Gm", "Um", "Dm", "Km", "MRabm", "Serm", "Nomm", "DVm", "KVm", "Dtm", "Mtm"};
const char* const kFatherBlock[] = {"Fo", "Io", "Oo", "DRo", "MRo", "ORo", "GRo", "URo", "DomRo", "KRo", "Obo",
                                    "Go", "Uo", "Do", "Ko", "MRabo", "Sero", "Nomo", "DVo", "KVo", "Dto", "Mto"};

}  // namespace

void moveToArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& master = tables.table(r.liveMaster);
    const long long sv = svOf(master);
    const auto liveNote = notePath(tables, store::Copy::Live, r.table, sv);
    const auto archiveNote = notePath(tables, store::Copy::Archive, r.table, sv);
    const std::string remembered = master.filterText();
    const store::Table::Bookmark back = returnPosition(master);
    narrowTo(master, svOf(master));
    runBatches(tables, r.batches);
    // Only now that everything is copied are the live records deleted.
    for (int d : r.liveDetails) {
        store::Table& detail = tables.table(d);
        while (!detail.isEmpty()) {
            detail.first();
            detail.deleteRecord();
        }
    }
    master.deleteRecord();
    restoreFilter(master, r.keepsFilter, remembered);
    master.tryGotoBookmark(back);  // moving the only record leaves nothing to land on
    moveNote(liveNote, archiveNote);
}

void archiveParent(store::TableSet& tables, Parent parent) {
    const RegisterTables& r = tablesOf(Register::Parents);
    store::Table& families = tables.table(r.liveMaster);
    const long long sv = svOf(families);
    copyNote(notePath(tables, store::Copy::Live, r.table, sv), notePath(tables, store::Copy::Archive, r.table, sv));
    const std::string remembered = families.filterText();
    const store::Table::Bookmark back = returnPosition(families);
    narrowTo(families, svOf(families));
    runBatches(tables, r.batches);
    families.edit();
    for (const char* field : parent == Parent::Mother ? kMotherBlock : kFatherBlock) families.setBlank(field);
    restoreFilter(families, true, remembered);  // changing the filter posts the blanked record
    families.tryGotoBookmark(back);
}

void restoreFromArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& archived = tables.table(r.archiveMaster);
    store::Table& live = tables.table(r.liveMaster);
    if (archived.isEmpty()) throw EngineError("Нет записи для переноса из архива");
    live.append();  // refused with the filter warning while the live table has a filter text
    for (int p = r.restoreFrom; p <= r.restoreTo; ++p) live.setTextByPosition(p, archived.textByPosition(p));
    live.post();
    live.edit();
    live.setNumber("Sv", live.asNumber("N"));
    live.post();
    copyNote(notePath(tables, store::Copy::Archive, r.table, svOf(archived)),
             notePath(tables, store::Copy::Live, r.table, svOf(live)));
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
}

void deleteFromArchive(store::TableSet& tables, Register reg) {
    const RegisterTables& r = tablesOf(reg);
    store::Table& archived = tables.table(r.archiveMaster);
    if (archived.isEmpty()) throw EngineError("Нет записей для удаления");
    for (const DetailCopy& d : r.details) {
        store::Table& detail = tables.table(d.archived);
        while (!detail.isEmpty()) {
            detail.first();
            detail.deleteRecord();
        }
    }
    archived.deleteRecord();
}

}  // namespace zelt::archive
