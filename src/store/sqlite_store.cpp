// The record store on an SQLite table file: the SQL of every question and write, the prepared
// statements, the index lookup in the file's schema and the savepoints.
#include "store/record_store.h"

#include "base/date.h"
#include "base/text.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/store_error.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <iterator>
#include <map>

namespace zelt::store {
namespace {

// The statements that read several records: a small list (a person's details) needs no statement
// with room for a whole window of a walk.
constexpr int kWindows[] = {8, 32};

void bindValue(sql::Statement& st, int param, const FieldDef& f, const Value& v) {
    if (v.null) st.bindNull(param);
    else if (f.type == FieldType::Alpha || f.type == FieldType::Memo) st.bind(param, std::string_view(v.text));
    else if (f.type == FieldType::Date) st.bind(param, std::string_view(isoDate(static_cast<int>(v.number))));
    else if (f.type == FieldType::AutoInc) st.bind(param, static_cast<int64_t>(v.number));
    else st.bind(param, v.number);
}

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

std::string realKey(double n) {
    n += 0.0;  // -0 equals 0
    return "R" + std::string(reinterpret_cast<const char*>(&n), sizeof n);
}

// What SQL equality tells apart in a stored value, as a key. A stored text never equals a bound
// number, nor a stored number a bound text; a blob equals neither.
std::optional<std::string> storedKey(const sql::Statement& st, int c) {
    switch (st.columnType(c)) {
        case SQLITE_NULL: return std::string("N");
        case SQLITE_TEXT: return "T" + std::string(st.columnText(c));
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: return realKey(st.columnDouble(c));
        default: return std::nullopt;
    }
}

// The row a statement stands on; `columns[i]` is the statement column holding field i, or -1.
class StatementRow : public StoredRow {
public:
    StatementRow(const Layout& layout, const sql::Statement& st, const std::vector<int>& columns)
        : layout_(layout), st_(st), columns_(columns) {}
    int64_t id() const override { return st_.columnInt(0); }
    Value value(int field) const override {
        Value v;
        const int c = columns_[static_cast<size_t>(field)];
        if (c >= 0) decodeColumn(st_, c, layout_.fields[static_cast<size_t>(field)].type, v);
        return v;
    }
    std::optional<std::string> equalityKey(int field) const override {
        const int c = columns_[static_cast<size_t>(field)];
        if (c < 0) return std::nullopt;
        return storedKey(st_, c);
    }
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

// Resets a statement however its run ends, so that its read lock goes with it.
struct ResetOnExit {
    sql::Statement& st;
    ~ResetOnExit() { st.reset(); }
};

class SqliteStore : public RecordStore {
public:
    SqliteStore(Session& session, const std::string& fileName, const Layout& layout, StoreOptions options);
    ~SqliteStore() override;

    void close() override {
        if (options_.grouped) session_.forget(db_);
    }

    std::vector<int> indexFields(const std::string& name) override;
    bool read(int64_t id, std::vector<Value>& rec) override;
    void readMany(const std::vector<int64_t>& ids, const std::function<void(std::vector<Value>&&)>& row) override;
    int64_t insert(const std::vector<Value>& rec) override;
    bool update(int64_t id, const std::vector<Value>& rec, const std::vector<bool>& dirty) override;
    void remove(int64_t id) override;
    void removeAll() override;
    void atomically(const std::function<void()>& work) override;
    void scan(const RecordQuery& q, const std::function<bool(const StoredRow&)>& row) override;
    long count(const RecordQuery& q) override;
    std::string equalityKey(const FieldDef& f, const Value& v) const override;

private:
    void prepare();
    void beforeWrite() {
        if (options_.grouped) session_.beforeWrite(db_);
    }
    // The statement of `q` with its values bound; `judge` says whether the filter must still
    // decide on every row it returns, `columns` where it finds each field.
    sql::Statement& queryStatement(const RecordQuery& q, bool countOnly, bool& judge, std::vector<int>& columns);
    void decodeRow(const sql::Statement& st, std::vector<Value>& rec) const {
        for (size_t i = 0; i < rec.size(); ++i) decodeColumn(st, static_cast<int>(i), layout_.fields[i].type, rec[i]);
    }

    Session& session_;
    std::string fileName_;
    const Layout& layout_;
    StoreOptions options_;
    // The connection goes after its statements: members are destroyed in reverse order.
    sql::Connection db_;
    sql::Statement selectById_;
    sql::Statement selectMany_[std::size(kWindows)];
    sql::Statement insertStmt_;
    sql::Statement deleteStmt_;
    std::map<std::vector<bool>, sql::Statement> updateStmts_;
    std::map<std::string, sql::Statement> queryStmts_;  // by SQL text
};

SqliteStore::SqliteStore(Session& session, const std::string& fileName, const Layout& layout, StoreOptions options)
    : session_(session), fileName_(fileName), layout_(layout), options_(options) {
    std::string check;
    const auto path = resolvePath(session_.dataDir(), fileName_);
    db_ = openTableFile(path, fileName_, layout_, check, options_.readOnly);
    session_.unlock(fileName_, check);
    // A store opened for one write of a closed table leaves the file's indexes as they are.
    if (!options_.readOnly && options_.grouped) addMissingIndexes(db_, layout_, lookupIndexesOf(layout_.name));
    prepare();
}

SqliteStore::~SqliteStore() {
    try {
        if (options_.grouped) session_.forget(db_);
    } catch (...) {
    }
}

void SqliteStore::prepare() {
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
    std::string insCols, params;
    for (size_t i = 1; i < layout_.fields.size(); ++i) {
        insCols += (i > 1 ? ", " : "") + sql::quoted(layout_.fields[i].name);
        params += (i > 1 ? ", ?" : "?") + std::to_string(i);
    }
    insertStmt_ = sql::Statement(db_, "INSERT INTO " + table + " (" + insCols + ") VALUES (" + params + ")");
    deleteStmt_ = sql::Statement(db_, "DELETE FROM " + table + " WHERE " + key + " = ?1");
}

std::vector<int> SqliteStore::indexFields(const std::string& name) {
    std::vector<int> fields;
    sql::Statement info(db_, "PRAGMA index_info(" + sql::quoted(name) + ")");
    while (info.step()) {
        const int i = layout_.indexOf(info.columnText(2));
        if (i >= 0) fields.push_back(i);
    }
    // The index must belong to this table's data table, not merely exist in the file.
    sql::Statement owner(db_, "SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE");
    owner.bind(1, std::string_view(name));
    const bool found = owner.step() && equalsIgnoreCaseAscii(owner.columnText(0), layout_.name) && !isLookupIndexName(name);
    if (!found || fields.empty()) throw fileFault(Fault::IndexMissing, fileName_, layout_.name, {}, name);
    return fields;
}

bool SqliteStore::read(int64_t id, std::vector<Value>& rec) {
    rec.assign(layout_.fields.size(), Value{});
    selectById_.reset().bind(1, id);
    ResetOnExit done{selectById_};
    if (!selectById_.step()) return false;
    decodeRow(selectById_, rec);
    return true;
}

void SqliteStore::readMany(const std::vector<int64_t>& ids, const std::function<void(std::vector<Value>&&)>& row) {
    const int count = static_cast<int>(ids.size());
    sql::Statement* st = &selectById_;
    int params = 1;
    for (size_t w = 0; count > 1 && w < std::size(kWindows); ++w)
        if (count <= kWindows[w] || w + 1 == std::size(kWindows)) {
            st = &selectMany_[w];
            params = kWindows[w];
            break;
        }
    st->reset();
    ResetOnExit done{*st};
    for (int k = 0; k < params; ++k) {
        if (k < count) st->bind(k + 1, ids[static_cast<size_t>(k)]);
        else st->bindNull(k + 1);
    }
    while (st->step()) {
        std::vector<Value> rec(layout_.fields.size());
        decodeRow(*st, rec);
        row(std::move(rec));
    }
}

int64_t SqliteStore::insert(const std::vector<Value>& rec) {
    beforeWrite();
    sql::Statement& st = insertStmt_;
    st.reset();
    ResetOnExit done{st};
    for (size_t i = 1; i < layout_.fields.size(); ++i) bindValue(st, static_cast<int>(i), layout_.fields[i], rec[i]);
    st.run();
    return db_.lastInsertRowid();
}

bool SqliteStore::update(int64_t id, const std::vector<Value>& rec, const std::vector<bool>& dirty) {
    beforeWrite();
    auto it = updateStmts_.find(dirty);
    if (it == updateStmts_.end()) {
        std::string sqlText = "UPDATE " + sql::quoted(layout_.name) + " SET ";
        int param = 1;
        for (size_t i = 1; i < dirty.size(); ++i)
            if (dirty[i]) {
                sqlText += (param > 1 ? ", " : "") + sql::quoted(layout_.fields[i].name) + " = ?" + std::to_string(param);
                ++param;
            }
        sqlText += " WHERE " + sql::quoted(layout_.fields[0].name) + " = ?" + std::to_string(param);
        it = updateStmts_.emplace(dirty, sql::Statement(db_, sqlText)).first;
    }
    sql::Statement& st = it->second;
    st.reset();
    ResetOnExit done{st};
    int param = 1;
    for (size_t i = 1; i < dirty.size(); ++i)
        if (dirty[i]) bindValue(st, param++, layout_.fields[i], rec[i]);
    st.bind(param, id);
    st.run();
    return sqlite3_changes(db_.handle()) != 0;
}

void SqliteStore::remove(int64_t id) {
    beforeWrite();
    deleteStmt_.reset().bind(1, id);
    ResetOnExit done{deleteStmt_};
    deleteStmt_.run();
}

void SqliteStore::removeAll() {
    beforeWrite();
    db_.exec(("DELETE FROM " + sql::quoted(layout_.name)).c_str());
}

void SqliteStore::atomically(const std::function<void()>& work) {
    // The session's transaction, when there is one, opens before the savepoint nests in it.
    beforeWrite();
    db_.exec("SAVEPOINT batch_append");
    try {
        work();
        db_.exec("RELEASE batch_append");
    } catch (...) {
        try {
            db_.exec("ROLLBACK TO batch_append");
            db_.exec("RELEASE batch_append");
        } catch (...) {
        }
        throw;
    }
}

sql::Statement& SqliteStore::queryStatement(const RecordQuery& q, bool countOnly, bool& judge, std::vector<int>& columns) {
    const filter::Filter* flt = q.filter && !q.filter->empty() ? q.filter : nullptr;
    judge = flt != nullptr;
    columns.assign(layout_.fields.size(), -1);
    const std::string key = sql::quoted(layout_.fields[0].name);
    std::string sqlText = countOnly && !judge ? "SELECT COUNT(*)" : "SELECT " + key;
    int next = 1;
    const auto select = [&](int f) {
        if (columns[static_cast<size_t>(f)] >= 0) return;
        sqlText += ", " + sql::quoted(layout_.fields[static_cast<size_t>(f)].name);
        columns[static_cast<size_t>(f)] = next++;
    };
    for (int f : q.read) select(f);
    if (judge)
        for (int f : flt->fieldsUsed()) select(f);
    sqlText += " FROM " + sql::quoted(layout_.name);
    // The master range, then what the filter implies, narrow the rows in SQL (values bound, never
    // pasted), so that an index can answer them; the filter still decides on every row left.
    std::vector<std::pair<int, Value>> bound;  // field, value
    int terms = 0;
    const auto where = [&](const std::string& test) {
        sqlText += terms++ ? " AND " : " WHERE ";
        sqlText += test;
    };
    const auto param = [&](int field, Value v) {
        bound.emplace_back(field, std::move(v));
        return "?" + std::to_string(bound.size());
    };
    const auto name = [&](int field) { return sql::quoted(layout_.fields[static_cast<size_t>(field)].name); };
    for (size_t k = 0; k < q.rangeFields.size(); ++k) {
        const int f = q.rangeFields[k];
        where(q.rangeValues[k].null ? name(f) + " IS NULL" : name(f) + " = " + param(f, q.rangeValues[k]));
    }
    if (judge) {
        for (const filter::NecessaryCondition& c : flt->necessaryConditions()) {
            if (c.notBlank) {
                where(name(c.field) + " IS NOT NULL");
                continue;
            }
            Value v;
            v.null = false;
            v.text = c.text;
            where(name(c.field) + " = " + param(c.field, std::move(v)));
        }
        // A number column may hold a text a foreign program wrote, which the filter reads as the
        // number it starts with: texts (which SQLite sorts after every number) pass to the filter.
        for (const filter::NumberEquality& e : flt->numberEqualities()) {
            Value v;
            v.null = false;
            v.number = e.number;
            where("(" + name(e.field) + " = " + param(e.field, std::move(v)) + " OR " + name(e.field) + " >= '')");
        }
        // Stored dates are year-month-day texts, whose byte order is the order of the days. What
        // the filter would read as a date sorts as a text; a blob (sorted after every text, from
        // x'' on) might read as one too and passes to the filter; numbers and other texts read as
        // blank, which meets no such comparison.
        for (const filter::DateComparison& d : flt->dateComparisons()) {
            using Op = filter::DateComparison::Op;
            Value v;
            v.null = false;
            v.number = d.serial;
            static const char* const kOps[] = {" = ", " < ", " <= ", " > ", " >= "};
            const std::string test = name(d.field) + kOps[static_cast<int>(d.op)] + param(d.field, std::move(v));
            const bool blobsAbove = d.op == Op::Gt || d.op == Op::Ge;
            where(blobsAbove ? test : "(" + test + " OR " + name(d.field) + " >= x'')");
        }
    }
    if (!countOnly && q.order == RecordQuery::Order::Fields && !q.sortFields.empty()) {
        sqlText += " ORDER BY ";
        for (int f : q.sortFields) sqlText += name(f) + ", ";
        sqlText += key;
    } else if (!countOnly && q.order != RecordQuery::Order::Any) {
        sqlText += " ORDER BY " + key;
    }
    if (!countOnly && q.limit > 0 && !judge) sqlText += " LIMIT " + std::to_string(q.limit);

    // A walk over a master rebuilds its details' lists at every record: the few shapes of this
    // query are prepared once each.
    auto cached = queryStmts_.find(sqlText);
    if (cached == queryStmts_.end()) cached = queryStmts_.emplace(sqlText, sql::Statement(db_, sqlText)).first;
    sql::Statement& st = cached->second;
    st.reset();
    for (size_t k = 0; k < bound.size(); ++k)
        bindValue(st, static_cast<int>(k + 1), layout_.fields[static_cast<size_t>(bound[k].first)], bound[k].second);
    return st;
}

void SqliteStore::scan(const RecordQuery& q, const std::function<bool(const StoredRow&)>& row) {
    bool judge = false;
    std::vector<int> columns;
    sql::Statement& st = queryStatement(q, false, judge, columns);
    ResetOnExit done{st};
    const StatementRow reader(layout_, st, columns);
    size_t given = 0;
    while ((q.limit == 0 || given < q.limit) && st.step()) {
        if (judge && !q.filter->matches(reader)) continue;
        ++given;
        if (!row(reader)) break;
    }
}

long SqliteStore::count(const RecordQuery& q) {
    bool judge = false;
    std::vector<int> columns;
    sql::Statement& st = queryStatement(q, true, judge, columns);
    ResetOnExit done{st};
    long n = 0;
    if (!judge) {
        if (st.step()) n = static_cast<long>(st.columnInt(0));
        return n;
    }
    const StatementRow reader(layout_, st, columns);
    while (st.step())
        if (q.filter->matches(reader)) ++n;
    return n;
}

std::string SqliteStore::equalityKey(const FieldDef& f, const Value& v) const {
    if (v.null) return "N";
    if (f.type == FieldType::Alpha || f.type == FieldType::Memo) return "T" + v.text;
    if (f.type == FieldType::Date) return "T" + isoDate(static_cast<int>(v.number));
    return realKey(v.number);
}

}  // namespace

std::unique_ptr<RecordStore> openRecordStore(Session& session, const std::string& fileName, const Layout& layout,
                                             StoreOptions options) {
    return std::make_unique<SqliteStore>(session, fileName, layout, options);
}

}  // namespace zelt::store
