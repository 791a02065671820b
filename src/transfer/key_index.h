// Finding records of a table by the display texts of some of its fields: the first record in the
// table's order whose texts equal a key, without a scan of the table per lookup.
#pragma once

#include "store/table.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelt::transfer {

class KeyIndex {
public:
    // The field indexes (0-based) whose display texts make the key.
    explicit KeyIndex(std::vector<int> keyFields) : fields_(std::move(keyFields)) {}

    // Reads the key of every record `t` shows (range and filter applied), in its order, without
    // moving its cursor or firing its hooks.
    void build(store::Table& t);
    // The key of the current record of `t` (a table of the same layout).
    std::string keyOf(const store::Table& t) const;
    // The key of row `row` of the records `t` shows, read without moving the cursor.
    std::string keyOfRow(store::Table& t, int row) const;

    // Counters of the records with this key, in table order; null when none.
    const std::vector<long long>* find(const std::string& key) const;
    // A record with this key now shows after all the others with it.
    void add(const std::string& key, long long counter);
    // A record with this key no longer shows.
    void remove(const std::string& key, long long counter);
    // The order among the records with this key may have changed (a posted record moved in a
    // sorted table): lookups of it must ask the table.
    void markUnordered(const std::string& key) { unordered_[key] = true; }
    bool unordered(const std::string& key) const { return unordered_.count(key) != 0; }

    // The first record `t` shows from its first one whose key equals `key`, by walking it: the
    // plain search, for keys whose order is not known. Leaves the cursor on it (or at the end).
    std::optional<long long> scan(store::Table& t, const std::string& key) const;

    // The key made of these display texts.
    static std::string join(const std::vector<std::string>& texts);

private:

    std::vector<int> fields_;
    std::unordered_map<std::string, std::vector<long long>> records_;
    std::unordered_map<std::string, bool> unordered_;
};

}  // namespace zelt::transfer
