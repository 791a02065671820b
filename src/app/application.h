// The program: creates its seven windows in order (the main window's creation runs the start-up
// steps), dispatches every user event to its handler, and ends when the main window closes.
#pragma once

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/clock.h"
#include "app/form/form_model.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "app/ui_services.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelt::app {

class Application {
public:
    Application(std::filesystem::path dataDir, UiServices& ui, Clock& clock);
    ~Application();

    // Creates the seven windows in order and makes the main window active.
    void start();
    // Closes the main window: the tables are closed and the program ends.
    void stop();
    bool running() const { return running_; }

    MainWindow& mainWindow() { return *main_; }
    // Every control of the seven windows; the windows themselves are its Form controls.
    FormModel& model() { return model_; }
    const Control* form(const std::string& name) const;
    // The names of the windows, in the order they were created.
    const std::vector<std::string>& forms() const { return forms_; }

    // Runs a handler as the event dispatcher does: an engine error, or any other exception the
    // handler lets through, shows the standard error box and ends the handler (steps already done
    // stay done); a refusal ends it silently. False if it failed.
    bool dispatch(const std::function<void()>& handler);

private:
    std::filesystem::path dataDir_;
    UiServices& ui_;
    Clock& clock_;
    FormModel model_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<SettingsWindow> settings_;
    std::unique_ptr<AdminWindow> admin_;
    std::vector<std::string> forms_;
    bool running_ = false;
};

}  // namespace zelt::app
