// The rules of entering a record on the cards: the capitalisation of a text left, and a phrase
// added to a memo.
#pragma once

#include <string>

namespace zelt::editing {

// A phrase chosen for an edit replaces its text, cut to this many characters.
inline constexpr int kPhraseEditLength = 40;

// The capitalisation rule: the first character upper-cased by the Russian rules, the rest as is.
std::string capitalised(const std::string& text);

// A memo's text with `phrase` added as a new last line.
std::string withPhraseAdded(const std::string& memoText, const std::string& phrase);

}  // namespace zelt::editing
