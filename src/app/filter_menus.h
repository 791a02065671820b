// The field filter menus of the minors' and parents' grids as data: each item's name, caption and
// dialog, the grid that carries the menu and the table it filters, and the filter term it builds.
#pragma once

#include "filter/filter_terms.h"

#include <string>
#include <vector>

namespace zelt::app {

// What choosing an entry does to the table of its grid.
enum class FilterItemKind {
    Separator,   // a separator line
    Clear,       // no filter text, filtering off
    Registered,  // appends DKDN<>Null
    Field,       // asks for a value and appends one comparison on the field
    Year,        // asks for a year and appends the two bounds on DCcU
    None,        // an item that does nothing
    Delete,      // deletes the archived record (handled by the archive commands)
    Restore,     // moves the archived record back (handled by the archive commands)
};

struct FilterItem {
    const char* name;     // the menu item's component name, or "PopupMenuN.SepK" for a separator
    FilterItemKind kind;
    const char* caption;  // "" for a separator
    const char* field = "";
    filter::ValueForm form = filter::ValueForm::Text;
    const char* dialogCaption = nullptr;  // nullptr: the caption
    const char* prompt = nullptr;         // nullptr: kFieldPrompt
    bool emptyPrefill = false;            // the dialog opens empty instead of showing the card's value
};

struct FilterMenu {
    const char* menu;  // PopupMenuN
    const char* grid;  // DBGridN that carries it
    int table;         // TableN it filters
    std::vector<FilterItem> entries;  // in menu order
};

inline constexpr const char* kFieldPrompt = "Введите данные для фильтра";
inline constexpr const char* kYearCaption = "Период";
inline constexpr const char* kYearPrompt = "Введите год для фильтрации снятых с учёта";

// The four menus: live minors, live parents, archived minors, archived parents.
const std::vector<FilterMenu>& filterMenus();

// The caption and prompt of a field item's input dialog.
std::string dialogCaptionOf(const FilterItem& e);
std::string promptOf(const FilterItem& e);

}  // namespace zelt::app
