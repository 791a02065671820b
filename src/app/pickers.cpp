#include "app/pickers.h"

#include "app/main_window.h"
#include "reports/universal.h"

namespace zelt::app {
namespace {

struct PickerDef {
    const char* form;
    reports::Universal report;
    int listHeight;  // pixels; both lists are 250 wide
};

const PickerDef kPickers[] = {{"TForm2", reports::Universal::Minors, 273},
                              {"TForm3", reports::Universal::Families, 377}};

std::string listName(const std::string& form) { return form + ".CheckListBox1"; }
std::string buttonName(const std::string& form) { return form + ".BitBtn1"; }

}  // namespace

void addPickerControls(FormModel& model, const std::string& form) {
    for (const PickerDef& p : kPickers) {
        if (form != p.form) continue;
        Control& list = model.add(listName(form), ControlKind::CheckListBox, form);
        list.items = reports::universalChoices(p.report);
        list.checked.assign(list.items.size(), false);
        list.listColumns = 2;
        list.width = 250;
        list.height = p.listHeight;
        model.add(buttonName(form), ControlKind::Button, form, "Жми");
    }
}

Picker::Picker(MainWindow& w, std::string form) : w_(w), form_(std::move(form)) {
    // "Жми" and the close box both close the window; there is no cancel.
    w_.model().on(buttonName(form_), "Click", [this](const EventArgs&) { close(); });
    w_.model().on(form_, "Close", [this](const EventArgs&) { close(); });
}

void Picker::open(std::function<void(const std::vector<bool>&)> closed) {
    closed_ = std::move(closed);
    showing_ = true;
    try {
        w_.showWindow(form_);
    } catch (...) {
        showing_ = false;
        throw;
    }
    showing_ = false;
    if (!w_.model().get(form_).visible) close();
}

void Picker::close() {
    w_.model().setVisible(form_, false);
    // Closed inside the modal run: open() takes the ticks once the run is over.
    if (showing_ || !closed_) return;
    auto closed = std::move(closed_);
    closed_ = nullptr;
    closed(w_.model().get(listName(form_)).checked);
}

}  // namespace zelt::app
