// The cursor over a record set: the counters of the records a table object shows, in the order it
// shows them, where it stands among them, and the stored records read ahead of a walk.
#pragma once

#include "store/record_store.h"
#include "store/value.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace zelt::store {

class RecordCursor {
public:
    // Back to no list and no record, the rows read ahead dropped.
    void reset();

    // The stored record at `row` of the list, read through `store` with the rows after it (or
    // before it, walking backwards) so that a walk runs one read per many records; null when
    // gone. A cursor over a file nobody writes while it is open (`stable`) keeps what it read
    // ahead whatever other table objects write.
    const std::vector<Value>* rowAt(RecordStore& store, long row, bool stable);
    void dropRows() { rows_.clear(); }
    // Tells the cursor that its own table object wrote `id` (now `rec`, or removed when null):
    // the rows read ahead stay valid if they were, with the write put into them.
    void ownWrite(int64_t id, const std::vector<Value>* rec);

    // The row of counter `id` in the list, -1 when it is not there.
    long find(int64_t id) const;
    // Takes the row `at` out of the list; the cursor keeps to a row that still exists.
    void removeAt(long at);

    std::vector<int64_t> ids;  // counters of the records shown, in the order shown
    bool valid = false;        // false: the list is to be built again before use
    bool complete = false;     // false: `ids` holds only the first record of the list
    long knownCount = -1;      // the count of an incomplete list, once asked
    long pos = -1;
    bool eof = true;
    bool bof = true;

private:
    // Rows read ahead of the cursor, valid while no table object of the process has written.
    std::vector<std::pair<int64_t, std::vector<Value>>> rows_;
    uint64_t rowsWrites_ = 0;
    long rowsFrom_ = 0;
};

// Every write of any table object of the process counts here: rows read ahead are trusted only
// while the count stays the same.
void noteWrite();

}  // namespace zelt::store
