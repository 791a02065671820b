// The report commands of the "Отчёты" menu: each types a new document, writes it to the user's
// temporary folder and asks the desktop to open it in the word processor.
#pragma once

namespace zelt::app {

class MainWindow;

void installReportCommands(MainWindow& w);

}  // namespace zelt::app
