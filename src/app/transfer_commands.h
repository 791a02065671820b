// The maintenance commands of the "Админ" menu: "Перенести данные" (N124), which merges the
// transfer copy into this installation, and "Проверка" (N153), which deletes stale live records.
#pragma once

namespace zelt::app {

class MainWindow;

void installTransferCommands(MainWindow& w);

}  // namespace zelt::app
