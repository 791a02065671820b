#include "app/progress_window.h"

#include "app/main_window.h"

#include <algorithm>

namespace zelt::app {

ProgressWindow::ProgressWindow(MainWindow& w, const std::string& caption) : w_(w) {
    FormModel& m = w_.model();
    m.setCaption("TForm7", caption);
    Control& bar = m.get("ProgressBar1");
    bar.itemIndex = 0;
    m.changed(bar);
    m.setVisible("TForm7", true);
    w_.ui().showWindow("TForm7", false);
}

ProgressWindow::~ProgressWindow() { w_.model().setVisible("TForm7", false); }

void ProgressWindow::setMaximum(int maximum) {
    Control& bar = w_.model().get("ProgressBar1");
    bar.width = maximum;
    bar.itemIndex = 0;
    shownAt_ = 0;
    w_.model().changed(bar);
}

void ProgressWindow::step() {
    Control& bar = w_.model().get("ProgressBar1");
    ++bar.itemIndex;
    // The position is always exact; the view is told about it every half percent, since painting
    // the bar costs more than merging a record.
    const int every = std::max(1, bar.width / 200);
    if (bar.itemIndex - shownAt_ >= every || bar.itemIndex >= bar.width) {
        shownAt_ = bar.itemIndex;
        w_.model().changed(bar);
    }
}

}  // namespace zelt::app
