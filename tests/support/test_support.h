// Shared test scaffolding: a fresh data directory with an empty table tree, and user-interface
// services that record every dialog and answer from a queue.
#pragma once

#include "app/ui_services.h"
#include "support/temp_dir.h"

#include <deque>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

namespace zelt::testing {

// A temporary data directory holding a complete empty table tree; removed when destroyed.
class DataDir {
public:
    DataDir();
    ~DataDir();
    DataDir(const DataDir&) = delete;
    DataDir& operator=(const DataDir&) = delete;
    const std::filesystem::path& path() const { return folder_.path(); }
    std::filesystem::path operator/(const std::string& rel) const { return path() / rel; }

private:
    TempDir folder_;
};

// Records dialogs as lines ("message: ...", "error: ...", "confirm C: T", "input C: P") and
// answers confirmations and inputs from queues (default: No and Cancel).
class RecordingUi : public app::UiServices {
public:
    std::vector<std::string> shown;
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> passwordAnswers;

    // Runs while a message or error box is shown: a view test lets the event loop turn there, as
    // it does while the user reads a real box.
    std::function<void()> whileShown;

    void message(const std::string& text) override { show("message: " + text); }
    void error(const std::string& text) override { show("error: " + text); }
    bool confirm(const std::string& caption, const std::string& text) override;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& prefill) override;
    std::optional<std::string> password(const std::string& tableFile) override;
    void showWindow(const std::string& form, bool modal) override {
        shown.push_back(std::string("window: ") + form + (modal ? " (modal)" : ""));
    }
    void openUrl(const std::string& url) override { shown.push_back("open: " + url); }
    // False makes the desktop fail to open documents, as one without a word processor does.
    bool documentsOpen = true;
    bool openDocument(const std::string& path) override {
        shown.push_back("open: file://" + path);
        return documentsOpen;
    }
    void startEditor(const std::string& file) override { shown.push_back("editor: " + file); }
    bool anyError() const;

private:
    void show(std::string line) {
        shown.push_back(std::move(line));
        if (whileShown) whileShown();
    }
};

std::string readFile(const std::filesystem::path& p);

// Where the reports of scripts run on data directory `dir` are written; removed with the DataDir.
std::filesystem::path reportFolder(const std::filesystem::path& dir);

// Field name -> text of one record to seed.
using Fields = std::vector<std::pair<std::string, std::string>>;
// Writes records into table object `table` of the data directory as the program would have
// stored them, without any hook: a master gets Sv = N, a detail keeps the Sv it is given.
void seedRecords(const std::filesystem::path& dir, int table, const std::vector<Fields>& records);

}  // namespace zelt::testing
