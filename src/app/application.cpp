#include "app/application.h"

#include "base/error.h"

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
    forms_.clear();
    for (const FormDef& f : kForms) {
        forms_.push_back(FormModel{f.name, f.caption, false});
        if (forms_.size() == 1) {
            main_ = std::make_unique<MainWindow>(dataDir_, ui_, clock_);
            main_->formCreate();
        }
    }
    forms_.front().visible = true;
    main_->formActivate();
}

void Application::stop() {
    if (!running_) return;
    main_->formDestroy();
    main_.reset();
    for (FormModel& f : forms_) f.visible = false;
    running_ = false;
}

const FormModel* Application::form(const std::string& name) const {
    for (const FormModel& f : forms_)
        if (f.name == name) return &f;
    return nullptr;
}

bool Application::dispatch(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const EngineError& e) {
        ui_.error(e.what());
        if (main_) main_->formActivate();
    } catch (const Aborted&) {
    }
    return false;
}

}  // namespace zelt::app
