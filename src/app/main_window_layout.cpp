// The main window's controls: the menu, the work-area tabs and the grid tabs register by register as
// data here, the edit cards from their rows (app/card_fields). Small loops turn the tables into
// controls. The cards name every control they hold; the grid tabs' labels, edits, memo boxes and
// pages, which nothing refers to by name, take the next number of their kind after the cards'.
#include "app/main_window_layout.h"

#include "app/cards.h"
#include "app/filter_menus.h"
#include "app/work_tabs.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/tree.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zelt::app {
namespace {

using store::FieldDef;
using store::FieldType;
using store::Layout;

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// ----------------------------------------------------------------------------------------- menu

struct MenuEntry {
    const char* name;
    const char* parent;
    ControlKind kind;
    const char* caption;
    bool visible;
};

// The report items stay hidden until a register command shows those of its register; the family
// control report belongs to no register and is always there.
const MenuEntry kMenu[] = {
    {"N1", "TForm1", ControlKind::Menu, "Админ", true},
    {"N49", "N1", ControlKind::MenuItem, "БД по несовершеннолетним", true},
    {"N50", "N1", ControlKind::MenuItem, "БД по родителям", true},
    {"N152", "N1", ControlKind::MenuItem, "БД по прочим", true},
    {"N154", "N1", ControlKind::MenuItem, "БД по учреждениям", true},
    {"N123", "N1", ControlKind::MenuItem, "Разрешить редактирование таблиц", true},
    {"N124", "N1", ControlKind::MenuItem, "Перенести данные", true},
    {"N153", "N1", ControlKind::MenuItem, "Проверка", true},
    {"N128", "N1", ControlKind::MenuItem, "Настройки", true},
    {"N2", "TForm1", ControlKind::Menu, "Отчёты", true},
    {"N42", "N2", ControlKind::MenuItem, "Универсальный (несовершеннолетние)", false},
    {"N110", "N2", ControlKind::MenuItem, "Универсальный (родители)", false},
    {"N115", "N2", ControlKind::Separator, "", true},
    {"N116", "N2", ControlKind::MenuItem, "По снятым (несовершеннолетние)", false},
    {"N119", "N2", ControlKind::MenuItem, "По снятым (родители)", false},
    {"N127", "N2", ControlKind::MenuItem, "По снятым за год (родители)", false},
    {"N132", "N2", ControlKind::MenuItem, "Осужденные", false},
    {"N125", "N2", ControlKind::Separator, "", true},
    {"N126", "N2", ControlKind::MenuItem, "Банк данных по семьям", false},
    {"N155", "N2", ControlKind::MenuItem, "Банк данных по несовершеннолетним", false},
    {"N140", "N2", ControlKind::MenuItem, "Банк данных по несовершеннолетним (архив)", false},
    {"N139", "N2", ControlKind::MenuItem, "Банк данных по семьям (архив)", false},
    {"N129", "N2", ControlKind::Separator, "", true},
    {"N130", "N2", ControlKind::MenuItem, "Карточка несовершеннолетнего", false},
    {"N149", "N2", ControlKind::MenuItem, "Карточка несовершеннолетнего (архив)", false},
    {"N131", "N2", ControlKind::MenuItem, "Карточка семьи", false},
    {"N150", "N2", ControlKind::MenuItem, "Карточка семьи (архив)", false},
    {"N133", "N2", ControlKind::Separator, "", true},
    {"N134", "N2", ControlKind::MenuItem, "Отчёт несовершеннолетних", false},
    {"N156", "N2", ControlKind::MenuItem, "Отчёт семьи (Контроль)", true},
    {"N151", "N2", ControlKind::MenuItem, "Отчёт \"Причины постановки на учёт\"", false},
    {"N3", "TForm1", ControlKind::MenuItem, "О программе", true},
    {"N4", "TForm1", ControlKind::MenuItem, "Выход", true},
};

// ----------------------------------------------------------------------------------- work area

const int kStatusPanelWidths[] = {170, 270, 170, 150, 150, 150, 50};

const char* const kNavigatorHints[] = {
    "Первая запись",       "Предыдущая запись",   "Следующая запись",   "Последняя запись",
    "Вставить запись",     "Удалить запись",      "Редактировать запись", "Сохранить изменения",
    "Отменить изменения",  "Обновить данные",
};

// -------------------------------------------------------------------------------- grid tabs

// A field of a registration sub-tab; only memo boxes may be read-only there.
struct SubTabField {
    const char* field;
    bool readOnly = false;
};

// One sub-tab below a master grid: a detail grid with read-only memo boxes for its memo fields,
// or the master's registration fields, or just the operational information.
struct SubTab {
    const char* caption;
    const char* detail;               // layout of the detail table the grid shows; nullptr: none
    std::vector<const char*> memos;   // memo fields of the detail table shown beside its grid
    std::vector<SubTabField> fields;  // master fields, in every copy
    std::vector<SubTabField> archiveFields = {};  // master fields the archive copy adds
    bool noteBox = false;  // the grid tab's operational-information box sits here
};

using GridRegister = std::vector<SubTab>;

const GridRegister& minorsGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности судом", "PNU", {"StSud", "DObSud"}, {}},
        {"Привлечение к ответственности комиссией", "PKO", {"StProt", "MeraProt", "Rek"}, {}},
        {"Проводимая индивидуальная работа", "PIR", {}, {}},
        {"Постановка на учёт", nullptr, {}, {{"PKDN"}, {"DKDN"}, {"NKDN"}}, {{"DCcU"}, {"OCcU"}}, true},
    };
    return r;
}

const GridRegister& parentsGridRegister() {
    static const GridRegister r = {
        {"Сведения о детях", "SD", {}, {}},
        {"Привлечение к ответственности", "PKOR", {"Mater", "O", "PM", "DM"}, {}},
        {"Профработа", "PR", {}, {}},
        {"Постановка на учёт- контроль", nullptr, {}, {{"DKDN"}, {"KKDN", true}, {"NKDN"}, {"OKDN"}},
         {{"DCcU"}, {"OCcU"}, {"PCcU"}}, true},
    };
    return r;
}

const GridRegister& othersGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности", "PKOP", {"Mater", "O", "PM", "DM"}, {}},
        {"Оперативная информация", nullptr, {}, {}, {}, true},
    };
    return r;
}

const GridRegister& institutionsGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности", "PKOU", {"Osn"}, {}},
        {"Оперативная информация", nullptr, {}, {}, {}, true},
    };
    return r;
}

struct GridTab {
    const char* sheet;
    const GridRegister& subTabs;
    int firstGrid;  // DBGridN of the master; the detail grids follow it
    int source;     // table object of the master
    bool archive;
    bool readOnly;        // the grids start read-only
    bool editingSwitch;   // the editing switch opens its grids and read-only memo boxes
    const char* noteBox;  // operational-information box
};

const std::vector<GridTab>& gridTabs() {
    static const std::vector<GridTab> tabs = {
        {"TabSheet1", minorsGridRegister(), 1, 1, false, true, true, "RichEdit2"},
        {"TabSheet3", parentsGridRegister(), 9, 9, false, true, true, "RichEdit8"},
        {"TabSheet5", minorsGridRegister(), 5, 5, true, true, true, "RichEdit3"},
        {"TabSheet6", parentsGridRegister(), 13, 13, true, true, true, "RichEdit5"},
        {"TabSheet23", othersGridRegister(), 17, 33, false, false, false, "RichEdit7"},
        {"TabSheet25", othersGridRegister(), 19, 35, true, false, false, "RichEdit9"},
        {"TabSheet30", institutionsGridRegister(), 21, 41, false, true, false, "RichEdit11"},
    };
    return tabs;
}

// The grids whose rows of persons of age are painted; the filter menus name the grids they sit on.
const char* const kColourAdultsGrids[] = {"DBGrid1", "DBGrid10"};

// The archive children's grid heads its occupation column otherwise than the live one.
struct ColumnTitle {
    const char* grid;
    const char* field;
    const char* title;
};

const ColumnTitle kColumnTitles[] = {{"DBGrid14", "OU", "Контроль"}};

// --------------------------------------------------------------------------------- building

const Layout& layoutOf(int source) { return store::layoutNamed(store::tableObject(source).table); }

int detailSource(int master, const char* layout) {
    for (const store::TableObjectDef& d : store::tableObjects())
        if (d.masterSource == master && same(d.table, layout)) return d.number;
    throw EngineError("нет таблицы " + std::string(layout) + " при Table" + std::to_string(master));
}

int entryWidth(const FieldDef& f) {
    if (f.size > 0) return f.size;
    return f.type == FieldType::Date ? 10 : 6;
}

std::vector<GridColumn> gridColumns(const std::string& grid, const Layout& layout) {
    std::vector<GridColumn> columns;
    for (const FieldDef& f : layout.fields) {
        if (!f.grid) continue;
        GridColumn col{f.name, Layout::titleOf(f), f.width > 0 ? f.width : entryWidth(f)};
        // The home telephones show only as many digits as the program writes.
        for (const store::FieldLimit& l : store::initialPhoneLimits())
            if (same(l.table, layout.name) && same(l.field, f.name)) col.width = l.limit;
        for (const ColumnTitle& t : kColumnTitles)
            if (grid == t.grid && same(t.field, f.name)) col.title = t.title;
        columns.push_back(std::move(col));
    }
    return columns;
}

// The caption shown beside a field: its card row's where a card shows it, else the grid title.
std::string captionOf(const Layout& layout, const FieldDef& f) {
    const CardField* row = cardFieldOf(layout.name, f.name);
    if (row && row->caption) return row->caption;
    return Layout::titleOf(f);
}

// Whether a memo box of a grid tab is one the editing switch opens.
bool switchedMemo(const GridTab& tab, bool readOnly) { return tab.editingSwitch && readOnly; }

// The number after "prefix" in `name`, or 0.
int numberIn(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    return std::atoi(name.c_str() + prefix.size());
}

// The highest number the cards give a control of that prefix.
int highestOnCards(const char* prefix, const char* CardField::*name) {
    int highest = 0;
    forEachCardField([&](const CardGroup&, const CardField& f) { highest = std::max(highest, numberIn(f.*name, prefix)); });
    return highest;
}

int highestWorkTab() {
    int highest = 0;
    for (const WorkTab& t : workTabs()) highest = std::max(highest, numberIn(t.name, "TabSheet"));
    return highest;
}

// Names the grid tabs' controls: each kind in a series of its own, labels and edits after the
// cards' and the pages after the work area's, so no card row renames them.
class GridTabNames {
public:
    GridTabNames()
        : label_(highestOnCards("Label", &CardField::label) + 1),
          edit_(highestOnCards("DBEdit", &CardField::control) + 1),
          tabSheet_(highestWorkTab() + 1) {}

    std::string label() { return "Label" + std::to_string(label_++); }
    std::string edit() { return "DBEdit" + std::to_string(edit_++); }
    std::string pageControl() { return "PageControl" + std::to_string(pageControl_++); }
    std::string tabSheet() { return "TabSheet" + std::to_string(tabSheet_++); }
    std::string memo(bool switched) { return "DBMemo" + std::to_string(switched ? switchedMemo_++ : gridMemo_++); }

private:
    int label_;
    int edit_;
    int tabSheet_;
    int pageControl_ = 2;    // after the work area's PageControl1
    int switchedMemo_ = 11;  // the read-only memo boxes of the minors' and parents' grid tabs
    int gridMemo_ = 45;      // the other memo boxes of the grid tabs
};

Control& addBound(FormModel& m, const std::string& name, ControlKind kind, const std::string& parent, int source,
                  const char* field) {
    Control& c = m.add(name, kind, parent);
    c.dataSource = source;
    c.field = field;
    return c;
}

void addNavigator(FormModel& m, const std::string& name, const std::string& parent, int source) {
    Control& nav = m.add(name, ControlKind::Navigator, parent);
    nav.dataSource = source;
    nav.items.assign(std::begin(kNavigatorHints), std::end(kNavigatorHints));
}

void addNoteBox(FormModel& m, const char* name, const std::string& parent, int source) {
    m.add(name, ControlKind::RichEdit, parent).dataSource = source;
}

ControlKind kindOf(Entry e) {
    switch (e) {
        case Entry::Edit: return ControlKind::Edit;
        case Entry::ComboBox: return ControlKind::ComboBox;
        case Entry::Memo: return ControlKind::Memo;
    }
    return ControlKind::Edit;
}

// A field of an edit card: its caption label and its edit, combo box or memo box.
void addCardField(FormModel& m, const std::string& parent, int source, const CardField& row) {
    const Layout& layout = layoutOf(source);
    const FieldDef& f = layout.field(row.field);
    m.add(row.label, ControlKind::Label, parent).caption = captionOf(layout, f);
    Control& c = addBound(m, row.control, kindOf(row.entry), parent, source, f.name);
    if (row.entry != Entry::Memo) c.width = entryWidth(f);
    if (row.phrases.menu) c.popupMenu = row.phrases.menu;
    c.items.assign(row.items.begin(), row.items.end());
}

void addCard(FormModel& m, const CardTab& card) {
    std::string outer;  // the last group that is not nested
    for (const CardGroup& g : card.groups) {
        const std::string parent = g.nested ? outer : card.sheet;
        m.add(g.name, g.caption ? ControlKind::GroupBox : ControlKind::Panel, parent).caption =
            g.caption ? g.caption : "";
        if (g.navigator) addNavigator(m, g.navigator, g.name, g.source);
        for (const CardField& f : g.fields) addCardField(m, g.name, g.source, f);
        if (g.noteBox) addNoteBox(m, g.noteBox, g.name, g.source);
        for (const CardButton& btn : g.buttons) m.add(btn.name, ControlKind::Button, g.name).caption = btn.caption;
        if (!g.nested) outer = g.name;
    }
}

Control& addGrid(FormModel& m, const std::string& name, const std::string& parent, int source, bool readOnly) {
    Control& grid = addBound(m, name, ControlKind::Grid, parent, source, "");
    grid.readOnly = readOnly;
    grid.columns = gridColumns(name, layoutOf(source));
    for (const char* g : kColourAdultsGrids)
        if (name == g) grid.colourAdults = true;
    for (const FilterMenu& menu : filterMenus())
        if (name == menu.grid) grid.popupMenu = menu.menu;
    return grid;
}

// A registration field of a grid tab: caption label and an edit, or a memo box.
void addSubTabField(FormModel& m, GridTabNames& names, const GridTab& tab, const std::string& parent,
                    const SubTabField& sf) {
    const Layout& layout = layoutOf(tab.source);
    const FieldDef& f = layout.field(sf.field);
    m.add(names.label(), ControlKind::Label, parent).caption = captionOf(layout, f);
    if (f.type == FieldType::Memo) {
        addBound(m, names.memo(switchedMemo(tab, sf.readOnly)), ControlKind::Memo, parent, tab.source, f.name)
            .readOnly = sf.readOnly;
    } else {
        addBound(m, names.edit(), ControlKind::Edit, parent, tab.source, f.name).width = entryWidth(f);
    }
}

void addGridTab(FormModel& m, GridTabNames& names, const GridTab& tab) {
    addGrid(m, "DBGrid" + std::to_string(tab.firstGrid), tab.sheet, tab.source, tab.readOnly);
    const std::string pages = names.pageControl();
    Control& pageControl = m.add(pages, ControlKind::PageControl, tab.sheet);
    int grid = tab.firstGrid;
    for (const SubTab& sub : tab.subTabs) {
        const std::string sheet = names.tabSheet();
        if (pageControl.text.empty()) pageControl.text = sheet;
        m.add(sheet, ControlKind::TabSheet, pages).caption = sub.caption;
        if (sub.detail) {
            const int source = detailSource(tab.source, sub.detail);
            addGrid(m, "DBGrid" + std::to_string(++grid), sheet, source, tab.readOnly);
            for (const char* field : sub.memos)
                addBound(m, names.memo(switchedMemo(tab, true)), ControlKind::Memo, sheet, source, field).readOnly =
                    true;
        }
        for (const SubTabField& f : sub.fields) addSubTabField(m, names, tab, sheet, f);
        if (tab.archive)
            for (const SubTabField& f : sub.archiveFields) addSubTabField(m, names, tab, sheet, f);
        if (sub.noteBox) addNoteBox(m, tab.noteBox, sheet, tab.source);
    }
}

}  // namespace

std::string fieldCaption(std::string_view layout, std::string_view field) {
    // One lookup per layout, field -> caption, from the cards and the grid tabs' registration fields.
    using Captions = std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>>;
    static const Captions captions = [] {
        Captions c;
        const auto note = [&c](int source, const char* fieldName) {
            const Layout& l = layoutOf(source);
            c[l.name].emplace(fieldName, captionOf(l, l.field(fieldName)));
        };
        forEachCardField([&note](const CardGroup& g, const CardField& f) { note(g.source, f.field); });
        for (const GridTab& tab : gridTabs())
            for (const SubTab& sub : tab.subTabs)
                for (const auto* list : {&sub.fields, &sub.archiveFields})
                    for (const SubTabField& f : *list) note(tab.source, f.field);
        return c;
    }();
    const auto l = captions.find(layout);
    if (l == captions.end()) return {};
    const auto f = l->second.find(field);
    return f == l->second.end() ? std::string() : f->second;
}

std::map<int, std::vector<std::string>> noteBoxes() {
    std::map<int, std::vector<std::string>> boxes;
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            if (g.noteBox) boxes[g.source].push_back(g.noteBox);
    for (const GridTab& tab : gridTabs()) boxes[tab.source].push_back(tab.noteBox);
    return boxes;
}

std::vector<std::string> editingSwitchControls(const FormModel& model) {
    std::vector<std::string> names;
    for (const auto& c : model.controls()) {
        if (c->kind != ControlKind::Grid && c->kind != ControlKind::Memo) continue;
        std::string sheet = c->parent;
        while (!sheet.empty() && model.get(sheet).parent != "PageControl1") sheet = model.get(sheet).parent;
        for (const GridTab& tab : gridTabs()) {
            if (sheet != tab.sheet || !tab.editingSwitch) continue;
            bool switched = true;  // the grids and the memo boxes beside the detail grids
            if (c->kind == ControlKind::Memo && c->dataSource == tab.source) {
                switched = false;
                for (const SubTab& sub : tab.subTabs)
                    for (const auto* list : {&sub.fields, &sub.archiveFields})
                        for (const SubTabField& f : *list)
                            if (c->field == f.field && f.readOnly) switched = true;
            }
            if (switched) names.push_back(c->name);
        }
    }
    return names;
}

int gridTabMaster(std::string_view sheet) {
    for (const GridTab& tab : gridTabs())
        if (sheet == tab.sheet) return tab.source;
    return 0;
}

std::string gridTabNoteBox(int master) {
    for (const GridTab& tab : gridTabs())
        if (tab.source == master) return tab.noteBox;
    return std::string();
}

void buildMainWindowControls(FormModel& model) {
    for (const MenuEntry& m : kMenu) {
        Control& c = model.add(m.name, m.kind, m.parent);
        c.caption = m.caption;
        c.visible = m.visible;
    }

    // The work area stays hidden until a register is chosen.
    Control& work = model.add("PageControl1", ControlKind::PageControl, "TForm1");
    work.visible = false;
    work.text = workTabs().front().name;
    for (const WorkTab& t : workTabs()) model.add(t.name, ControlKind::TabSheet, "PageControl1").caption = t.caption;

    for (const CardTab& card : cardTabs()) addCard(model, card);
    GridTabNames names;
    for (const GridTab& tab : gridTabs()) addGridTab(model, names, tab);

    model.add("StatusBar1", ControlKind::StatusBar, "TForm1");
    for (size_t i = 0; i < std::size(kStatusPanelWidths); ++i)
        model.add("StatusBar1.Panel" + std::to_string(i), ControlKind::StatusPanel, "StatusBar1").width =
            kStatusPanelWidths[i];
}

std::vector<GridColumn> gridColumnsOf(const std::string& grid, const store::Layout& layout) {
    return gridColumns(grid, layout);
}

}  // namespace zelt::app
