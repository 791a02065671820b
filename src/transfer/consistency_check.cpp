#include "transfer/consistency_check.h"

#include "base/date.h"
#include "transfer/key_index.h"
#include "transfer/quiet_scroll.h"

#include <optional>

#include <unordered_map>

namespace zelt::transfer {
namespace {

// One register's comparison: the live and archive tables, the fields that tell the same person.
struct Comparison {
    std::vector<int> live;     // master first
    std::vector<int> archive;  // master first
    std::vector<const char*> person;
};

const Comparison kMinors{{1, 2, 3, 4}, {5, 6, 7, 8}, {"F", "I", "O", "DR"}};
const Comparison kFamilies{{9, 10, 11, 12}, {13, 14, 15, 16}, {"Fm", "Im", "Om", "DRm", "Fo", "Io", "Oo", "DRo"}};

void clearFilter(store::Table& t) {
    t.setFilterText("");
    t.setFiltered(false);
}

std::vector<int> fieldsOf(const store::Table& t, const std::vector<const char*>& names) {
    std::vector<int> out;
    for (const char* n : names) out.push_back(t.fieldIndex(n));
    return out;
}

void openAndClear(store::TableSet& tables, const Comparison& c) {
    for (int n : c.live) tables.table(n).open();
    clearFilter(tables.table(c.live[0]));
    for (int n : c.archive) tables.table(n).open();
    clearFilter(tables.table(c.archive[0]));
}

// Texts compare as display texts and a date's display text is the date itself (two blanks alike),
// so one key of display texts finds the same person. Per person the latest DCcU is kept: a live
// record is stale when any archived copy was deregistered after its DKDN, which is when the
// latest one was.
void deleteStale(store::TableSet& tables, const Comparison& c, Progress& progress) {
    store::Table& live = tables.table(c.live[0]);
    store::Table& archive = tables.table(c.archive[0]);
    const KeyIndex keys(fieldsOf(live, c.person));
    std::vector<int> fields = fieldsOf(archive, c.person);
    fields.push_back(archive.fieldIndex("DCcU"));
    std::unordered_map<std::string, int> latest;
    const int count = archive.recordCount();
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> texts = archive.rowTexts(row, fields);
        const std::optional<int> deregistered = parseDate(texts.back());
        texts.pop_back();
        if (!deregistered) continue;  // a blank DCcU is never later than anything
        auto [it, fresh] = latest.emplace(KeyIndex::join(texts), *deregistered);
        if (!fresh && *deregistered > it->second) it->second = *deregistered;
    }
    // One commit per file for the whole walk; the deletes are as durable as the walk's end.
    store::Session::Batch batch(tables.session());
    QuietScroll quiet(live);
    live.first();
    for (long row = 0; !live.eof();) {
        progress.step();
        bool stale = false;
        if (!live.isBlank("DKDN")) {
            const auto it = latest.find(keys.keyOf(live));
            stale = it != latest.end() && it->second > live.asDate("DKDN");
        }
        if (!stale) {
            live.next();
            ++row;
            continue;
        }
        live.deleteRecord();  // the next record takes its row; after the last one, the walk ends
        if (live.isEmpty() || live.currentRow() < row) break;
    }
    batch.commit();
    quiet.finish();
}

}  // namespace

void checkRegisters(store::TableSet& tables, Progress& progress) {
    openAndClear(tables, kMinors);
    store::Table& families = tables.table(store::TableId::BDS);
    families.open();
    progress.setMaximum(tables.table(store::TableId::ZELT).recordCount() + families.recordCount());
    families.close();
    deleteStale(tables, kMinors, progress);
    openAndClear(tables, kFamilies);
    deleteStale(tables, kFamilies, progress);
    for (store::TableId id : store::tableRange(store::TableId::BDS, store::TableId::ArxivPR)) tables.table(id).close();
}

}  // namespace zelt::transfer
