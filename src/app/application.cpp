#include "app/application.h"

#include "app/pickers.h"
#include "app/store_messages.h"
#include "base/error.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace zelt::app {

namespace {

struct FormDef {
    const char* name;
    const char* caption;
};

const FormDef kForms[] = {
    {"TForm1", "Банк данных"},
    {"TForm2", "Выберите нужные значения"},
    {"TForm3", "Выберите нужные значения"},
    {"TForm4", "О программе"},
    {"TForm5", "Настройки"},
    {"TForm6", "Администратор"},
    {"TForm7", "Процесс"},
};

}  // namespace

Application::Application(std::filesystem::path dataDir, UiServices& ui, Clock& clock)
    : dataDir_(std::move(dataDir)), ui_(ui), clock_(clock) {}

Application::~Application() {
    if (running_) stop();
}

void Application::start() {
    if (running_) return;
    running_ = true;
    model_ = FormModel();
    forms_.clear();
    for (const FormDef& f : kForms) {
        if (forms_.empty()) {
            // The main window builds its own controls; its creation runs the start-up steps.
            main_ = std::make_unique<MainWindow>(dataDir_, ui_, clock_, model_);
            main_->formCreate();
        } else {
            model_.add(f.name, ControlKind::Form, "", f.caption).visible = false;
            // Creating the About window reads the region file, the Settings window the settings file.
            if (std::string(f.name) == "TForm4") {
                about_ = std::make_unique<AboutWindow>(model_, ui_, dataDir_);
                about_->formCreate();
            } else if (std::string(f.name) == "TForm6") {
                admin_ = std::make_unique<AdminWindow>(model_, *main_);
            } else if (std::string(f.name) == "TForm7") {
                // The progress window: one smooth bar that the transfer and the check move.
                Control& bar = model_.add("ProgressBar1", ControlKind::ProgressBar, "TForm7");
                bar.itemIndex = 0;
                bar.width = 100;
            } else if (std::string(f.name) == "TForm2" || std::string(f.name) == "TForm3") {
                addPickerControls(model_, f.name);
            } else if (std::string(f.name) == "TForm5") {
                settings_ = std::make_unique<SettingsWindow>(model_, *main_, ui_);
                dispatch([this] { settings_->formCreate(); });
            }
        }
        forms_.push_back(f.name);
    }
    model_.setVisible("TForm1", true);
    main_->formActivate();
    dispatch([] {});  // the controls show the records the start-up left current
}

void Application::stop() {
    if (!running_) return;
    // The windows go before the main window that owns the tables they show.
    if (admin_) {
        try {
            admin_->formDestroy();
        } catch (const EngineError& e) {
            ui_.error(e.what());
        }
    }
    admin_.reset();
    main_->formDestroy();
    settings_.reset();
    about_.reset();
    main_.reset();
    model_ = FormModel();
    running_ = false;
}

const Control* Application::form(const std::string& name) const {
    const Control* c = model_.find(name);
    return c && c->kind == ControlKind::Form ? c : nullptr;
}

bool Application::dispatch(const std::function<void()>& handler) {
    // A window of the program that closes during the event makes the main window active again.
    std::vector<std::string> openWindows;
    for (const std::string& f : forms_)
        if (f != "TForm1" && model_.find(f) && model_.get(f).visible) openWindows.push_back(f);
    bool ok = false;
    try {
        handler();
        ok = true;
    } catch (const EngineError& e) {
        ui_.error(clerkMessage(e));
        if (main_) main_->formActivate();
    } catch (const Aborted&) {
    } catch (const std::bad_alloc&) {
        ui_.error("Недостаточно памяти для выполнения операции");
        if (main_) main_->formActivate();
    } catch (const std::exception& e) {
        // A fault of the program itself: the clerk is told, and the program goes on with the next
        // event instead of ending with whatever he has not yet saved.
        ui_.error(std::string("Внутренняя ошибка программы (") + e.what() + ")");
        if (main_) main_->formActivate();
    } catch (...) {
        ui_.error("Внутренняя ошибка программы");
        if (main_) main_->formActivate();
    }
    if (main_) {
        try {
            main_->afterEvent();
        } catch (const EngineError& e) {
            ui_.error(clerkMessage(e));
        }
        bool closed = false;
        for (const std::string& f : openWindows) closed = closed || !model_.get(f).visible;
        if (closed) main_->formActivate();
        // "Выход": the main window closes once the event is over, which ends the program.
        if (main_->closeRequested()) stop();
    }
    return ok;
}

}  // namespace zelt::app
