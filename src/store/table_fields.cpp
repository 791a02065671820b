#include "store/table.h"

#include "store/store_error.h"
#include "store/table_fault.h"

#include "base/date.h"
#include "base/text.h"

#include <algorithm>
#include <cmath>

namespace zelt::store {

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
        return filter::FieldRef{i, filterKindOf(layout_.fields[static_cast<size_t>(i)].type)};
    });
}

void Table::setFilterText(const std::string& text) {
    filter::Filter parsed = parseFilter(text);  // refused here: the old filter stays
    if (active()) checkBrowseMode();
    filterText_ = text;
    filter_ = std::move(parsed);
    if (active() && filtered_) {
        list_.valid = false;
        first();
    }
}

void Table::setFiltered(bool on) {
    if (active()) checkBrowseMode();
    filtered_ = on;
    if (active()) {
        list_.valid = false;
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
    const Bookmark b = list_.pos >= 0 ? list_.ids[static_cast<size_t>(list_.pos)] : 0;
    buildList();
    const auto it = std::find(list_.ids.begin(), list_.ids.end(), b);
    list_.pos = it != list_.ids.end() ? static_cast<long>(it - list_.ids.begin()) : (list_.ids.empty() ? -1 : 0);
    list_.eof = list_.ids.empty();
    list_.bof = list_.ids.empty();
    loadCurrent();
    notifyLinks();
}

}  // namespace zelt::store
