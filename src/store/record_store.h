// The record store: the narrow interface between a table object and the place its records are
// kept (a table file through SQLite today, a database server later). It reads and writes records
// by counter and answers the questions a cursor asks of a whole record set (the counters in an
// order, a count, the rows of a range) itself, narrowing by the range and by what the filter
// implies where it stands, so nothing has to pull every row into the program to answer them.
#pragma once

#include "filter/filter.h"
#include "store/layout.h"
#include "store/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelt::store {

class Session;

// Which records a question is about.
struct RecordQuery {
    // The master range: each field equals its value (a blank value: the field is blank).
    std::vector<int> rangeFields;
    std::vector<Value> rangeValues;
    // The filter every record must pass; null for none. The store narrows by its necessary
    // conditions where it can and still judges every row it returns by the filter itself, so what
    // the filter decides never depends on the store's own comparisons.
    const filter::Filter* filter = nullptr;
    // Fields read with each row besides the counter.
    std::vector<int> read;
    // The order of the rows: none (any order), by counter, or by `sortFields` then counter.
    enum class Order { Any, Counter, Fields } order = Order::Any;
    std::vector<int> sortFields;
    // At most this many rows; 0 for all.
    size_t limit = 0;
};

// A row a question returns: its counter and the fields the question read.
class StoredRow : public filter::RowView {
public:
    virtual int64_t id() const = 0;
    // The value of `field` as the field's type reads it (a stored text that is not a date reads
    // blank in a date field).
    virtual Value value(int field) const = 0;
    // What the store's equality tells apart, as a key comparable with `RecordStore::equalityKey`;
    // nothing when the stored value equals no value a question can bind.
    virtual std::optional<std::string> equalityKey(int field) const = 0;
};

class RecordStore {
public:
    virtual ~RecordStore() = default;
    // Commits the store's part in a grouped write of the session before it goes; a failure to
    // commit is thrown and leaves the store open.
    virtual void close() = 0;

    // The fields of the index `name` of this record set, in its order; throws the IndexMissing
    // fault when the record set has no such index (or only one of the store's own).
    virtual std::vector<int> indexFields(const std::string& name) = 0;

    // The stored record with counter `id`; false when there is none.
    virtual bool read(int64_t id, std::vector<Value>& rec) = 0;
    // The stored records of `ids` (at most 32), each given to `row` once, in no order; the
    // counters that are gone give nothing.
    virtual void readMany(const std::vector<int64_t>& ids, const std::function<void(std::vector<Value>&&)>& row) = 0;

    // Stores a new record (its counter field is ignored) and returns the counter it was given.
    virtual int64_t insert(const std::vector<Value>& rec) = 0;
    // Writes the fields marked in `dirty` of the record with counter `id`; false when no record
    // has that counter any more.
    virtual bool update(int64_t id, const std::vector<Value>& rec, const std::vector<bool>& dirty) = 0;
    virtual void remove(int64_t id) = 0;
    // Removes every record; the counter goes on from where it was.
    virtual void removeAll() = 0;
    // Runs `work` so that its writes are stored all together or, when it throws, not at all.
    virtual void atomically(const std::function<void()>& work) = 0;

    // Each row `q` asks for, in its order, until `row` returns false.
    virtual void scan(const RecordQuery& q, const std::function<bool(const StoredRow&)>& row) = 0;
    // How many rows `q` asks for.
    virtual long count(const RecordQuery& q) = 0;
    // The key `StoredRow::equalityKey` gives a stored value equal to `v` bound for field `f`.
    virtual std::string equalityKey(const FieldDef& f, const Value& v) const = 0;
};

// How a record store is opened.
struct StoreOptions {
    // Opened without ever writing the file (no index added, no journal mode set); every write is
    // refused.
    bool readOnly = false;
    // Takes part in the session's grouping of writes (Session::Batch); a store opened for one
    // write of a closed table does not.
    bool grouped = true;
};

// Opens the record set of table file `fileName` (as the tree names it) in the session's data
// directory, asking the session for its password.
std::unique_ptr<RecordStore> openRecordStore(Session& session, const std::string& fileName, const Layout& layout,
                                             StoreOptions options);

}  // namespace zelt::store
