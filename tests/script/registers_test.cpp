// The register commands end to end through the script driver: panels of each register's
// statistics on known data, a filter set before the command, an empty register, the editing
// switch, a title click, and a minor typed on the card.
#include "app/main_window.h"
#include "script/script_runner.h"
#include "store/table_set.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelt {
namespace {

using testing::Fields;

class RegistersTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    void seed(int table, const std::vector<Fields>& records) { testing::seedRecords(dir.path(), table, records); }
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }

    void seedMinors() {
        seed(1, {{{"F", "Иванов"}, {"Zan", "Школа"}, {"DKDN", "01.02.2005"}},
                 {{"F", "Петров"}, {"Zan", "Школа"}},
                 {{"F", "Сидоров"}, {"Zan", "Работа"}, {"DKDN", "01.03.2005"}},
                 {{"F", "Козлов"}, {"Zan", "Не занят"}},
                 {{"F", "Смирнов"}, {"Zan", "Училище"}, {"DKDN", "01.04.2005"}}});
        seed(3, {{{"Sv", "1"}}, {{"Sv", "2"}}, {{"Sv", "5"}}, {{"Sv", "5"}}});
    }
};

TEST_F(RegistersTest, MinorsStatisticsCountTheRegisterAndLeaveItUnfiltered) {
    seedMinors();
    EXPECT_EQ(run("click N49\npanels\nstate Table1\nshow TForm1\nshow TabSheet1\nshow TabSheet3\nshow N42\nshow N110\n"),
              "panel 0: \"Всего- 5\" 64\n"
              "panel 1: \"Привлечено к отв-ти- 3/2\" 192\n"
              "panel 2: \"На учёте - 3\" 96\n"
              "panel 3: \"В школе- 2/1\" 96\n"
              "panel 4: \"В училище- 1/1\" 112\n"
              "panel 5: \"Работа- 1/1\" 88\n"
              "panel 6: \"Не занят- 1/0\" 104\n"
              "Table1: browse, records 5, row 1, bof, filter \"\" off, index \"\"\n"
              "TForm1: \"Банк данных по несовершеннолетним\" visible\n"
              "TabSheet1: \"Несовершеннолетние\" visible\n"
              "TabSheet3: \"Родители\" hidden\n"
              "N42: \"Универсальный (несовершеннолетние)\" visible\n"
              "N110: \"Универсальный (родители)\" hidden\n");
}

TEST_F(RegistersTest, FilterSetBeforeTheCommandCountsFilteredRecordsThenIsDropped) {
    seedMinors();
    const std::string out = run("click N49\nfilter Table1 (F='Иванов')\nfiltered Table1 on\nclick N49\npanels\nstate Table1\n");
    EXPECT_NE(out.find("panel 0: \"Всего- 1\" 64\n"), std::string::npos) << out;
    EXPECT_NE(out.find("panel 1: \"Привлечено к отв-ти- 1/0\""), std::string::npos) << out;
    EXPECT_NE(out.find("filter \"\" off"), std::string::npos) << out;
}

TEST_F(RegistersTest, EmptyRegistersCountZero) {
    EXPECT_EQ(run("click N49\npanels\n"),
              "panel 0: \"Всего- 0\" 64\n"
              "panel 1: \"Привлечено к отв-ти- 0/0\" 192\n"
              "panel 2: \"На учёте - 0\" 96\n"
              "panel 3: \"В школе- 0/0\" 96\n"
              "panel 4: \"В училище- 0/0\" 112\n"
              "panel 5: \"Работа- 0/0\" 88\n"
              "panel 6: \"Не занят- 0/0\" 104\n");
}

TEST_F(RegistersTest, ParentsStatisticsCountIncompleteFamiliesTwiceWhenBothSurnamesAreBlank) {
    seed(9, {{{"Fm", "Иванова"}, {"Fo", "Иванов"}, {"DKDN", "01.01.2005"}},
             {{"Fm", "Петрова"}, {"DKDN", "01.01.2005"}},
             {{"Fo", "Сидоров"}},
             {{"DKDN", "01.01.2005"}}});
    seed(10, {{{"Sv", "1"}}, {{"Sv", "1"}}, {{"Sv", "2"}}, {{"Sv", "3"}}});
    EXPECT_EQ(run("click N50\npanels\nstate Table9\nstate Table10\n"),
              "panel 0: \"Всего семей- 4/3\" 128\n"
              "panel 1: \"Всего родителей - 4/3\" 168\n"
              "panel 2: \"Неполных семей - 4/3\" 160\n"
              "panel 3: \"Всего детей - 4/3\" 136\n"
              "panel 4: \"\" 0\n"
              "panel 5: \"\" 0\n"
              "panel 6: \"\" 0\n"
              "Table9: browse, records 4, row 1, bof, filter \"\" off, index \"\"\n"
              "Table10: browse, records 2, row 1, bof, filter \"\" off, index \"Sv1\"\n");
}

TEST_F(RegistersTest, OthersAndInstitutionsLeaveTheOtherPanelsAlone) {
    seedMinors();
    seed(33, {{{"F", "Первый"}}, {{"F", "Второй"}}});
    seed(41, {{{"Naim", "Школа № 1"}}, {{"Naim", "Колледж транспорта и связи"}}});
    seed(43, {{{"Sv", "1"}, {"Naim", "Школа № 1"}}, {{"Sv", "1"}, {"Naim", "Школа № 1"}},
              {{"Sv", "2"}, {"Naim", "Колледж тр"}}});
    const std::string out = run("click N49\nclick N154\npanels\nselect DBGrid21 2\nkey DBGrid21\npanels\nclick N152\npanels\n");
    EXPECT_EQ(out,
              "panel 0: \"Рассмотрено - 3\" 120\n"
              "panel 1: \"Привлечено к отв-ти- 3/2\" 192\n"
              "panel 2: \"На учёте - 3\" 96\n"
              "panel 3: \"В школе- 2/1\" 96\n"
              "panel 4: \"В училище- 1/1\" 112\n"
              "panel 5: \"Работа- 1/1\" 88\n"
              "panel 6: \"Не занят- 1/0\" 104\n"
              "panel 0: \"Рассмотрено - 3\" 120\n"
              "panel 1: \"Несовершеннолетних - 1\" 176\n"  // the long-named college sees its one case
              "panel 2: \"На учёте - 3\" 96\n"
              "panel 3: \"В школе- 2/1\" 96\n"
              "panel 4: \"В училище- 1/1\" 112\n"
              "panel 5: \"Работа- 1/1\" 88\n"
              "panel 6: \"Не занят- 1/0\" 104\n"
              "panel 0: \"Всего- 2\" 64\n"
              "panel 1: \"\" 176\n"
              "panel 2: \"\" 96\n"
              "panel 3: \"\" 96\n"
              "panel 4: \"\" 112\n"
              "panel 5: \"\" 88\n"
              "panel 6: \"\" 104\n");
}

TEST_F(RegistersTest, ParentsTabKeepsTheFilterAndTheCurrentFamily) {
    seed(9, {{{"Fm", "Иванова"}, {"DKDN", "01.01.2005"}}, {{"Fm", "Петрова"}}, {{"Fm", "Петрова"}, {"Fo", "Орлов"}}});
    const std::string out = run(
        "click N50\nfilter Table9 (Fm='Петрова')\nfiltered Table9 on\ntable Table9 next\n"
        "tab TabSheet4\ntab TabSheet3\npanels\nstate Table9\ncurrent Table9 Fo\n");
    EXPECT_NE(out.find("panel 0: \"Всего семей- 3/1\" 128"), std::string::npos) << out;
    EXPECT_NE(out.find("Table9: browse, records 2, row 2, filter \"(Fm='Петрова')\" on"), std::string::npos) << out;
    EXPECT_NE(out.find("\nОрлов\n"), std::string::npos) << out;
}

TEST_F(RegistersTest, EditingSwitchTogglesGridsMemosAndCaption) {
    const std::string out = run(
        "show N123\nshow DBGrid1\nshow DBMemo30\nshow DBGrid17\nclick N123\nshow N123\nshow DBGrid16\nshow DBMemo11\n"
        "show DBGrid21\nclick N123\nshow N123\nshow DBGrid1\n");
    EXPECT_EQ(out,
              "N123: \"Разрешить редактирование таблиц\" visible\n"
              "DBGrid1: \"\" visible read-only\n"
              "DBMemo30: \"\" visible read-only\n"
              "DBGrid17: \"\" visible\n"
              "N123: \"Запретить редактирование таблиц\" visible\n"
              "DBGrid16: \"\" visible\n"
              "DBMemo11: \"\" visible\n"
              "DBGrid21: \"\" visible read-only\n"
              "N123: \"Разрешить редактирование таблиц\" visible\n"
              "DBGrid1: \"\" visible read-only\n");
}

TEST_F(RegistersTest, TitleClickSortsByTheFieldsIndex) {
    seedMinors();
    const std::string out = run("click N49\ntitle DBGrid1 F\ndump Table1 F\ntitle DBGrid1 Sv\nstate Table1\n");
    EXPECT_EQ(out,
              "Иванов\nКозлов\nПетров\nСидоров\nСмирнов\n"
              "error: Индекс \"Sv1\" не найден в таблице ZELT\\ZELT.db (таблица несовершеннолетних)\n"
              "Table1: browse, records 5, row 1, filter \"\" off, index \"F1\"\n");
}

TEST_F(RegistersTest, MinorTypedOnTheCardIsStoredWithSvEqualN) {
    seedMinors();
    const std::string out = run(
        "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Новиков\nnavigate DBNavigator1 post\n"
        "current Table1 N Sv F\nshow DBEdit1\n");
    EXPECT_EQ(out, "6\t6\tНовиков\nDBEdit1: \"Новиков\" visible\n");
}

TEST_F(RegistersTest, SavingSettingsClosesTheRegistersUntilTheMainWindowIsActiveAgain) {
    const std::string out = run(
        "click N49\nclick N128\nstate Table9\nevent RadioGroup1 Click 2\nclick TForm5.Button1\nstate Table1\n"
        "state Table9\nstate Table33\nclick N4\nshow TForm1\n");
    EXPECT_EQ(out,
              "window: TForm5 (modal)\n"
              "Table9: closed, filter \"\" off, index \"\"\n"
              "Table1: closed, filter \"\" off, index \"\"\n"
              "Table9: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "Table33: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "error: программа не запущена (нет команды start)\n");
}

}  // namespace
}  // namespace zelt
