// The Settings window (TForm5): chooses how many digits a home telephone number has and keeps the
// choice in the settings file setup.vrk.
#pragma once

#include "app/form/form_model.h"
#include "app/main_window.h"
#include "app/ui_services.h"

#include <filesystem>

namespace zelt::app {

class SettingsWindow {
public:
    static constexpr const char* kForm = "TForm5";
    static constexpr const char* kRadioGroup = "RadioGroup1";
    static constexpr const char* kSaveButton = "TForm5.Button1";  // Button1..8 are the administrator window's
    static constexpr const char* kSettingsFile = "setup.vrk";

    // Adds the window's controls under the Form control TForm5, which must already be in `model`,
    // and registers their handlers. Reads nothing yet.
    SettingsWindow(FormModel& model, MainWindow& main, UiServices& ui);

    // The window's creation: creates setup.vrk empty when missing and selects the radio item its
    // first line names ("5", "6", "7"; anything else selects none). An unreadable file is an
    // EngineError. The digit count is not applied here.
    void formCreate();

    // "Сохранить": writes the selected count (or nothing) as setup.vrk's one line, closes the live
    // and archive tables of minors, parents and others, applies the count read back from the file,
    // and closes the window. When the file cannot be written only the closing remains; an
    // unreadable file after writing is an EngineError, and the window closes all the same.
    void button1Click();

    // The selected item: 0, 1, 2, or -1 for none.
    int selectedItem() const;

private:
    std::filesystem::path settingsFile() const;
    void select(int index);

    FormModel& model_;
    MainWindow& main_;
    UiServices& ui_;
};

}  // namespace zelt::app
