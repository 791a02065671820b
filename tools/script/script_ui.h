// User-interface services for scripts: every dialog prints what the user would see and takes its
// answer from the queue the script fills.
#pragma once

#include "app/ui_services.h"

#include <deque>
#include <ostream>
#include <string>

namespace zelt::script {

class ScriptUi : public app::UiServices {
public:
    explicit ScriptUi(std::ostream& out) : out_(out) {}

    // "yes", "no", "ok", "cancel", or a text for the next input or password dialog.
    struct Answer {
        bool isText;
        std::string value;
    };
    void queue(Answer a) { answers_.push_back(std::move(a)); }

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool confirm(const std::string& caption, const std::string& text) override;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& prefill) override;
    std::optional<std::string> password(const std::string& tableFile) override;
    void showWindow(const std::string& form, bool modal) override;
    void openUrl(const std::string& url) override;
    void startEditor(const std::string& file) override;
    bool openDocument(const std::string& path) override;

private:
    bool takeAnswer(Answer& a);
    std::ostream& out_;
    std::deque<Answer> answers_;
};

}  // namespace zelt::script
