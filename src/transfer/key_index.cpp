#include "transfer/key_index.h"

#include <algorithm>

namespace zelt::transfer {

std::string KeyIndex::join(const std::vector<std::string>& texts) {
    // A separator no display text holds: "a|b" + "c" and "a" + "b|c" stay two keys.
    std::string key;
    for (const std::string& t : texts) {
        key += t;
        key += '\x1f';
    }
    return key;
}

void KeyIndex::build(store::Table& t) {
    records_.clear();
    unordered_.clear();
    std::vector<int> fields = fields_;
    fields.push_back(0);  // the counter N
    const int count = t.recordCount();
    records_.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> texts = t.rowTexts(row, fields);
        const long long counter = std::stoll(texts.back());
        texts.pop_back();
        records_[join(texts)].push_back(counter);
    }
}

std::string KeyIndex::keyOf(const store::Table& t) const {
    std::vector<std::string> texts;
    for (int f : fields_) texts.push_back(t.textAt(f));
    return join(texts);
}

std::string KeyIndex::keyOfRow(store::Table& t, int row) const { return join(t.rowTexts(row, fields_)); }

const std::vector<long long>* KeyIndex::find(const std::string& key) const {
    const auto it = records_.find(key);
    return it == records_.end() || it->second.empty() ? nullptr : &it->second;
}

void KeyIndex::add(const std::string& key, long long counter) { records_[key].push_back(counter); }

void KeyIndex::remove(const std::string& key, long long counter) {
    const auto it = records_.find(key);
    if (it == records_.end()) return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), counter), v.end());
}

std::optional<long long> KeyIndex::scan(store::Table& t, const std::string& key) const {
    for (t.first(); !t.eof(); t.next())
        if (keyOf(t) == key) return t.asInteger("N");
    return std::nullopt;
}

}  // namespace zelt::transfer
