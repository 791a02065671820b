#include "app/admin_window.h"

#include "app/clock.h"
#include "app/main_window_layout.h"
#include "store/layout.h"
#include "store/safety_copy.h"
#include "store/table_emptying.h"
#include "store/tree.h"

namespace zelt::app {

namespace {

constexpr const char* kRightSide = "TForm6.Panel2";
// The grids in two columns: minors left, families right; the transfer copy above its archive.
constexpr const char* kGridColumns[2] = {"TForm6.Panel3", "TForm6.Panel4"};

}  // namespace

const std::vector<ClearButton>& clearButtons() {
    static const std::vector<ClearButton> kButtons = {
        {"Button1", "Очистить всё", 1, 32},
        {"Button2", "Очистить таблицу несовершеннолетних", 1, 8},
        {"Button4", "Очистить архив несовершеннолетних", 5, 8},
        {"Button3", "Очистить таблицу родителей", 9, 16},
        {"Button5", "Очистить архив родителей", 13, 16},
        {"Button7", "Очистить таблицу прочие", 33, 36},
        {"Button8", "Очистить архив прочие", 35, 36},
        {"Button6", "Очистить перенос", 17, 32},
    };
    return kButtons;
}

std::vector<int> tablesOf(const ClearButton& button) {
    std::vector<int> out;
    for (int n = button.firstTable; n <= button.lastTable; ++n) out.push_back(n);
    return out;
}

AdminWindow::AdminWindow(FormModel& model, MainWindow& main) : model_(model), main_(main) {
    Control& form = model_.get(kForm);
    form.width = 849;
    form.height = 617;
    model_.changed(form);

    model_.add(kButtonColumn, ControlKind::Panel, kForm);
    for (const ClearButton& b : clearButtons()) {
        model_.add(b.name, ControlKind::Button, kButtonColumn, b.caption).width = kButtonWidth;
        const ClearButton* button = &b;
        model_.on(b.name, "Click", [this, button](const EventArgs&) { clear(*button); });
    }
    model_.add(kRightSide, ControlKind::Panel, kForm);
    model_.add(kOpenButton, ControlKind::Button, kRightSide, "Включить таблицы");
    model_.on(kOpenButton, "Click", [this](const EventArgs&) { openTransferMasters(); });
    for (const char* column : kGridColumns) model_.add(column, ControlKind::Panel, kRightSide);
    for (int i = 0; i < 4; ++i) {
        const store::TableId source = kGridSources[i];
        const std::string name = gridName(i + 1);
        Control& grid = model_.add(name, ControlKind::Grid, kGridColumns[i / 2]);
        grid.dataSource = store::tableNumber(source);
        grid.columns = gridColumnsOf(name, main_.table(source).layout());
    }
}

void AdminWindow::clear(const ClearButton& button) {
    store::TableSet& tables = main_.tables();
    store::settlePendingIntent(tables);
    const std::vector<int> group = tablesOf(button);
    // Closing posts a record being edited; posted first, it is in the copy too.
    for (int n : group) {
        store::Table& t = tables.table(n);
        if (t.state() == store::Table::State::Edit || t.state() == store::Table::State::Insert) {
            if (t.modified())
                t.post();
            else
                t.cancel();
        }
    }
    // The copy comes first: when it cannot be written the command changes nothing.
    store::writeSafetyCopy(tables.session().dataDir(), stampOf(main_.clock()), button.caption, group);
    for (int n : group) tables.table(n).close();
    std::vector<std::string> files;
    for (int n : group) files.push_back(tables.table(n).fileName());
    store::emptyTableFiles(tables.session(), button.caption, files);
    for (int n : group) tables.table(n).open();
}

void AdminWindow::openTransferMasters() {
    for (store::TableId source : kGridSources) main_.table(source).open();
}

void AdminWindow::formDestroy() {
    for (store::TableId source : {store::TableId::PerenosZELT, store::TableId::PerenosBDS, store::TableId::PerenosArxivZELT, store::TableId::PerenosArxivBDS}) main_.table(source).close();
}

}  // namespace zelt::app
