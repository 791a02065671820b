#include "editing/record_hooks.h"

#include "base/error.h"
#include "editing/note_files.h"

#include "store/tree.h"

#include <cmath>
#include <vector>

namespace zelt::editing {

const char* const kFilterWarningF1 =
    "Внимание - включена фильтрация. Рекомендуем не создавать новые записи и не изменять сортируемое поле, при "
    "вкл. фильтрации. Отключить фильтрацию можно нажав правую клавишу мышки и выбрав позицию \"Все\", на "
    "основной таблице, закладка \"Несовершеннолетние\"";
const char* const kFilterWarningF2 =
    "Внимание - включена фильтрация. Рекомендуем не создавать новые записи и не изменять сортируемое поле, при "
    "вкл. фильтрации. Отключить фильтрацию можно нажав правую клавишу мышки и выбрав позицию \"Все\", на "
    "основной таблице, закладка \"Учреждения\"";

namespace {

// The hooks of one master table object.
struct MasterHooks {
    int master;
    const char* filterWarning;      // nullptr: no filter warning, link key or cascade
    std::vector<int> details;       // cascade order; each also posts this master before its inserts
};

// The archive others' tables follow the live rules on themselves; the other archive masters only
// show their note files.
const std::vector<MasterHooks>& hookTable() {
    static const std::vector<MasterHooks> table = {
        {1, kFilterWarningF1, {2, 3, 4}},  {5, nullptr, {}},
        {9, kFilterWarningF1, {10, 11, 12}}, {13, nullptr, {}},
        {33, kFilterWarningF1, {34}},      {35, kFilterWarningF1, {36}},
        {41, kFilterWarningF2, {43}},
    };
    return table;
}

void linkKey(store::Table& t) {
    if (t.asNumber("Sv") != 0) return;
    t.edit();
    t.setNumber("Sv", t.asNumber("N"));
    t.post();
}

void cascade(store::Table& detail) {
    // A closed detail table is opened for the cascade, so no detail record outlives its master.
    const bool wasClosed = !detail.active();
    if (wasClosed) detail.open();
    // A walk (a report) may have left the detail at its end; start from its first record so the
    // cascade never leaves detail records behind.
    detail.first();
    while (!detail.eof()) detail.deleteRecord();
    if (wasClosed) detail.close();
}

}  // namespace

void walkNoteFiles(store::TableSet& tables, int number) {
    store::Table& t = tables.table(number);
    std::vector<std::string> notes;
    if (t.afterScroll) {
        const store::TableObjectDef& d = tables.def(number);
        for (const store::Value& sv : t.valuesShown("Sv"))
            notes.push_back(store::noteFileName(d.copy, d.table, sv.null ? 0 : static_cast<long long>(std::trunc(sv.number))));
        const std::string dir = store::tableDirName(d.copy, d.table);
        for (size_t from = 0;;) {
            const size_t failed = ensureNoteFiles(tables.session().dataDir(), dir, notes, from);
            if (failed >= notes.size()) break;
            t.gotoRow(static_cast<long>(failed));  // the hook tries it again, and says why it cannot
            from = failed + 1;
        }
    }
    t.first();
    if (t.eof()) return;
    t.last();
    t.next();
}

void installRecordHooks(store::TableSet& tables, HookHost& host) {
    const std::filesystem::path dataDir = tables.session().dataDir();
    for (const MasterHooks& h : hookTable()) {
        store::Table& master = tables.table(h.master);
        const int number = h.master;
        master.afterScroll = [&tables, &host, dataDir, number](store::Table&) {
            const std::string name = noteFileOf(tables, number);
            std::filesystem::path path;
            try {
                path = ensureNoteFile(dataDir, name);
            } catch (const EngineError&) {
                host.noteFileShown(number, {});  // the boxes must not go on showing the last note
                throw;
            }
            host.noteFileShown(number, path);
        };
        if (!h.filterWarning) continue;
        const char* warning = h.filterWarning;
        master.beforeInsert = [&host, warning](store::Table& t) {
            // Any filter text counts, whether or not filtering is switched on.
            if (!t.filterText().empty()) {
                host.showMessage(warning);
                throw Aborted();
            }
        };
        master.afterPost = linkKey;
        std::vector<store::Table*> details;
        for (int d : h.details) details.push_back(&tables.table(d));
        master.beforeDelete = [details](store::Table&) {
            for (store::Table* d : details) cascade(*d);
        };
        // The institutions' cases have no hook of their own; the other details store their master
        // before a record is attached to it.
        if (h.master == 41) continue;
        for (store::Table* d : details) {
            d->beforeInsert = [&master](store::Table&) {
                if (master.asNumber("Sv") == 0) master.post();
            };
        }
    }
}

}  // namespace zelt::editing
