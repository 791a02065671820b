// A table object: a navigational cursor over one record set with the engine's operations (open,
// move, edit, post, filter, index, master link, batch append) and the record hooks fired inside them.
#pragma once

#include "filter/filter.h"
#include "store/data_source.h"
#include "store/field_codec.h"
#include "store/layout.h"
#include "store/record_cursor.h"
#include "store/record_store.h"
#include "store/session.h"
#include "store/store_error.h"
#include "store/value.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelt::store {

class Table {
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Hook = std::function<void(Table&)>;
    using Bookmark = int64_t;

    // `name` is the object name (Table1); `fileName` the stored file name (ZELT\ZELT.db).
    Table(Session& session, std::string name, std::string fileName, const Layout& layout);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& name() const { return name_; }
    const std::string& fileName() const { return fileName_; }
    const Layout& layout() const { return layout_; }
    DataSource& dataSource() { return source_; }
    Session& session() const { return session_; }

    // Opening an open table and closing a closed one do nothing. A closed table keeps its filter
    // text, filtering switch and index name.
    void open();
    void close();
    bool active() const { return state_ != State::Inactive; }
    // A read-only table opens its file without ever writing it (no index added, no journal mode
    // set) and refuses every write with the engine's error. Takes effect at the next open.
    void setReadOnly(bool on) { readOnly_ = on; }
    bool readOnly() const { return readOnly_; }
    void setActive(bool on) { on ? open() : close(); }
    State state() const { return state_; }

    // Navigation. eof() is true after moving past the last record and on an empty set.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    bool isEmpty();
    Bookmark bookmark() const;
    void gotoBookmark(Bookmark b);
    // Goes to the remembered record if it is still shown; false (and no move) when it is not.
    bool tryGotoBookmark(Bookmark b);
    // Moves to the record at `row` (0-based) of the records shown, as a grid's row selection does.
    void gotoRow(long row);
    // Rereads the records shown (another object may have changed the file) and stays on the record.
    void refresh();

    // Editing. edit() on a table that shows no record inserts instead; edit() while editing or
    // inserting does nothing. post() stores the pending record (outside edit or insert it is an
    // engine error). Moving, filtering or closing while editing posts a modified record first.
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    bool modified() const { return modified_; }

    // Fields by name, or by 1-based position, read and written in the four forms. Reading: a blank
    // number reads 0, a blank text "", a blank date 0 (30.12.1899). Writing an empty text to a date
    // or number field blanks it; a long text is cut to the field's size (or its write limit).
    std::string asText(std::string_view field) const { return textAt(fieldIndex(field)); }
    long long asInteger(std::string_view field) const { return integerAt(fieldIndex(field)); }
    double asNumber(std::string_view field) const { return numberAt(fieldIndex(field)); }
    int asDate(std::string_view field) const { return dateAt(fieldIndex(field)); }
    bool isBlank(std::string_view field) const { return current()[static_cast<size_t>(fieldIndex(field))].null; }
    void setText(std::string_view field, std::string_view text) { setTextAt(fieldIndex(field), text); }
    void setInteger(std::string_view field, long long v) { setNumberAt(fieldIndex(field), static_cast<double>(v)); }
    void setNumber(std::string_view field, double v) { setNumberAt(fieldIndex(field), v); }
    void setDate(std::string_view field, int serial) { setDateAt(fieldIndex(field), serial); }
    void setBlank(std::string_view field) { setValueAt(fieldIndex(field), Value{}); }

    std::string textAt(int index) const;  // 0-based index
    long long integerAt(int index) const;
    double numberAt(int index) const;
    int dateAt(int index) const;
    void setTextAt(int index, std::string_view text);
    void setNumberAt(int index, double v);
    void setDateAt(int index, int serial);
    // 1-based positions, as the batch append and the positional copies count them.
    std::string textByPosition(int position) const { return textAt(position - 1); }
    void setTextByPosition(int position, std::string_view text) { setTextAt(position - 1, text); }
    int fieldIndex(std::string_view field) const;  // throws EngineError for an unknown field
    int fieldCount() const { return static_cast<int>(layout_.fields.size()); }

    // The program's own cap on what it writes into a field (the home-telephone digit count).
    void setWriteLimit(std::string_view field, int limit);
    int writeLimit(std::string_view field) const;

    // Filter. A text that does not parse is refused with the engine's error and the previous filter
    // stays. Setting the switch, even to its current value, moves to the first record shown.
    void setFilterText(const std::string& text);
    const std::string& filterText() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // Records shown through the master range and the active filter.
    int recordCount();
    // The display texts of `fields` (0-based indexes) of the record at `row` (0-based, in the order
    // shown), read without moving the cursor or firing hooks: what a grid row shows.
    std::vector<std::string> rowTexts(int row, const std::vector<int>& fields);
    // 0-based row of the current record in the order shown, -1 when there is none.
    long currentRow() const;

    // Questions answered by the store over the records shown, moving no cursor and firing no hook.
    // How many of the records shown hold each display text of `field`.
    std::map<std::string, long> countsByText(std::string_view field);
    // The stored value of `field` of each record shown, in the order shown, as the current record
    // would hold it there: what a walk reading only that field would find.
    std::vector<Value> valuesShown(std::string_view field);
    // For a detail table: the count recordCount() would give with the master standing on each of
    // the records the master shows, in the master's order; one read of each file, however many
    // masters there are.
    std::vector<long> countsPerMasterRecord();
    // For a detail table: how many of the records it would show, with the master standing on each
    // record the master shows in turn, hold each display text of `field`.
    std::map<std::string, long> countsByTextOverMasterRecords(std::string_view field);

    // "" selects the primary order (by counter); any other name must be an index of the file.
    void setIndexName(const std::string& name);
    const std::string& indexName() const { return indexName_; }

    // Links this detail table to a master: it shows only the records whose leading fields of
    // `detailIndex` equal `masterFields` of the master's current record, and a new record takes them.
    void setMasterLink(DataSource* master, std::vector<std::string> masterFields, const std::string& detailIndex);
    DataSource* masterSource() const { return master_; }

    // Appends every record `source` shows (filter and range applied, from its first record) to this
    // table, fields matched by position; this table assigns its own counters. All or nothing: a
    // value that does not fit stops the batch with an engine error and nothing is appended.
    void batchAppendFrom(Table& source);
    // Removes every record; the file, its structure, indexes and password stay.
    void emptyTable();

    // Record hooks, run nested inside the operations. A before-hook refuses by throwing Aborted.
    Hook beforeInsert;
    Hook afterPost;
    Hook beforeDelete;
    Hook afterScroll;

private:
    class Link;
    friend class Link;

    struct Range {
        bool active = false;
        std::vector<int> fields;  // indexes into this layout
        std::vector<Value> values;
    };

    const std::vector<Value>& current() const;
    void requireActive() const;
    void requireEditing(int index) const;
    void setValueAt(int index, Value v);
    void checkBrowseMode();
    void beginInsert();
    // Back to a closed table's state: no store, no list, no record.
    void resetState();
    // The list of records shown, at least up to its first record (a large list is read whole only
    // when something needs more of it), or whole.
    void ensureFirst() const;
    void ensureList() const;
    // Ids and First in the order shown; Rows in no order; AllMasters too, and without the range.
    enum class ListQuery { Ids, First, Rows, AllMasters };
    // The question of the current range and filter, reading the fields `read` too.
    RecordQuery listQuery(ListQuery q, const std::vector<int>& read = {}) const;
    // How many records the master shows with each key of this detail's link (linkKey's form).
    std::unordered_map<std::string, long> masterKeysShown(std::vector<int>& linkFields,
                                                          std::vector<std::string>* inOrder);
    std::optional<std::string> linkKey(const StoredRow& row, const std::vector<int>& linkFields) const;
    void forEachRow(ListQuery q, const std::vector<int>& read, const std::function<void(const StoredRow&)>& row) const;
    // Reads the counters of the records shown by `query`, at most `limit` of them, into the list.
    void readIds(ListQuery query, size_t limit) const;
    void buildList() const;
    void buildFirst() const;
    long countShown() const;
    void loadCurrent() const;
    const std::vector<Value>* rowAt(long row) const { return list_.rowAt(*store_, row, readOnly_); }
    void dropRowCache() const { list_.dropRows(); }
    Range currentRange() const;
    bool rangeMatches(const std::vector<Value>& rec, const Range& r) const;
    bool filterMatches(const std::vector<Value>& rec) const;
    // Puts a stored record into the records shown at its place in the index order; its row.
    long insertSorted(int64_t id, const std::vector<Value>& rec);
    bool sortKeyChanged(const std::vector<Value>& before, const std::vector<Value>& after) const;
    void moveTo(long pos);
    void fireScroll();
    void notifyLinks();
    void writeRecord();
    std::vector<Value> readRow(int64_t id, bool& found) const;
    std::vector<int> sortFields_;
    void resolveSortFields();
    filter::Filter parseFilter(const std::string& text) const;
    void masterChanged();

    Session& session_;
    std::string name_;
    std::string fileName_;
    const Layout& layout_;
    DataSource source_;

    std::unique_ptr<RecordStore> store_;  // while open

    State state_ = State::Inactive;
    std::string filterText_;
    filter::Filter filter_;
    bool filtered_ = false;
    std::string indexName_;
    std::vector<int> writeLimits_;

    DataSource* master_ = nullptr;
    std::vector<int> masterFieldIdx_;  // indexes into the master's layout
    std::unique_ptr<Link> link_;
    mutable Range range_;  // the range the list was built with
    mutable bool rangeStale_ = false;

    mutable RecordCursor list_;
    mutable std::vector<Value> cur_;   // current record as stored
    mutable bool curLoaded_ = true;    // false: cur_ is still to be read for the record at pos
    std::vector<Value> buf_;   // record being edited or inserted
    std::vector<bool> dirty_;  // fields written since edit/insert
    bool modified_ = false;
    long insertReturnPos_ = -1;
    bool readOnly_ = false;
};

}  // namespace zelt::store
