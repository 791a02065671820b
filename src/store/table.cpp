#include "store/table.h"

#include "base/error.h"
#include "store/store_error.h"
#include "store/table_fault.h"

#include <algorithm>
#include <cstdint>

namespace zelt::store {

// A failure of an operation of table object `t`, concerning `field` and `value` where given.
StoreError tableFault(const Table& t, Fault kind, const std::string& field, const std::string& value) {
    FaultInfo f;
    f.kind = kind;
    f.object = t.name();
    f.file = t.fileName();
    f.layout = t.layout().name;
    f.field = field;
    f.value = value;
    return StoreError(std::move(f));
}

// ---------------------------------------------------------------------------------------------
// Table internals

class Table::Link : public DataLink {
public:
    explicit Link(Table& detail) : detail_(detail) {}
    void sourceChanged() override { detail_.masterChanged(); }
    void sourceDestroyed() override {
        detail_.master_ = nullptr;
        detail_.masterFieldIdx_.clear();
    }

private:
    Table& detail_;
};


Table::Table(Session& session, std::string name, std::string fileName, const Layout& layout)
    : session_(session), name_(std::move(name)), fileName_(std::move(fileName)), layout_(layout), source_(*this),
      writeLimits_(layout.fields.size(), 0) {}

Table::~Table() {
    if (master_ && link_) master_->removeLink(link_.get());
    // The store, going with the table, ends its part in a grouped write of the session.
}

int Table::fieldIndex(std::string_view field) const {
    const int i = layout_.indexOf(field);
    if (i < 0) throw tableFault(*this, Fault::FieldMissing, {}, std::string(field));
    return i;
}

void Table::requireActive() const {
    if (state_ == State::Inactive) throw tableFault(*this, Fault::TableClosed);
}

void Table::requireEditing(int index) const {
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert)
        throw tableFault(*this, Fault::NotEditing);
    if (index >= 0 && layout_.fields[static_cast<size_t>(index)].type == FieldType::AutoInc)
        throw tableFault(*this, Fault::CounterField, layout_.fields[static_cast<size_t>(index)].name);
}

const std::vector<Value>& Table::current() const {
    if (state_ == State::Edit || state_ == State::Insert) return buf_;
    if (state_ == State::Inactive) return blankRecord(layout_.fields.size());
    ensureFirst();
    if (list_.pos < 0) return blankRecord(layout_.fields.size());
    if (!curLoaded_) loadCurrent();
    return cur_;
}

// ---------------------------------------------------------------------------------------------
// Open and close

void Table::open() {
    if (active()) return;
    store_ = openRecordStore(session_, fileName_, layout_, StoreOptions{readOnly_, true});
    try {
        resolveSortFields();
        state_ = State::Browse;
        list_.valid = false;
        first();
    } catch (...) {
        // A file that fails while opening (damaged pages, a missing index) leaves the table closed.
        resetState();
        throw;
    }
}

void Table::resetState() {
    state_ = State::Inactive;
    list_.reset();
    cur_.clear();
    store_.reset();
}

void Table::resolveSortFields() {
    sortFields_ = indexName_.empty() ? std::vector<int>() : store_->indexFields(indexName_);
}

void Table::close() {
    if (!active()) return;
    checkBrowseMode();
    store_->close();
    resetState();
    notifyLinks();
}

// ---------------------------------------------------------------------------------------------
// The list of records shown

Table::Range Table::currentRange() const {
    Range r;
    if (!master_ || !master_->enabled() || !master_->table().active()) return r;
    const Table& m = master_->table();
    const std::vector<Value>& mrec = m.current();
    r.active = true;
    for (size_t k = 0; k < masterFieldIdx_.size(); ++k) {
        const FieldDef& mf = m.layout_.fields[static_cast<size_t>(masterFieldIdx_[k])];
        const int di = layout_.indexOf(mf.name);
        r.fields.push_back(di);
        const FieldDef& df = layout_.fields[static_cast<size_t>(di)];
        // The detail field may be narrower than the master's (PKOU.Naim holds 10 characters of
        // the institution's 60): the link compares what the detail field can hold.
        r.values.push_back(convertForField(df, mrec[static_cast<size_t>(masterFieldIdx_[k])], mf));
    }
    return r;
}

bool Table::rangeMatches(const std::vector<Value>& rec, const Range& r) const {
    if (!r.active) return true;
    for (size_t k = 0; k < r.fields.size(); ++k)
        if (!sameValue(rec[static_cast<size_t>(r.fields[k])], r.values[k])) return false;
    return true;
}

bool Table::filterMatches(const std::vector<Value>& rec) const {
    if (!filtered_ || filter_.empty()) return true;
    return filter_.matches(RecordReader(layout_, rec));
}

void Table::ensureFirst() const {
    if (state_ == State::Inactive) return;
    if (list_.valid && rangeStale_) {
        rangeStale_ = false;
        const Range r = currentRange();
        bool same = r.active == range_.active && r.values.size() == range_.values.size();
        for (size_t k = 0; same && k < r.values.size(); ++k) same = sameValue(r.values[k], range_.values[k]);
        if (!same) list_.valid = false;
    }
    if (list_.valid) return;
    // Lists of a master range are small and read whole; a list of a whole table is read up to its
    // first record until more is needed (a count, a filter set and cleared, a move of one record).
    if (currentRange().active) buildList();
    else buildFirst();
    list_.pos = list_.ids.empty() ? -1 : 0;
    list_.bof = true;
    list_.eof = list_.ids.empty();
    // The record the query has just found is read when someone reads it: a count of a person's
    // details at each step of a walk reads none.
    if (list_.pos < 0) loadCurrent();
    else curLoaded_ = false;
}

void Table::ensureList() const {
    ensureFirst();
    if (state_ == State::Inactive || list_.complete) return;
    const int64_t at = list_.pos >= 0 ? list_.ids[static_cast<size_t>(list_.pos)] : 0;
    buildList();
    const auto it = std::find(list_.ids.begin(), list_.ids.end(), at);
    if (it != list_.ids.end()) {
        list_.pos = static_cast<long>(it - list_.ids.begin());
        return;
    }
    // The first record went away behind this cursor's back: start again from the first.
    list_.pos = list_.ids.empty() ? -1 : 0;
    list_.bof = true;
    list_.eof = list_.ids.empty();
    loadCurrent();
}

RecordQuery Table::listQuery(ListQuery q, const std::vector<int>& read) const {
    RecordQuery out;
    // The rows of every master at once leave the range out: the caller reads the link fields.
    if (q != ListQuery::AllMasters) {
        out.rangeFields = range_.fields;
        out.rangeValues = range_.values;
    }
    if (filtered_ && !filter_.empty()) out.filter = &filter_;
    out.read = read;
    // In counter order the store may read the counters from the smallest index and leave the
    // sorting to us, which is much cheaper than walking the whole table for them.
    if ((q == ListQuery::Ids || q == ListQuery::First) && !sortFields_.empty()) {
        out.order = RecordQuery::Order::Fields;
        out.sortFields = sortFields_;
    } else if (q == ListQuery::First) {
        out.order = RecordQuery::Order::Counter;
    }
    return out;
}

void Table::readIds(ListQuery query, size_t limit) const {
    range_ = currentRange();
    rangeStale_ = false;
    RecordQuery q = listQuery(query);
    if (limit != SIZE_MAX) q.limit = limit;
    list_.ids.clear();
    store_->scan(q, [&](const StoredRow& row) {
        list_.ids.push_back(row.id());
        return true;
    });
    list_.valid = true;
    list_.knownCount = -1;
}

void Table::buildList() const {
    readIds(ListQuery::Ids, SIZE_MAX);
    if (sortFields_.empty() && !std::is_sorted(list_.ids.begin(), list_.ids.end())) std::sort(list_.ids.begin(), list_.ids.end());
    list_.complete = true;
}

void Table::buildFirst() const {
    readIds(ListQuery::First, 1);
    list_.complete = list_.ids.empty();  // nothing found: the list is whole
}

long Table::countShown() const {
    if (list_.complete) return static_cast<long>(list_.ids.size());
    if (list_.knownCount >= 0) return list_.knownCount;
    list_.knownCount = store_->count(listQuery(ListQuery::Rows));
    return list_.knownCount;
}

std::vector<Value> Table::readRow(int64_t id, bool& found) const {
    std::vector<Value> rec;
    found = store_->read(id, rec);
    return rec;
}

void Table::loadCurrent() const {
    while (list_.pos >= 0) {
        if (const std::vector<Value>* rec = rowAt(list_.pos)) {
            cur_ = *rec;
            curLoaded_ = true;
            return;
        }
        if (!list_.complete) {
            // The first record of a list not yet read whole went away: read the list whole.
            buildList();
            list_.pos = list_.ids.empty() ? -1 : 0;
            list_.eof = list_.bof = list_.ids.empty();
            continue;
        }
        // Removed behind this cursor's back (by another table object on the same file).
        list_.ids.erase(list_.ids.begin() + list_.pos);
        if (list_.pos >= static_cast<long>(list_.ids.size())) list_.pos = static_cast<long>(list_.ids.size()) - 1;
        if (list_.ids.empty()) list_.eof = list_.bof = true;
    }
    cur_.assign(layout_.fields.size(), Value{});
    curLoaded_ = true;
}

void Table::setMasterLink(DataSource* master, std::vector<std::string> masterFields, const std::string& detailIndex) {
    if (master_ && link_) master_->removeLink(link_.get());
    master_ = master;
    masterFieldIdx_.clear();
    if (!master_) {
        link_.reset();
        return;
    }
    for (const std::string& f : masterFields) {
        const int mi = master_->table().layout().indexOf(f);
        if (mi < 0 || layout_.indexOf(f) < 0) throw tableFault(*this, Fault::LinkFieldMissing, {}, f);
        masterFieldIdx_.push_back(mi);
    }
    indexName_ = detailIndex;
    link_ = std::make_unique<Link>(*this);
    master_->addLink(link_.get());
    rangeStale_ = true;
}

void Table::notifyLinks() { source_.notify(); }

void Table::fireScroll() {
    if (afterScroll) afterScroll(*this);
}

void Table::masterChanged() {
    if (!active()) return;
    checkBrowseMode();
    rangeStale_ = true;
    notifyLinks();
}

// ---------------------------------------------------------------------------------------------
// Editing

void Table::edit() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) return;
    ensureFirst();
    if (list_.ids.empty()) {
        insert();
        return;
    }
    if (!curLoaded_) loadCurrent();
    buf_ = cur_;
    dirty_.assign(layout_.fields.size(), false);
    modified_ = false;
    state_ = State::Edit;
    notifyLinks();
}

void Table::insert() { beginInsert(); }

void Table::append() { beginInsert(); }

void Table::beginInsert() {
    requireActive();
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);  // may refuse by throwing Aborted
    ensureList();
    insertReturnPos_ = list_.pos;
    buf_.assign(layout_.fields.size(), Value{});
    dirty_.assign(layout_.fields.size(), false);
    const Range r = currentRange();
    for (size_t k = 0; k < r.fields.size(); ++k) {
        buf_[static_cast<size_t>(r.fields[k])] = r.values[k];
        dirty_[static_cast<size_t>(r.fields[k])] = true;
    }
    modified_ = false;
    state_ = State::Insert;
    notifyLinks();
    fireScroll();
}

void Table::post() {
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert)
        throw tableFault(*this, Fault::NotEditing);
    ensureList();  // the stored record takes its place in the whole list
    if (!curLoaded_) loadCurrent();
    source_.notifyUpdateRecord();  // typed text still held by controls goes into the fields
    const bool wasInsert = state_ == State::Insert;
    writeRecord();  // throws with the table still editing: nothing typed is lost
    std::vector<Value> before = std::move(cur_);
    cur_ = buf_;
    list_.ownWrite(static_cast<int64_t>(cur_[0].number), &cur_);
    state_ = State::Browse;
    modified_ = false;
    const int64_t id = static_cast<int64_t>(cur_[0].number);
    const bool visible = rangeMatches(cur_, range_) && filterMatches(cur_);
    if (wasInsert) {
        if (visible) {
            list_.pos = insertSorted(id, cur_);
        } else {
            list_.pos = std::min(insertReturnPos_, static_cast<long>(list_.ids.size()) - 1);
            if (list_.pos < 0 && !list_.ids.empty()) list_.pos = 0;
            loadCurrent();
        }
    } else if (!visible) {
        list_.ids.erase(list_.ids.begin() + list_.pos);
        if (list_.pos >= static_cast<long>(list_.ids.size())) list_.pos = static_cast<long>(list_.ids.size()) - 1;
        loadCurrent();
    } else if (sortKeyChanged(before, cur_)) {
        list_.ids.erase(list_.ids.begin() + list_.pos);
        list_.pos = insertSorted(id, cur_);
    }
    list_.eof = list_.ids.empty();
    list_.bof = list_.ids.empty();
    notifyLinks();
    if (afterPost) afterPost(*this);
}

long Table::insertSorted(int64_t id, const std::vector<Value>& rec) {
    if (sortFields_.empty()) {
        // In counter order a record goes where its counter belongs; a new one is the last.
        const long at = static_cast<long>(std::lower_bound(list_.ids.begin(), list_.ids.end(), id) - list_.ids.begin());
        list_.ids.insert(list_.ids.begin() + at, id);
        return at;
    }
    const auto less = [&](int64_t otherId) {  // does the other record sort before rec?
        bool found = false;
        const std::vector<Value> other = readRow(otherId, found);
        for (int f : sortFields_) {
            const int c = compareValues(other[static_cast<size_t>(f)], rec[static_cast<size_t>(f)]);
            if (c != 0) return c < 0;
        }
        return otherId < id;
    };
    size_t lo = 0, hi = list_.ids.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (less(list_.ids[mid])) lo = mid + 1;
        else hi = mid;
    }
    list_.ids.insert(list_.ids.begin() + static_cast<long>(lo), id);
    return static_cast<long>(lo);
}

bool Table::sortKeyChanged(const std::vector<Value>& before, const std::vector<Value>& after) const {
    if (before.size() != after.size()) return true;
    for (int f : sortFields_)
        if (!sameValue(before[static_cast<size_t>(f)], after[static_cast<size_t>(f)])) return true;
    return false;
}

void Table::writeRecord() {
    if (state_ == State::Insert) {
        const int64_t id = store_->insert(buf_);
        buf_[0].null = false;
        buf_[0].number = static_cast<double>(id);
        return;
    }
    if (std::find(dirty_.begin() + 1, dirty_.end(), true) == dirty_.end()) return;
    if (!store_->update(static_cast<int64_t>(buf_[0].number), buf_, dirty_))
        throw tableFault(*this, Fault::RecordDeletedElsewhere);
}

void Table::cancel() {
    if (state_ == State::Edit) {
        state_ = State::Browse;
        modified_ = false;
    } else if (state_ == State::Insert) {
        state_ = State::Browse;
        modified_ = false;
        list_.pos = std::min(insertReturnPos_, static_cast<long>(list_.ids.size()) - 1);
        if (list_.pos < 0 && !list_.ids.empty()) list_.pos = 0;
        loadCurrent();
    } else {
        source_.notifyCancelled();  // no typed text outlives a cancel, whatever the state
        return;
    }
    source_.notifyCancelled();
    notifyLinks();
    fireScroll();
}

void Table::deleteRecord() {
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    ensureList();
    if (list_.ids.empty()) throw tableFault(*this, Fault::NothingToDelete);
    if (beforeDelete) beforeDelete(*this);  // the cascade runs here; it may refuse by throwing
    ensureList();
    if (list_.pos < 0) throw tableFault(*this, Fault::NothingToDelete);
    const int64_t id = list_.ids[static_cast<size_t>(list_.pos)];
    store_->remove(id);
    list_.ownWrite(id, nullptr);
    state_ = State::Browse;
    modified_ = false;
    list_.ids.erase(list_.ids.begin() + list_.pos);
    if (list_.pos >= static_cast<long>(list_.ids.size())) list_.pos = static_cast<long>(list_.ids.size()) - 1;
    list_.eof = list_.ids.empty();
    list_.bof = list_.ids.empty() || list_.pos == 0;
    moveTo(list_.pos);
}

}  // namespace zelt::store
