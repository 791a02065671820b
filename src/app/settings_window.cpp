#include "app/settings_window.h"

#include "base/error.h"
#include "editing/list_file.h"
#include "store/tree.h"

namespace zelt::app {

namespace {

const char* const kItems[] = {"5", "6", "7"};

// The item a settings line selects, or -1.
int itemOf(const std::string& line) {
    for (int i = 0; i < 3; ++i)
        if (line == kItems[i]) return i;
    return -1;
}

// Closes the window on the way out, also when a step fails: the button's OK result is set
// before its handler runs.
class CloseOnExit {
public:
    CloseOnExit(FormModel& model, const char* form) : model_(model), form_(form) {}
    ~CloseOnExit() {
        try {
            model_.setVisible(form_, false);
        } catch (...) {
        }
    }

private:
    FormModel& model_;
    const char* form_;
};

}  // namespace

SettingsWindow::SettingsWindow(FormModel& model, MainWindow& main, UiServices& ui)
    : model_(model), main_(main), ui_(ui) {
    Control& form = model_.get(kForm);
    form.width = 243;
    form.height = 108;
    model_.changed(form);

    model_.add(kRadioGroup, ControlKind::RadioGroup, kForm, "Номеров в телефоне")
        .items.assign(std::begin(kItems), std::end(kItems));

    // Enter saves; Escape closes the window without saving.
    model_.add(kSaveButton, ControlKind::Button, kForm, "Сохранить").isDefault = true;

    // The view and the script driver pick an item by its index.
    model_.on(kRadioGroup, "Click", [this](const EventArgs& args) {
        int index = -2;
        try {
            size_t used = 0;
            index = std::stoi(args.text, &used);
            if (used != args.text.size()) index = -2;
        } catch (const std::exception&) {
        }
        if (index < -1 || index > 2) throw EngineError("нет пункта " + args.text + " в " + kRadioGroup);
        select(index);
    });
    model_.on(kSaveButton, "Click", [this](const EventArgs&) { button1Click(); });
}

std::filesystem::path SettingsWindow::settingsFile() const {
    return store::resolvePath(main_.session().dataDir(), kSettingsFile);
}

int SettingsWindow::selectedItem() const { return model_.get(kRadioGroup).itemIndex; }

void SettingsWindow::select(int index) {
    Control& group = model_.get(kRadioGroup);
    group.itemIndex = index;
    model_.changed(group);
}

void SettingsWindow::formCreate() { select(itemOf(editing::firstLine(settingsFile()))); }

void SettingsWindow::button1Click() {
    CloseOnExit close(model_, kForm);
    const std::filesystem::path file = settingsFile();
    const int item = selectedItem();
    std::vector<std::string> lines;
    if (item >= 0 && item <= 2) lines.push_back(kItems[item]);
    try {
        editing::writeListFile(file, lines);
    } catch (const EngineError&) {
        return;  // a settings file that cannot be written only closes the window
    }
    // The tables reopen with the new limits when the user chooses a register again.
    for (store::TableId id : store::tableRange(store::TableId::ZELT, store::TableId::ArxivPR)) main_.table(id).close();
    for (store::TableId id : store::tableRange(store::TableId::Prochie, store::TableId::ArxivPKOP)) main_.table(id).close();
    const int stored = itemOf(editing::firstLine(file));
    if (stored >= 0) main_.setPhoneDigits(5 + stored);
}

}  // namespace zelt::app
