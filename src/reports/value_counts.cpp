#include "reports/value_counts.h"

#include <map>

namespace zelt::reports {
namespace {

// Byte offset of the end of the first `chars` characters of UTF-8 text (the whole text when it
// has fewer).
size_t prefixBytes(std::string_view text, size_t chars) {
    size_t pos = 0;
    for (size_t n = 0; n < chars && pos < text.size(); ++n) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return pos;
}

size_t charCount(std::string_view text) {
    size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::vector<std::string_view> memoLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string_view trimmedBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

ValueCounts::ValueCounts(std::vector<std::string> values) : values_(std::move(values)), counts_(values_.size(), 0) {
    for (size_t i = 0; i < values_.size(); ++i) byValue_[values_[i]].push_back(static_cast<int>(i));
}

void ValueCounts::addEqual(std::string_view text, long long records) {
    const auto it = byValue_.find(std::string(text));
    if (it == byValue_.end()) return;
    for (int i : it->second) counts_[static_cast<size_t>(i)] += records;
}

void ValueCounts::countField(std::string_view text, long long records) {
    if (!text.empty()) addEqual(text, records);
}

void ValueCounts::countLines(std::string_view memo, long long records) {
    for (std::string_view line : memoLines(memo)) addEqual(line, records);
}

void ValueCounts::buildPrefixIndex() {
    std::map<size_t, Length> byLength;
    for (size_t i = 0; i < values_.size(); ++i) {
        const size_t n = charCount(values_[i]);
        Length& l = byLength[n];
        l.chars = n;
        const std::string trimmed(trimmedBlanks(values_[i]));
        l.byTrimmed[trimmed].push_back(static_cast<int>(i));
        byTrimmedAll_[trimmed].emplace_back(n, static_cast<int>(i));
    }
    for (auto& [n, l] : byLength) lengths_.push_back(std::move(l));
    prefixIndexed_ = true;
}

void ValueCounts::countPrefix(std::string_view text, long long records) {
    if (text.empty() || values_.empty()) return;
    if (!prefixIndexed_) buildPrefixIndex();
    const size_t textChars = charCount(text);
    for (const Length& l : lengths_) {
        if (l.chars >= textChars) break;
        const auto it = l.byTrimmed.find(std::string(trimmedBlanks(text.substr(0, prefixBytes(text, l.chars)))));
        if (it == l.byTrimmed.end()) continue;
        for (int i : it->second) counts_[static_cast<size_t>(i)] += records;
    }
    // Values at least as long as the text all compare with the whole text.
    const auto it = byTrimmedAll_.find(std::string(trimmedBlanks(text)));
    if (it == byTrimmedAll_.end()) return;
    for (const auto& [chars, i] : it->second)
        if (chars >= textChars) counts_[static_cast<size_t>(i)] += records;
}

}  // namespace zelt::reports
