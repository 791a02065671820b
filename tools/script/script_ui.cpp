#include "script/script_ui.h"

namespace zelt::script {

bool ScriptUi::takeAnswer(Answer& a) {
    if (answers_.empty()) return false;
    a = std::move(answers_.front());
    answers_.pop_front();
    return true;
}

void ScriptUi::message(const std::string& text) {
    Answer a;
    takeAnswer(a);  // a message box has only OK; a queued answer is used up all the same
    out_ << "message: " << text << "\n";
}

void ScriptUi::error(const std::string& text) { out_ << "error: " << text << "\n"; }

bool ScriptUi::confirm(const std::string& caption, const std::string& text) {
    Answer a{false, "no"};
    takeAnswer(a);
    const bool yes = !a.isText && a.value == "yes";
    out_ << "confirm " << caption << ": " << text << " -> " << (yes ? "yes" : (a.isText ? "no" : a.value)) << "\n";
    return yes;
}

std::optional<std::string> ScriptUi::input(const std::string& caption, const std::string& prompt,
                                           const std::string& prefill) {
    Answer a{false, "cancel"};
    takeAnswer(a);
    std::optional<std::string> result;
    if (a.isText) result = a.value;
    else if (a.value == "ok" || a.value == "yes") result = prefill;
    out_ << "input " << caption << ": " << prompt << " -> " << (result ? *result : std::string("cancel")) << "\n";
    return result;
}

std::optional<std::string> ScriptUi::password(const std::string& tableFile) {
    Answer a{false, "cancel"};
    takeAnswer(a);
    std::optional<std::string> result;
    if (a.isText) result = a.value;
    out_ << "input Пароль: Введите пароль таблицы " << tableFile << " -> " << (result ? *result : std::string("cancel"))
         << "\n";
    return result;
}

void ScriptUi::showWindow(const std::string& form, bool modal) {
    out_ << "window: " << form << (modal ? " (modal)" : "") << "\n";
}

void ScriptUi::openUrl(const std::string& url) { out_ << "open: " << url << "\n"; }

bool ScriptUi::openDocument(const std::string& path) {
    out_ << "document: " << path << "\n";
    return true;
}

void ScriptUi::startEditor(const std::string& file) { out_ << "editor: " << file << "\n"; }

}  // namespace zelt::script
