// What the grids and navigator bars of the main window do: row selection and typing through the
// engine, sorting by a title click, the institutions' case count, and the ten navigator buttons.
#pragma once

namespace zelt::app {

class MainWindow;

// Registers the handlers of every Grid and Navigator control of the model.
void registerGridHandlers(MainWindow& w);

}  // namespace zelt::app
