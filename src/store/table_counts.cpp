// The questions a table object answers over the records it shows, asked of its store in one read
// of each file, moving no cursor and firing no hook.
#include "store/table.h"

#include "store/store_error.h"

namespace zelt::store {

void Table::forEachRow(ListQuery q, const std::vector<int>& read, const std::function<void(const StoredRow&)>& row) const {
    store_->scan(listQuery(q, read), [&](const StoredRow& r) {
        row(r);
        return true;
    });
}

std::map<std::string, long> Table::countsByText(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    const int f = fieldIndex(field);
    const FieldDef& def = layout_.fields[static_cast<size_t>(f)];
    std::map<std::string, long> counts;
    forEachRow(ListQuery::Rows, {f}, [&](const StoredRow& row) {
        ++counts[displayText(def, row.value(f))];
    });
    return counts;
}

std::vector<Value> Table::valuesShown(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureList();
    const int f = fieldIndex(field);
    std::unordered_map<int64_t, Value> byId;
    byId.reserve(list_.ids.size());
    forEachRow(ListQuery::Rows, {f}, [&](const StoredRow& row) { byId.emplace(row.id(), row.value(f)); });
    std::vector<Value> out;
    out.reserve(list_.ids.size());
    for (int64_t id : list_.ids) {
        auto v = byId.find(id);
        out.push_back(v == byId.end() ? Value{} : std::move(v->second));
    }
    return out;
}

std::optional<std::string> Table::linkKey(const StoredRow& row, const std::vector<int>& linkFields) const {
    std::string key;
    for (int f : linkFields) {
        const std::optional<std::string> part = row.equalityKey(f);
        if (!part) return std::nullopt;  // equal to no value a master binds
        key += *part;
        key += '\0';
    }
    return key;
}

std::unordered_map<std::string, long> Table::masterKeysShown(std::vector<int>& linkFields,
                                                             std::vector<std::string>* inOrder) {
    Table& m = master_->table();
    m.checkBrowseMode();
    m.ensureList();
    linkFields.clear();
    for (int mi : masterFieldIdx_) linkFields.push_back(layout_.indexOf(m.layout_.fields[static_cast<size_t>(mi)].name));
    // The master's link values as its records read them, converted as the range converts them.
    std::unordered_map<int64_t, std::string> byId;
    byId.reserve(m.list_.ids.size());
    m.forEachRow(ListQuery::Rows, masterFieldIdx_, [&](const StoredRow& row) {
        std::string key;
        for (size_t k = 0; k < masterFieldIdx_.size(); ++k) {
            const FieldDef& mf = m.layout_.fields[static_cast<size_t>(masterFieldIdx_[k])];
            const FieldDef& df = layout_.fields[static_cast<size_t>(linkFields[k])];
            key += store_->equalityKey(df, convertForField(df, row.value(masterFieldIdx_[k]), mf));
            key += '\0';
        }
        byId.emplace(row.id(), std::move(key));
    });
    std::unordered_map<std::string, long> shown;
    for (int64_t id : m.list_.ids) {
        const auto k = byId.find(id);
        const std::string key = k == byId.end() ? std::string() : k->second;  // "": gone, shows nothing
        if (inOrder) inOrder->push_back(key);
        if (!key.empty()) ++shown[key];
    }
    return shown;
}

std::vector<long> Table::countsPerMasterRecord() {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    if (!currentRange().active) {
        // No range (the master closed or its source disabled): every master shows the same records.
        const long all = countShown();
        const long masters = master_ && master_->table().active() ? master_->table().recordCount() : 0;
        return std::vector<long>(static_cast<size_t>(masters), all);
    }
    std::vector<int> linkFields;
    std::vector<std::string> masters;
    const std::unordered_map<std::string, long> shown = masterKeysShown(linkFields, &masters);
    // This table's records by the stored values of its link fields, as SQL equality groups them.
    std::unordered_map<std::string, long> byKey;
    forEachRow(ListQuery::AllMasters, linkFields, [&](const StoredRow& row) {
        if (const std::optional<std::string> key = linkKey(row, linkFields))
            if (shown.count(*key)) ++byKey[*key];
    });
    std::vector<long> out;
    out.reserve(masters.size());
    for (const std::string& key : masters) {
        const auto n = byKey.find(key);
        out.push_back(n == byKey.end() ? 0 : n->second);
    }
    return out;
}

std::map<std::string, long> Table::countsByTextOverMasterRecords(std::string_view field) {
    requireActive();
    checkBrowseMode();
    ensureFirst();
    const int f = fieldIndex(field);
    const FieldDef& def = layout_.fields[static_cast<size_t>(f)];
    std::map<std::string, long> counts;
    if (!currentRange().active) {
        const long masters = master_ && master_->table().active() ? master_->table().recordCount() : 0;
        for (auto& [text, n] : countsByText(field)) counts[text] = n * masters;
        return counts;
    }
    std::vector<int> linkFields;
    const std::unordered_map<std::string, long> shown = masterKeysShown(linkFields, nullptr);
    std::vector<int> read = linkFields;
    read.push_back(f);
    forEachRow(ListQuery::AllMasters, read, [&](const StoredRow& row) {
        const std::optional<std::string> key = linkKey(row, linkFields);
        if (!key) return;
        const auto masters = shown.find(*key);
        if (masters == shown.end()) return;
        counts[displayText(def, row.value(f))] += masters->second;
    });
    return counts;
}

}  // namespace zelt::store
