#include "store/table.h"

#include "base/date.h"
#include "base/error.h"
#include "base/text.h"
#include "store/store_error.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <unordered_map>

namespace zelt::store {
namespace {

// A failure of an operation of table object `t`, concerning `field` and `value` where given.
StoreError tableFault(const Table& t, Fault kind, const std::string& field = {}, const std::string& value = {}) {
    FaultInfo f;
    f.kind = kind;
    f.object = t.name();
    f.file = t.fileName();
    f.layout = t.layout().name;
    f.field = field;
    f.value = value;
    return StoreError(std::move(f));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Number text

std::string numberText(double v) {
    char buf[40];
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) {
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');  // the Russian decimal separator
    return s;
}

std::string displayText(const FieldDef& f, const Value& v) {
    if (v.null) return std::string();
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Memo: return v.text;
        case FieldType::Date: return formatDate(static_cast<int>(v.number));
        default: return numberText(v.number);
    }
}

std::optional<double> parseNumber(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    std::string s(text.substr(b, e - b));
    size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') digits = true;
        else if ((s[i] == '.' || s[i] == ',') && !point) { point = true; s[i] = '.'; }
        else return std::nullopt;
    }
    if (!digits) return std::nullopt;
    return std::strtod(s.c_str(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// DataSource

DataSource::~DataSource() {
    const std::vector<DataLink*> links = std::move(links_);
    for (DataLink* l : links) l->sourceDestroyed();
}

void DataSource::setEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    notify();
}

void DataSource::addLink(DataLink* link) { links_.push_back(link); }

void DataSource::removeLink(DataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

void DataSource::notifyUpdateRecord() {
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->updateRecord();
}

void DataSource::notifyCancelled() {
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->recordCancelled();
}

void DataSource::notify() {
    // A link may detach itself while being told; iterate over a copy.
    const std::vector<DataLink*> links = links_;
    for (DataLink* l : links) l->sourceChanged();
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

// Gives the filter the values of a record held in memory.
class Table::RowReader : public filter::RowView {
public:
    RowReader(const Layout& layout, const std::vector<Value>& rec) : layout_(layout), rec_(rec) {}
    filter::Operand field(int index) const override {
        const Value& v = rec_[static_cast<size_t>(index)];
        filter::Operand op;
        op.blank = v.null;
        if (v.null) return op;
        const FieldType t = layout_.fields[static_cast<size_t>(index)].type;
        if (t == FieldType::Alpha || t == FieldType::Memo) op.text = v.text;
        else op.number = v.number;
        return op;
    }

private:
    const Layout& layout_;
    const std::vector<Value>& rec_;
};

namespace {

// Gives the filter the values of the row a statement stands on; `columns[i]` is the statement
// column holding field i, or -1.
class StatementReader : public filter::RowView {
public:
    StatementReader(const Layout& layout, const sql::Statement& st, const std::vector<int>& columns)
        : layout_(layout), st_(st), columns_(columns) {}
    filter::Operand field(int index) const override {
        filter::Operand op;
        const int c = columns_[static_cast<size_t>(index)];
        if (c < 0 || st_.isNull(c)) return op;
        op.blank = false;
        switch (layout_.fields[static_cast<size_t>(index)].type) {
            case FieldType::Alpha:
            case FieldType::Memo: op.text = st_.columnText(c); break;
            case FieldType::Date: {
                const auto d = parseIsoDate(st_.columnText(c));
                if (!d) op.blank = true;
                else op.number = *d;
                break;
            }
            default: op.number = st_.columnDouble(c);
        }
        return op;
    }

private:
    const Layout& layout_;
    const sql::Statement& st_;
    const std::vector<int>& columns_;
};

filter::FieldKind kindOf(FieldType t) {
    switch (t) {
        case FieldType::Alpha:
        case FieldType::Memo: return filter::FieldKind::Text;
        case FieldType::Date: return filter::FieldKind::Date;
        default: return filter::FieldKind::Number;
    }
}

bool sameValue(const Value& a, const Value& b) {
    if (a.null || b.null) return a.null == b.null;
    return a.number == b.number && a.text == b.text;
}

// Every write of any table object of the process counts here: rows read ahead are trusted only
// while the count stays the same.
std::atomic<uint64_t> gWrites{1};
void noteWrite() { gWrites.fetch_add(1, std::memory_order_relaxed); }
// A write of the table object itself: its rows read ahead stay valid if they were before, since it
// puts what it wrote into them.
bool noteOwnWrite(uint64_t& cacheWrites) {
    const bool valid = cacheWrites == gWrites.load(std::memory_order_relaxed);
    const uint64_t now = gWrites.fetch_add(1, std::memory_order_relaxed) + 1;
    if (valid) cacheWrites = now;
    return valid;
}

// How many records one statement reads for a walk.
constexpr int kRowWindow = 32;
// The statements that read several records: a small list (a person's details) needs no statement
// with room for a whole window.
constexpr int kWindows[] = {8, kRowWindow};

const std::vector<Value>& blankRecord(size_t n) {
    static std::vector<Value> blanks;
    if (blanks.size() < n) blanks.resize(n);
    return blanks;
}

void bindValue(sql::Statement& st, int param, const FieldDef& f, const Value& v) {
    if (v.null) st.bindNull(param);
    else if (f.type == FieldType::Alpha || f.type == FieldType::Memo) st.bind(param, std::string_view(v.text));
    else if (f.type == FieldType::Date) st.bind(param, std::string_view(isoDate(static_cast<int>(v.number))));
    else if (f.type == FieldType::AutoInc) st.bind(param, static_cast<int64_t>(v.number));
    else st.bind(param, v.number);
}

}  // namespace

Table::Table(Session& session, std::string name, std::string fileName, const Layout& layout)
    : session_(session), name_(std::move(name)), fileName_(std::move(fileName)), layout_(layout), source_(*this),
      writeLimits_(layout.fields.size(), 0) {}

Table::~Table() {
    if (master_ && link_) master_->removeLink(link_.get());
    try {
        if (active()) {
            session_.forget(db_);
        }
    } catch (...) {
    }
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
    if (pos_ < 0) return blankRecord(layout_.fields.size());
    if (!curLoaded_) loadCurrent();
    return cur_;
}

// ---------------------------------------------------------------------------------------------
// Open and close

void Table::open() {
    if (active()) return;
    std::string check;
    const auto path = resolvePath(session_.dataDir(), fileName_);
    sql::Connection db = openTableFile(path, fileName_, layout_, check, readOnly_);
    session_.unlock(fileName_, check);
    if (!readOnly_) addMissingIndexes(db, layout_, lookupIndexesOf(layout_.name));
    db_ = std::move(db);
    try {
        prepare();
        resolveSortFields();
        state_ = State::Browse;
        listValid_ = false;
        first();
    } catch (...) {
        // A file that fails while opening (damaged pages, a missing index) leaves the table closed.
        state_ = State::Inactive;
        ids_.clear();
        listValid_ = false;
        pos_ = -1;
        eof_ = bof_ = true;
        cur_.clear();
        rowCache_.clear();
        listComplete_ = false;
        selectById_ = sql::Statement();
        for (sql::Statement& st : selectMany_) st = sql::Statement();
        insertStmt_ = sql::Statement();
        deleteStmt_ = sql::Statement();
        updateStmts_.clear();
        listStmts_.clear();
        db_.close();
        throw;
    }
}

void Table::prepare() {
    std::string cols;
    for (size_t i = 0; i < layout_.fields.size(); ++i) cols += (i ? ", " : "") + sql::quoted(layout_.fields[i].name);
    const std::string table = sql::quoted(layout_.name);
    const std::string key = sql::quoted(layout_.fields[0].name);
    selectById_ = sql::Statement(db_, "SELECT " + cols + " FROM " + table + " WHERE " + key + " = ?1");
    for (size_t w = 0; w < std::size(kWindows); ++w) {
        std::string window;
        for (int k = 1; k <= kWindows[w]; ++k) window += (k > 1 ? ", ?" : "?") + std::to_string(k);
        selectMany_[w] = sql::Statement(db_, "SELECT " + cols + " FROM " + table + " WHERE " + key + " IN (" + window + ")");
    }
    rowCache_.clear();
    std::string insCols, params;
    for (size_t i = 1; i < layout_.fields.size(); ++i) {
        insCols += (i > 1 ? ", " : "") + sql::quoted(layout_.fields[i].name);
        params += (i > 1 ? ", ?" : "?") + std::to_string(i);
    }
    insertStmt_ = sql::Statement(db_, "INSERT INTO " + table + " (" + insCols + ") VALUES (" + params + ")");
    deleteStmt_ = sql::Statement(db_, "DELETE FROM " + table + " WHERE " + key + " = ?1");
    updateStmts_.clear();
    listStmts_.clear();
}

void Table::resolveSortFields() {
    std::vector<int> fields;
    if (!indexName_.empty()) {
        sql::Statement info(db_, "PRAGMA index_info(" + sql::quoted(indexName_) + ")");
        while (info.step()) {
            const int i = layout_.indexOf(info.columnText(2));
            if (i >= 0) fields.push_back(i);
        }
        // The index must belong to this table's data table, not merely exist in the file.
        sql::Statement owner(db_, "SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE");
        owner.bind(1, std::string_view(indexName_));
        const bool found = owner.step() && equalsIgnoreCaseAscii(owner.columnText(0), layout_.name) &&
                           !isLookupIndexName(indexName_);
        if (!found || fields.empty())
            throw fileFault(Fault::IndexMissing, fileName_, layout_.name, {}, indexName_);
    }
    sortFields_ = std::move(fields);
}

void Table::close() {
    if (!active()) return;
    checkBrowseMode();
    session_.forget(db_);
    selectById_ = sql::Statement();
    for (sql::Statement& st : selectMany_) st = sql::Statement();
    rowCache_.clear();
    listComplete_ = false;
    insertStmt_ = sql::Statement();
    deleteStmt_ = sql::Statement();
    updateStmts_.clear();
    listStmts_.clear();
    db_.close();
    state_ = State::Inactive;
    ids_.clear();
    ids_.shrink_to_fit();
    listValid_ = false;
    pos_ = -1;
    eof_ = bof_ = true;
    cur_.clear();
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
    return filter_.matches(RowReader(layout_, rec));
}

void Table::ensureFirst() const {
    if (state_ == State::Inactive) return;
    if (listValid_ && rangeStale_) {
        rangeStale_ = false;
        const Range r = currentRange();
        bool same = r.active == range_.active && r.values.size() == range_.values.size();
        for (size_t k = 0; same && k < r.values.size(); ++k) same = sameValue(r.values[k], range_.values[k]);
        if (!same) listValid_ = false;
    }
    if (listValid_) return;
    // Lists of a master range are small and read whole; a list of a whole table is read up to its
    // first record until more is needed (a count, a filter set and cleared, a move of one record).
    if (currentRange().active) buildList();
    else buildFirst();
    pos_ = ids_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = ids_.empty();
    // The record the query has just found is read when someone reads it: a count of a person's
    // details at each step of a walk reads none.
    if (pos_ < 0) loadCurrent();
    else curLoaded_ = false;
}

void Table::ensureList() const {
    ensureFirst();
    if (state_ == State::Inactive || listComplete_) return;
    const int64_t at = pos_ >= 0 ? ids_[static_cast<size_t>(pos_)] : 0;
    buildList();
    const auto it = std::find(ids_.begin(), ids_.end(), at);
    if (it != ids_.end()) {
        pos_ = static_cast<long>(it - ids_.begin());
        return;
    }
    // The first record went away behind this cursor's back: start again from the first.
    pos_ = ids_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = ids_.empty();
    loadCurrent();
}

sql::Statement& Table::listStatement(ListQuery q, bool& judge, std::vector<int>& columns,
                                     const std::vector<int>& read) const {
    judge = filtered_ && !filter_.empty();
    columns.assign(layout_.fields.size(), -1);
    const std::string key = sql::quoted(layout_.fields[0].name);
    std::string sqlText = q == ListQuery::Count && !judge ? "SELECT COUNT(*)" : "SELECT " + key;
    int next = 1;
    const auto select = [&](int f) {
        if (columns[static_cast<size_t>(f)] >= 0) return;
        sqlText += ", " + sql::quoted(layout_.fields[static_cast<size_t>(f)].name);
        columns[static_cast<size_t>(f)] = next++;
    };
    for (int f : read) select(f);
    if (judge)
        for (int f : filter_.fieldsUsed()) select(f);
    sqlText += " FROM " + sql::quoted(layout_.name);
    // The master range, then what the filter implies, narrow the rows in SQL (values bound, never
    // pasted), so that an index can answer them; the filter still decides on every row left.
    std::vector<std::pair<int, Value>> bound;  // field, value
    int terms = 0;
    const auto where = [&](int field, const std::string& test) {
        sqlText += terms++ ? " AND " : " WHERE ";
        sqlText += test.empty() ? sql::quoted(layout_.fields[static_cast<size_t>(field)].name) : test;
    };
    const auto param = [&](int field, Value v) {
        bound.emplace_back(field, std::move(v));
        return "?" + std::to_string(bound.size());
    };
    // The rows of every master at once leave the range out: the caller reads the link fields.
    for (size_t k = 0; q != ListQuery::AllMasters && k < range_.fields.size(); ++k) {
        const int f = range_.fields[k];
        const std::string name = sql::quoted(layout_.fields[static_cast<size_t>(f)].name);
        where(f, range_.values[k].null ? name + " IS NULL" : name + " = " + param(f, range_.values[k]));
    }
    if (judge) {
        for (const filter::NecessaryCondition& c : filter_.necessaryConditions()) {
            const std::string name = sql::quoted(layout_.fields[static_cast<size_t>(c.field)].name);
            if (c.notBlank) {
                where(c.field, name + " IS NOT NULL");
                continue;
            }
            Value v;
            v.null = false;
            v.text = c.text;
            where(c.field, name + " = " + param(c.field, std::move(v)));
        }
        // A number column may hold a text a foreign program wrote, which the filter reads as the
        // number it starts with: texts (which SQLite sorts after every number) pass to the filter.
        for (const filter::NumberEquality& e : filter_.numberEqualities()) {
            const std::string name = sql::quoted(layout_.fields[static_cast<size_t>(e.field)].name);
            Value v;
            v.null = false;
            v.number = e.number;
            where(e.field, "(" + name + " = " + param(e.field, std::move(v)) + " OR " + name + " >= '')");
        }
        // Stored dates are year-month-day texts, whose byte order is the order of the days. What
        // the filter would read as a date sorts as a text; a blob (sorted after every text, from
        // x'' on) might read as one too and passes to the filter; numbers and other texts read as
        // blank, which meets no such comparison.
        for (const filter::DateComparison& d : filter_.dateComparisons()) {
            using Op = filter::DateComparison::Op;
            const std::string name = sql::quoted(layout_.fields[static_cast<size_t>(d.field)].name);
            Value v;
            v.null = false;
            v.number = d.serial;
            static const char* const kOps[] = {" = ", " < ", " <= ", " > ", " >= "};
            const std::string test = name + kOps[static_cast<int>(d.op)] + param(d.field, std::move(v));
            const bool blobsAbove = d.op == Op::Gt || d.op == Op::Ge;
            where(d.field, blobsAbove ? test : "(" + test + " OR " + name + " >= x'')");
        }
    }
    // In counter order SQLite may read the counters from the smallest index and leave the sorting
    // to us, which is much cheaper than walking the whole table for them.
    if ((q == ListQuery::Ids || q == ListQuery::First) && !sortFields_.empty()) {
        sqlText += " ORDER BY ";
        for (int f : sortFields_) sqlText += sql::quoted(layout_.fields[static_cast<size_t>(f)].name) + ", ";
        sqlText += key;
    } else if (q == ListQuery::First) {
        sqlText += " ORDER BY " + key;
    }
    if (q == ListQuery::First && !judge) sqlText += " LIMIT 1";

    // A walk over a master rebuilds its details' lists at every record: the few shapes of this
    // query are prepared once each.
    auto cached = listStmts_.find(sqlText);
    if (cached == listStmts_.end()) cached = listStmts_.emplace(sqlText, sql::Statement(db_, sqlText)).first;
    sql::Statement& st = cached->second;
    st.reset();
    for (size_t k = 0; k < bound.size(); ++k)
        bindValue(st, static_cast<int>(k + 1), layout_.fields[static_cast<size_t>(bound[k].first)], bound[k].second);
    return st;
}

void Table::readIds(ListQuery query, size_t limit) const {
    range_ = currentRange();
    rangeStale_ = false;
    bool judge = false;
    std::vector<int> columns;
    sql::Statement& st = listStatement(query, judge, columns);
    ids_.clear();
    const StatementReader reader(layout_, st, columns);
    while (ids_.size() < limit && st.step()) {
        if (judge && !filter_.matches(reader)) continue;
        ids_.push_back(st.columnInt(0));
    }
    st.reset();
    listValid_ = true;
    knownCount_ = -1;
}

void Table::buildList() const {
    readIds(ListQuery::Ids, SIZE_MAX);
    if (sortFields_.empty() && !std::is_sorted(ids_.begin(), ids_.end())) std::sort(ids_.begin(), ids_.end());
    listComplete_ = true;
}

void Table::buildFirst() const {
    readIds(ListQuery::First, 1);
    listComplete_ = ids_.empty();  // nothing found: the list is whole
}

long Table::countShown() const {
    if (listComplete_) return static_cast<long>(ids_.size());
    if (knownCount_ >= 0) return knownCount_;
    bool judge = false;
    std::vector<int> columns;
    sql::Statement& st = listStatement(ListQuery::Count, judge, columns);
    long n = 0;
    if (!judge) {
        if (st.step()) n = static_cast<long>(st.columnInt(0));
    } else {
        const StatementReader reader(layout_, st, columns);
        while (st.step())
            if (filter_.matches(reader)) ++n;
    }
    st.reset();
    knownCount_ = n;
    return n;
}

const std::vector<Value>* Table::rowAt(long row) const {
    const int64_t id = ids_[static_cast<size_t>(row)];
    // A file opened read-only is not written by this program while it is open (the transfer copy
    // during the merge), so what was read ahead of a walk over it stays true whatever others write.
    const uint64_t writes = readOnly_ ? rowCacheWrites_ : gWrites.load(std::memory_order_relaxed);
    if (rowCacheWrites_ == writes) {
        for (const auto& [cachedId, rec] : rowCache_)
            if (cachedId == id) return &rec;
    }
    // Read the window the cursor moves into: forwards from this row, or backwards when it came from
    // after the last window.
    const long n = static_cast<long>(ids_.size());
    long from = row;
    if (rowCacheWrites_ == writes && !rowCache_.empty() && row < rowCacheFrom_) from = std::max(0L, row - kRowWindow + 1);
    const long to = std::min(n, from + kRowWindow);
    rowCache_.clear();
    rowCacheWrites_ = writes;
    rowCacheFrom_ = from;
    const int count = static_cast<int>(to - from);
    sql::Statement* st = &selectById_;
    int params = 1;
    for (size_t w = 0; count > 1 && w < std::size(kWindows); ++w)
        if (count <= kWindows[w] || w + 1 == std::size(kWindows)) {
            st = &selectMany_[w];
            params = kWindows[w];
            break;
        }
    st->reset();
    for (int k = 0; k < params; ++k) {
        if (k < count) st->bind(k + 1, ids_[static_cast<size_t>(from + k)]);
        else st->bindNull(k + 1);
    }
    while (st->step()) {
        std::vector<Value> rec(layout_.fields.size());
        decodeRow(*st, rec);
        const int64_t got = static_cast<int64_t>(rec[0].number);
        rowCache_.emplace_back(got, std::move(rec));
    }
    st->reset();
    for (const auto& [cachedId, rec] : rowCache_)
        if (cachedId == id) return &rec;
    return nullptr;
}

std::vector<Value> Table::readRow(int64_t id, bool& found) const {
    std::vector<Value> rec(layout_.fields.size());
    selectById_.reset().bind(1, id);
    found = selectById_.step();
    if (!found) return rec;
    decodeRow(selectById_, rec);
    selectById_.reset();
    return rec;
}

namespace {

// The value of column `c` as a field of type `type` reads it.
void decodeColumn(const sql::Statement& st, int c, FieldType type, Value& v) {
    if (st.isNull(c)) return;
    switch (type) {
        case FieldType::Alpha:
        case FieldType::Memo:
            v.null = false;
            v.text = std::string(st.columnText(c));
            break;
        case FieldType::Date:
            if (const auto d = parseIsoDate(st.columnText(c))) {
                v.null = false;
                v.number = *d;
            }
            break;
        default:
            v.null = false;
            v.number = st.columnDouble(c);
    }
}

// What SQL equality tells apart: a bound value of a field's type, or a stored one, as a key. A
// stored text never equals a bound number, nor a stored number a bound text; a blob equals neither.
std::string boundKey(const FieldDef& f, const Value& v) {
    if (v.null) return "N";
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) return "T" + v.text;
    if (f.type == FieldType::Date) return "T" + isoDate(static_cast<int>(v.number));
    const double n = v.number + 0.0;  // -0 equals 0
    return "R" + std::string(reinterpret_cast<const char*>(&n), sizeof n);
}

std::optional<std::string> storedKey(const sql::Statement& st, int c) {
    switch (st.columnType(c)) {
        case SQLITE_NULL: return std::string("N");
        case SQLITE_TEXT: return "T" + std::string(st.columnText(c));
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const double n = st.columnDouble(c) + 0.0;
            return "R" + std::string(reinterpret_cast<const char*>(&n), sizeof n);
        }
        default: return std::nullopt;
    }
}

}  // namespace

void Table::decodeRow(const sql::Statement& st, std::vector<Value>& rec) const {
    for (size_t i = 0; i < rec.size(); ++i) decodeColumn(st, static_cast<int>(i), layout_.fields[i].type, rec[i]);
}

void Table::forEachRow(ListQuery q, const std::vector<int>& read,
                       const std::function<void(const sql::Statement&, const std::vector<int>&)>& row) const {
    bool judge = false;
    std::vector<int> columns;
    sql::Statement& st = listStatement(q, judge, columns, read);
    const StatementReader reader(layout_, st, columns);
    while (st.step())
        if (!judge || filter_.matches(reader)) row(st, columns);
    st.reset();
}

std::map<std::string, long> Table::countsByText(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    const int f = fieldIndex(field);
    const FieldDef& def = layout_.fields[static_cast<size_t>(f)];
    std::map<std::string, long> counts;
    forEachRow(ListQuery::Rows, {f}, [&](const sql::Statement& st, const std::vector<int>& columns) {
        Value v;
        decodeColumn(st, columns[static_cast<size_t>(f)], def.type, v);
        ++counts[displayText(def, v)];
    });
    return counts;
}

std::vector<Value> Table::valuesShown(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureList();
    const int f = fieldIndex(field);
    const FieldType type = layout_.fields[static_cast<size_t>(f)].type;
    std::unordered_map<int64_t, Value> byId;
    byId.reserve(ids_.size());
    forEachRow(ListQuery::Rows, {f}, [&](const sql::Statement& st, const std::vector<int>& columns) {
        Value v;
        decodeColumn(st, columns[static_cast<size_t>(f)], type, v);
        byId.emplace(st.columnInt(0), std::move(v));
    });
    std::vector<Value> out;
    out.reserve(ids_.size());
    for (int64_t id : ids_) {
        auto v = byId.find(id);
        out.push_back(v == byId.end() ? Value{} : std::move(v->second));
    }
    return out;
}

std::optional<std::string> Table::linkKey(const sql::Statement& st, const std::vector<int>& columns,
                                          const std::vector<int>& linkFields) const {
    std::string key;
    for (int f : linkFields) {
        const std::optional<std::string> part = storedKey(st, columns[static_cast<size_t>(f)]);
        if (!part) return std::nullopt;  // equal to no value a master binds
        key += *part;
        key += '\0';
    }
    return key;
}

std::unordered_map<std::string, long> Table::masterKeysShown(std::vector<int>& linkFields,
                                                             std::vector<std::string>* inOrder) {
    Table& m = master_->table();
    m.checkBrowseMode();
    m.ensureList();
    linkFields.clear();
    for (int mi : masterFieldIdx_) linkFields.push_back(layout_.indexOf(m.layout_.fields[static_cast<size_t>(mi)].name));
    // The master's link values as its records read them, converted as the range converts them.
    std::unordered_map<int64_t, std::string> byId;
    byId.reserve(m.ids_.size());
    m.forEachRow(ListQuery::Rows, masterFieldIdx_, [&](const sql::Statement& st, const std::vector<int>& columns) {
        std::string key;
        for (size_t k = 0; k < masterFieldIdx_.size(); ++k) {
            const FieldDef& mf = m.layout_.fields[static_cast<size_t>(masterFieldIdx_[k])];
            const FieldDef& df = layout_.fields[static_cast<size_t>(linkFields[k])];
            Value v;
            decodeColumn(st, columns[static_cast<size_t>(masterFieldIdx_[k])], mf.type, v);
            key += boundKey(df, convertForField(df, v, mf));
            key += '\0';
        }
        byId.emplace(st.columnInt(0), std::move(key));
    });
    std::unordered_map<std::string, long> shown;
    for (int64_t id : m.ids_) {
        const auto k = byId.find(id);
        const std::string key = k == byId.end() ? std::string() : k->second;  // "": gone, shows nothing
        if (inOrder) inOrder->push_back(key);
        if (!key.empty()) ++shown[key];
    }
    return shown;
}

std::vector<long> Table::countsPerMasterRecord() {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    if (!currentRange().active) {
        // No range (the master closed or its source disabled): every master shows the same records.
        const long all = countShown();
        const long masters = master_ && master_->table().active() ? master_->table().recordCount() : 0;
        return std::vector<long>(static_cast<size_t>(masters), all);
    }
    std::vector<int> linkFields;
    std::vector<std::string> masters;
    const std::unordered_map<std::string, long> shown = masterKeysShown(linkFields, &masters);
    // This table's records by the stored values of its link fields, as SQL equality groups them.
    std::unordered_map<std::string, long> byKey;
    forEachRow(ListQuery::AllMasters, linkFields, [&](const sql::Statement& st, const std::vector<int>& columns) {
        if (const std::optional<std::string> key = linkKey(st, columns, linkFields))
            if (shown.count(*key)) ++byKey[*key];
    });
    std::vector<long> out;
    out.reserve(masters.size());
    for (const std::string& key : masters) {
        const auto n = byKey.find(key);
        out.push_back(n == byKey.end() ? 0 : n->second);
    }
    return out;
}

std::map<std::string, long> Table::countsByTextOverMasterRecords(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    const int f = fieldIndex(field);
    const FieldDef& def = layout_.fields[static_cast<size_t>(f)];
    std::map<std::string, long> counts;
    if (!currentRange().active) {
        const long masters = master_ && master_->table().active() ? master_->table().recordCount() : 0;
        for (auto& [text, n] : countsByText(field)) counts[text] = n * masters;
        return counts;
    }
    std::vector<int> linkFields;
    const std::unordered_map<std::string, long> shown = masterKeysShown(linkFields, nullptr);
    std::vector<int> read = linkFields;
    read.push_back(f);
    forEachRow(ListQuery::AllMasters, read, [&](const sql::Statement& st, const std::vector<int>& columns) {
        const std::optional<std::string> key = linkKey(st, columns, linkFields);
        if (!key) return;
        const auto masters = shown.find(*key);
        if (masters == shown.end()) return;
        Value v;
        decodeColumn(st, columns[static_cast<size_t>(f)], def.type, v);
        counts[displayText(def, v)] += masters->second;
    });
    return counts;
}

void Table::loadCurrent() const {
    while (pos_ >= 0) {
        if (const std::vector<Value>* rec = rowAt(pos_)) {
            cur_ = *rec;
            curLoaded_ = true;
            return;
        }
        if (!listComplete_) {
            // The first record of a list not yet read whole went away: read the list whole.
            buildList();
            pos_ = ids_.empty() ? -1 : 0;
            eof_ = bof_ = ids_.empty();
            continue;
        }
        // Removed behind this cursor's back (by another table object on the same file).
        ids_.erase(ids_.begin() + pos_);
        if (pos_ >= static_cast<long>(ids_.size())) pos_ = static_cast<long>(ids_.size()) - 1;
        if (ids_.empty()) eof_ = bof_ = true;
    }
    cur_.assign(layout_.fields.size(), Value{});
    curLoaded_ = true;
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
// Navigation

void Table::checkBrowseMode() {
    if (state_ == State::Edit || state_ == State::Insert) {
        source_.notifyUpdateRecord();
        if (modified_) post();
        else cancel();
    }
}

void Table::moveTo(long pos) {
    pos_ = pos;
    loadCurrent();
    notifyLinks();
    fireScroll();
}

void Table::first() {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    bof_ = true;
    eof_ = ids_.empty();
    moveTo(ids_.empty() ? -1 : 0);
}

void Table::last() {
    requireActive();
    checkBrowseMode();
    ensureList();
    eof_ = true;
    bof_ = ids_.empty();
    moveTo(static_cast<long>(ids_.size()) - 1);
}

void Table::next() {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (eof_) return;
    bof_ = false;
    if (pos_ + 1 < static_cast<long>(ids_.size())) moveTo(pos_ + 1);
    else {
        eof_ = true;
        moveTo(pos_);
    }
}

void Table::prior() {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (bof_) return;
    eof_ = false;
    if (pos_ > 0) moveTo(pos_ - 1);
    else {
        bof_ = true;
        moveTo(pos_);
    }
}

bool Table::eof() const {
    if (!active()) return true;
    ensureFirst();
    return eof_;
}

bool Table::bof() const {
    if (!active()) return true;
    ensureFirst();
    return bof_;
}

bool Table::isEmpty() {
    if (!active()) return true;
    if (state_ == State::Insert) return false;
    ensureFirst();
    return ids_.empty();
}

Table::Bookmark Table::bookmark() const {
    requireActive();
    ensureFirst();
    return pos_ < 0 ? 0 : ids_[static_cast<size_t>(pos_)];
}

void Table::gotoBookmark(Bookmark b) {
    requireActive();
    checkBrowseMode();
    ensureList();
    const auto it = std::find(ids_.begin(), ids_.end(), b);
    bool found = false;
    if (it != ids_.end()) readRow(b, found);
    if (!found) {
        // Gone, perhaps through another object on the same file: stay where we are.
        if (it != ids_.end()) {
            const long at = static_cast<long>(it - ids_.begin());
            ids_.erase(it);
            if (at < pos_) --pos_;
        }
        throw tableFault(*this, Fault::RecordNotFound);
    }
    eof_ = bof_ = false;
    moveTo(static_cast<long>(it - ids_.begin()));
}

bool Table::tryGotoBookmark(Bookmark b) {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (b == 0 || std::find(ids_.begin(), ids_.end(), b) == ids_.end()) return false;
    try {
        gotoBookmark(b);
    } catch (const EngineError&) {
        return false;
    }
    return true;
}

void Table::gotoRow(long row) {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (row < 0 || row >= static_cast<long>(ids_.size())) throw tableFault(*this, Fault::NoRecordAt, {}, std::to_string(row + 1));
    eof_ = false;
    bof_ = row == 0;
    moveTo(row);
}

void Table::refresh() {
    requireActive();
    checkBrowseMode();
    const Bookmark b = pos_ >= 0 && listValid_ ? ids_[static_cast<size_t>(pos_)] : 0;
    const long oldPos = pos_;
    dropRowCache();  // another object may have changed the file
    buildList();
    const auto it = std::find(ids_.begin(), ids_.end(), b);
    long p = it != ids_.end() ? static_cast<long>(it - ids_.begin())
                              : std::min(oldPos, static_cast<long>(ids_.size()) - 1);
    if (p < 0 && !ids_.empty()) p = 0;
    eof_ = ids_.empty();
    bof_ = ids_.empty() || p == 0;
    moveTo(p);
}

std::vector<std::string> Table::rowTexts(int row, const std::vector<int>& fields) {
    requireActive();
    ensureList();
    if (row < 0 || row >= static_cast<int>(ids_.size())) throw tableFault(*this, Fault::NoRecordAt, {}, std::to_string(row + 1));
    const std::vector<Value>* rec = rowAt(row);
    const std::vector<Value>& values = rec ? *rec : blankRecord(layout_.fields.size());
    std::vector<std::string> out;
    for (int f : fields) out.push_back(displayText(layout_.fields[static_cast<size_t>(f)], values[static_cast<size_t>(f)]));
    return out;
}

long Table::currentRow() const {
    if (!active()) return -1;
    ensureFirst();
    return pos_;
}

int Table::recordCount() {
    requireActive();
    ensureFirst();
    // A list not read whole is counted by the store: no list of counters is built for a count.
    return static_cast<int>(countShown());
}

// ---------------------------------------------------------------------------------------------
// Editing

void Table::edit() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) return;
    ensureFirst();
    if (ids_.empty()) {
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
    insertReturnPos_ = pos_;
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
    session_.beforeWrite(db_);
    const bool wasInsert = state_ == State::Insert;
    writeRecord();  // throws with the table still editing: nothing typed is lost
    std::vector<Value> before = std::move(cur_);
    cur_ = buf_;
    if (noteOwnWrite(rowCacheWrites_)) {
        const int64_t stored = static_cast<int64_t>(cur_[0].number);
        for (auto& [cachedId, rec] : rowCache_)
            if (cachedId == stored) rec = cur_;
    }
    state_ = State::Browse;
    modified_ = false;
    const int64_t id = static_cast<int64_t>(cur_[0].number);
    const bool visible = rangeMatches(cur_, range_) && filterMatches(cur_);
    if (wasInsert) {
        if (visible) {
            pos_ = insertSorted(id, cur_);
        } else {
            pos_ = std::min(insertReturnPos_, static_cast<long>(ids_.size()) - 1);
            if (pos_ < 0 && !ids_.empty()) pos_ = 0;
            loadCurrent();
        }
    } else if (!visible) {
        ids_.erase(ids_.begin() + pos_);
        if (pos_ >= static_cast<long>(ids_.size())) pos_ = static_cast<long>(ids_.size()) - 1;
        loadCurrent();
    } else if (sortKeyChanged(before, cur_)) {
        ids_.erase(ids_.begin() + pos_);
        pos_ = insertSorted(id, cur_);
    }
    eof_ = ids_.empty();
    bof_ = ids_.empty();
    notifyLinks();
    if (afterPost) afterPost(*this);
}

namespace {

// The order SQLite gives the sort columns: blanks first, numbers by value, texts bytewise (dates
// are numbers here and ISO texts on disk, which sort alike).
int compareValues(const Value& a, const Value& b) {
    if (a.null || b.null) return a.null == b.null ? 0 : (a.null ? -1 : 1);
    if (a.number != b.number) return a.number < b.number ? -1 : 1;
    return a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
}

}  // namespace

long Table::insertSorted(int64_t id, const std::vector<Value>& rec) {
    if (sortFields_.empty()) {
        // In counter order a record goes where its counter belongs; a new one is the last.
        const long at = static_cast<long>(std::lower_bound(ids_.begin(), ids_.end(), id) - ids_.begin());
        ids_.insert(ids_.begin() + at, id);
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
    size_t lo = 0, hi = ids_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (less(ids_[mid])) lo = mid + 1;
        else hi = mid;
    }
    ids_.insert(ids_.begin() + static_cast<long>(lo), id);
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
        sql::Statement& st = insertStmt_;
        st.reset();
        for (size_t i = 1; i < layout_.fields.size(); ++i) bindValue(st, static_cast<int>(i), layout_.fields[i], buf_[i]);
        st.run();
        st.reset();
        buf_[0].null = false;
        buf_[0].number = static_cast<double>(db_.lastInsertRowid());
        return;
    }
    uint64_t mask = 0;
    for (size_t i = 1; i < dirty_.size(); ++i)
        if (dirty_[i]) mask |= uint64_t{1} << i;
    if (mask == 0) return;
    auto it = updateStmts_.find(mask);
    if (it == updateStmts_.end()) {
        std::string sqlText = "UPDATE " + sql::quoted(layout_.name) + " SET ";
        int param = 1;
        for (size_t i = 1; i < dirty_.size(); ++i)
            if (dirty_[i]) {
                sqlText += (param > 1 ? ", " : "") + sql::quoted(layout_.fields[i].name) + " = ?" + std::to_string(param);
                ++param;
            }
        sqlText += " WHERE " + sql::quoted(layout_.fields[0].name) + " = ?" + std::to_string(param);
        it = updateStmts_.emplace(mask, sql::Statement(db_, sqlText)).first;
    }
    sql::Statement& st = it->second;
    st.reset();
    int param = 1;
    for (size_t i = 1; i < dirty_.size(); ++i)
        if (dirty_[i]) bindValue(st, param++, layout_.fields[i], buf_[i]);
    st.bind(param, static_cast<int64_t>(buf_[0].number));
    st.run();
    st.reset();
    if (sqlite3_changes(db_.handle()) == 0) throw tableFault(*this, Fault::RecordDeletedElsewhere);
}

void Table::cancel() {
    if (state_ == State::Edit) {
        state_ = State::Browse;
        modified_ = false;
    } else if (state_ == State::Insert) {
        state_ = State::Browse;
        modified_ = false;
        pos_ = std::min(insertReturnPos_, static_cast<long>(ids_.size()) - 1);
        if (pos_ < 0 && !ids_.empty()) pos_ = 0;
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
    if (ids_.empty()) throw tableFault(*this, Fault::NothingToDelete);
    if (beforeDelete) beforeDelete(*this);  // the cascade runs here; it may refuse by throwing
    ensureList();
    if (pos_ < 0) throw tableFault(*this, Fault::NothingToDelete);
    const int64_t id = ids_[static_cast<size_t>(pos_)];
    session_.beforeWrite(db_);
    deleteStmt_.reset().bind(1, id);
    deleteStmt_.run();
    deleteStmt_.reset();
    if (noteOwnWrite(rowCacheWrites_))
        rowCache_.erase(std::remove_if(rowCache_.begin(), rowCache_.end(), [id](const auto& e) { return e.first == id; }),
                        rowCache_.end());
    state_ = State::Browse;
    modified_ = false;
    ids_.erase(ids_.begin() + pos_);
    if (pos_ >= static_cast<long>(ids_.size())) pos_ = static_cast<long>(ids_.size()) - 1;
    eof_ = ids_.empty();
    bof_ = ids_.empty() || pos_ == 0;
    moveTo(pos_);
}

// ---------------------------------------------------------------------------------------------
// Fields

void Table::setWriteLimit(std::string_view field, int limit) { writeLimits_[static_cast<size_t>(fieldIndex(field))] = limit; }

int Table::writeLimit(std::string_view field) const {
    const int i = fieldIndex(field);
    return writeLimits_[static_cast<size_t>(i)] > 0 ? writeLimits_[static_cast<size_t>(i)] : layout_.fields[static_cast<size_t>(i)].size;
}

std::string Table::textAt(int index) const {
    return displayText(layout_.fields[static_cast<size_t>(index)], current()[static_cast<size_t>(index)]);
}

double Table::numberAt(int index) const {
    const Value& v = current()[static_cast<size_t>(index)];
    if (v.null) return 0;
    const FieldDef& f = layout_.fields[static_cast<size_t>(index)];
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) {
        const auto n = parseNumber(v.text);
        if (!n) throw tableFault(*this, Fault::NotANumber, f.name, v.text);
        return *n;
    }
    return v.number;
}

long long Table::integerAt(int index) const { return std::llround(numberAt(index)); }

int Table::dateAt(int index) const {
    const Value& v = current()[static_cast<size_t>(index)];
    if (v.null) return 0;
    const FieldDef& f = layout_.fields[static_cast<size_t>(index)];
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) {
        const auto d = parseDate(v.text);
        if (!d) throw tableFault(*this, Fault::NotADate, f.name, v.text);
        return *d;
    }
    return static_cast<int>(v.number);
}

void Table::setValueAt(int index, Value v) {
    requireEditing(index);
    buf_[static_cast<size_t>(index)] = std::move(v);
    dirty_[static_cast<size_t>(index)] = true;
    modified_ = true;
    notifyLinks();
}

void Table::setTextAt(int index, std::string_view text) {
    requireEditing(index);
    const FieldDef& f = layout_.fields[static_cast<size_t>(index)];
    Value v;
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Memo:
            if (!text.empty()) {
                v.null = false;
                const int limit = f.type == FieldType::Memo ? 0
                                  : writeLimits_[static_cast<size_t>(index)] > 0 ? writeLimits_[static_cast<size_t>(index)]
                                                                                  : f.size;
                v.text = fitToField(text, limit);
            }
            break;
        case FieldType::Number: {
            if (text.find_first_not_of(' ') == std::string_view::npos) break;
            const auto n = parseNumber(text);
            if (!n) throw tableFault(*this, Fault::NotANumber, f.name, std::string(text));
            v.null = false;
            v.number = *n;
            break;
        }
        case FieldType::Date: {
            if (text.find_first_not_of(' ') == std::string_view::npos) break;
            const auto d = parseDate(text);
            if (!d) throw tableFault(*this, Fault::NotADate, f.name, std::string(text));
            v.null = false;
            v.number = *d;
            break;
        }
        case FieldType::AutoInc: break;  // refused by requireEditing
    }
    setValueAt(index, std::move(v));
}

void Table::setNumberAt(int index, double n) {
    requireEditing(index);
    const FieldDef& f = layout_.fields[static_cast<size_t>(index)];
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) {
        setTextAt(index, numberText(n));
        return;
    }
    Value v;
    v.null = false;
    v.number = f.type == FieldType::Date ? std::trunc(n) : n;
    setValueAt(index, std::move(v));
}

void Table::setDateAt(int index, int serial) {
    requireEditing(index);
    const FieldDef& f = layout_.fields[static_cast<size_t>(index)];
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) {
        setTextAt(index, formatDate(serial));
        return;
    }
    Value v;
    v.null = false;
    v.number = serial;
    setValueAt(index, std::move(v));
}

// ---------------------------------------------------------------------------------------------
// Filter, index, master link

filter::Filter Table::parseFilter(const std::string& text) const {
    return filter::Filter::parse(text, [this](std::string_view name) -> std::optional<filter::FieldRef> {
        const int i = layout_.indexOf(name);
        if (i < 0) return std::nullopt;
        return filter::FieldRef{i, kindOf(layout_.fields[static_cast<size_t>(i)].type)};
    });
}

void Table::setFilterText(const std::string& text) {
    filter::Filter parsed = parseFilter(text);  // refused here: the old filter stays
    if (active()) checkBrowseMode();
    filterText_ = text;
    filter_ = std::move(parsed);
    if (active() && filtered_) {
        listValid_ = false;
        first();
    }
}

void Table::setFiltered(bool on) {
    if (active()) checkBrowseMode();
    filtered_ = on;
    if (active()) {
        listValid_ = false;
        first();
    }
}

void Table::setIndexName(const std::string& name) {
    if (!active()) {
        indexName_ = name;
        return;
    }
    checkBrowseMode();
    const std::string old = indexName_;
    indexName_ = name;
    try {
        resolveSortFields();
    } catch (...) {
        indexName_ = old;
        throw;
    }
    const Bookmark b = pos_ >= 0 ? ids_[static_cast<size_t>(pos_)] : 0;
    buildList();
    const auto it = std::find(ids_.begin(), ids_.end(), b);
    pos_ = it != ids_.end() ? static_cast<long>(it - ids_.begin()) : (ids_.empty() ? -1 : 0);
    eof_ = ids_.empty();
    bof_ = ids_.empty();
    loadCurrent();
    notifyLinks();
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

// ---------------------------------------------------------------------------------------------
// Batch append and empty table

Value Table::convertForField(const FieldDef& f, const Value& v, const FieldDef& from) const {
    if (v.null) return v;
    Value out;
    out.null = false;
    const bool fromText = from.type == FieldType::Alpha || from.type == FieldType::Memo;
    const auto text = [&]() {
        if (fromText) return v.text;
        if (from.type == FieldType::Date) return formatDate(static_cast<int>(v.number));
        return numberText(v.number);
    };
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Memo:
            out.text = fitToField(text(), f.type == FieldType::Memo ? 0 : f.size);
            return out;
        case FieldType::Date:
            if (!fromText) {
                out.number = std::trunc(v.number);
                return out;
            }
            if (const auto d = parseDate(v.text)) out.number = *d;
            else out.null = true;
            return out;
        default:
            if (!fromText) {
                out.number = v.number;
                return out;
            }
            if (const auto n = parseNumber(v.text)) out.number = *n;
            else out.null = true;
            return out;
    }
}

void Table::batchAppendFrom(Table& source) {
    source.requireActive();
    source.checkBrowseMode();
    source.ensureList();
    const std::vector<int64_t> ids = source.ids_;

    // A closed destination is written through a connection of its own.
    sql::Connection temp;
    std::unique_ptr<sql::Statement> tempInsert;
    sql::Connection* db = &db_;
    if (!active()) {
        std::string check;
        temp = openTableFile(resolvePath(session_.dataDir(), fileName_), fileName_, layout_, check);
        session_.unlock(fileName_, check);
        db = &temp;
    } else {
        checkBrowseMode();
        session_.beforeWrite(db_);
    }
    std::string insCols, params;
    for (size_t i = 1; i < layout_.fields.size(); ++i) {
        insCols += (i > 1 ? ", " : "") + sql::quoted(layout_.fields[i].name);
        params += (i > 1 ? ", ?" : "?") + std::to_string(i);
    }
    sql::Statement ins(*db, "INSERT INTO " + sql::quoted(layout_.name) + " (" + insCols + ") VALUES (" + params + ")");
    const size_t n = std::min(layout_.fields.size(), source.layout_.fields.size());

    db->exec("SAVEPOINT batch_append");
    try {
        for (const int64_t id : ids) {
            bool found = false;
            const std::vector<Value> rec = source.readRow(id, found);
            if (!found) continue;
            ins.reset();
            for (size_t i = 1; i < layout_.fields.size(); ++i) {
                const FieldDef& df = layout_.fields[i];
                Value v;
                if (i < n) {
                    const FieldDef& sf = source.layout_.fields[i];
                    v = convertForField(df, rec[i], sf);
                    const bool lost = !rec[i].null && v.null;
                    const bool cut = !v.null && (df.type == FieldType::Alpha) &&
                                     codePointCount(v.text) < codePointCount(sf.type == FieldType::Alpha || sf.type == FieldType::Memo
                                                                                 ? rec[i].text
                                                                                 : std::string(v.text));
                    if (lost || cut) {
                        FaultInfo fault;
                        fault.kind = Fault::ValueDoesNotFit;
                        fault.file = source.fileName_;
                        fault.layout = source.layout_.name;
                        fault.field = sf.name;
                        fault.otherFile = fileName_;
                        fault.otherLayout = layout_.name;
                        fault.otherField = df.name;
                        throw StoreError(std::move(fault));
                    }
                }
                bindValue(ins, static_cast<int>(i), df, v);
            }
            ins.run();
        }
        db->exec("RELEASE batch_append");
        noteWrite();
    } catch (...) {
        try {
            db->exec("ROLLBACK TO batch_append");
            db->exec("RELEASE batch_append");
        } catch (...) {
        }
        throw;
    }
    ins = sql::Statement();
    if (active()) refresh();
}

void Table::emptyTable() {
    if (active()) {
        checkBrowseMode();
        session_.beforeWrite(db_);
        db_.exec(("DELETE FROM " + sql::quoted(layout_.name)).c_str());
        noteWrite();
        listValid_ = false;
        first();
        return;
    }
    std::string check;
    sql::Connection db = openTableFile(resolvePath(session_.dataDir(), fileName_), fileName_, layout_, check);
    session_.unlock(fileName_, check);
    // The counter is not reset: a later record must never take the number, and so the note
    // file, of a removed one.
    db.exec(("DELETE FROM " + sql::quoted(layout_.name)).c_str());
    noteWrite();
}

}  // namespace zelt::store
