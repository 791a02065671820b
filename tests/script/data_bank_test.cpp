// The data bank reports end to end: the document's paragraphs and cells, and the filters the
// banks leave on their tables.
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

class DataBankTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    static std::string withoutPath(const std::string& out) { return testing::withoutDocumentPath(out); }
};

TEST_F(DataBankTest, LiveMinorsBankListsRegisteredMinorsAndLeavesTheGridSo) {
    testing::seedRecords(dir.path(), 1,
                         {{{"F", "Иванов"}, {"I", "Иван"}, {"O", "Ильич"}, {"DKDN", "01.02.2006"}, {"PrG", "Кимры"},
                           {"PrU", "Мира"}, {"PrD", "5"}, {"PKDN", "Кража\r\nДрака"}, {"MUch", "СОШ № 1"}},
                          {{"F", "Петров"}}});
    EXPECT_EQ(withoutPath(run("click N49\nfilter Table1 (F='Петров')\nfiltered Table1 on\nclick N155\nreport\nstate Table1\n")),
              "orientation landscape\n"
              "[C] **Банк данных по несовершеннолетним**\n"
              "[C] **на \"   \" ____________ 20__г.**\n"
              "[C] \n"
              "table 1 (format 16, widths 30 121.417 121.417 121.417 121.417 121.417)\n"
              "| № | Фамилия, имя, отчество | Адрес проживания | Дата постановки на учёт | Причина постановки | Место учёбы |\n"
              "| 1 | Иванов Иван Ильич | Кимры Мира 5  | 01.02.2006 | Кража\\nДрака | СОШ № 1 |\n"
              "[L] \n"
              "Table1: browse, records 1, row 1, eof, filter \"(DKDN<>Null)\" on, index \"\"\n");
}

TEST_F(DataBankTest, FamilyBankWritesTheFatherAloneAndTheChildren) {
    testing::seedRecords(dir.path(), 9,
                         {{{"Fo", "Сидоров"}, {"Io", "Иван"}, {"Go", "Дубна"}, {"Uo", "Ленина"}, {"DKDN", "01.01.2006"}},
                          {{"Fm", "Одна"}}});
    testing::seedRecords(dir.path(), 10,
                         {{{"Sv", "1"}, {"F", "Сидоров"}, {"I", "Пётр"}, {"O", "Иванович"}, {"DR", "01.09.1995"}},
                          {{"Sv", "1"}, {"F", "Сидорова"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "02.03.1998"}},
                          {{"Sv", "1"}, {"F", "Сидоров"}, {"I", "Олег"}, {"O", "Иванович"}, {"DR", "03.04.2000"}}});
    const std::string out = withoutPath(run("click N50\nclick N126\nreport\n"));
    EXPECT_NE(out.find("| 1 |   \\nСидоров Иван  | \\nДубна Ленина   | "
                       "Сидоров Пётр Иванович, 01.09.1995г.р.\\nСидорова Анна Ивановна, 02.03.1998г.р.\\n"
                       "Сидоров Олег Иванович, 03.04.2000г.р. | 01.01.2006 |  |\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("| 2 | Одна   |  |  |  |  |\n"), std::string::npos) << out;
}

TEST_F(DataBankTest, ArchiveMinorsBankNarrowsTheUsersFilterThenLeavesTheArchiveUnfiltered) {
    testing::seedRecords(dir.path(), 5,
                         {{{"Sv", "7"}, {"F", "Иванов"}, {"DKDN", "01.01.2005"}, {"DCcU", "01.01.2006"}},
                          {{"Sv", "8"}, {"F", "Иванов"}},
                          {{"Sv", "9"}, {"F", "Петров"}, {"DKDN", "01.01.2005"}}});
    const std::string out = withoutPath(run("click N49\nfilter Table5 (F='Иванов')\nfiltered Table5 on\nclick N140\nreport\nstate Table5\n"));
    EXPECT_EQ(out.find("Петров"), std::string::npos) << out;
    EXPECT_NE(out.find("| 1 | Иванов   |"), std::string::npos) << out;
    EXPECT_EQ(out.find("| 2 |"), std::string::npos) << out;
    EXPECT_NE(out.find("Table5: browse, records 3, row 1, bof, filter \"\" off"), std::string::npos) << out;
}

TEST_F(DataBankTest, EmptyRegisterGivesTheTitleAndTheHeaderRow) {
    const std::string out = withoutPath(run("click N50\nclick N139\nreport\n"));
    EXPECT_EQ(out,
              "orientation landscape\n"
              "[C] **Банк данных по семьям (архив)**\n"
              "[C] **на \"   \" ____________ 20__г.**\n"
              "[C] \n"
              "table 1 (format 16, widths 30 104.071 104.071 104.071 104.071 104.071 104.071)\n"
              "| № | Фамилия, имя, отчество | Адрес регистрации, проживания | Дата постановки на учёт | Дата снятия с учёта | "
              "Основания снятия с учёта | Причина снятия с учёта |\n"
              "[L] \n");
}

}  // namespace
}  // namespace zelt
