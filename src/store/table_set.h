// The 48 table objects of the main window, bound to their files and linked master to detail as
// the table tree says, all closed until someone opens them.
#pragma once

#include "store/session.h"
#include "store/table.h"
#include "store/table_id.h"
#include "store/tree.h"

#include <memory>
#include <vector>

namespace zelt::store {

class TableSet {
public:
    explicit TableSet(Session& session);
    // Detail tables go before their masters.
    ~TableSet();
    TableSet(const TableSet&) = delete;
    TableSet& operator=(const TableSet&) = delete;

    Table& table(TableId id) { return table(tableNumber(id)); }
    DataSource& dataSource(TableId id) { return table(id).dataSource(); }
    // TableN by the number a data table gives (a control's DataSourceN); throws EngineError for a
    // number outside 1..48.
    Table& table(int number);
    DataSource& dataSource(int number) { return table(number).dataSource(); }
    const TableObjectDef& def(int number) const { return tableObject(number); }
    // The number of a table object, for hooks that are given only the table.
    int numberOf(const Table& t) const;
    Session& session() { return session_; }

private:
    Session& session_;
    std::vector<std::unique_ptr<Table>> tables_;
};

}  // namespace zelt::store
