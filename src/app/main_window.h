// The main window's controller (TForm1): owns the engine session and every table object, runs the
// start-up steps when it is created, opens the always-open tables when it becomes active, and
// closes the tables when it is destroyed.
#pragma once

#include "app/clock.h"
#include "app/data_binding.h"
#include "app/form/form_model.h"
#include "app/record_editing.h"
#include "reports/document.h"
#include "app/ui_services.h"
#include "editing/record_hooks.h"
#include "store/session.h"
#include "store/table_set.h"
#include "store/tree.h"

#include <filesystem>
#include <map>
#include <string>

namespace zelt::app {

using store::kTablePassword;

class MainWindow : public editing::HookHost {
public:
    // Adds the main window's controls (TForm1 and everything on it) to `model`.
    MainWindow(const std::filesystem::path& dataDir, UiServices& ui, Clock& clock, FormModel& model);
    ~MainWindow() override;

    // The start-up steps, in order. A failed step shows the engine's error; the remaining steps
    // are skipped and the program goes on.
    void formCreate();
    // The main window became the active window: opens Table9 and Table33 (open tables stay as
    // they are); a table that cannot be opened shows the engine's error.
    void formActivate();
    // Closes the live and archive tables in the shutdown order.
    void formDestroy();

    store::Session& session() { return session_; }
    store::TableSet& tables() { return tables_; }
    store::Table& table(store::TableId id) { return tables_.table(id); }
    store::Table& table(int number) { return tables_.table(number); }
    UiServices& ui() { return ui_; }
    FormModel& model() { return model_; }
    Clock& clock() { return clock_; }

    DataBinder& binder() { return binder_; }
    // After every user event: the data-aware controls show their records again.
    void afterEvent() {
        binder_.flush();
        editing_.flushNotes();
    }
    // "Выход" was chosen: the main window closes when the current event is over.
    bool closeRequested() const { return closeRequested_; }

    // Shows a message box; when it closes the main window is active again.
    void showMessage(const std::string& text) override;
    void noteFileShown(int number, const std::filesystem::path& path) override;
    // The note file last shown for master table object `number` (empty before any).
    std::filesystem::path shownNoteFile(int number) const;

    // The home-telephone digit count (5, 6 or 7): the write limit of DTel, Dtm, Dto and Dt in every
    // table object, and the width of their grid columns.
    void setPhoneDigits(int digits);

    // Writes a finished report as a new document in the user's temporary folder and opens it.
    void showReport(std::unique_ptr<reports::Document> document);
    // The last report typed in this run, nothing before the first.
    const reports::Document* lastReport() const { return lastReport_.get(); }

    // Rewrites the age field L of every record `t` shows from its date of birth DR.
    void refreshAges(store::Table& t);

    // Shows one of the program's windows modally; the main window is active again once it is closed.
    void showWindow(const std::string& form);

private:
    UiServices& ui_;
    Clock& clock_;
    FormModel& model_;
    store::Session session_;
    store::TableSet tables_;
    void registerHandlers();

    std::map<int, std::filesystem::path> shownNotes_;
    bool activating_ = false;
    bool closeRequested_ = false;
    DataBinder binder_;
    RecordEditing editing_;
    std::unique_ptr<reports::Document> lastReport_;
};

}  // namespace zelt::app
