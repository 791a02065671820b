// The universal reports end to end: the picker's ticks, the columns in list order, the detail
// lists, the rows the user's filter shows, and nothing at all when no choice is ticked.
#include "support/script_support.h"
#include "support/test_support.h"

#include "reports/universal.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

class UniversalTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    static std::string withoutPath(const std::string& out) { return testing::withoutDocumentPath(out); }
};

TEST_F(UniversalTest, NoChoiceTickedTypesNothing) {
    for (const char* close : {"click TForm2.BitBtn1\n", "close TForm2\n"}) {
        const std::string out = run(std::string("click N49\nclick N42\n") + close + "report\n");
        EXPECT_EQ(out, "window: TForm2 (modal)\nerror: отчёт ещё не построен\n") << close;
    }
}

// Ticked in another order than the list's, by caption and by index; the columns follow the list.
TEST_F(UniversalTest, ColumnsFollowTheListOrderAndTheFilterLimitsTheRows) {
    testing::seedRecords(dir.path(), 1,
                         {{{"F", "Иванов"}, {"I", "Иван"}, {"DR", "01.09.1995"}},
                          {{"F", "Петров"}, {"I", "Пётр"}},
                          {{"F", "Иванов"}, {"I", "Олег"}}});
    testing::seedRecords(dir.path(), 2,
                         {{{"Sv", "1"}, {"DSud", "01.03.2006"}, {"MeraSud", "Штраф"}, {"StSud", "ст. 158"}},
                          {{"Sv", "1"}, {"DSud", "02.04.2006"}}});
    const std::string out = withoutPath(run(
        "click N49\nfilter Table1 (F='Иванов')\nfiltered Table1 on\nclick N42\n"
        "tick TForm2.CheckListBox1 Привлечение судом\ntick TForm2.CheckListBox1 1\ntick TForm2.CheckListBox1 Фамилия\n"
        "tick TForm2.CheckListBox1 Дата рождения\nuntick TForm2.CheckListBox1 3\nclick TForm2.BitBtn1\nreport\nshow TForm2\n"));
    EXPECT_EQ(out,
              "window: TForm2 (modal)\n"
              "orientation landscape\n"
              "[C] **Наборный отчёт**\n"
              "table 1 (format 16, widths 30 50 50 50)\n"
              "| № | Фамилия | Имя | Привлечение судом |\n"
              "| 1 | Иванов | Иван | 01.03.2006\\nШтраф\\nст. 158\\n\\n02.04.2006\\n\\n\\n |\n"
              "| 2 | Иванов | Олег |  |\n"
              "[L] \n"
              "TForm2: \"Выберите нужные значения\" hidden\n");
}

// The ticks stay for the next opening; the close box takes them as the button does.
TEST_F(UniversalTest, TicksAreKeptForTheNextOpening) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}, {"Zan", "учится"}}});
    const std::string out = run("click N49\nclick N42\ntick TForm2.CheckListBox1 Занятость\nclose TForm2\n"
                                "click N42\nclose TForm2\nreport\n");
    // Two documents, the second typed with the ticks of the first opening.
    const size_t second = out.find("window: TForm2 (modal)\ndocument: ", out.find("document: "));
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_EQ(out.substr(out.find("\n", out.find("document: ", second)) + 1),
              "orientation landscape\n"
              "[C] **Наборный отчёт**\n"
              "table 1 (format 16, widths 30 50)\n"
              "| № | Занятость |\n"
              "| 1 | учится |\n"
              "[L] \n");
}

TEST_F(UniversalTest, EveryMinorsChoiceGivesFortyOneColumnsInListOrder) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}, {"L", "10"}}});
    std::string script = "click N49\nclick N42\n";
    for (int i = 39; i >= 0; --i) script += "tick TForm2.CheckListBox1 " + std::to_string(i) + "\n";
    const std::string out = withoutPath(run(script + "click TForm2.BitBtn1\nreport\n"));
    const std::vector<std::string>& choices = reports::universalChoices(reports::Universal::Minors);
    ASSERT_EQ(choices.size(), 40u);
    std::string widths = "widths 30", header = "| №";
    for (const std::string& c : choices) {
        widths += " 50";
        header += " | " + c;
    }
    EXPECT_NE(out.find("table 1 (format 16, " + widths + ")\n" + header + " |\n| 1 | Иванов |"), std::string::npos) << out;
    EXPECT_EQ(choices[32], "Причина  (КДН)");
    EXPECT_EQ(choices[39], "Досуг");
}

TEST_F(UniversalTest, FamilyChildrenChoiceWritesEachChildWithHisOccupation) {
    testing::seedRecords(dir.path(), 9, {{{"Fm", "Сидорова"}, {"DRo", "03.03.1968"}}});
    testing::seedRecords(dir.path(), 10,
                         {{{"Sv", "1"}, {"F", "Сидоров"}, {"I", "Пётр"}, {"O", "Иванович"}, {"DR", "01.09.1995"},
                           {"OU", "СОШ № 3"}},
                          {{"Sv", "1"}, {"F", "Сидорова"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "02.03.1998"}}});
    const std::string out = withoutPath(run("click N50\nclick N110\ntick TForm3.CheckListBox1 Сведения о детях\n"
                                            "tick TForm3.CheckListBox1 День рождения (о)\nclick TForm3.BitBtn1\nreport\n"));
    EXPECT_EQ(out,
              "window: TForm3 (modal)\n"
              "orientation landscape\n"
              "[C] **Наборный отчёт родители**\n"
              "table 1 (format 16, widths 30 50 50)\n"
              "| № | День рождения (о) | Сведения о детях |\n"
              "| 1 | 03.03.1968 | Сидоров Пётр Иванович, 01.09.1995. СОШ № 3\\nСидорова Анна Ивановна, 02.03.1998.  |\n"
              "[L] \n");
    const std::vector<std::string>& choices = reports::universalChoices(reports::Universal::Families);
    ASSERT_EQ(choices.size(), 54u);
    EXPECT_EQ(choices[22], "Фамилия (о)");
    EXPECT_EQ(choices[43], "Кто выдал (о)");
    EXPECT_EQ(choices[44], "Дата КДН");
    EXPECT_EQ(choices[53], "Профработа");
}

TEST_F(UniversalTest, AChoiceThatIsNotInTheListIsRefused) {
    const std::string out = run("click N49\nclick N42\ntick TForm2.CheckListBox1 Рост\ntick TForm2.CheckListBox1 40\n");
    EXPECT_EQ(out,
              "window: TForm2 (modal)\n"
              "error: в списке TForm2.CheckListBox1 нет выбора Рост\n"
              "error: в списке TForm2.CheckListBox1 нет выбора 40\n");
}

}  // namespace
}  // namespace zelt
