#include "app/main_window.h"

#include "base/age.h"
#include "app/archive_commands.h"
#include "app/filter_commands.h"
#include "app/report_commands.h"
#include "app/transfer_commands.h"
#include "reports/docx_writer.h"
#include "app/grid_rules.h"
#include "app/main_window_layout.h"
#include "app/registers.h"
#include "app/store_messages.h"
#include "base/error.h"
#include "base/text.h"
#include "store/intent_recovery.h"

#include <functional>
#include <vector>

namespace zelt::app {

MainWindow::MainWindow(const std::filesystem::path& dataDir, UiServices& ui, Clock& clock, FormModel& model)
    : ui_(ui), clock_(clock), model_(model), session_(dataDir), tables_(session_), binder_(model, tables_), editing_(*this) {
    Control& form = model_.add("TForm1", ControlKind::Form, "", "Банк данных");
    form.width = 970;
    form.height = 687;
    form.visible = false;
    buildMainWindowControls(model_);
    binder_.bindAll();
    registerHandlers();
    editing_.install();
    installArchiveCommands(*this);
    installFilterMenus(*this);
    installReportCommands(*this);
    installTransferCommands(*this);
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

void MainWindow::showWindow(const std::string& form) {
    model_.setVisible(form, true);
    ui_.showWindow(form, true);
    // A modal window that has closed again makes the main window active; one still open (a script
    // goes on while it is shown) does so when it closes.
    if (!model_.get(form).visible) formActivate();
}

void MainWindow::registerHandlers() {
    const struct {
        const char* item;
        Register reg;
    } registers[] = {{"N49", Register::Minors}, {"N50", Register::Parents}, {"N152", Register::Others},
                     {"N154", Register::Institutions}};
    for (const auto& r : registers) {
        const Register reg = r.reg;
        model_.on(r.item, "Click", [this, reg](const EventArgs&) { chooseRegister(*this, reg); });
    }
    model_.on("N123", "Click", [this](const EventArgs&) { toggleGridEditing(*this); });
    model_.on("N128", "Click", [this](const EventArgs&) { showWindow("TForm5"); });
    model_.on("N3", "Click", [this](const EventArgs&) { showWindow("TForm4"); });
    model_.on("N4", "Click", [this](const EventArgs&) {
        closeRequested_ = true;
        model_.setVisible("TForm1", false);
    });
    model_.on("PageControl1", "Change", [this](const EventArgs& a) { workAreaTabChanged(*this, a.text); });
    for (const auto& c : model_.controls()) {
        const bool dataAware = c->kind == ControlKind::Edit || c->kind == ControlKind::ComboBox ||
                               c->kind == ControlKind::Memo;
        if (dataAware && c->dataSource > 0) {
            const std::string name = c->name;
            model_.on(name, "Change", [this, name](const EventArgs& a) { binder_.typed(name, a.text); });
            model_.on(name, "Exit", [this, name](const EventArgs&) { binder_.writeBack(name); });
        }
        if (c->kind == ControlKind::PageControl && c->name != "PageControl1") {
            Control* pc = c.get();
            model_.on(c->name, "Change", [this, pc](const EventArgs& a) {
                pc->text = a.text;
                model_.changed(*pc);
            });
        }
    }
    registerGridHandlers(*this);
}

void MainWindow::showReport(std::unique_ptr<reports::Document> document) {
    const std::filesystem::path folder = ui_.reportFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw EngineError("Не удаётся создать папку для отчётов " + folder.string());
    const std::filesystem::path path = reports::writeDocx(*document, folder);
    lastReport_ = std::move(document);
    if (!ui_.openDocument(path.string()))
        ui_.message("Отчёт записан в файл " + path.string() +
                    ", но открыть его не удалось: нет программы, которая открывает документы .docx. "
                    "Откройте этот файл в текстовом процессоре.");
}

void MainWindow::setPhoneDigits(int digits) {
    for (store::TableId id : store::allTableIds()) {
        store::Table& t = table(id);
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
        // An archive command that a crash or power loss cut short is undone or finished before any
        // table is shown, so nobody ever sees a person half moved.
        [this] { store::recoverPendingIntent(session_); },
        [this] {
            table(store::TableId::ZELT).open();
            table(store::TableId::SD).open();
        },
        [this] {
            // One post per record as always; grouped in one transaction per file for speed.
            store::Session::Batch batch(session_);
            refreshAges(table(store::TableId::ZELT));
            batch.commit();
        },
        [this] {
            store::Session::Batch batch(session_);
            store::DataSource& families = tables_.dataSource(store::TableId::BDS);
            families.setEnabled(false);
            refreshAges(table(store::TableId::SD));
            families.setEnabled(true);
            batch.commit();
        },
        [this] { editing_.fillPickLists(); },
    };
    for (const auto& step : steps) {
        try {
            step();
        } catch (const EngineError& e) {
            ui_.error(clerkMessage(e));
            return;
        } catch (const Aborted&) {
            return;
        }
    }
}

void MainWindow::formActivate() {
    if (activating_) return;
    activating_ = true;
    for (store::TableId id : {store::TableId::BDS, store::TableId::Prochie}) {
        try {
            table(id).open();
        } catch (const EngineError& e) {
            ui_.error(clerkMessage(e));
        }
    }
    activating_ = false;
}

void MainWindow::formDestroy() {
    using store::TableId;
    static const TableId kOrder[] = {
        TableId::ZELT,         TableId::PNU,      TableId::PKO,       TableId::PIR,       TableId::ArxivZELT,
        TableId::ArxivPNU,     TableId::ArxivPKO, TableId::ArxivPIR,  TableId::BDS,       TableId::SD,
        TableId::PKOR,         TableId::PR,       TableId::ArxivBDS,  TableId::ArxivSD,   TableId::ArxivPKOR,
        TableId::ArxivPR,      TableId::Prochie,  TableId::PKOP,      TableId::ArxivProchie, TableId::ArxivPKOP,
        TableId::Uch,          TableId::ArxivUch, TableId::PKOU,      TableId::PerenosUch};
    for (TableId id : kOrder) {
        try {
            table(id).close();
        } catch (const EngineError& e) {
            ui_.error(clerkMessage(e));
        }
    }
}

void MainWindow::showMessage(const std::string& text) {
    ui_.message(text);
    formActivate();
}

void MainWindow::noteFileShown(int number, const std::filesystem::path& path) {
    shownNotes_[number] = path;
    editing_.noteShown(number, path);
}

std::filesystem::path MainWindow::shownNoteFile(int number) const {
    const auto it = shownNotes_.find(number);
    return it == shownNotes_.end() ? std::filesystem::path() : it->second;
}

}  // namespace zelt::app
