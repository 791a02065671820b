// The field filter menus of the minors' and parents' grids as data, and the filter texts their items build.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelt::filter {

// What choosing an entry does to the table of its grid.
enum class ItemKind {
    Separator,   // a separator line
    Clear,       // no filter text, filtering off
    Registered,  // appends DKDN<>Null
    Field,       // asks for a value and appends one comparison on the field
    Year,        // asks for a year and appends the two bounds on DCcU
    None,        // an item that does nothing
    Delete,      // deletes the archived record (handled by the archive commands)
    Restore,     // moves the archived record back (handled by the archive commands)
};

// How a field item writes the typed value.
enum class ValueForm {
    Text,    // X='v', also for an empty v
    Date,    // X='v'; X=Null for an empty v
    Number,  // X=v;   X=Null for an empty v
};

struct MenuEntry {
    const char* name;     // the menu item's component name, or "PopupMenuN.SepK" for a separator
    ItemKind kind;
    const char* caption;  // "" for a separator
    const char* field = "";
    ValueForm form = ValueForm::Text;
    const char* dialogCaption = nullptr;  // nullptr: the caption
    const char* prompt = nullptr;         // nullptr: kFieldPrompt
    bool emptyPrefill = false;            // the dialog opens empty instead of showing the card's value
};

struct FilterMenu {
    const char* menu;  // PopupMenuN
    const char* grid;  // DBGridN that carries it
    int table;         // TableN it filters
    std::vector<MenuEntry> entries;  // in menu order
};

inline constexpr const char* kFieldPrompt = "Введите данные для фильтра";
inline constexpr const char* kYearCaption = "Период";
inline constexpr const char* kYearPrompt = "Введите год для фильтрации снятых с учёта";
inline constexpr const char* kYearField = "DCcU";
inline constexpr const char* kRegisteredComparison = "DKDN<>Null";

// The four menus: live minors, live parents, archived minors, archived parents.
const std::vector<FilterMenu>& filterMenus();

// The caption and prompt of a field item's input dialog.
std::string dialogCaptionOf(const MenuEntry& e);
std::string promptOf(const MenuEntry& e);

// The comparison of `field` with the typed `value` in the item's form; the value goes in verbatim.
std::string comparison(std::string_view field, ValueForm form, std::string_view value);
// The filter text with one more term: "(c)" when `current` is empty, else current + "and(c)".
std::string appendTerm(std::string_view current, std::string_view comparison);
// The filter text with the year's bounds on DCcU appended as two terms, 01.01.y and 31.12.y.
std::string appendYearBounds(std::string_view current, std::string_view year);

}  // namespace zelt::filter
