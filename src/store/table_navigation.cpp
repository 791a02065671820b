#include "store/table.h"

#include "store/store_error.h"
#include "store/table_fault.h"

#include <algorithm>

namespace zelt::store {

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
    list_.pos = pos;
    loadCurrent();
    notifyLinks();
    fireScroll();
}

void Table::first() {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    list_.bof = true;
    list_.eof = list_.ids.empty();
    moveTo(list_.ids.empty() ? -1 : 0);
}

void Table::last() {
    requireActive();
    checkBrowseMode();
    ensureList();
    list_.eof = true;
    list_.bof = list_.ids.empty();
    moveTo(static_cast<long>(list_.ids.size()) - 1);
}

void Table::next() {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (list_.eof) return;
    list_.bof = false;
    if (list_.pos + 1 < static_cast<long>(list_.ids.size())) moveTo(list_.pos + 1);
    else {
        list_.eof = true;
        moveTo(list_.pos);
    }
}

void Table::prior() {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (list_.bof) return;
    list_.eof = false;
    if (list_.pos > 0) moveTo(list_.pos - 1);
    else {
        list_.bof = true;
        moveTo(list_.pos);
    }
}

bool Table::eof() const {
    if (!active()) return true;
    ensureFirst();
    return list_.eof;
}

bool Table::bof() const {
    if (!active()) return true;
    ensureFirst();
    return list_.bof;
}

bool Table::isEmpty() {
    if (!active()) return true;
    if (state_ == State::Insert) return false;
    ensureFirst();
    return list_.ids.empty();
}

Table::Bookmark Table::bookmark() const {
    requireActive();
    ensureFirst();
    return list_.pos < 0 ? 0 : list_.ids[static_cast<size_t>(list_.pos)];
}

void Table::gotoBookmark(Bookmark b) {
    requireActive();
    checkBrowseMode();
    ensureList();
    const auto it = std::find(list_.ids.begin(), list_.ids.end(), b);
    bool found = false;
    if (it != list_.ids.end()) readRow(b, found);
    if (!found) {
        // Gone, perhaps through another object on the same file: stay where we are.
        if (it != list_.ids.end()) {
            const long at = static_cast<long>(it - list_.ids.begin());
            list_.ids.erase(it);
            if (at < list_.pos) --list_.pos;
        }
        throw tableFault(*this, Fault::RecordNotFound);
    }
    list_.eof = list_.bof = false;
    moveTo(static_cast<long>(it - list_.ids.begin()));
}

bool Table::tryGotoBookmark(Bookmark b) {
    requireActive();
    checkBrowseMode();
    ensureList();
    if (b == 0 || std::find(list_.ids.begin(), list_.ids.end(), b) == list_.ids.end()) return false;
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
    if (row < 0 || row >= static_cast<long>(list_.ids.size())) throw tableFault(*this, Fault::NoRecordAt, {}, std::to_string(row + 1));
    list_.eof = false;
    list_.bof = row == 0;
    moveTo(row);
}

void Table::refresh() {
    requireActive();
    checkBrowseMode();
    const Bookmark b = list_.pos >= 0 && list_.valid ? list_.ids[static_cast<size_t>(list_.pos)] : 0;
    const long oldPos = list_.pos;
    dropRowCache();  // another object may have changed the file
    buildList();
    const auto it = std::find(list_.ids.begin(), list_.ids.end(), b);
    long p = it != list_.ids.end() ? static_cast<long>(it - list_.ids.begin())
                              : std::min(oldPos, static_cast<long>(list_.ids.size()) - 1);
    if (p < 0 && !list_.ids.empty()) p = 0;
    list_.eof = list_.ids.empty();
    list_.bof = list_.ids.empty() || p == 0;
    moveTo(p);
}

std::vector<std::string> Table::rowTexts(int row, const std::vector<int>& fields) {
    requireActive();
    ensureList();
    if (row < 0 || row >= static_cast<int>(list_.ids.size())) throw tableFault(*this, Fault::NoRecordAt, {}, std::to_string(row + 1));
    const std::vector<Value>* rec = rowAt(row);
    const std::vector<Value>& values = rec ? *rec : blankRecord(layout_.fields.size());
    std::vector<std::string> out;
    for (int f : fields) out.push_back(displayText(layout_.fields[static_cast<size_t>(f)], values[static_cast<size_t>(f)]));
    return out;
}

long Table::currentRow() const {
    if (!active()) return -1;
    ensureFirst();
    return list_.pos;
}

int Table::recordCount() {
    requireActive();
    ensureFirst();
    // A list not read whole is counted by the store: no list of counters is built for a count.
    return static_cast<int>(countShown());
}

}  // namespace zelt::store
