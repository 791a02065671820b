// The archive commands of the main window: the "В архив", "Архив мать" and "Архив отец" buttons of
// the cards, and "Перенести из архива" and "Удалить" on the archive grids' menus.
#pragma once

namespace zelt::app {

class MainWindow;

void installArchiveCommands(MainWindow& w);

}  // namespace zelt::app
