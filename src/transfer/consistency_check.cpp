#include "transfer/consistency_check.h"

#include "base/date.h"
#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "transfer/key_index.h"
#include "transfer/quiet_scroll.h"

#include <algorithm>
#include <cmath>
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

using Kind = store::IntentAction::Kind;

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

// Stale persons deleted under one journal at most; a crash settles at most these.
constexpr size_t kGroupSize = 500;

// One stale live record: its counter, and the link key its details carry.
struct StaleRecord {
    std::string counter;
    std::string sv;
};

// The link key as the journal's steps name it: the number Sv holds, a blank one 0.
std::string linkKeyText(const std::string& display) {
    const std::optional<double> v = store::parseNumber(display);
    return std::to_string(v ? static_cast<long long>(std::trunc(*v)) : 0LL);
}

// Texts compare as display texts and a date's display text is the date itself (two blanks alike),
// so one key of display texts finds the same person. Per person the latest DCcU is kept: a live
// record is stale when any archived copy was deregistered after its DKDN, which is when the
// latest one was.
std::vector<StaleRecord> findStale(store::TableSet& tables, const Comparison& c, Progress& progress) {
    store::Table& live = tables.table(c.live[0]);
    store::Table& archive = tables.table(c.archive[0]);
    std::vector<int> fields = fieldsOf(archive, c.person);
    fields.push_back(archive.fieldIndex("DCcU"));
    std::unordered_map<std::string, int> latest;
    const int archived = archive.recordCount();
    for (int row = 0; row < archived; ++row) {
        std::vector<std::string> texts = archive.rowTexts(row, fields);
        const std::optional<int> deregistered = parseDate(texts.back());
        texts.pop_back();
        if (!deregistered) continue;  // a blank DCcU is never later than anything
        auto [it, fresh] = latest.emplace(KeyIndex::join(texts), *deregistered);
        if (!fresh && *deregistered > it->second) it->second = *deregistered;
    }
    std::vector<int> liveFields = fieldsOf(live, c.person);
    const size_t person = liveFields.size();
    liveFields.insert(liveFields.end(), {live.fieldIndex("DKDN"), live.fieldIndex("N"), live.fieldIndex("Sv")});
    std::vector<StaleRecord> stale;
    const int count = live.recordCount();
    for (int row = 0; row < count; ++row) {
        progress.step();
        std::vector<std::string> texts = live.rowTexts(row, liveFields);
        const std::optional<int> registered = parseDate(texts[person]);
        if (!registered) continue;  // a blank DKDN is never stale
        const std::vector<std::string> key(texts.begin(), texts.begin() + static_cast<long>(person));
        const auto it = latest.find(KeyIndex::join(key));
        if (it != latest.end() && it->second > *registered) stale.push_back({texts[person + 1], linkKeyText(texts[person + 2])});
    }
    return stale;
}

// Deletes the stale records as the delete hook would, the details by the link key and then the
// master, each group under a journal committed from the start: a person once begun is deleted
// whole, by the next start if a crash cuts the group short, and the groups before stay deleted.
void deleteStale(store::TableSet& tables, const Comparison& c, const std::vector<StaleRecord>& stale) {
    store::Session& session = tables.session();
    std::vector<std::string> details;
    for (size_t i = 1; i < c.live.size(); ++i) details.push_back(tables.table(c.live[i]).fileName());
    const std::string master = tables.table(c.live[0]).fileName();
    for (size_t from = 0; from < stale.size(); from += kGroupSize) {
        store::Intent intent;
        intent.command = "check " + master;
        intent.committed = true;
        const size_t to = std::min(stale.size(), from + kGroupSize);
        for (size_t i = from; i < to; ++i) {
            for (const std::string& d : details) intent.finish.push_back({Kind::Delete, {d, "Sv", stale[i].sv}});
            intent.finish.push_back({Kind::Delete, {master, "N", stale[i].counter}});
        }
        store::IntentJournal journal(session.dataDir());
        journal.write(intent);
        store::runIntentActions(session, intent.finish);
        journal.remove();
    }
}

// The tables read the files anew and stand where a walk to the end leaves them.
void showResult(store::TableSet& tables, const Comparison& c) {
    store::Table& live = tables.table(c.live[0]);
    QuietScroll quiet(live);
    for (int n : c.live) tables.table(n).refresh();
    live.last();
    live.next();
    quiet.finish();
}

void checkRegister(store::TableSet& tables, const Comparison& c, Progress& progress) {
    const std::vector<StaleRecord> stale = findStale(tables, c, progress);
    try {
        deleteStale(tables, c, stale);
    } catch (...) {
        try {
            showResult(tables, c);  // what was deleted before the error is gone from the grids too
        } catch (...) {
        }
        throw;
    }
    showResult(tables, c);
}

}  // namespace

void checkRegisters(store::TableSet& tables, Progress& progress) {
    // A command that a crash or an error cut short is settled before this one looks at anything.
    if (store::recoverPendingIntent(tables.session()))
        for (store::TableId id : store::allTableIds())
            if (tables.table(id).active()) tables.table(id).refresh();
    openAndClear(tables, kMinors);
    store::Table& families = tables.table(store::TableId::BDS);
    families.open();
    progress.setMaximum(tables.table(store::TableId::ZELT).recordCount() + families.recordCount());
    families.close();
    checkRegister(tables, kMinors, progress);
    openAndClear(tables, kFamilies);
    checkRegister(tables, kFamilies, progress);
    for (store::TableId id : store::tableRange(store::TableId::BDS, store::TableId::ArxivPR)) tables.table(id).close();
}

}  // namespace zelt::transfer
