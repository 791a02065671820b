// The controls of the main window (menus, the twelve tabs of the work area with their grids and
// edit cards, the status bar), built into the headless form model from tables of the window's design.
#pragma once

#include "app/form/form_model.h"
#include "store/layout.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::app {

// Adds every control whose window is TForm1; the form control TForm1 must already be in `model`.
// Each caption label is added directly before the data-aware control it captions. Data-aware
// controls carry the number of their table object as data source; the operational-information
// boxes carry the number of the master table whose note file they show.
void buildMainWindowControls(FormModel& model);

// The columns a grid of that name shows for a table of that layout: its grid fields in record
// order with their titles and widths.
std::vector<GridColumn> gridColumnsOf(const std::string& grid, const store::Layout& layout);

// The caption a card or grid tab shows beside field `field` of layout `layout` (ZELT, PNU, ...),
// or "" for a field shown under no caption of its own.
std::string fieldCaption(std::string_view layout, std::string_view field);

// The operational-information boxes of each master table object, the card's before the grid tab's.
std::map<int, std::vector<std::string>> noteBoxes();
// The grids and read-only memo boxes of the grid tabs the editing switch opens and closes.
std::vector<std::string> editingSwitchControls(const FormModel& model);
// The table object whose records the grid tab `sheet` lists in its master grid; 0 for another tab.
int gridTabMaster(std::string_view sheet);
// The box of the grid tab whose master is table object `master`; "" when none.
std::string gridTabNoteBox(int master);

}  // namespace zelt::app
