#include "app/registers.h"

#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "base/text.h"
#include "editing/record_hooks.h"

#include <vector>

namespace zelt::app {
namespace {

const char* const kOnRegister = "DKDN<>Null";

struct RegisterDef {
    Register reg;
    std::vector<std::pair<int, int>> closes;  // ranges of table objects, inclusive
    std::vector<int> opens;
    const char* caption;
    void (*statistics)(MainWindow&);
};

const std::vector<RegisterDef>& registerDefs() {
    static const std::vector<RegisterDef> defs = {
        {Register::Minors, {{9, 16}, {33, 36}, {41, 44}}, {1, 2, 3, 4, 5, 6, 7, 8},
         "Банк данных по несовершеннолетним", minorsStatistics},
        {Register::Parents, {{1, 8}, {33, 36}, {41, 44}}, {9, 10, 11, 12, 13, 14, 15, 16},
         "Банк данных по родителям", parentsStatistics},
        {Register::Others, {{1, 16}, {41, 44}}, {33, 34, 35, 36},
         "Банк данных по прочим", othersStatistics},
        {Register::Institutions, {{1, 16}, {33, 36}}, {41, 43},
         "Банк данных по учреждениям", institutionsStatistics},
    };
    return defs;
}

// The report items each register shows: minors, parents, others, institutions.
struct ReportItem {
    const char* item;
    bool shown[4];
};
const ReportItem kReportItems[] = {
    {"N42", {true, false, false, false}},  {"N110", {false, true, false, false}}, {"N116", {true, false, false, false}},
    {"N119", {false, true, false, false}}, {"N127", {false, true, false, false}}, {"N132", {true, false, false, false}},
    {"N126", {false, true, false, false}}, {"N155", {true, false, false, false}}, {"N140", {true, false, false, false}},
    {"N139", {false, true, false, false}}, {"N130", {true, false, false, false}}, {"N149", {true, false, false, false}},
    {"N131", {false, true, false, false}}, {"N150", {false, true, false, false}}, {"N134", {true, false, false, false}},
    {"N151", {true, false, false, false}},
};

std::string num(long long v) { return std::to_string(v); }

void clearFilter(store::Table& t) {
    t.setFilterText("");
    t.setFiltered(false);
}

int countUnder(store::Table& t, const std::string& filterText) {
    t.setFilterText(filterText);
    t.setFiltered(true);
    return t.recordCount();
}

// How many of the records `master` (table object `number`) shows have any record in `detail`. The
// walk over the master stays for what its hooks do (a note file that cannot be made ends the
// command there); the store answers the detail's count for every master at once.
int countWithDetails(MainWindow& w, int number, store::Table& detail) {
    const std::vector<long> counts = detail.countsPerMasterRecord();
    editing::walkNoteFiles(w.tables(), number);
    int n = 0;
    for (long c : counts) n += c > 0;
    return n;
}

// "Всего семей- T/R" on a parents' table, leaving it unfiltered.
std::string familiesTotal(store::Table& t) {
    clearFilter(t);
    t.setFiltered(true);
    const int total = t.recordCount();
    t.setFiltered(false);
    const int onRegister = countUnder(t, kOnRegister);
    return "Всего семей- " + num(total) + "/" + num(onRegister);
}

}  // namespace

void setPanel(MainWindow& w, int index, const std::string& text, bool fitWidth) {
    Control& p = w.model().get("StatusBar1.Panel" + std::to_string(index));
    p.text = text;
    if (fitWidth) p.width = 8 * static_cast<int>(codePointCount(text));
    w.model().changed(p);
}

void chooseRegister(MainWindow& w, Register r) {
    const RegisterDef* def = nullptr;
    for (const RegisterDef& d : registerDefs())
        if (d.reg == r) def = &d;
    for (const auto& [from, to] : def->closes)
        for (int n = from; n <= to; ++n) w.table(n).close();
    for (int n : def->opens) w.table(n).open();

    FormModel& m = w.model();
    Control& area = m.get("PageControl1");
    area.visible = true;
    area.text = workTabOf(r, TabRole::Grids);
    m.changed(area);
    for (const WorkTab& tab : workTabs()) m.setVisible(tab.name, tab.reg == r);
    m.setCaption("TForm1", def->caption);
    for (const ReportItem& item : kReportItems) m.setVisible(item.item, item.shown[static_cast<int>(r)]);
    def->statistics(w);
}

void minorsStatistics(MainWindow& w) {
    store::Table& minors = w.table(store::TableId::ZELT);
    store::Table& commission = w.table(store::TableId::PKO);
    const std::string total = "Всего- " + num(minors.recordCount());
    setPanel(w, 0, total, true);
    const int a = countWithDetails(w, 1, commission);
    std::string involved = "Привлечено к отв-ти- " + num(a);
    setPanel(w, 1, involved, false);
    clearFilter(minors);
    countUnder(minors, "DKDN=Null");
    const int b = countWithDetails(w, 1, commission);
    setPanel(w, 1, involved + "/" + num(a - b), true);

    minors.first();
    clearFilter(minors);
    setPanel(w, 2, "На учёте - " + num(countUnder(minors, kOnRegister)), true);

    struct Occupation {
        int panel;
        const char* value;
        const char* prefix;
    };
    static const Occupation kOccupations[] = {
        {3, "Школа", "В школе- "}, {4, "Училище", "В училище- "}, {5, "Работа", "Работа- "}, {6, "Не занят", "Не занят- "}};
    for (const Occupation& o : kOccupations) {
        clearFilter(minors);
        const int x = countUnder(minors, std::string("Zan='") + o.value + "'");
        minors.setFiltered(false);
        const int y = countUnder(minors, minors.filterText() + "and(" + kOnRegister + ")");
        setPanel(w, o.panel, o.prefix + num(x) + "/" + num(y), true);
    }
    clearFilter(minors);
}

void parentsStatistics(MainWindow& w) {
    store::Table& families = w.table(store::TableId::BDS);
    store::Table& children = w.table(store::TableId::SD);
    clearFilter(families);
    families.setFiltered(true);
    const int t = families.recordCount();
    families.setFiltered(false);
    const int r = countUnder(families, kOnRegister);
    setPanel(w, 0, "Всего семей- " + num(t) + "/" + num(r), true);

    // The walk stays for its hooks; the children of every family come from the store at once.
    const std::vector<long> perFamily = children.countsPerMasterRecord();
    editing::walkNoteFiles(w.tables(), 9);
    long c = 0;
    for (long n : perFamily) c += n;

    const auto missing = [&](const char* surname, int& all, int& registered) {
        clearFilter(families);
        all = countUnder(families, std::string(surname) + "=''");
        families.setFiltered(false);
        registered = countUnder(families, families.filterText() + "and(" + kOnRegister + ")");
    };
    int m1, m2, f1, f2;
    missing("Fm", m1, m2);
    missing("Fo", f1, f2);
    setPanel(w, 1, "Всего родителей - " + num(2LL * t - m1 - f1) + "/" + num(2LL * r - m2 - f2), true);
    setPanel(w, 2, "Неполных семей - " + num(m1 + f1) + "/" + num(m2 + f2), true);
    clearFilter(families);

    store::DataSource& familySource = w.tables().dataSource(store::TableId::BDS);
    familySource.setEnabled(false);
    clearFilter(children);
    setPanel(w, 3, "Всего детей - " + num(children.recordCount()) + "/" + num(c), true);
    familySource.setEnabled(true);
    for (int p = 4; p <= 6; ++p) setPanel(w, p, "", true);
}

void othersStatistics(MainWindow& w) {
    setPanel(w, 0, "Всего- " + num(w.table(store::TableId::Prochie).recordCount()), true);
    for (int p = 1; p <= 6; ++p) setPanel(w, p, "", false);
}

void institutionsStatistics(MainWindow& w) {
    store::DataSource& source = w.tables().dataSource(store::TableId::Uch);
    source.setEnabled(false);
    setPanel(w, 0, "Рассмотрено - " + num(w.table(store::TableId::PKOU).recordCount()), true);
    source.setEnabled(true);
}

void workAreaTabChanged(MainWindow& w, const std::string& tabSheet) {
    FormModel& m = w.model();
    Control& area = m.get("PageControl1");
    area.text = tabSheet;
    m.changed(area);
    // The grid and archive tabs of the minors and the parents recount their master.
    const WorkTab* tab = workTabNamed(tabSheet);
    const int master = gridTabMaster(tabSheet);
    if (!tab || !master) return;
    if (tab->reg == Register::Minors) {
        setPanel(w, 0, "Всего- " + num(w.table(master).recordCount()), false);
        return;
    }
    if (tab->reg != Register::Parents) return;
    store::Table& t = w.table(master);
    const std::string remembered = t.filterText();
    const store::Table::Bookmark at = t.bookmark();
    setPanel(w, 0, familiesTotal(t), true);
    clearFilter(t);
    t.setFilterText(remembered);
    t.setFiltered(true);
    if (at != 0) t.gotoBookmark(at);
}

void toggleGridEditing(MainWindow& w) {
    FormModel& m = w.model();
    const bool allow = m.get("N123").caption == "Разрешить редактирование таблиц";
    const std::vector<std::string> switched = editingSwitchControls(m);
    for (const std::string& name : switched) m.setReadOnly(name, !allow);
    m.setCaption("N123", allow ? "Запретить редактирование таблиц" : "Разрешить редактирование таблиц");
}

}  // namespace zelt::app
