#include "app/filter_commands.h"

#include "app/cards.h"
#include "app/main_window.h"
#include "base/date.h"
#include "app/filter_menus.h"

#include <optional>
#include <string>

namespace zelt::app {
namespace {

// Sets the new text first: a text the engine refuses leaves the table's filter and switch as they were.
void applyFilter(store::Table& t, const std::string& text) {
    t.setFilterText(text);
    t.setFiltered(true);
}

void clearFilter(store::Table& t) {
    t.setFilterText(std::string());
    t.setFiltered(false);
}

void filterByField(MainWindow& w, int table, const FilterItem& e) {
    std::string prefill;
    if (!e.emptyPrefill) {
        const std::string control = cardControl(table, e.field);
        if (!control.empty()) prefill = w.binder().shownText(control);
    }
    // Cancel filters all the same, by the value the dialog opened with.
    const std::optional<std::string> answer = w.ui().input(dialogCaptionOf(e), promptOf(e), prefill);
    const std::string value = answer ? *answer : prefill;
    store::Table& t = w.table(table);
    applyFilter(t, filter::appendTerm(t.filterText(), filter::comparison(e.field, e.form, value)));
}

void filterByYear(MainWindow& w, int table) {
    const std::string proposed = std::to_string(civilFromSerial(w.clock().today()).year - 1);
    const std::optional<std::string> answer = w.ui().input(kYearCaption, kYearPrompt, proposed);
    store::Table& t = w.table(table);
    applyFilter(t, filter::appendYearBounds(t.filterText(), answer ? *answer : proposed));
}

}  // namespace

void installFilterMenus(MainWindow& w) {
    FormModel& m = w.model();
    for (const FilterMenu& menu : filterMenus()) {
        m.add(menu.menu, ControlKind::PopupMenu, "TForm1");

        const int table = menu.table;
        for (const FilterItem& e : menu.entries) {
            m.add(e.name, e.kind == FilterItemKind::Separator ? ControlKind::Separator : ControlKind::MenuItem, menu.menu,
                  e.caption);

            const FilterItem* entry = &e;  // the menus are static data
            FormModel::Handler click;
            switch (e.kind) {
                case FilterItemKind::Clear:
                    click = [&w, table](const EventArgs&) { clearFilter(w.table(table)); };
                    break;
                case FilterItemKind::Registered:
                    click = [&w, table](const EventArgs&) {
                        store::Table& t = w.table(table);
                        applyFilter(t, filter::appendTerm(t.filterText(), filter::kRegisteredComparison));
                    };
                    break;
                case FilterItemKind::Field:
                    click = [&w, table, entry](const EventArgs&) { filterByField(w, table, *entry); };
                    break;
                case FilterItemKind::Year:
                    click = [&w, table](const EventArgs&) { filterByYear(w, table); };
                    break;
                case FilterItemKind::None:
                    click = [](const EventArgs&) {};
                    break;
                case FilterItemKind::Separator:
                case FilterItemKind::Delete:
                case FilterItemKind::Restore:
                    break;
            }
            if (click) m.on(e.name, "Click", std::move(click));
        }
    }
}

}  // namespace zelt::app
