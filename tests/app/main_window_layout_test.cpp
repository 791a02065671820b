// The main window's controls: every control hangs under the window, and the tabs, grids, combo
// boxes, memo boxes, labels, buttons, menu and status bar carry the names, bindings, captions and
// initial states that the handlers, list files and register commands rely on.
#include "app/main_window_layout.h"

#include "store/layout.h"
#include "store/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zelt::app {
namespace {

using Strings = std::vector<std::string>;

const char* const kCardOf[][2] = {
    {"ZELT", "TabSheet2"},     {"PNU", "TabSheet2"},      {"PKO", "TabSheet2"}, {"PIR", "TabSheet2"},
    {"BDS", "TabSheet4"},      {"SD", "TabSheet4"},       {"PKOR", "TabSheet4"}, {"PR", "TabSheet4"},
    {"Prochie", "TabSheet24"}, {"PKOP", "TabSheet24"},    {"Uch", "TabSheet31"}, {"PKOU", "TabSheet31"},
};

std::string cardOf(const std::string& layout) {
    for (const auto& row : kCardOf)
        if (layout == row[0]) return row[1];
    return "";
}

bool isEntry(const Control& c) {
    return c.kind == ControlKind::Edit || c.kind == ControlKind::ComboBox || c.kind == ControlKind::Memo;
}

std::string layoutOf(int source) { return store::tableObject(source).table; }

class MainWindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        Control form;
        form.name = "TForm1";
        form.kind = ControlKind::Form;
        model.add(std::move(form));
        buildMainWindowControls(model);
    }

    // The work-area tab a control lies on, "" when it lies on none.
    std::string sheetOf(const Control& c) const {
        const Control* p = &c;
        for (int depth = 0; p && depth < 32; ++depth) {
            if (p->kind == ControlKind::TabSheet && p->parent == "PageControl1") return p->name;
            p = model.find(p->parent);
        }
        return "";
    }

    std::vector<const Control*> entriesOn(const std::string& sheet) const {
        std::vector<const Control*> out;
        for (const auto& c : model.controls())
            if (isEntry(*c) && sheetOf(*c) == sheet) out.push_back(c.get());
        return out;
    }

    std::vector<const Control*> ofKind(ControlKind kind) const {
        std::vector<const Control*> out;
        for (const auto& c : model.controls())
            if (c->kind == kind) out.push_back(c.get());
        return out;
    }

    Strings childNames(const std::string& parent, ControlKind kind) const {
        Strings out;
        for (const Control* c : model.childrenOf(parent))
            if (c->kind == kind) out.push_back(c->name);
        return out;
    }

    // Fields of the children of `parent` of one kind, in order; `readOnly` selects memo boxes.
    Strings childFields(const std::string& parent, ControlKind kind, bool readOnly) const {
        Strings out;
        for (const Control* c : model.childrenOf(parent))
            if (c->kind == kind && c->readOnly == readOnly) out.push_back(c->field);
        return out;
    }

    FormModel model;
};

TEST_F(MainWindowLayoutTest, EveryControlHangsUnderTheMainWindowAfterItsParent) {
    std::map<std::string, size_t> position;
    for (const auto& c : model.controls()) position[c->name] = position.size();
    for (const auto& c : model.controls()) {
        if (c->name == "TForm1") continue;
        ASSERT_TRUE(position.count(c->parent)) << c->name << " has no parent " << c->parent;
        EXPECT_LT(position[c->parent], position[c->name]) << c->name << " comes before its parent";
        const Control* p = c.get();
        for (int depth = 0; p && p->name != "TForm1" && depth < 32; ++depth) p = model.find(p->parent);
        EXPECT_TRUE(p && p->name == "TForm1") << c->name;
    }
}

TEST_F(MainWindowLayoutTest, NamesCarryTheirKindAndANumber) {
    const std::map<ControlKind, std::string> prefixes = {
        {ControlKind::Edit, "DBEdit"},       {ControlKind::ComboBox, "DBComboBox"},
        {ControlKind::Memo, "DBMemo"},       {ControlKind::Grid, "DBGrid"},
        {ControlKind::Navigator, "DBNavigator"}, {ControlKind::Label, "Label"},
        {ControlKind::GroupBox, "GroupBox"}, {ControlKind::Panel, "Panel"},
        {ControlKind::RichEdit, "RichEdit"}, {ControlKind::Button, "BitBtn"},
        {ControlKind::TabSheet, "TabSheet"}, {ControlKind::PageControl, "PageControl"},
        {ControlKind::Menu, "N"},            {ControlKind::MenuItem, "N"},
        {ControlKind::Separator, "N"},
    };
    for (const auto& c : model.controls()) {
        const auto it = prefixes.find(c->kind);
        if (it == prefixes.end()) continue;
        const std::string& p = it->second;
        const std::string rest = c->name.substr(std::min(p.size(), c->name.size()));
        EXPECT_TRUE(c->name.compare(0, p.size(), p) == 0 && !rest.empty() &&
                    std::all_of(rest.begin(), rest.end(), [](char ch) { return std::isdigit(ch) != 0; }))
            << c->name;
    }
}

TEST_F(MainWindowLayoutTest, EditsAreNumberedInCardOrderLeavingThirtySevenToTheCourtMeasure) {
    std::vector<int> numbers;
    for (const Control* e : ofKind(ControlKind::Edit)) numbers.push_back(std::stoi(e->name.substr(6)));
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], static_cast<int>(i) + 1);

    const Control& first = model.get("DBEdit1");
    EXPECT_EQ(first.dataSource, 1);
    EXPECT_EQ(first.field, "F");
    EXPECT_EQ(sheetOf(first), "TabSheet2");
    const Control& measure = model.get("DBEdit37");
    EXPECT_EQ(measure.kind, ControlKind::Edit);
    EXPECT_EQ(measure.dataSource, 2);
    EXPECT_EQ(measure.field, "MeraSud");
    EXPECT_EQ(measure.width, 40);
}

TEST_F(MainWindowLayoutTest, DataAwareControlsShowFieldsOfTheirTable) {
    for (const auto& c : model.controls()) {
        const bool dataAware = isEntry(*c) || c->kind == ControlKind::Grid || c->kind == ControlKind::Navigator;
        if (!dataAware) continue;
        ASSERT_TRUE(c->dataSource >= 1 && c->dataSource <= 48) << c->name;
        const store::Layout& layout = store::layoutNamed(layoutOf(c->dataSource));
        if (isEntry(*c)) {
            EXPECT_GE(layout.indexOf(c->field), 0) << c->name << " " << c->field;
        }
        for (const GridColumn& col : c->columns) EXPECT_GE(layout.indexOf(col.field), 0) << c->name;
    }
}

TEST_F(MainWindowLayoutTest, WorkAreaHasTwelveTabsInRegisterOrderAndStartsHidden) {
    const char* const tabs[][2] = {
        {"TabSheet1", "Несовершеннолетние"}, {"TabSheet2", "БД несовершеннолетних"},
        {"TabSheet3", "Родители"},           {"TabSheet4", "БД родителей"},
        {"TabSheet5", "Архив несовершеннолетние"}, {"TabSheet6", "Архив родители"},
        {"TabSheet23", "Прочие"},            {"TabSheet24", "БД прочие"},
        {"TabSheet25", "Архив прочие"},      {"TabSheet30", "Учреждения"},
        {"TabSheet31", "БД учреждения"},     {"TabSheet32", "Архив учреждения"},
    };
    const Control& work = model.get("PageControl1");
    EXPECT_EQ(work.kind, ControlKind::PageControl);
    EXPECT_EQ(work.parent, "TForm1");
    EXPECT_FALSE(work.visible);
    EXPECT_EQ(work.text, "TabSheet1");
    const std::vector<Control*> kids = model.childrenOf("PageControl1");
    ASSERT_EQ(kids.size(), std::size(tabs));
    for (size_t i = 0; i < kids.size(); ++i) {
        EXPECT_EQ(kids[i]->kind, ControlKind::TabSheet);
        EXPECT_EQ(kids[i]->name, tabs[i][0]);
        EXPECT_EQ(kids[i]->caption, tabs[i][1]) << tabs[i][0];
    }
    EXPECT_TRUE(model.childrenOf("TabSheet32").empty());
}

struct GridCase {
    const char* grid;
    const char* sheet;
    int source;
    bool readOnly;
    bool colourAdults;
    const char* popupMenu;
};

const GridCase kGrids[] = {
    {"DBGrid1", "TabSheet1", 1, true, true, "PopupMenu1"},    {"DBGrid2", "TabSheet1", 2, true, false, ""},
    {"DBGrid3", "TabSheet1", 3, true, false, ""},             {"DBGrid4", "TabSheet1", 4, true, false, ""},
    {"DBGrid5", "TabSheet5", 5, true, false, "PopupMenu2"},   {"DBGrid6", "TabSheet5", 6, true, false, ""},
    {"DBGrid7", "TabSheet5", 7, true, false, ""},             {"DBGrid8", "TabSheet5", 8, true, false, ""},
    {"DBGrid9", "TabSheet3", 9, true, false, "PopupMenu6"},   {"DBGrid10", "TabSheet3", 10, true, true, ""},
    {"DBGrid11", "TabSheet3", 11, true, false, ""},           {"DBGrid12", "TabSheet3", 12, true, false, ""},
    {"DBGrid13", "TabSheet6", 13, true, false, "PopupMenu7"}, {"DBGrid14", "TabSheet6", 14, true, false, ""},
    {"DBGrid15", "TabSheet6", 15, true, false, ""},           {"DBGrid16", "TabSheet6", 16, true, false, ""},
    {"DBGrid17", "TabSheet23", 33, false, false, ""},         {"DBGrid18", "TabSheet23", 34, false, false, ""},
    {"DBGrid19", "TabSheet25", 35, false, false, ""},         {"DBGrid20", "TabSheet25", 36, false, false, ""},
    {"DBGrid21", "TabSheet30", 41, true, false, ""},          {"DBGrid22", "TabSheet30", 43, true, false, ""},
};

TEST_F(MainWindowLayoutTest, GridsShowTheirTableWithTheGridFieldsInRecordOrder) {
    EXPECT_EQ(ofKind(ControlKind::Grid).size(), std::size(kGrids));
    for (const GridCase& g : kGrids) {
        const Control* c = model.find(g.grid);
        ASSERT_NE(c, nullptr) << g.grid;
        EXPECT_EQ(c->kind, ControlKind::Grid) << g.grid;
        EXPECT_EQ(sheetOf(*c), g.sheet) << g.grid;
        EXPECT_EQ(c->dataSource, g.source) << g.grid;
        EXPECT_EQ(c->readOnly, g.readOnly) << g.grid;
        EXPECT_EQ(c->colourAdults, g.colourAdults) << g.grid;
        EXPECT_EQ(c->popupMenu, g.popupMenu) << g.grid;

        Strings fields, titles, expectedFields, expectedTitles;
        for (const GridColumn& col : c->columns) {
            fields.push_back(col.field);
            titles.push_back(col.title);
        }
        for (const store::FieldDef& f : store::layoutNamed(layoutOf(g.source)).fields) {
            if (!f.grid) continue;
            expectedFields.push_back(f.name);
            const bool controlColumn = std::string(g.grid) == "DBGrid14" && std::string(f.name) == "OU";
            expectedTitles.push_back(controlColumn ? "Контроль" : store::Layout::titleOf(f));
        }
        EXPECT_EQ(fields, expectedFields) << g.grid;
        EXPECT_EQ(titles, expectedTitles) << g.grid;
    }
}

TEST_F(MainWindowLayoutTest, GridColumnWidths) {
    struct Case {
        const char* grid;
        const char* field;
        int width;
    };
    const Case cases[] = {
        {"DBGrid1", "F", 15},      // the layout's grid width
        {"DBGrid1", "L", 2},       // narrower than a number
        {"DBGrid1", "MR", 30},     // the alpha size
        {"DBGrid1", "DR", 10},     // a date
        {"DBGrid10", "L", 6},      // a number without a width
        {"DBGrid1", "DTel", 5},    // home telephones: the digits written at start
        {"DBGrid5", "DTel", 5},
        {"DBGrid9", "Dtm", 5},
        {"DBGrid13", "Dto", 5},
        {"DBGrid17", "Dt", 7},
        {"DBGrid19", "Dt", 7},
        {"DBGrid9", "Mtm", 11},    // mobile telephones keep their size
        {"DBGrid12", "Pr", 150},
        {"DBGrid21", "Naim", 60},
        {"DBGrid22", "NKDN", 4},
        {"DBGrid14", "OU", 20},
    };
    for (const Case& k : cases) {
        const Control& grid = model.get(k.grid);
        const auto col = std::find_if(grid.columns.begin(), grid.columns.end(),
                                      [&](const GridColumn& c) { return c.field == k.field; });
        ASSERT_NE(col, grid.columns.end()) << k.grid << " " << k.field;
        EXPECT_EQ(col->width, k.width) << k.grid << " " << k.field;
    }
}

struct SubTabCase {
    const char* sheet;
    const char* caption;
    const char* grid;       // "" for none
    Strings readOnlyMemos;  // bound to the grid's table, or to the master on a registration tab
    Strings edits;          // master fields, editable
    Strings editableMemos;  // master fields
    const char* noteBox;    // "" for none
};

const SubTabCase kSubTabs[] = {
    {"TabSheet1", "Привлечение к ответственности судом", "DBGrid2", {"StSud", "DObSud"}, {}, {}, ""},
    {"TabSheet1", "Привлечение к ответственности комиссией", "DBGrid3", {"StProt", "MeraProt", "Rek"}, {}, {}, ""},
    {"TabSheet1", "Проводимая индивидуальная работа", "DBGrid4", {}, {}, {}, ""},
    {"TabSheet1", "Постановка на учёт", "", {}, {"DKDN", "NKDN"}, {"PKDN"}, "RichEdit2"},
    {"TabSheet3", "Сведения о детях", "DBGrid10", {}, {}, {}, ""},
    {"TabSheet3", "Привлечение к ответственности", "DBGrid11", {"Mater", "O", "PM", "DM"}, {}, {}, ""},
    {"TabSheet3", "Профработа", "DBGrid12", {}, {}, {}, ""},
    {"TabSheet3", "Постановка на учёт- контроль", "", {"KKDN"}, {"DKDN", "NKDN", "OKDN"}, {}, "RichEdit8"},
    {"TabSheet5", "Привлечение к ответственности судом", "DBGrid6", {"StSud", "DObSud"}, {}, {}, ""},
    {"TabSheet5", "Привлечение к ответственности комиссией", "DBGrid7", {"StProt", "MeraProt", "Rek"}, {}, {}, ""},
    {"TabSheet5", "Проводимая индивидуальная работа", "DBGrid8", {}, {}, {}, ""},
    {"TabSheet5", "Постановка на учёт", "", {}, {"DKDN", "NKDN", "DCcU", "OCcU"}, {"PKDN"}, "RichEdit3"},
    {"TabSheet6", "Сведения о детях", "DBGrid14", {}, {}, {}, ""},
    {"TabSheet6", "Привлечение к ответственности", "DBGrid15", {"Mater", "O", "PM", "DM"}, {}, {}, ""},
    {"TabSheet6", "Профработа", "DBGrid16", {}, {}, {}, ""},
    {"TabSheet6", "Постановка на учёт- контроль", "", {"KKDN"}, {"DKDN", "NKDN", "OKDN", "DCcU", "OCcU", "PCcU"},
     {}, "RichEdit5"},
    {"TabSheet23", "Привлечение к ответственности", "DBGrid18", {"Mater", "O", "PM", "DM"}, {}, {}, ""},
    {"TabSheet23", "Оперативная информация", "", {}, {}, {}, "RichEdit7"},
    {"TabSheet25", "Привлечение к ответственности", "DBGrid20", {"Mater", "O", "PM", "DM"}, {}, {}, ""},
    {"TabSheet25", "Оперативная информация", "", {}, {}, {}, "RichEdit9"},
    {"TabSheet30", "Привлечение к ответственности", "DBGrid22", {"Osn"}, {}, {}, ""},
    {"TabSheet30", "Оперативная информация", "", {}, {}, {}, "RichEdit11"},
};

TEST_F(MainWindowLayoutTest, SubTabsBelowEachMasterGrid) {
    std::vector<std::string> sheets;
    for (const SubTabCase& s : kSubTabs)
        if (std::find(sheets.begin(), sheets.end(), s.sheet) == sheets.end()) sheets.push_back(s.sheet);
    for (const std::string& sheet : sheets) {
        const Strings pageControls = childNames(sheet, ControlKind::PageControl);
        ASSERT_EQ(pageControls.size(), 1u) << sheet;
        const Strings masterGrids = childNames(sheet, ControlKind::Grid);
        ASSERT_EQ(masterGrids.size(), 1u) << sheet;
        const int master = model.get(masterGrids[0]).dataSource;

        const Strings pages = childNames(pageControls[0], ControlKind::TabSheet);
        std::vector<const SubTabCase*> expected;
        for (const SubTabCase& s : kSubTabs)
            if (sheet == s.sheet) expected.push_back(&s);
        ASSERT_EQ(pages.size(), expected.size()) << sheet;
        EXPECT_EQ(model.get(pageControls[0]).text, pages[0]) << sheet;
        for (size_t i = 0; i < pages.size(); ++i) {
            const SubTabCase& s = *expected[i];
            const std::string& page = pages[i];
            EXPECT_EQ(model.get(page).caption, s.caption) << sheet;
            const Strings grids = childNames(page, ControlKind::Grid);
            EXPECT_EQ(grids, *s.grid ? Strings{s.grid} : Strings{}) << s.caption;
            EXPECT_EQ(childFields(page, ControlKind::Memo, true), s.readOnlyMemos) << sheet << " " << s.caption;
            EXPECT_EQ(childFields(page, ControlKind::Memo, false), s.editableMemos) << sheet << " " << s.caption;
            EXPECT_EQ(childFields(page, ControlKind::Edit, false), s.edits) << sheet << " " << s.caption;
            EXPECT_TRUE(childFields(page, ControlKind::Edit, true).empty()) << sheet << " " << s.caption;
            EXPECT_EQ(childNames(page, ControlKind::RichEdit), *s.noteBox ? Strings{s.noteBox} : Strings{});
            const int source = grids.empty() ? master : model.get(grids[0]).dataSource;
            for (const Control* c : model.childrenOf(page))
                if (isEntry(*c)) {
                    EXPECT_EQ(c->dataSource, source) << c->name;
                }
        }
    }
}

TEST_F(MainWindowLayoutTest, EditingSwitchMemosAreTheReadOnlyMemosOfMinorsAndParentsGridTabs) {
    struct Case {
        const char* memo;
        const char* sheet;
        int source;
        const char* field;
    };
    const Case cases[] = {
        {"DBMemo11", "TabSheet1", 2, "StSud"},  {"DBMemo12", "TabSheet1", 2, "DObSud"},
        {"DBMemo13", "TabSheet1", 3, "StProt"}, {"DBMemo14", "TabSheet1", 3, "MeraProt"},
        {"DBMemo15", "TabSheet1", 3, "Rek"},    {"DBMemo16", "TabSheet3", 11, "Mater"},
        {"DBMemo17", "TabSheet3", 11, "O"},     {"DBMemo18", "TabSheet3", 11, "PM"},
        {"DBMemo19", "TabSheet3", 11, "DM"},    {"DBMemo20", "TabSheet3", 9, "KKDN"},
        {"DBMemo21", "TabSheet5", 6, "StSud"},  {"DBMemo22", "TabSheet5", 6, "DObSud"},
        {"DBMemo23", "TabSheet5", 7, "StProt"}, {"DBMemo24", "TabSheet5", 7, "MeraProt"},
        {"DBMemo25", "TabSheet5", 7, "Rek"},    {"DBMemo26", "TabSheet6", 15, "Mater"},
        {"DBMemo27", "TabSheet6", 15, "O"},     {"DBMemo28", "TabSheet6", 15, "PM"},
        {"DBMemo29", "TabSheet6", 15, "DM"},    {"DBMemo30", "TabSheet6", 13, "KKDN"},
    };
    std::set<std::string> switched;
    for (const Case& k : cases) {
        switched.insert(k.memo);
        const Control* m = model.find(k.memo);
        ASSERT_NE(m, nullptr) << k.memo;
        EXPECT_EQ(m->kind, ControlKind::Memo) << k.memo;
        EXPECT_TRUE(m->readOnly) << k.memo;
        EXPECT_EQ(sheetOf(*m), k.sheet) << k.memo;
        EXPECT_EQ(m->dataSource, k.source) << k.memo;
        EXPECT_EQ(m->field, k.field) << k.memo;
    }
    const std::set<std::string> switchedSheets = {"TabSheet1", "TabSheet3", "TabSheet5", "TabSheet6"};
    for (const Control* m : ofKind(ControlKind::Memo))
        if (m->readOnly && switchedSheets.count(sheetOf(*m))) {
            EXPECT_TRUE(switched.count(m->name)) << m->name;
        }
}

TEST_F(MainWindowLayoutTest, ComboBoxesAreBoundToTheirPickListFields) {
    struct Case {
        const char* name;
        const char* table;
        const char* field;
    };
    // In the order of the list files that fill them.
    const Case cases[] = {
        {"DBComboBox1", "ZELT", "MR"},     {"DBComboBox13", "ZELT", "MRmm"},  {"DBComboBox15", "ZELT", "MRoo"},
        {"DBComboBox3", "ZELT", "RegG"},   {"DBComboBox6", "ZELT", "PrG"},    {"DBComboBox18", "BDS", "MRm"},
        {"DBComboBox21", "BDS", "GRm"},    {"DBComboBox24", "BDS", "Gm"},     {"DBComboBox28", "BDS", "MRo"},
        {"DBComboBox33", "BDS", "GRo"},    {"DBComboBox36", "BDS", "Go"},     {"DBComboBox19", "Prochie", "MR"},
        {"DBComboBox39", "Prochie", "GR"}, {"DBComboBox45", "Prochie", "G"},  {"DBComboBox51", "Uch", "G"},
        {"DBComboBox8", "ZELT", "MUch"},   {"DBComboBox42", "SD", "OU"},      {"DBComboBox2", "ZELT", "RegO"},
        {"DBComboBox5", "ZELT", "PrO"},    {"DBComboBox20", "BDS", "ORm"},    {"DBComboBox23", "BDS", "Obm"},
        {"DBComboBox32", "BDS", "ORo"},    {"DBComboBox35", "BDS", "Obo"},    {"DBComboBox29", "Prochie", "OR"},
        {"DBComboBox44", "Prochie", "Ob"}, {"DBComboBox50", "Uch", "O"},      {"DBComboBox4", "ZELT", "RegU"},
        {"DBComboBox7", "ZELT", "PrU"},    {"DBComboBox22", "BDS", "URm"},    {"DBComboBox25", "BDS", "Um"},
        {"DBComboBox34", "BDS", "URo"},    {"DBComboBox37", "BDS", "Uo"},     {"DBComboBox43", "Prochie", "UR"},
        {"DBComboBox49", "Prochie", "U"},  {"DBComboBox52", "Uch", "U"},      {"DBComboBox9", "ZELT", "Statm"},
        {"DBComboBox10", "ZELT", "Stato"}, {"DBComboBox11", "ZELT", "OCcU"},  {"DBComboBox17", "PIR", "SubProf"},
        {"DBComboBox46", "PR", "S"},       {"DBComboBox48", "ZELT", "Zan"},   {"DBComboBox30", "BDS", "KVm"},
        {"DBComboBox31", "BDS", "KVo"},    {"DBComboBox12", "ZELT", "KV"},    {"DBComboBox14", "ZELT", "KVm"},
        {"DBComboBox16", "ZELT", "KVo"},   {"DBComboBox27", "Prochie", "KV"}, {"DBComboBox38", "BDS", "OKDN"},
        {"DBComboBox40", "BDS", "OCcU"},   {"DBComboBox41", "BDS", "PCcU"},   {"DBComboBox47", "PR", "P"},
        {"DBComboBox26", "ZELT", "Pol"},
    };
    EXPECT_EQ(ofKind(ControlKind::ComboBox).size(), std::size(cases));
    for (const Case& k : cases) {
        const Control* c = model.find(k.name);
        ASSERT_NE(c, nullptr) << k.name;
        EXPECT_EQ(c->kind, ControlKind::ComboBox) << k.name;
        ASSERT_TRUE(c->dataSource >= 1 && c->dataSource <= 48) << k.name;
        EXPECT_EQ(layoutOf(c->dataSource), k.table) << k.name;
        EXPECT_EQ(store::tableObject(c->dataSource).copy, store::Copy::Live) << k.name;
        EXPECT_EQ(c->field, k.field) << k.name;
        EXPECT_EQ(sheetOf(*c), cardOf(k.table)) << k.name;
        const Strings items = std::string(k.name) == "DBComboBox26" ? Strings{"М", "Ж"} : Strings{};
        EXPECT_EQ(c->items, items) << k.name;
    }
}

TEST_F(MainWindowLayoutTest, PhraseMenusSitOnTheirCardEntries) {
    struct Case {
        const char* name;
        ControlKind kind;
        const char* popupMenu;
        const char* table;
        const char* field;
    };
    const Case cases[] = {
        {"DBMemo1", ControlKind::Memo, "PopupMenu11", "PNU", "StSud"},
        {"DBMemo2", ControlKind::Memo, "PopupMenu12", "PNU", "DObSud"},
        {"DBEdit37", ControlKind::Edit, "PopupMenu22", "PNU", "MeraSud"},
        {"DBMemo3", ControlKind::Memo, "PopupMenu13", "PKO", "StProt"},
        {"DBMemo4", ControlKind::Memo, "PopupMenu14", "PKO", "MeraProt"},
        {"DBMemo5", ControlKind::Memo, "PopupMenu15", "PKO", "Rek"},
        {"DBMemo32", ControlKind::Memo, "PopupMenu21", "ZELT", "PKDN"},
        {"DBMemo6", ControlKind::Memo, "PopupMenu16", "BDS", "KKDN"},
        {"DBMemo7", ControlKind::Memo, "PopupMenu17", "PKOR", "O"},
        {"DBMemo8", ControlKind::Memo, "PopupMenu18", "PKOR", "PM"},
        {"DBMemo9", ControlKind::Memo, "PopupMenu19", "PKOR", "DM"},
        {"DBMemo10", ControlKind::Memo, "PopupMenu20", "PKOR", "Mater"},
        {"DBMemo41", ControlKind::Memo, "PopupMenu24", "PKOP", "O"},
        {"DBMemo42", ControlKind::Memo, "PopupMenu25", "PKOP", "PM"},
        {"DBMemo44", ControlKind::Memo, "PopupMenu27", "PKOP", "Mater"},
        {"DBMemo35", ControlKind::Memo, "PopupMenu28", "PKOU", "Osn"},
        {"DBMemo36", ControlKind::Memo, "PopupMenu30", "PKOU", "PM"},
        {"DBMemo37", ControlKind::Memo, "PopupMenu29", "PKOU", "Mater"},
        {"DBMemo38", ControlKind::Memo, "PopupMenu31", "PKOU", "Rek"},
    };
    std::set<std::string> withMenu;
    for (const Case& k : cases) {
        withMenu.insert(k.name);
        const Control* c = model.find(k.name);
        ASSERT_NE(c, nullptr) << k.name;
        EXPECT_EQ(c->kind, k.kind) << k.name;
        EXPECT_EQ(c->popupMenu, k.popupMenu) << k.name;
        EXPECT_EQ(layoutOf(c->dataSource), k.table) << k.name;
        EXPECT_EQ(store::tableObject(c->dataSource).copy, store::Copy::Live) << k.name;
        EXPECT_EQ(c->field, k.field) << k.name;
        EXPECT_EQ(sheetOf(*c), cardOf(k.table)) << k.name;
        EXPECT_FALSE(c->readOnly) << k.name;
    }
    for (const GridCase& g : kGrids)
        if (*g.popupMenu) withMenu.insert(g.grid);
    for (const auto& c : model.controls())
        if (!c->popupMenu.empty()) {
            EXPECT_TRUE(withMenu.count(c->name)) << c->name << " " << c->popupMenu;
        }
}

TEST_F(MainWindowLayoutTest, PickListLabelsCaptionTheirField) {
    struct Case {
        const char* label;
        const char* caption;
        const char* table;
        const char* field;
    };
    const Case cases[] = {
        {"Label5", "Место рождения", "ZELT", "MR"},
        {"Label142", "Место рождения", "ZELT", "MRmm"},
        {"Label144", "Место рождения", "ZELT", "MRoo"},
        {"Label7", "Город", "ZELT", "RegG"},
        {"Label12", "Город", "ZELT", "PrG"},
        {"Label52", "Место рождения", "BDS", "MRm"},
        {"Label75", "Место рождения", "BDS", "MRo"},
        {"Label61", "Город", "BDS", "GRm"},
        {"Label66", "Город", "BDS", "Gm"},
        {"Label84", "Город", "BDS", "GRo"},
        {"Label89", "Город", "BDS", "Go"},
        {"Label172", "Место рождения", "Prochie", "MR"},
        {"Label181", "Город", "Prochie", "GR"},
        {"Label186", "Город", "Prochie", "G"},
        {"Label6", "Область", "ZELT", "RegO"},
        {"Label11", "Область", "ZELT", "PrO"},
        {"Label60", "Область", "BDS", "ORm"},
        {"Label65", "Область", "BDS", "Obm"},
        {"Label83", "Область", "BDS", "ORo"},
        {"Label88", "Область", "BDS", "Obo"},
        {"Label180", "Область", "Prochie", "OR"},
        {"Label185", "Область", "Prochie", "Ob"},
        {"Label8", "Улица", "ZELT", "RegU"},
        {"Label13", "Улица", "ZELT", "PrU"},
        {"Label62", "Улица", "BDS", "URm"},
        {"Label67", "Улица", "BDS", "Um"},
        {"Label85", "Улица", "BDS", "URo"},
        {"Label90", "Улица", "BDS", "Uo"},
        {"Label182", "Улица", "Prochie", "UR"},
        {"Label187", "Улица", "Prochie", "U"},
        {"Label140", "Кем выдан", "ZELT", "KV"},
        {"Label148", "Кем выдан", "ZELT", "KVm"},
        {"Label152", "Кем выдан", "ZELT", "KVo"},
        {"Label59", "Кем выдан", "BDS", "KVm"},
        {"Label82", "Кем выдан", "BDS", "KVo"},
        {"Label179", "Кем выдан", "Prochie", "KV"},
        {"Label16", "Место учёбы", "ZELT", "MUch"},
        {"Label104", "Занятость", "SD", "OU"},
        {"Label114", "Занятость", "ZELT", "Zan"},
        {"Label22", "Статус", "ZELT", "Statm"},
        {"Label27", "Статус", "ZELT", "Stato"},
        {"Label31", "Основание", "ZELT", "OCcU"},
        {"Label43", "Субъект", "PIR", "SubProf"},
        {"Label110", "Субъект", "PR", "S"},
        {"Label113", "Результат", "PR", "P"},
        {"Label95", "Основание", "BDS", "OKDN"},
        {"Label98", "Основание", "BDS", "OCcU"},
        {"Label99", "Причина", "BDS", "PCcU"},
        {"Label34", "Причина", "ZELT", "PKDN"},
        {"Label36", "Статья", "PNU", "StSud"},
        {"Label38", "Дополнительные обязанности", "PNU", "DObSud"},
        {"Label37", "Мера", "PNU", "MeraSud"},
        {"Label41", "Статья", "PKO", "StProt"},
        {"Label42", "Мера", "PKO", "MeraProt"},
        {"Label47", "Рекомендации", "PKO", "Rek"},
        {"Label96", "Контроль", "BDS", "KKDN"},
        {"Label29", "От кого", "PKOR", "Mater"},
        {"Label107", "Основания", "PKOR", "O"},
        {"Label108", "Принятые меры", "PKOR", "PM"},
        {"Label109", "Дополнит-ные меры", "PKOR", "DM"},
        {"Label192", "Основания", "PKOP", "O"},
        {"Label195", "От кого", "PKOP", "Mater"},
        {"Label193", "Принятые меры", "PKOP", "PM"},
        {"Label211", "Основания", "PKOU", "Osn"},
        {"Label213", "От кого", "PKOU", "Mater"},
        {"Label212", "Принятые меры", "PKOU", "PM"},
        {"Label216", "Рекомендации", "PKOU", "Rek"},
    };
    const auto& all = model.controls();
    for (const Case& k : cases) {
        const auto it = std::find_if(all.begin(), all.end(), [&](const auto& c) { return c->name == k.label; });
        ASSERT_NE(it, all.end()) << k.label;
        const Control& label = **it;
        EXPECT_EQ(label.kind, ControlKind::Label) << k.label;
        EXPECT_EQ(label.caption, k.caption) << k.label;
        EXPECT_EQ(sheetOf(label), cardOf(k.table)) << k.label;
        ASSERT_NE(it + 1, all.end()) << k.label;
        const Control& entry = **(it + 1);
        EXPECT_TRUE(isEntry(entry)) << k.label << " is followed by " << entry.name;
        EXPECT_EQ(entry.parent, label.parent) << k.label;
        EXPECT_EQ(layoutOf(entry.dataSource), k.table) << k.label;
        EXPECT_EQ(entry.field, k.field) << k.label;
    }
}

TEST_F(MainWindowLayoutTest, AddressGroupsHoldTheAddressTheyReceive) {
    struct Case {
        const char* group;
        const char* caption;
        const char* sheet;
        int source;
        Strings fields;
    };
    const Case cases[] = {
        {"GroupBox2", "Проживание", "TabSheet2", 1, {"PrO", "PrG", "PrU", "PrD", "PrK"}},
        {"GroupBox11", "Проживание", "TabSheet4", 9, {"Obm", "Gm", "Um", "Dm", "Km"}},
        {"GroupBox14", "Регистрация", "TabSheet4", 9, {"ORo", "GRo", "URo", "DomRo", "KRo"}},
        {"GroupBox15", "Проживание", "TabSheet4", 9, {"Obo", "Go", "Uo", "Do", "Ko"}},
        {"GroupBox30", "Проживание", "TabSheet24", 33, {"Ob", "G", "U", "D", "K"}},
    };
    for (const Case& k : cases) {
        const Control* g = model.find(k.group);
        ASSERT_NE(g, nullptr) << k.group;
        EXPECT_EQ(g->kind, ControlKind::GroupBox);
        EXPECT_EQ(g->caption, k.caption) << k.group;
        EXPECT_EQ(sheetOf(*g), k.sheet) << k.group;
        Strings fields;
        for (const Control* c : model.childrenOf(k.group))
            if (isEntry(*c)) {
                fields.push_back(c->field);
                EXPECT_EQ(c->dataSource, k.source) << c->name;
            }
        EXPECT_EQ(fields, k.fields) << k.group;
    }
}

struct CardGroupCase {
    const char* sheet;
    const char* caption;  // "" for the uncaptioned top rows
    int source;
    bool navigator;
    Strings fields;
};

const CardGroupCase kCardGroups[] = {
    {"TabSheet2", "", 1, true, {"F", "I", "O", "DR", "MR", "Dosug", "MUch", "Zan", "DTel", "MTel", "Pol"}},
    {"TabSheet2", "Паспорт", 1, false, {"Ser", "Nom", "DV", "KV"}},
    {"TabSheet2", "Регистрация", 1, false, {"RegO", "RegG", "RegU", "RegD", "RegK"}},
    {"TabSheet2", "Проживание", 1, false, {"PrO", "PrG", "PrU", "PrD", "PrK"}},
    {"TabSheet2", "Постановка на учёт", 1, false, {"PKDN", "DKDN", "NKDN"}},
    {"TabSheet2", "Снятие с учёта", 1, false, {"DCcU", "OCcU"}},
    {"TabSheet2", "Мать", 1, false, {"Fm", "Im", "Om", "DRm", "MRmm", "Statm", "MRm", "Serm", "Nomm", "DVm", "KVm"}},
    {"TabSheet2", "Отец", 1, false, {"Fo", "Io", "Oo", "DRo", "MRoo", "Stato", "MRo", "Sero", "Nomo", "DVo", "KVo"}},
    {"TabSheet2", "Привлечение к ответственности судом", 2, true, {"DSud", "MeraSud", "StSud", "DObSud"}},
    {"TabSheet2", "Привлечение к ответственности комиссией", 3, true, {"DProt", "NProt", "StProt", "MeraProt", "Rek"}},
    {"TabSheet2", "Проводимая индивидуальная работа", 4, true, {"SubProf", "DProf", "RabProf"}},
    {"TabSheet4", "", 9, true, {"Fm", "Im", "Om", "DRm", "MRm", "Dtm", "Mtm", "MRabm"}},
    {"TabSheet4", "Паспорт", 9, false, {"Serm", "Nomm", "DVm", "KVm"}},
    {"TabSheet4", "Регистрация", 9, false, {"ORm", "GRm", "URm", "DomRm", "KRm"}},
    {"TabSheet4", "Проживание", 9, false, {"Obm", "Gm", "Um", "Dm", "Km"}},
    {"TabSheet4", "", 9, false, {"Fo", "Io", "Oo", "DRo", "MRo", "Dto", "Mto", "MRabo"}},
    {"TabSheet4", "Паспорт", 9, false, {"Sero", "Nomo", "DVo", "KVo"}},
    {"TabSheet4", "Регистрация", 9, false, {"ORo", "GRo", "URo", "DomRo", "KRo"}},
    {"TabSheet4", "Проживание", 9, false, {"Obo", "Go", "Uo", "Do", "Ko"}},
    {"TabSheet4", "Постановка на учёт", 9, false, {"DKDN", "NKDN", "OKDN", "KKDN"}},
    {"TabSheet4", "Снятие с учёта", 9, false, {"DCcU", "OCcU", "PCcU"}},
    {"TabSheet4", "Сведения о детях", 10, true, {"F", "I", "O", "DR", "OU"}},
    {"TabSheet4", "Привлечение к ответственности", 11, true, {"DKDN", "NKDN", "Mater", "O", "PM", "DM"}},
    {"TabSheet4", "Профработа", 12, true, {"S", "D", "Pr", "P"}},
    {"TabSheet24", "", 33, true, {"F", "I", "O", "DR", "MR", "Dt", "Mt", "MRab", "MU"}},
    {"TabSheet24", "Паспорт", 33, false, {"Ser", "Nom", "DV", "KV"}},
    {"TabSheet24", "Регистрация", 33, false, {"OR", "GR", "UR", "DomR", "KR"}},
    {"TabSheet24", "Проживание", 33, false, {"Ob", "G", "U", "D", "K"}},
    {"TabSheet24", "Привлечение к ответственности", 34, true, {"O", "DKDN", "NKDN", "Mater", "PM"}},
    {"TabSheet31", "", 41, true, {"Naim", "O", "G", "U", "D"}},
    {"TabSheet31", "", 43, true, {"NKDN", "DKDN", "Osn", "Mater", "PM", "Rek"}},
    {"TabSheet31", "Несовершеннолетний", 43, false, {"F", "I", "O", "DR"}},
};

TEST_F(MainWindowLayoutTest, EveryCardFieldHasExactlyOneEntryInItsGroup) {
    std::map<std::string, size_t> listed;
    for (const CardGroupCase& g : kCardGroups) {
        listed[g.sheet] += g.fields.size();
        const store::Layout& layout = store::layoutNamed(layoutOf(g.source));
        std::string parent;
        for (const std::string& field : g.fields) {
            std::vector<const Control*> found;
            for (const Control* c : entriesOn(g.sheet))
                if (c->dataSource == g.source && c->field == field) found.push_back(c);
            ASSERT_EQ(found.size(), 1u) << g.sheet << " " << g.source << " " << field;
            const Control& entry = *found[0];
            const store::FieldDef& f = layout.field(field);
            EXPECT_EQ(entry.kind == ControlKind::Memo, f.type == store::FieldType::Memo) << entry.name;
            EXPECT_FALSE(entry.readOnly) << entry.name;
            if (entry.kind == ControlKind::Edit) {
                EXPECT_EQ(entry.width, f.size ? f.size : f.type == store::FieldType::Date ? 10 : 6) << entry.name;
            }
            const Control& group = model.get(entry.parent);
            EXPECT_EQ(group.kind, *g.caption ? ControlKind::GroupBox : ControlKind::Panel) << entry.name;
            EXPECT_EQ(group.caption, g.caption) << entry.name;
            if (parent.empty()) parent = entry.parent;
            EXPECT_EQ(entry.parent, parent) << g.sheet << " " << field << ": the group's fields lie together";
        }
        const Strings navigators = childNames(parent, ControlKind::Navigator);
        EXPECT_EQ(navigators.size(), g.navigator ? 1u : 0u) << g.sheet << " " << g.caption;
    }
    for (const auto& [sheet, count] : listed) EXPECT_EQ(entriesOn(sheet).size(), count) << sheet;
}

TEST_F(MainWindowLayoutTest, EveryTableEditedOnACardHasOneNavigator) {
    const Strings hints = {"Первая запись",      "Предыдущая запись", "Следующая запись",
                           "Последняя запись",   "Вставить запись",   "Удалить запись",
                           "Редактировать запись", "Сохранить изменения", "Отменить изменения",
                           "Обновить данные"};
    std::map<std::string, std::multiset<int>> expected, found;
    for (const CardGroupCase& g : kCardGroups)
        if (g.navigator) expected[g.sheet].insert(g.source);
    for (const Control* n : ofKind(ControlKind::Navigator)) {
        found[sheetOf(*n)].insert(n->dataSource);
        EXPECT_EQ(n->items, hints) << n->name;
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(model.get("DBNavigator1").dataSource, 1);
    EXPECT_EQ(model.get("DBNavigator12").dataSource, 43);
}

TEST_F(MainWindowLayoutTest, OperationalInformationBoxes) {
    struct Case {
        const char* box;
        const char* sheet;
        const char* parentCaption;
        int source;
    };
    const Case cases[] = {
        {"RichEdit1", "TabSheet2", "Оперативная информация", 1},
        {"RichEdit2", "TabSheet1", "Постановка на учёт", 1},
        {"RichEdit3", "TabSheet5", "Постановка на учёт", 5},
        {"RichEdit4", "TabSheet4", "Оперативная информация", 9},
        {"RichEdit8", "TabSheet3", "Постановка на учёт- контроль", 9},
        {"RichEdit5", "TabSheet6", "Постановка на учёт- контроль", 13},
        {"RichEdit6", "TabSheet24", "Оперативная информация", 33},
        {"RichEdit7", "TabSheet23", "Оперативная информация", 33},
        {"RichEdit9", "TabSheet25", "Оперативная информация", 35},
        {"RichEdit10", "TabSheet31", "Оперативная информация", 41},
        {"RichEdit11", "TabSheet30", "Оперативная информация", 41},
    };
    EXPECT_EQ(ofKind(ControlKind::RichEdit).size(), std::size(cases));
    for (const Case& k : cases) {
        const Control* box = model.find(k.box);
        ASSERT_NE(box, nullptr) << k.box;
        EXPECT_EQ(box->kind, ControlKind::RichEdit) << k.box;
        EXPECT_EQ(sheetOf(*box), k.sheet) << k.box;
        EXPECT_EQ(model.get(box->parent).caption, k.parentCaption) << k.box;
        EXPECT_EQ(box->dataSource, k.source) << k.box;
    }
}

TEST_F(MainWindowLayoutTest, ArchiveButtons) {
    struct Case {
        const char* button;
        const char* caption;
        const char* sheet;
        const char* groupCaption;
    };
    const Case cases[] = {
        {"BitBtn1", "В архив", "TabSheet2", "Снятие с учёта"},
        {"BitBtn2", "В архив", "TabSheet4", "Снятие с учёта"},
        {"BitBtn3", "Архив мать", "TabSheet4", "Снятие с учёта"},
        {"BitBtn4", "Архив отец", "TabSheet4", "Снятие с учёта"},
        {"BitBtn5", "В архив", "TabSheet24", "Оперативная информация"},
        {"BitBtn6", "В архив", "TabSheet31", "Оперативная информация"},
    };
    EXPECT_EQ(ofKind(ControlKind::Button).size(), std::size(cases));
    for (const Case& k : cases) {
        const Control* b = model.find(k.button);
        ASSERT_NE(b, nullptr) << k.button;
        EXPECT_EQ(b->kind, ControlKind::Button) << k.button;
        EXPECT_EQ(b->caption, k.caption) << k.button;
        EXPECT_EQ(sheetOf(*b), k.sheet) << k.button;
        EXPECT_EQ(model.get(b->parent).caption, k.groupCaption) << k.button;
    }
    EXPECT_EQ(model.get("BitBtn3").parent, model.get("BitBtn2").parent);
    EXPECT_EQ(model.get("BitBtn4").parent, model.get("BitBtn2").parent);
}

TEST_F(MainWindowLayoutTest, MenuItemsInOrderWithCaptionsAndInitialVisibility) {
    struct Case {
        const char* name;
        const char* parent;
        ControlKind kind;
        const char* caption;  // separators: not compared
        bool visible;
    };
    const ControlKind item = ControlKind::MenuItem;
    const ControlKind sep = ControlKind::Separator;
    const Case cases[] = {
        {"N1", "TForm1", ControlKind::Menu, "Админ", true},
        {"N49", "N1", item, "БД по несовершеннолетним", true},
        {"N50", "N1", item, "БД по родителям", true},
        {"N152", "N1", item, "БД по прочим", true},
        {"N154", "N1", item, "БД по учреждениям", true},
        {"N123", "N1", item, "Разрешить редактирование таблиц", true},
        {"N124", "N1", item, "Перенести данные", true},
        {"N153", "N1", item, "Проверка", true},
        {"N128", "N1", item, "Настройки", true},
        {"N2", "TForm1", ControlKind::Menu, "Отчёты", true},
        {"N42", "N2", item, "Универсальный (несовершеннолетние)", false},
        {"N110", "N2", item, "Универсальный (родители)", false},
        {"N115", "N2", sep, "", true},
        {"N116", "N2", item, "По снятым (несовершеннолетние)", false},
        {"N119", "N2", item, "По снятым (родители)", false},
        {"N127", "N2", item, "По снятым за год (родители)", false},
        {"N132", "N2", item, "Осужденные", false},
        {"N125", "N2", sep, "", true},
        {"N126", "N2", item, "Банк данных по семьям", false},
        {"N155", "N2", item, "Банк данных по несовершеннолетним", false},
        {"N140", "N2", item, "Банк данных по несовершеннолетним (архив)", false},
        {"N139", "N2", item, "Банк данных по семьям (архив)", false},
        {"N129", "N2", sep, "", true},
        {"N130", "N2", item, "Карточка несовершеннолетнего", false},
        {"N149", "N2", item, "Карточка несовершеннолетнего (архив)", false},
        {"N131", "N2", item, "Карточка семьи", false},
        {"N150", "N2", item, "Карточка семьи (архив)", false},
        {"N133", "N2", sep, "", true},
        {"N134", "N2", item, "Отчёт несовершеннолетних", false},
        {"N156", "N2", item, "Отчёт семьи (Контроль)", true},
        {"N151", "N2", item, "Отчёт \"Причины постановки на учёт\"", false},
        {"N3", "TForm1", item, "О программе", true},
        {"N4", "TForm1", item, "Выход", true},
    };
    std::map<std::string, Strings> expectedOrder;
    for (const Case& k : cases) {
        expectedOrder[k.parent].push_back(k.name);
        const Control* c = model.find(k.name);
        ASSERT_NE(c, nullptr) << k.name;
        EXPECT_EQ(c->kind, k.kind) << k.name;
        EXPECT_EQ(c->parent, k.parent) << k.name;
        if (k.kind != sep) {
            EXPECT_EQ(c->caption, k.caption) << k.name;
        }
        EXPECT_EQ(c->visible, k.visible) << k.name;
        EXPECT_TRUE(c->enabled) << k.name;
    }
    for (const auto& [parent, names] : expectedOrder) {
        Strings order;
        for (const Control* c : model.childrenOf(parent))
            if (c->kind == ControlKind::Menu || c->kind == item || c->kind == sep) order.push_back(c->name);
        EXPECT_EQ(order, names) << parent;
    }
}

TEST_F(MainWindowLayoutTest, StatusBarHasSevenEmptyPanels) {
    const int widths[] = {170, 270, 170, 150, 150, 150, 50};
    const Control& bar = model.get("StatusBar1");
    EXPECT_EQ(bar.kind, ControlKind::StatusBar);
    EXPECT_EQ(bar.parent, "TForm1");
    const std::vector<Control*> panels = model.childrenOf("StatusBar1");
    ASSERT_EQ(panels.size(), std::size(widths));
    for (size_t i = 0; i < panels.size(); ++i) {
        EXPECT_EQ(panels[i]->name, "StatusBar1.Panel" + std::to_string(i));
        EXPECT_EQ(panels[i]->kind, ControlKind::StatusPanel);
        EXPECT_EQ(panels[i]->text, "");
        EXPECT_EQ(panels[i]->width, widths[i]) << i;
    }
}

}  // namespace
}  // namespace zelt::app
