// The column pickers of the universal reports (TForm2 for the minors, TForm3 for the families):
// a tick list of the report's choices and the button "Жми"; the ticks stay for the whole run.
#pragma once

#include "app/form/form_model.h"

#include <functional>
#include <string>
#include <vector>

namespace zelt::app {

class MainWindow;

// Adds the picker's controls to its window when the window is created (TForm2 or TForm3).
void addPickerControls(FormModel& model, const std::string& form);

// Shows a picker modally; `closed` runs with its ticks once it is closed, by "Жми" or by the close
// box alike. On the desktop that is before open() returns; a script goes on while the window is
// shown, and the ticks are taken when the script closes it.
class Picker {
public:
    Picker(MainWindow& w, std::string form);
    void open(std::function<void(const std::vector<bool>&)> closed);

private:
    void close();
    MainWindow& w_;
    std::string form_;
    bool showing_ = false;  // inside the modal run of the window
    std::function<void(const std::vector<bool>&)> closed_;
};

}  // namespace zelt::app
