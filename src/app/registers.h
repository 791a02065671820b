// Choosing a register (the "Админ" commands N49, N50, N152, N154): tables closed and opened,
// tabs shown, caption, report items, and the register's statistics in the status bar; the recount
// when the user changes tabs; the editing switch N123.
#pragma once

#include "app/work_tabs.h"

#include <string>

namespace zelt::app {

class MainWindow;

// Runs the register command's six steps. A table that cannot be opened ends it with the engine's error.
void chooseRegister(MainWindow& w, Register r);

// The statistics of each register, written into the status panels.
void minorsStatistics(MainWindow& w);
void parentsStatistics(MainWindow& w);
void othersStatistics(MainWindow& w);
void institutionsStatistics(MainWindow& w);

// The user selected tab `tabSheet` of the work area.
void workAreaTabChanged(MainWindow& w, const std::string& tabSheet);

// N123: allows or forbids typing in the grids of the minors' and parents' registers.
void toggleGridEditing(MainWindow& w);

// Sets status panel `index` (0..6); with `fitWidth` its width becomes 8 pixels per character.
void setPanel(MainWindow& w, int index, const std::string& text, bool fitWidth);

}  // namespace zelt::app
