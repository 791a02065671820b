#include "support/test_support.h"

#include "app/main_window.h"
#include "store/table_set.h"
#include "store/tree_init.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zelt::testing {

DataDir::DataDir() { store::createTableTree(path(), app::kTablePassword); }

DataDir::~DataDir() {
    std::error_code ec;
    std::filesystem::remove_all(reportFolder(path()), ec);
}

std::filesystem::path reportFolder(const std::filesystem::path& dir) { return dir.string() + "-reports"; }

bool RecordingUi::confirm(const std::string& caption, const std::string& text) {
    shown.push_back("confirm " + caption + ": " + text);
    if (confirmAnswers.empty()) return false;
    const bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
}

std::optional<std::string> RecordingUi::input(const std::string& caption, const std::string& prompt,
                                              const std::string& prefill) {
    shown.push_back("input " + caption + ": " + prompt + " [" + prefill + "]");
    if (inputAnswers.empty()) return std::nullopt;
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

std::optional<std::string> RecordingUi::password(const std::string& tableFile) {
    shown.push_back("password " + tableFile);
    if (passwordAnswers.empty()) return std::nullopt;
    auto a = passwordAnswers.front();
    passwordAnswers.pop_front();
    return a;
}

bool RecordingUi::anyError() const {
    for (const std::string& s : shown)
        if (s.rfind("error: ", 0) == 0) return true;
    return false;
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void seedRecords(const std::filesystem::path& dir, int table, const std::vector<Fields>& records) {
    store::Session s(dir);
    s.addPassword(app::kTablePassword);
    store::TableSet tables(s);
    for (int n = 1; n <= 48; ++n) tables.dataSource(n).setEnabled(false);
    store::Table& t = tables.table(table);
    t.open();
    for (const Fields& f : records) {
        t.append();
        for (const auto& [name, value] : f) t.setText(name, value);
        t.post();
        if (tables.def(table).masterSource == 0 && t.asNumber("Sv") == 0) {
            t.edit();
            t.setNumber("Sv", t.asNumber("N"));
            t.post();
        }
    }
}

}  // namespace zelt::testing
