// Frequency counting of the statistical reports: how often each value of a list occurs in the
// registers, by the field, line and prefix rules, with hashed lookups instead of comparing every
// value with every list entry.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelt::reports {

// The lines of a stored memo text: CR LF, a lone CR and a lone LF each end a line; a last line
// without an end still counts, a text ending in a line end has no empty line after it, and an
// empty text has no lines (as the memo box shows them).
std::vector<std::string_view> memoLines(std::string_view text);

// The text without its leading and trailing blanks and control characters (code below 33).
std::string_view trimmedBlanks(std::string_view text);

// One counter per value of a list, in list order. Comparisons are exact and case-sensitive; a
// value that stands twice in the list has two counters, and both count every occurrence.
class ValueCounts {
public:
    ValueCounts() = default;
    explicit ValueCounts(std::vector<std::string> values);

    const std::vector<std::string>& values() const { return values_; }
    const std::vector<long long>& counts() const { return counts_; }

    // Field rule: a non-empty text adds 1 to every value equal to it. In each rule `records`
    // records holding the same text add `records`.
    void countField(std::string_view text, long long records = 1);
    // Line rule: every line of the memo text adds 1 to every value equal to it.
    void countLines(std::string_view memo, long long records = 1);
    // Prefix rule: for each value v of n characters, a non-empty text whose first n characters
    // (the whole text when shorter), trimmed, equal v trimmed adds 1 to v.
    void countPrefix(std::string_view text, long long records = 1);

private:
    void addEqual(std::string_view text, long long records = 1);
    void buildPrefixIndex();

    std::vector<std::string> values_;
    std::vector<long long> counts_;
    std::unordered_map<std::string, std::vector<int>> byValue_;
    // The prefix rule: per distinct length in characters, the values of that length by their
    // trimmed text, lengths ascending; and every value by its trimmed text with its length, for
    // the values at least as long as the text, which all take the whole text.
    struct Length {
        size_t chars;
        std::unordered_map<std::string, std::vector<int>> byTrimmed;
    };
    std::vector<Length> lengths_;
    std::unordered_map<std::string, std::vector<std::pair<size_t, int>>> byTrimmedAll_;
    bool prefixIndexed_ = false;
};

}  // namespace zelt::reports
