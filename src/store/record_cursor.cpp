#include "store/record_cursor.h"

#include <algorithm>
#include <atomic>

namespace zelt::store {
namespace {

std::atomic<uint64_t> gWrites{1};

// How many records one read takes for a walk.
constexpr long kRowWindow = 32;

}  // namespace

void noteWrite() { gWrites.fetch_add(1, std::memory_order_relaxed); }

void RecordCursor::reset() {
    ids.clear();
    ids.shrink_to_fit();
    valid = false;
    complete = false;
    knownCount = -1;
    pos = -1;
    eof = bof = true;
    rows_.clear();
}

long RecordCursor::find(int64_t id) const {
    const auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? -1 : static_cast<long>(it - ids.begin());
}

void RecordCursor::removeAt(long at) {
    ids.erase(ids.begin() + at);
    if (pos >= static_cast<long>(ids.size())) pos = static_cast<long>(ids.size()) - 1;
}

void RecordCursor::ownWrite(int64_t id, const std::vector<Value>* rec) {
    const bool wasValid = rowsWrites_ == gWrites.load(std::memory_order_relaxed);
    const uint64_t now = gWrites.fetch_add(1, std::memory_order_relaxed) + 1;
    if (!wasValid) return;
    rowsWrites_ = now;
    if (rec) {
        for (auto& [cachedId, cached] : rows_)
            if (cachedId == id) cached = *rec;
    } else {
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [id](const auto& e) { return e.first == id; }), rows_.end());
    }
}

const std::vector<Value>* RecordCursor::rowAt(RecordStore& store, long row, bool stable) {
    const int64_t id = ids[static_cast<size_t>(row)];
    const uint64_t writes = stable ? rowsWrites_ : gWrites.load(std::memory_order_relaxed);
    if (rowsWrites_ == writes) {
        for (const auto& [cachedId, rec] : rows_)
            if (cachedId == id) return &rec;
    }
    // Read the window the cursor moves into: forwards from this row, or backwards when it came from
    // after the last window.
    const long n = static_cast<long>(ids.size());
    long from = row;
    if (rowsWrites_ == writes && !rows_.empty() && row < rowsFrom_) from = std::max(0L, row - kRowWindow + 1);
    const long to = std::min(n, from + kRowWindow);
    rows_.clear();
    rowsWrites_ = writes;
    rowsFrom_ = from;
    store.readMany(std::vector<int64_t>(ids.begin() + from, ids.begin() + to), [&](std::vector<Value>&& rec) {
        const int64_t got = static_cast<int64_t>(rec[0].number);
        rows_.emplace_back(got, std::move(rec));
    });
    for (const auto& [cachedId, rec] : rows_)
        if (cachedId == id) return &rec;
    return nullptr;
}

}  // namespace zelt::store
