// The progress window TForm7: shown without blocking the main window while the transfer or the
// check runs, its bar moved one step per record, closed when the command ends in any way.
#pragma once

#include "transfer/progress.h"

#include <string>

namespace zelt::app {

class MainWindow;

class ProgressWindow : public transfer::Progress {
public:
    // Shows TForm7 with `caption` and the bar at 0.
    ProgressWindow(MainWindow& w, const std::string& caption);
    // Closes it, also when the command ends with an error.
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void setMaximum(int maximum) override;
    void step() override;

private:
    MainWindow& w_;
    int shownAt_ = 0;  // the position the view last showed
};

}  // namespace zelt::app
