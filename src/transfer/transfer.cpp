#include "transfer/transfer.h"

#include "base/error.h"
#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "store/store_error.h"
#include "store/tree.h"
#include "transfer/key_index.h"
#include "transfer/quiet_scroll.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace zelt::transfer {
namespace {

// The record a group means to overwrite is gone from its table.
store::StoreError recordNotFound(const std::string& object, long long counter) {
    store::FaultInfo f;
    f.kind = store::Fault::RecordNotFound;
    f.object = object;
    f.value = std::to_string(counter);
    return store::StoreError(std::move(f));
}

using store::Copy;
using Action = store::IntentAction;
using Kind = store::IntentAction::Kind;

// One merge phase: a source master of the transfer copy with its details, the local master it
// goes into with its details (in the same order), the fields that find the same person, and
// whether a person found is overwritten or left alone.
struct Phase {
    int source;
    std::vector<int> sourceDetails;
    int target;
    std::vector<int> targetDetails;
    std::vector<const char*> key;
    bool updates;
    Copy sourceCopy, targetCopy;
    const char* table;
};

const std::vector<Phase>& phases() {
    static const std::vector<Phase> list = {
        {17, {18, 19, 20}, 1, {2, 3, 4}, {"I", "O", "DR"}, true, Copy::Transfer, Copy::Live, "ZELT"},
        {25, {26, 27, 28}, 5, {6, 7, 8}, {"I", "O", "DR", "DCcU"}, false, Copy::TransferArchive, Copy::Archive, "ZELT"},
        {21, {22, 23, 24}, 9, {10, 11, 12}, {"Im", "Om", "DRm", "Io", "Oo", "DRo"}, true, Copy::Transfer, Copy::Live, "BDS"},
        {29, {30, 31, 32}, 13, {14, 15, 16}, {"Im", "Om", "DRm", "Io", "Oo", "DRo", "DCcU"}, false,
         Copy::TransferArchive, Copy::Archive, "BDS"},
        {37, {38}, 33, {34}, {"I", "O", "DR"}, true, Copy::Transfer, Copy::Live, "Prochie"},
        {39, {40}, 35, {36}, {"I", "O", "DR"}, false, Copy::TransferArchive, Copy::Archive, "Prochie"},
    };
    return list;
}

// Persons merged under one journal at most; a crash takes back at most these.
constexpr size_t kGroupSize = 1000;

long long svOf(const store::Table& t) { return static_cast<long long>(std::trunc(t.asNumber("Sv"))); }

// Every field from position 3 (after N and Sv) to the last, as display texts.
void carry(const store::Table& from, store::Table& to) {
    for (int p = 3; p <= to.fieldCount(); ++p) to.setTextByPosition(p, from.textByPosition(p));
}

std::vector<int> sourceTablesOf(const Phase& p) {
    std::vector<int> all = p.sourceDetails;
    all.insert(all.begin(), p.source);
    return all;
}

std::vector<int> targetTablesOf(const Phase& p) {
    std::vector<int> all = p.targetDetails;
    all.insert(all.begin(), p.target);
    return all;
}

void openReadOnly(store::Table& t) {
    if (!t.readOnly()) {
        t.close();
        t.setReadOnly(true);
    }
    t.open();
}

// The highest counter of each target table file (master first), tracked as records are appended.
class Counters {
public:
    Counters(store::TableSet& tables, const std::vector<int>& numbers) {
        for (int n : numbers) {
            files_.push_back(tables.table(n).fileName());
            highest_.push_back(store::highestCounter(tables.session(), files_.back()));
        }
    }
    void appended(size_t i, long long counter) { highest_[i] = std::max(highest_[i], counter); }
    // Drops whatever lies above these counters.
    std::vector<Action> dropAbove() const {
        std::vector<Action> out;
        for (size_t i = 0; i < files_.size(); ++i) out.push_back({Kind::DropAppended, {files_[i], std::to_string(highest_[i])}});
        return out;
    }
    long long highest(size_t i) const { return highest_[i]; }
    const std::string& file(size_t i) const { return files_[i]; }

private:
    std::vector<std::string> files_;
    std::vector<long long> highest_;
};

class PhaseMerge {
public:
    PhaseMerge(store::TableSet& tables, const Phase& phase, Progress& progress)
        : tables_(tables), phase_(phase), progress_(progress), source_(tables.table(phase.source)),
          target_(tables.table(phase.target)), index_(keyFields(tables.table(phase.target), phase.key)),
          sourceIndex_(keyFields(tables.table(phase.source), phase.key)) {}

    void run() {
        for (int n : sourceTablesOf(phase_)) openReadOnly(tables_.table(n));
        for (int n : targetTablesOf(phase_)) tables_.table(n).open();
        const int count = source_.recordCount();
        std::vector<std::string> keys;
        keys.reserve(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row) keys.push_back(sourceIndex_.keyOfRow(source_, row));
        index_.build(target_);
        Counters counters(tables_, targetTablesOf(phase_));
        // The phase's tables are all closed when it ends: no note is shown from inside it, and a
        // new record gets a note file only when its source has one.
        QuietScroll quiet(target_);
        source_.first();
        for (size_t row = 0; row < keys.size() && !source_.eof();) row = mergeGroup(keys, row, counters);
        for (int n : targetTablesOf(phase_)) tables_.table(n).close();
        for (int n : sourceTablesOf(phase_)) tables_.table(n).close();
    }

private:
    static std::vector<int> keyFields(const store::Table& t, const std::vector<const char*>& key) {
        std::vector<int> out;
        for (const char* f : key) out.push_back(t.fieldIndex(f));
        return out;
    }

    std::string noteOf(Copy copy, long long sv) const { return store::noteFileName(copy, phase_.table, sv); }

    // What one person did, to be taken back alone when an error ends the merge inside him.
    struct PersonUndo {
        std::vector<Action> steps;
        size_t finishBefore = 0;  // the group's finish steps of the persons before him
    };

    // The target record the source person is, if any: the first in table order with his key.
    std::optional<long long> match(const std::string& key) {
        if (index_.unordered(key)) return index_.scan(target_, key);
        const std::vector<long long>* found = index_.find(key);
        if (!found) return std::nullopt;
        return found->front();
    }

    // Merges the persons from `row` on under one journal: as many as kGroupSize, ending before a
    // person whose key an earlier person of the group had (he may find the record the earlier
    // one wrote), so that no record is written by two persons of one group. Returns the next row.
    size_t mergeGroup(const std::vector<std::string>& keys, size_t row, Counters& counters) {
        std::set<std::string> groupKeys;
        std::vector<long long> overwritten;
        size_t end = row;
        while (end < keys.size() && end - row < kGroupSize && groupKeys.insert(keys[end]).second) {
            if (phase_.updates)
                if (const std::vector<long long>* found = index_.find(keys[end]))
                    for (long long c : *found)
                        if (c <= counters.highest(0)) overwritten.push_back(c);
            ++end;
        }
        store::Session& session = tables_.session();
        // Until the group is committed, undo puts every record it overwrote back and drops all it added.
        store::Intent intent;
        intent.command = std::string("transfer ") + phase_.table + " from " + source_.fileName();
        const std::vector<Action> restores = store::restoreActions(session, target_.fileName(), overwritten);
        std::map<long long, const Action*> restoreOf;
        for (const Action& a : restores) restoreOf[std::stoll(a.args[1])] = &a;
        intent.undo = counters.dropAbove();
        intent.undo.insert(intent.undo.end(), restores.begin(), restores.end());
        store::IntentJournal journal(session.dataDir());
        journal.write(intent);

        std::vector<Action> finish;
        std::optional<store::Session::Batch> batch(std::in_place, session);
        for (size_t r = row; r < end && !source_.eof(); ++r, source_.next()) {
            PersonUndo undo;
            undo.steps = counters.dropAbove();
            undo.finishBefore = finish.size();
            try {
                mergePerson(keys[r], counters, finish, undo, restoreOf);
            } catch (...) {
                abandon(*batch, journal, intent, finish, undo);
                throw;
            }
        }
        batch->commit();
        batch.reset();
        intent.committed = true;
        intent.finish = finish;
        journal.write(intent);
        store::runIntentActions(session, finish);
        for (int n : phase_.targetDetails) tables_.table(n).refresh();
        journal.remove();
        return end;
    }

    // An error inside a person: the persons before him stay merged, what he did is taken back.
    // Should any of this fail too, the journal stays and the next start takes back the group.
    void abandon(store::Session::Batch& batch, store::IntentJournal& journal, store::Intent& intent,
                 std::vector<Action>& finish, const PersonUndo& undo) {
        try {
            for (int n : targetTablesOf(phase_)) tables_.table(n).cancel();
            batch.commit();
            store::runIntentActions(tables_.session(), undo.steps);
            finish.resize(undo.finishBefore);
            intent.committed = true;
            intent.finish = finish;
            journal.write(intent);
            store::runIntentActions(tables_.session(), finish);
            journal.remove();
            for (int n : targetTablesOf(phase_)) tables_.table(n).refresh();
        } catch (...) {
        }
    }

    void mergePerson(const std::string& key, Counters& counters, std::vector<Action>& finish, PersonUndo& undo,
                     const std::map<long long, const Action*>& restoreOf) {
        progress_.step();
        const std::optional<long long> found = match(key);
        if (found && !phase_.updates) return;  // already in the archive
        if (found) {
            const auto r = restoreOf.find(*found);
            if (r != restoreOf.end()) undo.steps.push_back(*r->second);
            overwrite(*found, key, counters, finish);
        } else {
            append(key, counters, finish, undo);
        }
    }

    void overwrite(long long counter, const std::string& key, Counters& counters, std::vector<Action>& finish) {
        if (!index_.unordered(key)) target_.gotoBookmark(counter);
        if (target_.eof() || target_.asInteger("N") != counter)
            throw recordNotFound(target_.name(), counter);
        const long long sv = svOf(target_);
        target_.edit();
        carry(source_, target_);
        target_.post();
        const bool shown = !target_.eof() && target_.asInteger("N") == counter;
        if (!shown) index_.remove(key, counter);
        else if (!target_.indexName().empty() && index_.find(key)->size() > 1) index_.markUnordered(key);
        // His own details go (those stored before this group); the source's take their place.
        for (size_t i = 0; i < phase_.targetDetails.size(); ++i)
            finish.push_back({Kind::Delete, {counters.file(i + 1), "Sv", std::to_string(sv), std::to_string(counters.highest(i + 1))}});
        appendDetails(sv, counters);
        // A source without a note leaves the person's own note as it is.
        finish.push_back({Kind::ReplaceNote, {noteOf(phase_.sourceCopy, svOf(source_)), noteOf(phase_.targetCopy, sv)}});
    }

    void append(const std::string& key, Counters& counters, std::vector<Action>& finish, PersonUndo& undo) {
        target_.append();  // a live master with a filter text refuses with its warning
        target_.post();    // posted empty, so that it receives its counter
        const long long counter = target_.asInteger("N");
        counters.appended(0, counter);
        target_.edit();
        target_.setNumber("Sv", static_cast<double>(counter));
        carry(source_, target_);
        target_.post();
        if (!target_.eof() && target_.asInteger("N") == counter) index_.add(key, counter);
        finish.push_back({Kind::CopyNote, {noteOf(phase_.sourceCopy, svOf(source_)), noteOf(phase_.targetCopy, counter)}});
        appendDetails(counter, counters);
    }

    void appendDetails(long long sv, Counters& counters) {
        for (size_t i = 0; i < phase_.targetDetails.size(); ++i) {
            store::Table& from = tables_.table(phase_.sourceDetails[i]);
            store::Table& to = tables_.table(phase_.targetDetails[i]);
            for (from.first(); !from.eof(); from.next()) {
                to.append();
                to.setNumber("Sv", static_cast<double>(sv));
                carry(from, to);
                to.post();
                counters.appended(i + 1, to.asInteger("N"));
            }
        }
    }

    store::TableSet& tables_;
    const Phase& phase_;
    Progress& progress_;
    store::Table& source_;
    store::Table& target_;
    KeyIndex index_;
    KeyIndex sourceIndex_;
};

// The transfer tables go back to being ordinary tables (the administrator window empties them).
class ReadOnlySources {
public:
    explicit ReadOnlySources(store::TableSet& tables) : tables_(tables) {}
    ~ReadOnlySources() {
        for (const Phase& p : phases())
            for (int n : sourceTablesOf(p)) {
                store::Table& t = tables_.table(n);
                if (!t.readOnly()) continue;
                try {
                    t.close();
                } catch (...) {
                }
                t.setReadOnly(false);
            }
    }

private:
    store::TableSet& tables_;
};

}  // namespace

void checkSources(store::TableSet& tables) {
    ReadOnlySources restore(tables);
    for (const Phase& p : phases())
        for (int n : sourceTablesOf(p)) {
            store::Table& t = tables.table(n);
            openReadOnly(t);
            t.close();
        }
}

void mergeTransfer(store::TableSet& tables, Progress& progress) {
    ReadOnlySources restore(tables);
    // A merge that a crash or an error cut short is settled before this one looks at anything.
    if (store::recoverPendingIntent(tables.session()))
        for (store::TableId id : store::allTableIds())
            if (tables.table(id).active()) tables.table(id).refresh();
    for (store::TableId id : {store::TableId::ArxivZELT, store::TableId::ArxivPNU, store::TableId::ArxivPKO, store::TableId::ArxivPIR}) tables.table(id).close();
    for (store::TableId id : store::tableRange(store::TableId::BDS, store::TableId::ArxivPR)) tables.table(id).close();
    for (store::TableId id : store::tableRange(store::TableId::Prochie, store::TableId::ArxivPKOP)) tables.table(id).close();
    for (store::TableId id : store::tableRange(store::TableId::PerenosZELT, store::TableId::PerenosArxivPR)) tables.table(id).close();
    for (store::TableId id : store::tableRange(store::TableId::PerenosProchie, store::TableId::PerenosArxivPKOP)) tables.table(id).close();
    for (store::TableId id : {store::TableId::ZELT, store::TableId::PNU, store::TableId::PKO, store::TableId::PIR}) tables.table(id).open();
    for (store::TableId id : {store::TableId::PerenosZELT, store::TableId::PerenosPNU, store::TableId::PerenosPKO, store::TableId::PerenosPIR}) openReadOnly(tables.table(id));
    int maximum = tables.table(store::TableId::PerenosZELT).recordCount();
    for (store::TableId id : {store::TableId::PerenosBDS, store::TableId::PerenosArxivZELT, store::TableId::PerenosArxivBDS, store::TableId::PerenosProchie, store::TableId::PerenosArxivProchie}) {
        store::Table& t = tables.table(id);
        openReadOnly(t);
        maximum += t.recordCount();
        t.close();
    }
    progress.setMaximum(maximum);
    for (const Phase& p : phases()) PhaseMerge(tables, p, progress).run();
}

}  // namespace zelt::transfer
