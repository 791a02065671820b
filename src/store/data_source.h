// A table object's data source: tells the links that follow the table (detail tables, grids,
// edits) when its current record changes.
#pragma once

#include <vector>

namespace zelt::store {

class Table;

// Something that follows a data source: a detail table's master link, a grid, an edit.
class DataLink {
public:
    virtual ~DataLink() = default;
    // The source's table moved to another record, changed its current record's values, or was
    // opened or closed.
    virtual void sourceChanged() = 0;
    // The source's table is about to store its record: a control holding typed text writes it
    // into its field now.
    virtual void updateRecord() {}
    // The source's table dropped its edit or insert: a control holding typed text drops it, so
    // that no cancelled text reaches this record or another.
    virtual void recordCancelled() {}
    // The source is being destroyed; the link must not use it any more.
    virtual void sourceDestroyed() {}
};

// DataSourceN: binds TableN to the links that follow it. Disabling it lifts the master range of
// the detail tables linked through it.
class DataSource {
public:
    explicit DataSource(Table& table) : table_(table) {}
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;
    Table& table() const { return table_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    void addLink(DataLink* link);
    void removeLink(DataLink* link);
    void notify();
    void notifyUpdateRecord();
    void notifyCancelled();

private:
    Table& table_;
    bool enabled_ = true;
    std::vector<DataLink*> links_;
};

}  // namespace zelt::store
