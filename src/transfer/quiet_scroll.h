// Walks of the maintenance commands run with a table's after-scroll hook held back: the hook
// shows the current record's note (creating it empty when missing), which a walk over thousands
// of records has no one to show to. The hook runs once when the walk is over.
#pragma once

#include "store/table.h"

namespace zelt::transfer {

class QuietScroll {
public:
    explicit QuietScroll(store::Table& t) : table_(t), hook_(std::move(t.afterScroll)) { t.afterScroll = nullptr; }
    ~QuietScroll() { table_.afterScroll = std::move(hook_); }
    QuietScroll(const QuietScroll&) = delete;
    QuietScroll& operator=(const QuietScroll&) = delete;

    // Gives the hook back and runs it for the record the walk left current.
    void finish() {
        table_.afterScroll = std::move(hook_);
        hook_ = nullptr;
        if (table_.afterScroll && table_.active() && !table_.isEmpty()) table_.afterScroll(table_);
    }

private:
    store::Table& table_;
    store::Table::Hook hook_;
};

}  // namespace zelt::transfer
