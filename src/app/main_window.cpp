#include "app/main_window.h"

#include "app/age.h"
#include "base/error.h"
#include "base/text.h"

#include <functional>
#include <vector>

namespace zelt::app {

MainWindow::MainWindow(const std::filesystem::path& dataDir, UiServices& ui, Clock& clock, FormModel& model)
    : ui_(ui), clock_(clock), model_(model), session_(dataDir), tables_(session_) {
    Control form;
    form.name = "TForm1";
    form.kind = ControlKind::Form;
    form.caption = "Банк данных";
    form.width = 970;
    form.height = 687;
    form.visible = false;
    model_.add(std::move(form));
    session_.setPasswordPrompt([this](const std::string& file) { return ui_.password(file); });
    editing::installRecordHooks(tables_, *this);
}

MainWindow::~MainWindow() = default;

void MainWindow::refreshAges(store::Table& t) {
    const int today = clock_.today();
    t.first();
    while (!t.eof()) {
        t.edit();
        t.setNumber("L", ageInYears(today, t.asDate("DR")));
        t.post();
        t.next();
    }
}

void MainWindow::setPhoneDigits(int digits) {
    for (int n = 1; n <= 48; ++n) {
        store::Table& t = table(n);
        for (const store::FieldLimit& l : store::initialPhoneLimits())
            if (t.layout().indexOf(l.field) >= 0 && equalsIgnoreCaseAscii(t.layout().name, l.table))
                t.setWriteLimit(l.field, digits);
    }
    for (const auto& c : model_.controls()) {
        if (c->kind != ControlKind::Grid) continue;
        bool changed = false;
        for (GridColumn& col : c->columns)
            for (const store::FieldLimit& l : store::initialPhoneLimits())
                if (col.field == l.field && tables_.def(c->dataSource).table == std::string(l.table)) {
                    col.width = digits;
                    changed = true;
                }
        if (changed) model_.changed(*c);
    }
}

void MainWindow::formCreate() {
    const std::vector<std::function<void()>> steps = {
        [this] {
            // The program's folder is the data directory; the engine keeps its control file there.
            std::string dir = std::filesystem::absolute(session_.dataDir()).lexically_normal().string();
            if (dir.empty() || dir.back() != std::filesystem::path::preferred_separator)
                dir += std::filesystem::path::preferred_separator;
            session_.setNetworkControlDir(dir);
        },
        [this] { session_.addPassword(kTablePassword); },
        [this] {
            table(1).open();
            table(10).open();
        },
        [this] {
            // One post per record as always; grouped in one transaction per file for speed.
            store::Session::Batch batch(session_);
            refreshAges(table(1));
        },
        [this] {
            store::Session::Batch batch(session_);
            store::DataSource& families = tables_.dataSource(9);
            families.setEnabled(false);
            refreshAges(table(10));
            families.setEnabled(true);
        },
        // Filling the pick lists from the list files joins here with the record-editing layer.
    };
    for (const auto& step : steps) {
        try {
            step();
        } catch (const EngineError& e) {
            ui_.error(e.what());
            return;
        } catch (const Aborted&) {
            return;
        }
    }
}

void MainWindow::formActivate() {
    if (activating_) return;
    activating_ = true;
    for (int n : {9, 33}) {
        try {
            table(n).open();
        } catch (const EngineError& e) {
            ui_.error(e.what());
        }
    }
    activating_ = false;
}

void MainWindow::formDestroy() {
    static const int kOrder[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 33, 34, 35, 36, 41, 42, 43, 44};
    for (int n : kOrder) {
        try {
            table(n).close();
        } catch (const EngineError& e) {
            ui_.error(e.what());
        }
    }
}

void MainWindow::showMessage(const std::string& text) {
    ui_.message(text);
    formActivate();
}

void MainWindow::noteFileShown(int number, const std::filesystem::path& path) { shownNotes_[number] = path; }

std::filesystem::path MainWindow::shownNoteFile(int number) const {
    const auto it = shownNotes_.find(number);
    return it == shownNotes_.end() ? std::filesystem::path() : it->second;
}

}  // namespace zelt::app
