#include "editing/entry_rules.h"

#include "base/text.h"

namespace zelt::editing {

std::string capitalised(const std::string& text) { return capitalizeFirst(text); }

std::string withPhraseAdded(const std::string& memoText, const std::string& phrase) {
    if (memoText.empty()) return phrase;
    const bool endsWithLine = memoText.size() >= 1 && memoText.back() == '\n';
    return memoText + (endsWithLine ? "" : "\r\n") + phrase;
}

}  // namespace zelt::editing
