// Runs a script of user actions against the program headlessly and prints what the user would see.
#pragma once

#include "app/application.h"
#include "app/clock.h"
#include "script/script_ui.h"

#include <filesystem>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace zelt::script {

class ScriptRunner {
public:
    ScriptRunner(std::filesystem::path dataDir, std::ostream& out);
    ~ScriptRunner();

    // Runs every line of the script; the script goes on after an error, as the program does.
    // Returns false when a line could not be understood.
    bool run(std::istream& script);
    // Runs one line.
    bool runLine(const std::string& line);

private:
    bool command(const std::vector<std::string>& words, const std::string& rest);
    store::Table& tableArg(const std::string& word);
    void requireStarted() const;

    std::filesystem::path dataDir_;
    std::ostream& out_;
    ScriptUi ui_;
    app::SystemClock systemClock_;
    std::unique_ptr<app::FixedClock> fixedClock_;
    // The clock the program sees: the fixed one once "today" was given.
    class SwitchClock : public app::Clock {
    public:
        const app::Clock* target = nullptr;
        int today() const override { return target->today(); }
        int secondOfDay() const override { return target->secondOfDay(); }
    } clock_;
    std::unique_ptr<app::Application> app_;
    bool ok_ = true;
};

// "\r" and "\n" written in a script line as a backslash and a letter become the characters.
std::string unescape(const std::string& text);

}  // namespace zelt::script
