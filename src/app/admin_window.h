// The Administrator window (TForm6): the buttons that empty whole groups of tables, and the four
// grids on the transfer masters that show another installation's tables before a transfer.
#pragma once

#include "app/form/form_model.h"
#include "app/main_window.h"

#include <string>
#include <vector>

namespace zelt::app {

// One clear button: its name and caption, and the table objects it empties, in that order.
struct ClearButton {
    const char* name;
    const char* caption;
    int firstTable;
    int lastTable;
};
// Top to bottom as the window shows them.
const std::vector<ClearButton>& clearButtons();
// The table objects of a button, in order.
std::vector<int> tablesOf(const ClearButton& button);

class AdminWindow {
public:
    static constexpr const char* kForm = "TForm6";
    static constexpr const char* kButtonColumn = "TForm6.Panel1";
    static constexpr const char* kOpenButton = "TForm6.BitBtn1";
    static constexpr int kButtonWidth = 250;
    // The transfer masters the grids show, DBGrid1 to DBGrid4.
    static constexpr store::TableId kGridSources[4] = {store::TableId::PerenosZELT, store::TableId::PerenosArxivZELT, store::TableId::PerenosBDS, store::TableId::PerenosArxivBDS};

    // Adds the window's controls under the Form control TForm6, which must already be in `model`,
    // and registers their handlers.
    AdminWindow(FormModel& model, MainWindow& main);

    // A clear button: writes the safety copy of its group (named by the button's caption), closes
    // the group's tables, empties them all or nothing and opens them again. No question, no message.
    // A table that cannot be used is found before anything is emptied: its engine error ends the
    // command, and the group's tables stay closed.
    void clear(const ClearButton& button);
    // "Включить таблицы": opens the four transfer masters.
    void openTransferMasters();
    // The window's destruction at shutdown: closes the four transfer masters.
    void formDestroy();

    static std::string gridName(int i) { return "TForm6.DBGrid" + std::to_string(i); }

private:
    FormModel& model_;
    MainWindow& main_;
};

}  // namespace zelt::app
