// The field filter context menus of the live and archived minors' and parents' grids: their items
// in the form model and the commands that narrow the grid's table.
#pragma once

namespace zelt::app {

class MainWindow;

// Adds PopupMenu1, PopupMenu6, PopupMenu2 and PopupMenu7 with their items to the main window's model
// and registers the Click handlers of the filter items. The archive menus' "Удалить" and
// "Перенести из архива" items are added without a handler: the archive commands register those.
void installFilterMenus(MainWindow& w);

}  // namespace zelt::app
