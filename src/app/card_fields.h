// The edit cards as data: one row per card field naming everything that belongs to it (its control,
// caption label, list file, phrase menu, capitalisation), in the groups and order the cards show.
#pragma once

#include <string_view>
#include <vector>

namespace zelt::app {

// What a card field is entered in.
enum class Entry { Edit, ComboBox, Memo };

// How the caption label of a field with a list file opens that file in the text editor.
enum class LabelClick { Double, Single, None };

// A context menu of phrases read from a list file; a phrase chosen is added to a memo as a new last
// line, or replaces the text of an edit.
struct PhraseMenu {
    const char* menu = nullptr;  // nullptr: the field has none
    const char* file = nullptr;
};

struct CardField {
    const char* field;
    Entry entry;
    const char* control;
    const char* label;              // the caption label, added directly before the control
    const char* caption;            // nullptr: the field's title in its layout
    const char* list;               // list file: the combo box's items, opened from the label; nullptr: none
    bool capitalise;                // leaving the control capitalises its first letter and posts
    PhraseMenu phrases = {};
    LabelClick click = LabelClick::Double;
    std::vector<const char*> items = {};  // a combo box's fixed list, read from no file
    bool keepsFileOrder = false;          // on a card that sorts its lists, this one keeps its file's order
};

struct CardButton {
    const char* name;
    const char* caption;
};

// One group of an edit card, showing fields of the current record of table object `source`.
struct CardGroup {
    const char* name;
    const char* caption;    // nullptr: a plain panel (the top rows)
    int source;
    const char* navigator;  // the navigator bar of `source` in this group; nullptr: none
    std::vector<CardField> fields;
    const char* noteBox = nullptr;  // the operational-information box of `source`
    std::vector<CardButton> buttons = {};
    bool nested = false;  // lies inside the last group before it that is not nested itself
    // A double click on the group copies the fields of that group of the same card into its own,
    // in order (an address copied from the registration or from the other parent).
    const char* copiesFrom = nullptr;
};

struct CardTab {
    const char* sheet;  // the work-area tab the card lies on
    std::vector<CardGroup> groups;
    bool sortsLists = false;  // its combo boxes hold the lists read from files sorted alphabetically
};

// The four cards: minors, parents, others, institutions.
const std::vector<CardTab>& cardTabs();

}  // namespace zelt::app
