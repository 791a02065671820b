#include "app/grid_rules.h"

#include "app/main_window.h"
#include "app/registers.h"
#include "base/error.h"

#include <map>

namespace zelt::app {
namespace {

// The table a title click sorts: the grid's own, except the archive others' grid, which sorts the
// live others' table.
const std::map<std::string, int>& sortedTables() {
    static const std::map<std::string, int> m = {{"DBGrid1", 1},   {"DBGrid5", 5},   {"DBGrid9", 9},  {"DBGrid13", 13},
                                                 {"DBGrid17", 33}, {"DBGrid19", 33}, {"DBGrid21", 41}};
    return m;
}

void caseCount(MainWindow& w) {
    setPanel(w, 1, "Несовершеннолетних - " + std::to_string(w.table(store::TableId::PKOU).recordCount()), true);
}

void navigate(store::Table& t, const std::string& button) {
    if (button == "first") t.first();
    else if (button == "prior") t.prior();
    else if (button == "next") t.next();
    else if (button == "last") t.last();
    else if (button == "insert") t.insert();
    else if (button == "delete") t.deleteRecord();
    else if (button == "edit") t.edit();
    else if (button == "post") t.post();
    else if (button == "cancel") t.cancel();
    else if (button == "refresh") t.refresh();
    else throw EngineError("нет кнопки навигатора " + button);
}

}  // namespace

void registerGridHandlers(MainWindow& w) {
    FormModel& m = w.model();
    for (const auto& c : m.controls()) {
        const std::string name = c->name;
        if (c->kind == ControlKind::Navigator) {
            const int source = c->dataSource;
            m.on(name, "Click", [&w, source](const EventArgs& a) { navigate(w.table(source), a.text); });
            continue;
        }
        if (c->kind != ControlKind::Grid) continue;
        const int source = c->dataSource;
        m.on(name, "Select", [&w, source](const EventArgs& a) {
            store::Table& t = w.table(source);
            if (t.currentRow() != a.row) t.gotoRow(a.row);
        });
        m.on(name, "CellEdit", [&w, &m, name, source](const EventArgs& a) {
            if (m.get(name).readOnly) return;
            store::Table& t = w.table(source);
            if (a.row >= 0 && t.currentRow() != a.row) t.gotoRow(a.row);
            t.edit();
            t.setText(a.field, a.text);
        });
        const auto sorted = sortedTables().find(name);
        if (sorted != sortedTables().end()) {
            const int target = sorted->second;
            m.on(name, "TitleClick", [&w, target](const EventArgs& a) { w.table(target).setIndexName(a.field + "1"); });
        }
    }
    for (const char* event : {"KeyDown", "KeyUp", "MouseUp"})
        m.on("DBGrid21", event, [&w](const EventArgs&) { caseCount(w); });
}

}  // namespace zelt::app
