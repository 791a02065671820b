// What the edit cards' rows give the rest of the program: the control that edits a field, a
// field's row, every field with its group, the pick lists and the list files the cards read.
#pragma once

#include "app/card_fields.h"
#include "editing/pick_lists.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::app {

// Calls `f` for every field row of every card, in card order, with the group it lies in.
void forEachCardField(const std::function<void(const CardGroup&, const CardField&)>& f);

// The name of the card control bound to `field` of table object `table`; "" when no card shows it.
std::string cardControl(int table, std::string_view field);

// The row of the first card field showing `field` of a table of layout `layout` (ZELT, PNU, ...),
// or nullptr when no card shows it.
const CardField* cardFieldOf(std::string_view layout, std::string_view field);

// The group of that name on any card, or nullptr.
const CardGroup* cardGroup(std::string_view name);

// What each step of the pick-list load order fills: the combo boxes whose list is its file, in card
// order. A list file outside the load order is read after it, in card order.
std::vector<editing::PickListRow> pickListRows();

// Whether the combo box holds the list read from its file sorted alphabetically (collatesBefore)
// rather than in the file's order.
bool holdsListSorted(std::string_view comboBox);

// Every list file a card reads (combo box lists, label lists, phrase menus), each once.
std::vector<std::string> cardListFiles();

}  // namespace zelt::app
