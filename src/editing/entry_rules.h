// The rules of entering a record on the cards: which controls capitalise their first letter on
// leaving, the address blocks a group-box double click copies, and the phrase menus of the memos.
#pragma once

#include <string>
#include <vector>

namespace zelt::editing {

// The fields whose card edits and combo boxes capitalise and post on leaving, by layout.
struct Normalised {
    const char* table;
    std::vector<const char*> edits;
    std::vector<const char*> comboBoxes;
};
const std::vector<Normalised>& normalisedFields();

// A group box whose double click copies five address fields into five others of the same record.
struct AddressCopy {
    const char* groupBox;
    const char* table;
    const char* from[5];
    const char* into[5];
};
const std::vector<AddressCopy>& addressCopies();

// A context menu of phrases for a memo (or the one edit, DBEdit37) and the file it reads.
struct PhraseMenu {
    const char* menu;
    const char* control;
    const char* file;
};
const std::vector<PhraseMenu>& phraseMenus();
// The edit that takes a phrase in place of its text, cut to this many characters.
extern const char* const kPhraseEdit;
inline constexpr int kPhraseEditLength = 40;

// The capitalisation rule: the first character upper-cased by the Russian rules, the rest as is.
std::string capitalised(const std::string& text);

// A memo's text with `phrase` added as a new last line.
std::string withPhraseAdded(const std::string& memoText, const std::string& phrase);

}  // namespace zelt::editing
