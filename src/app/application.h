// The program: creates its seven windows in order (the main window's creation runs the start-up
// steps), dispatches every user event to its handler, and ends when the main window closes.
#pragma once

#include "app/clock.h"
#include "app/main_window.h"
#include "app/ui_services.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelt::app {

// A window of the program as the model keeps it.
struct FormModel {
    std::string name;
    std::string caption;
    bool visible = false;
};

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
    const std::vector<FormModel>& forms() const { return forms_; }
    const FormModel* form(const std::string& name) const;

    // Runs a handler as the event dispatcher does: an engine error shows the standard error box and
    // ends the handler (steps already done stay done); a refusal ends it silently. False if it failed.
    bool dispatch(const std::function<void()>& handler);

private:
    std::filesystem::path dataDir_;
    UiServices& ui_;
    Clock& clock_;
    std::unique_ptr<MainWindow> main_;
    std::vector<FormModel> forms_;
    bool running_ = false;
};

}  // namespace zelt::app
