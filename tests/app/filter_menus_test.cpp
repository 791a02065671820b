// The grids' field filter menus: the filter texts their items build, the items in menu order, the
// prefill taken from the card, Cancel filtering by it, the year item of the archives, a value the
// engine refuses, and "Все".
#include "app/application.h"
#include "base/date.h"
#include "app/filter_menus.h"
#include "store/layout.h"
#include "store/table_set.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelt {
namespace {

using filter::ValueForm;
using app::dialogCaptionOf;
using app::FilterItem;
using app::FilterItemKind;
using app::FilterMenu;
using app::filterMenus;
using app::promptOf;

// ------------------------------------------------------------------------------ filter texts

TEST(FilterText, ComparisonByForm) {
    struct Case {
        const char* field;
        ValueForm form;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"F", ValueForm::Text, "Иванов", "F='Иванов'"},
        {"F", ValueForm::Text, "", "F=''"},  // a blank text field, not a missing one
        {"MR", ValueForm::Text, " г. Орёл ", "MR=' г. Орёл '"},  // verbatim, blanks kept
        {"DR", ValueForm::Date, "01.09.1995", "DR='01.09.1995'"},
        {"DR", ValueForm::Date, "", "DR=Null"},
        {"NKDN", ValueForm::Number, "5", "NKDN=5"},
        {"L", ValueForm::Number, "", "L=Null"},
        {"L", ValueForm::Number, "abc", "L=abc"},  // not examined: the engine judges it
    };
    for (const Case& c : cases)
        EXPECT_EQ(filter::comparison(c.field, c.form, c.value), c.expected) << c.field << " " << c.value;
}

TEST(FilterText, TermsJoinWithAndWithoutBlanks) {
    struct Case {
        const char* current;
        const char* comparison;
        const char* expected;
    };
    const Case cases[] = {
        {"", "F='x'", "(F='x')"},
        {"(F='x')", "I='y'", "(F='x')and(I='y')"},
        {"(DKDN<>Null)", "DKDN<>Null", "(DKDN<>Null)and(DKDN<>Null)"},
        {"Fm=''", "L=Null", "Fm=''and(L=Null)"},  // a bare first comparison written elsewhere
    };
    for (const Case& c : cases) EXPECT_EQ(filter::appendTerm(c.current, c.comparison), c.expected) << c.current;
}

TEST(FilterText, YearBoundsArePairedTerms) {
    EXPECT_EQ(filter::appendYearBounds("", "2005"), "(DCcU>='01.01.2005')and(DCcU<='31.12.2005')");
    EXPECT_EQ(filter::appendYearBounds("(F='x')", "2005"), "(F='x')and(DCcU>='01.01.2005')and(DCcU<='31.12.2005')");
    EXPECT_EQ(filter::appendYearBounds("", "20x5"), "(DCcU>='01.01.20x5')and(DCcU<='31.12.20x5')");
}

// --------------------------------------------------------------------------- the program

using testing::Fields;

class FilterMenusTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    void seed(int table, const std::vector<Fields>& records) { testing::seedRecords(dir.path(), table, records); }
    testing::RecordingUi ui;
    app::FixedClock clock{*parseDate("15.03.2007")};
    std::unique_ptr<app::Application> program;

    void TearDown() override {
        if (program) program->stop();
    }

    // Starts the program and chooses a register ("N49" minors, "N50" parents).
    void start(const char* registerItem) {
        program = std::make_unique<app::Application>(dir.path(), ui, clock);
        program->start();
        click(registerItem);
        ASSERT_FALSE(ui.anyError()) << ui.shown.back();
    }
    app::MainWindow& main() { return program->mainWindow(); }
    store::Table& table(int n) { return main().table(n); }
    // Runs an item's Click as the event dispatcher does; false when it ended with an error.
    bool click(const std::string& item, std::optional<std::string> answer = std::nullopt) {
        if (answer) ui.inputAnswers.push_back(answer);
        return program->dispatch([&] {
            if (!program->model().fire(item, "Click")) throw std::logic_error("no Click handler for " + item);
        });
    }
    bool clickCancelled(const std::string& item) {
        ui.inputAnswers.push_back(std::nullopt);
        return click(item);
    }
    // A field of every record the grid of table `n` shows, in grid order.
    std::vector<std::string> shown(int n, const char* field) {
        store::Table& t = table(n);
        std::vector<std::string> out;
        for (int r = 0; r < t.recordCount(); ++r) out.push_back(t.rowTexts(r, {t.fieldIndex(field)})[0]);
        return out;
    }
    std::string lastDialog() const {
        for (auto i = ui.shown.rbegin(); i != ui.shown.rend(); ++i)
            if (i->rfind("input ", 0) == 0) return *i;
        return std::string();
    }
    size_t dialogCount() const {
        size_t n = 0;
        for (const std::string& s : ui.shown) n += s.rfind("input ", 0) == 0;
        return n;
    }
    void selectRow(const char* grid, long row) {
        app::EventArgs a;
        a.row = row;
        ASSERT_TRUE(program->dispatch([&] { program->model().fire(grid, "Select", a); }));
    }

    void seedMinors() {
        seed(1, {{{"F", "Иванов"}, {"I", "Иван"}, {"DR", "01.09.1995"}, {"NKDN", "5"}, {"DKDN", "01.02.2006"}},
                 {{"F", "Иванов"}, {"I", "Пётр"}, {"DR", "02.03.1991"}, {"NKDN", "6"}},
                 {{"F", "Петров"}, {"I", "Иван"}, {"NKDN", "5"}, {"DKDN", "01.03.2006"}},
                 {{"I", "Безфамильный"}, {"DR", "02.03.1991"}}});
    }
};

// ----------------------------------------------------------------------------- menu entries

// What an entry is, written as the menu tables list it: the kind, or the form and the field.
std::string describe(const FilterItem& e) {
    switch (e.kind) {
        case FilterItemKind::Separator: return "-";
        case FilterItemKind::Clear: return "clear";
        case FilterItemKind::Registered: return "registered";
        case FilterItemKind::None: return "none";
        case FilterItemKind::Year: return "year";
        case FilterItemKind::Delete: return "delete";
        case FilterItemKind::Restore: return "restore";
        case FilterItemKind::Field: break;
    }
    const char* form = e.form == ValueForm::Text ? "text " : e.form == ValueForm::Date ? "date " : "number ";
    return form + std::string(e.field);
}

struct Row {
    const char* name;
    const char* caption;
    const char* what;
};

const std::map<std::string, std::vector<Row>>& expectedMenus() {
    static const std::map<std::string, std::vector<Row>> menus = {
        {"PopupMenu1",
         {{"N5", "Все", "clear"},
          {"PopupMenu1.Sep1", "", "-"},
          {"N137", "Поставленные на учёт", "registered"},
          {"PopupMenu1.Sep2", "", "-"},
          {"N7", "Фамилия", "text F"},
          {"N8", "Имя", "text I"},
          {"N9", "Отчество", "text O"},
          {"N10", "Дата рождения", "date DR"},
          {"N11", "Место рождения", "text MR"},
          {"N22", "Место учёбы", "text MUch"},
          {"N138", "Занятость", "text Zan"},
          {"N23", "Дата снятия", "date DCcU"},
          {"N24", "Основания снятия", "text OCcU"},
          {"N35", "д/телефон", "text DTel"},
          {"N36", "м/телефон", "text MTel"},
          {"N37", "Дата (КДН)", "date DKDN"},
          {"N38", "Номер (КДН)", "number NKDN"},
          {"N47", "Пол", "text Pol"},
          {"N135", "Возраст", "number L"},
          {"N12", "Область (рег)", "text RegO"},
          {"N13", "Город (рег)", "text RegG"},
          {"N14", "Улица (рег)", "text RegU"},
          {"N15", "Дом (рег)", "text RegD"},
          {"N16", "Квартира (рег)", "text RegK"},
          {"PopupMenu1.Sep3", "", "-"},
          {"N17", "Область", "text PrO"},
          {"N18", "Город", "text PrG"},
          {"N19", "Улица", "text PrU"},
          {"N21", "Дом", "text PrD"},
          {"N20", "Квартира", "text PrK"},
          {"N25", "Фамилия (м)", "text Fm"},
          {"N26", "Имя (м)", "text Im"},
          {"N27", "Отчество (м)", "text Om"},
          {"N31", "Статус (м)", "text Statm"},
          {"N33", "Место работы (м)", "text MRm"},
          {"PopupMenu1.Sep4", "", "-"},
          {"N28", "Фамилия (о)", "text Fo"},
          {"N29", "Имя (о)", "text Io"},
          {"N30", "Отчество (о)", "text Oo"},
          {"N32", "Статус (о)", "text Stato"},
          {"N34", "Место работы (о)", "text MRo"}}},
        {"PopupMenu6",
         {{"N51", "Все", "clear"},
          {"PopupMenu6.Sep1", "", "-"},
          {"N142", "Поставленные на учёт", "registered"},
          {"PopupMenu6.Sep2", "", "-"},
          {"N97", "Дата КДН", "date DKDN"},
          {"N98", "Номер КДН", "number NKDN"},
          {"N99", "Основания КДН", "text OKDN"},
          {"N100", "Контроль КДН", "none"},
          {"N101", "Дата снятия с учёта", "date DCcU"},
          {"N102", "Основания снятия с учёта", "text OCcU"},
          {"N103", "Причина снятия с учёта", "text PCcU"},
          {"N53", "Фамилия (м)", "text Fm"},
          {"N54", "Имя (м)", "text Im"},
          {"N55", "Отчество (м)", "text Om"},
          {"N56", "Дата рождения (м)", "date DRm"},
          {"N57", "Место рождения (м)", "text MRm"},
          {"N68", "д/телефон (м)", "text Dtm"},
          {"N69", "м/телефон (м)", "text Mtm"},
          {"N70", "Место работы (м)", "text MRabm"},
          {"PopupMenu6.Sep3", "", "-"},
          {"N58", "Область рег. (м)", "text ORm"},
          {"N59", "Город рег. (м)", "text GRm"},
          {"N60", "Улица рег. (м)", "text URm"},
          {"N61", "Дом рег (м)", "text DomRm"},
          {"N62", "Квартира рег. (м)", "text KRm"},
          {"PopupMenu6.Sep4", "", "-"},
          {"N63", "Область (м)", "text Obm"},
          {"N64", "Город (м)", "text Gm"},
          {"N65", "Улица (м)", "text Um"},
          {"N66", "Дом (м)", "text Dm"},
          {"N67", "Квартира (м)", "text Km"},
          {"PopupMenu6.Sep5", "", "-"},
          {"N71", "Паспорт серия (м)", "text Serm"},
          {"N72", "Паспорт номер (м)", "text Nomm"},
          {"N73", "Дата выдачи (м)", "date DVm"},
          {"N74", "Кем выдан (м)", "text KVm"},
          {"N75", "Фамилия (о)", "text Fo"},
          {"N76", "Имя (о)", "text Io"},
          {"N77", "Отчество (о)", "text Oo"},
          {"N78", "Дата рождения (о)", "date DRo"},
          {"N79", "Место рождения (о)", "text MRo"},
          {"N90", "д/телефон (о)", "text Dto"},
          {"N91", "м/телефон (о)", "text Mto"},
          {"N92", "Место работы (о)", "text MRabo"},
          {"PopupMenu6.Sep6", "", "-"},
          {"N80", "Область рег. (о)", "text ORo"},
          {"N81", "Город рег. (о)", "text GRo"},
          {"N82", "Улица рег. (о)", "text URo"},
          {"N83", "Дом рег. (о)", "text DomRo"},
          {"N84", "Квартира рег. (о)", "text KRo"},
          {"PopupMenu6.Sep7", "", "-"},
          {"N85", "Область (о)", "text Obo"},
          {"N86", "Город (о)", "text Go"},
          {"N87", "Улица (о)", "text Uo"},
          {"N88", "Дом (о)", "text Do"},
          {"N89", "Квартира (о)", "text Ko"},
          {"PopupMenu6.Sep8", "", "-"},
          {"N93", "Паспорт серия (о)", "text Sero"},
          {"N94", "Паспорт номер (о)", "text Nomo"},
          {"N95", "Дата выдачи (о)", "date DVo"},
          {"N96", "Кем выдан (о)", "text KVo"}}},
        {"PopupMenu2",
         {{"N43", "Удалить", "delete"},
          {"PopupMenu2.Sep1", "", "-"},
          {"N118", "Перенести из архива", "restore"},
          {"PopupMenu2.Sep2", "", "-"},
          {"N145", "Все", "clear"},
          {"N144", "Год снятия с учёта", "year"}}},
        {"PopupMenu7",
         {{"N111", "Удалить", "delete"},
          {"PopupMenu7.Sep1", "", "-"},
          {"N121", "Перенести из архива", "restore"},
          {"PopupMenu7.Sep2", "", "-"},
          {"N147", "Все", "clear"},
          {"N148", "Год снятия с учёта", "year"}}},
    };
    return menus;
}

// The field items whose dialog differs from the caption and the usual prompt.
struct Dialog {
    const char* caption;
    const char* prompt;
};
const std::map<std::string, Dialog>& unusualDialogs() {
    static const std::map<std::string, Dialog> dialogs = {
        {"N10", {"Дата рождения", "Введите данные рождения для фильтра"}},
        {"N35", {"Д/телефон", "Введите данные для фильтра"}},
        {"N36", {"М/телефон", "Введите данные для фильтра"}},
        {"N26", {"имя (м)", "Введите данные для фильтра"}},
        {"N102", {"Основание снятия с учёта", "Введите данные для фильтра"}},
        {"N68", {"Домашний телефон (м)", "Введите данные для фильтра"}},
        {"N69", {"Мобильный телефон (м)", "Введите данные для фильтра"}},
        {"N61", {"Дом рег. (м)", "Введите данные для фильтра"}},
        {"N72", {"Паспорт номер", "Введите данные для фильтра"}},
        {"N79", {"Место рождения", "Введите данные для фильтра"}},
        {"N90", {"Домашний телефон (о)", "Введите данные для фильтра"}},
        {"N91", {"Мобильный телефон (о)", "Введите данные для фильтра"}},
    };
    return dialogs;
}

TEST(FilterMenuData, EveryMenuListsItsEntriesInOrder) {
    const auto& expected = expectedMenus();
    ASSERT_EQ(filterMenus().size(), expected.size());
    const std::map<std::string, std::pair<std::string, int>> grids = {
        {"PopupMenu1", {"DBGrid1", 1}}, {"PopupMenu6", {"DBGrid9", 9}},
        {"PopupMenu2", {"DBGrid5", 5}}, {"PopupMenu7", {"DBGrid13", 13}}};
    for (const FilterMenu& menu : filterMenus()) {
        SCOPED_TRACE(menu.menu);
        ASSERT_EQ(expected.count(menu.menu), 1u);
        EXPECT_EQ(grids.at(menu.menu), std::make_pair(std::string(menu.grid), menu.table));
        const std::vector<Row>& rows = expected.at(menu.menu);
        ASSERT_EQ(menu.entries.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const FilterItem& e = menu.entries[i];
            EXPECT_EQ(e.name, std::string(rows[i].name)) << i;
            EXPECT_EQ(e.caption, std::string(rows[i].caption)) << rows[i].name;
            EXPECT_EQ(describe(e), rows[i].what) << rows[i].name;
        }
    }
}

TEST(FilterMenuData, DialogsOfFieldItems) {
    for (const FilterMenu& menu : filterMenus())
        for (const FilterItem& e : menu.entries) {
            if (e.kind != FilterItemKind::Field) continue;
            const auto unusual = unusualDialogs().find(e.name);
            const Dialog d = unusual != unusualDialogs().end() ? unusual->second
                                                                : Dialog{e.caption, "Введите данные для фильтра"};
            EXPECT_EQ(dialogCaptionOf(e), d.caption) << e.name;
            EXPECT_EQ(promptOf(e), d.prompt) << e.name;
            EXPECT_EQ(e.emptyPrefill, std::string(e.name) == "N135") << e.name;
        }
}

TEST_F(FilterMenusTest, MenusAreOnTheModelUnderTheirGrids) {
    start("N49");
    app::FormModel& m = program->model();
    for (const auto& [menu, rows] : expectedMenus()) {
        SCOPED_TRACE(menu);
        const app::Control* popup = m.find(menu);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->kind, app::ControlKind::PopupMenu);
        EXPECT_EQ(popup->parent, "TForm1");
        const std::vector<app::Control*> items = m.childrenOf(menu);
        ASSERT_EQ(items.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const bool separator = std::string(rows[i].what) == "-";
            EXPECT_EQ(items[i]->name, rows[i].name);
            EXPECT_EQ(items[i]->caption, rows[i].caption);
            EXPECT_EQ(items[i]->kind, separator ? app::ControlKind::Separator : app::ControlKind::MenuItem) << rows[i].name;
            // Every command has its Click; the separators have none.
            EXPECT_EQ(m.hasHandler(rows[i].name, "Click"), !separator) << rows[i].name;
        }
    }
    const std::map<std::string, std::string> grids = {
        {"DBGrid1", "PopupMenu1"}, {"DBGrid9", "PopupMenu6"}, {"DBGrid5", "PopupMenu2"}, {"DBGrid13", "PopupMenu7"}};
    for (const auto& [grid, menu] : grids) EXPECT_EQ(m.get(grid).popupMenu, menu);
}

// ------------------------------------------------------------------------------ field items

TEST_F(FilterMenusTest, TwoChoicesAccumulateAndNarrowTheGrid) {
    seedMinors();
    start("N49");
    ASSERT_TRUE(click("N7", "Иванов"));
    EXPECT_EQ(shown(1, "I"), (std::vector<std::string>{"Иван", "Пётр"}));
    ASSERT_TRUE(click("N8", "Иван"));
    EXPECT_EQ(table(1).filterText(), "(F='Иванов')and(I='Иван')");
    EXPECT_TRUE(table(1).filtered());
    EXPECT_EQ(shown(1, "N"), (std::vector<std::string>{"1"}));
    // The same field again with another value: nothing holds both.
    ASSERT_TRUE(click("N8", "Пётр"));
    EXPECT_EQ(table(1).filterText(), "(F='Иванов')and(I='Иван')and(I='Пётр')");
    EXPECT_TRUE(shown(1, "N").empty());
    EXPECT_FALSE(ui.anyError());
}

TEST_F(FilterMenusTest, PrefillIsWhatTheCardShowsForTheCurrentRecord) {
    seedMinors();
    start("N49");
    struct Case {
        long row;  // 0-based grid row selected first
        const char* item;
        const char* dialog;
        const char* filter;
        std::vector<std::string> numbers;  // N of the records shown afterwards
    };
    const Case cases[] = {
        {1, "N10", "input Дата рождения: Введите данные рождения для фильтра [02.03.1991]", "(DR='02.03.1991')", {"2", "4"}},
        {0, "N10", "input Дата рождения: Введите данные рождения для фильтра [01.09.1995]", "(DR='01.09.1995')", {"1"}},
        {2, "N7", "input Фамилия: Введите данные для фильтра [Петров]", "(F='Петров')", {"3"}},
        {2, "N37", "input Дата (КДН): Введите данные для фильтра [01.03.2006]", "(DKDN='01.03.2006')", {"3"}},
        {1, "N38", "input Номер (КДН): Введите данные для фильтра [6]", "(NKDN=6)", {"2"}},
        {1, "N135", "input Возраст: Введите данные для фильтра []", "(L=Null)", {}},  // the age is never prefilled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ASSERT_TRUE(click("N5"));
        selectRow("DBGrid1", c.row);
        ASSERT_TRUE(clickCancelled(c.item));  // Cancel filters by the prefill
        EXPECT_EQ(lastDialog(), c.dialog);
        EXPECT_EQ(table(1).filterText(), c.filter);
        EXPECT_TRUE(table(1).filtered());
        EXPECT_EQ(shown(1, "N"), c.numbers);
    }
    EXPECT_FALSE(ui.anyError());
}

TEST_F(FilterMenusTest, PrefillFollowsTypingOnTheCard) {
    seedMinors();
    start("N49");
    // Typed but not yet stored: the card shows it, so the dialog does too.
    ASSERT_TRUE(program->dispatch([&] {
        app::EventArgs a;
        a.text = "Петров";
        program->model().fire("DBEdit1", "Change", a);
    }));
    ASSERT_EQ(program->model().get("DBEdit1").field, "F");
    ASSERT_TRUE(clickCancelled("N7"));
    EXPECT_EQ(lastDialog(), "input Фамилия: Введите данные для фильтра [Петров]");
    EXPECT_EQ(table(1).filterText(), "(F='Петров')");
}

TEST_F(FilterMenusTest, EditedValuesIncludingEmptyOnes) {
    seedMinors();
    start("N49");
    struct Case {
        const char* item;
        const char* answer;
        const char* filter;
        std::vector<std::string> numbers;
    };
    const Case cases[] = {
        {"N10", "", "(DR=Null)", {"3"}},    // a cleared date: records without one
        {"N7", "", "(F='')", {"4"}},        // a cleared text: blank surnames
        {"N135", "", "(L=Null)", {}},       // every minor has an age
        {"N38", "5", "(NKDN=5)", {"1", "3"}},
        {"N38", "", "(NKDN=Null)", {"4"}},
        {"N9", "", "(O='')", {"1", "2", "3", "4"}},
        {"N37", "1.2.2006", "(DKDN='1.2.2006')", {"1"}},  // compared as a date, not as text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item + std::string(" ") + c.answer);
        ASSERT_TRUE(click("N5"));
        ASSERT_TRUE(click(c.item, std::string(c.answer)));
        EXPECT_EQ(table(1).filterText(), c.filter);
        EXPECT_TRUE(table(1).filtered());
        EXPECT_EQ(shown(1, "N"), c.numbers);
    }
    EXPECT_FALSE(ui.anyError());
}

// Each field item, cancelled on a record whose every field holds a value, filters by that value
// and keeps the record in view: its dialog showed what the card shows for the field.
TEST_F(FilterMenusTest, EveryFieldItemFiltersByTheCurrentRecordsOwnValue) {
    for (const auto& [table, layout] : {std::pair<int, const char*>{1, "ZELT"}, {9, "BDS"}}) {
        Fields values;
        for (const store::FieldDef& f : store::layoutNamed(layout).fields) {
            if (f.type == store::FieldType::Date) values.push_back({f.name, "0" + std::to_string(values.size() % 9 + 1) + ".04.1990"});
            else if (f.type == store::FieldType::Alpha) values.push_back({f.name, std::to_string(values.size())});
        }
        seed(table, {values, {}});
    }
    for (const FilterMenu& menu : filterMenus()) {
        if (menu.table != 1 && menu.table != 9) continue;
        start(menu.table == 1 ? "N49" : "N50");
        store::Table& t = table(menu.table);
        for (const FilterItem& e : menu.entries) {
            if (e.kind != FilterItemKind::Field) continue;
            SCOPED_TRACE(e.name);
            ASSERT_TRUE(click(menu.entries.front().name));  // "Все"
            ASSERT_EQ(t.recordCount(), 2);
            const std::string value = e.emptyPrefill ? std::string() : t.asText(e.field);
            ASSERT_TRUE(e.emptyPrefill || !value.empty());
            ASSERT_TRUE(clickCancelled(e.name));
            const auto unusual = unusualDialogs().find(e.name);
            const std::string caption = unusual != unusualDialogs().end() ? unusual->second.caption : e.caption;
            const std::string prompt = unusual != unusualDialogs().end() ? unusual->second.prompt : "Введите данные для фильтра";
            EXPECT_EQ(lastDialog(), "input " + caption + ": " + prompt + " [" + value + "]");
            const bool quoted = e.form != ValueForm::Number && !value.empty();
            const std::string expected = std::string("(") + e.field + "=" +
                                         (value.empty() && e.form != ValueForm::Text ? "Null" : quoted ? "'" + value + "'" : value) + ")";
            EXPECT_EQ(t.filterText(), expected);
            EXPECT_EQ(t.recordCount(), e.emptyPrefill ? 0 : 1);
        }
        program->stop();
    }
    EXPECT_FALSE(ui.anyError()) << ui.shown.back();
}

// --------------------------------------------------------------------- registered, none, all

TEST_F(FilterMenusTest, RegisteredAppendsItsTermWithoutADialogEachTime) {
    seedMinors();
    seed(9, {{{"Fm", "Иванова"}, {"DKDN", "01.01.2005"}}, {{"Fm", "Петрова"}}});
    struct Case {
        const char* reg;
        const char* item;
        int table;
        std::vector<std::string> numbers;
    };
    const Case cases[] = {{"N49", "N137", 1, {"1", "3"}}, {"N50", "N142", 9, {"1"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        start(c.reg);
        ASSERT_TRUE(click(c.item));
        EXPECT_EQ(table(c.table).filterText(), "(DKDN<>Null)");
        EXPECT_EQ(shown(c.table, "N"), c.numbers);
        ASSERT_TRUE(click(c.item));
        EXPECT_EQ(table(c.table).filterText(), "(DKDN<>Null)and(DKDN<>Null)");
        EXPECT_TRUE(table(c.table).filtered());
        EXPECT_EQ(shown(c.table, "N"), c.numbers);
        EXPECT_EQ(dialogCount(), 0u);
        program->stop();
    }
}

TEST_F(FilterMenusTest, KdnControlDoesNothing) {
    seed(9, {{{"Fm", "Иванова"}}, {{"Fm", "Петрова"}}});
    start("N50");
    ASSERT_TRUE(click("N53", "Петрова"));
    ASSERT_TRUE(click("N100"));
    EXPECT_EQ(table(9).filterText(), "(Fm='Петрова')");
    EXPECT_TRUE(table(9).filtered());
    EXPECT_EQ(dialogCount(), 1u);
    EXPECT_FALSE(ui.anyError());
}

TEST_F(FilterMenusTest, AllClearsTextAndSwitchOnEveryMenu) {
    seedMinors();
    struct Case {
        const char* reg;
        const char* item;
        int table;
        const char* text;  // the filter in force before
        bool filtered;
    };
    const Case cases[] = {
        {"N49", "N5", 1, "(F='Иванов')", true},
        {"N49", "N5", 1, "", false},  // no filter stays no filter
        {"N49", "N5", 1, "", true},   // the switch goes off even without a text
        {"N49", "N145", 5, "(F='Иванов')", true},
        {"N50", "N51", 9, "(Fm='')", true},
        {"N50", "N147", 13, "(Fm='')", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item + std::string(" ") + c.text);
        start(c.reg);
        table(c.table).setFilterText(c.text);
        table(c.table).setFiltered(c.filtered);
        ASSERT_TRUE(click(c.item));
        EXPECT_EQ(table(c.table).filterText(), "");
        EXPECT_FALSE(table(c.table).filtered());
        program->stop();
    }
    EXPECT_EQ(dialogCount(), 0u);
    EXPECT_FALSE(ui.anyError());
}

TEST_F(FilterMenusTest, AllShowsEveryRecordAgain) {
    seedMinors();
    start("N49");
    ASSERT_TRUE(click("N7", "Петров"));
    ASSERT_EQ(shown(1, "N").size(), 1u);
    ASSERT_TRUE(click("N5"));
    EXPECT_EQ(shown(1, "N"), (std::vector<std::string>{"1", "2", "3", "4"}));
}

// --------------------------------------------------------------------------- refused values

TEST_F(FilterMenusTest, RefusedValueShowsTheErrorAndKeepsTheFilter) {
    seedMinors();
    start("N49");
    struct Case {
        const char* before;  // typed into "Фамилия" first; "" for none
        const char* item;
        const char* answer;
    };
    const Case cases[] = {
        {"Иванов", "N8", "д'Артаньян"},  // an apostrophe ends the quoted value early
        {"", "N7", "О'Нил"},
        {"Иванов", "N10", "31.02.1995"},  // not a date
        {"Иванов", "N38", "пять"},        // not a number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_TRUE(click("N5"));
        if (*c.before) {
            ASSERT_TRUE(click("N7", std::string(c.before)));
        }
        const std::string text = table(1).filterText();
        const bool on = table(1).filtered();
        const size_t shownBefore = ui.shown.size();
        EXPECT_FALSE(click(c.item, std::string(c.answer)));
        ASSERT_EQ(ui.shown.size(), shownBefore + 2);  // the dialog, then the engine's error
        EXPECT_EQ(ui.shown.back().rfind("error: ", 0), 0u) << ui.shown.back();
        EXPECT_EQ(table(1).filterText(), text);
        EXPECT_EQ(table(1).filtered(), on);
        EXPECT_EQ(shown(1, "N").size(), *c.before ? 2u : 4u);
    }
}

// ------------------------------------------------------------------------------ year items

TEST_F(FilterMenusTest, YearItemProposesLastYearAndBoundsTheDeregistrationDate) {
    // Deregistered on the first and last day of 2006, the day after, in 2005, and not at all.
    for (const auto& [table, name] : {std::pair<int, const char*>{5, "F"}, {13, "Fm"}})
        seed(table, {{{name, "Первый"}, {"DCcU", "01.01.2006"}},
                     {{name, "Второй"}, {"DCcU", "31.12.2006"}},
                     {{name, "Третий"}, {"DCcU", "01.01.2007"}},
                     {{name, "Четвёртый"}, {"DCcU", "30.06.2005"}},
                     {{name, "Пятый"}}});
    struct Case {
        const char* reg;
        const char* item;
        int table;
    };
    const Case cases[] = {{"N49", "N144", 5}, {"N50", "N148", 13}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        start(c.reg);
        ASSERT_TRUE(clickCancelled(c.item));
        EXPECT_EQ(lastDialog(), "input Период: Введите год для фильтрации снятых с учёта [2006]");
        EXPECT_EQ(table(c.table).filterText(), "(DCcU>='01.01.2006')and(DCcU<='31.12.2006')");
        EXPECT_TRUE(table(c.table).filtered());
        EXPECT_EQ(shown(c.table, "N"), (std::vector<std::string>{"1", "2"}));
        // A second year appends its own bounds: no record lies in both years.
        ASSERT_TRUE(click(c.item, std::string("2005")));
        EXPECT_EQ(table(c.table).filterText(),
                  "(DCcU>='01.01.2006')and(DCcU<='31.12.2006')and(DCcU>='01.01.2005')and(DCcU<='31.12.2005')");
        EXPECT_TRUE(shown(c.table, "N").empty());
        program->stop();
    }
    EXPECT_FALSE(ui.anyError());
}

TEST_F(FilterMenusTest, YearFollowsTheClockAndAnyExistingFilter) {
    seed(5, {{{"F", "Первый"}, {"DCcU", "15.05.1999"}}, {{"F", "Второй"}, {"DCcU", "15.05.1999"}}});
    clock.set(*parseDate("01.01.2000"));
    start("N49");
    table(5).setFilterText("(F='Второй')");
    ASSERT_TRUE(clickCancelled("N144"));
    EXPECT_EQ(lastDialog(), "input Период: Введите год для фильтрации снятых с учёта [1999]");
    EXPECT_EQ(table(5).filterText(), "(F='Второй')and(DCcU>='01.01.1999')and(DCcU<='31.12.1999')");
    EXPECT_EQ(shown(5, "N"), (std::vector<std::string>{"2"}));
    // A year that is not a number goes in as typed; the engine refuses the bounds.
    EXPECT_FALSE(click("N144", std::string("19x9")));
    EXPECT_EQ(ui.shown.back().rfind("error: ", 0), 0u) << ui.shown.back();
    EXPECT_EQ(table(5).filterText(), "(F='Второй')and(DCcU>='01.01.1999')and(DCcU<='31.12.1999')");
}

}  // namespace
}  // namespace zelt
