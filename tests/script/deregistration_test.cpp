// The deregistration reports (counts by quarter, the families of a year) and the convicted list
// end to end: the year prompt, the quarter bounds, the cells written and the filters left behind.
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

class DeregistrationTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    static std::string withoutPath(const std::string& out) { return testing::withoutDocumentPath(out); }
};

const char* const kPrompt = "input Отчёт по снятым: Введите необходимый текущий год для отчёта -> ";

// Bounds of the quarters: 31.03 in quarter 1, 01.04 in quarter 2, 31.12 in quarter 4, 01.01 of
// the next year in none; a reason that differs in case and an empty one count as other.
TEST_F(DeregistrationTest, MinorsQuarterCountsTakeTheBoundsAndReasonsAsWritten) {
    testing::seedRecords(dir.path(), 5,
                         {{{"Sv", "1"}, {"F", "А"}, {"DCcU", "31.03.2006"}, {"OCcU", "Арест"}},
                          {{"Sv", "2"}, {"F", "Б"}, {"DCcU", "01.04.2006"}, {"OCcU", "Совершеннолетие"}},
                          {{"Sv", "3"}, {"F", "В"}, {"DCcU", "31.12.2006"}},
                          {{"Sv", "4"}, {"F", "Г"}, {"DCcU", "01.01.2007"}, {"OCcU", "Арест"}},
                          {{"Sv", "5"}, {"F", "Д"}, {"DCcU", "15.02.2005"}, {"OCcU", "Исправление"}},
                          {{"Sv", "6"}, {"F", "Е"}, {"DCcU", "10.10.2005"}, {"OCcU", "совершеннолетие"}},
                          {{"Sv", "7"}, {"F", "Ж"}, {"DCcU", "11.10.2005"}, {"OCcU", "Арест"}},
                          {{"Sv", "8"}, {"F", "З"}}});
    // The user's filter on the archive grid neither narrows the counts nor survives the report.
    const std::string out = withoutPath(
        run("click N49\nfilter Table5 (F='А')\nfiltered Table5 on\nanswer text 2006\nclick N116\nreport\nstate Table5\n"));
    EXPECT_EQ(out, std::string(kPrompt) + "2006\n" +
                       "orientation portrait\n"
                       "[C] **Отчёт по снятым**\n"
                       "[C] \n"
                       "table 1 (format 16, widths 70 96.38 96.38 96.38 96.38)\n"
                       "|  | 2006 (span 2) | 2005 (span 2) |\n"
                       "| 1 квартал | 1 | Совершеннолетие - 0\\nАрест - 1\\nИсправление - 0\\nДругое - 0 | 1 | "
                       "Совершеннолетие - 0\\nАрест - 0\\nИсправление - 1\\nДругое - 0 |\n"
                       "| 2 квартал | 1 | Совершеннолетие - 1\\nАрест - 0\\nИсправление - 0\\nДругое - 0 | 0 | "
                       "Совершеннолетие - 0\\nАрест - 0\\nИсправление - 0\\nДругое - 0 |\n"
                       "| 3 квартал | 0 | Совершеннолетие - 0\\nАрест - 0\\nИсправление - 0\\nДругое - 0 | 0 | "
                       "Совершеннолетие - 0\\nАрест - 0\\nИсправление - 0\\nДругое - 0 |\n"
                       "| 4 квартал | 1 | Совершеннолетие - 0\\nАрест - 0\\nИсправление - 0\\nДругое - 1 | 2 | "
                       "Совершеннолетие - 0\\nАрест - 1\\nИсправление - 0\\nДругое - 1 |\n"
                       "| Всего: | 3 | Совершеннолетие - 1\\nАрест - 1\\nИсправление - 0\\nДругое - 1 | 3 | "
                       "Совершеннолетие - 0\\nАрест - 1\\nИсправление - 1\\nДругое - 1 |\n"
                       "[L] \n"
                       "Table5: browse, records 8, row 1, bof, filter \"\" off, index \"\"\n");
}

TEST_F(DeregistrationTest, ParentsQuarterCountsNameTheLossOfParentalRights) {
    testing::seedRecords(dir.path(), 13,
                         {{{"Sv", "1"}, {"Fm", "А"}, {"DCcU", "01.07.2006"}, {"OCcU", "Лишение родительских прав"}},
                          {{"Sv", "2"}, {"Fm", "Б"}, {"DCcU", "30.09.2006"}, {"OCcU", "Арест"}}});
    const std::string out = withoutPath(run("click N50\nanswer text 2006\nclick N119\nreport\n"));
    EXPECT_NE(out.find("[C] **Отчёт по снятым (родители)**\n"), std::string::npos) << out;
    EXPECT_NE(out.find("| 3 квартал | 2 | Совершеннолетие - 0\\nЛишение родительских прав - 1\\nИсправление - 0\\n"
                       "Другое - 1 | 0 | Совершеннолетие - 0\\nЛишение родительских прав - 0\\nИсправление - 0\\n"
                       "Другое - 0 |\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("| Всего: | 2 | Совершеннолетие - 0\\nЛишение родительских прав - 1\\nИсправление - 0\\n"
                       "Другое - 1 | 0 |"),
              std::string::npos)
        << out;
}

// A cancel and an answer that is not a whole number both end the command before any document.
TEST_F(DeregistrationTest, YearPromptCancelledOrNotANumberWritesNoDocument) {
    const struct {
        const char* reg;
        const char* item;
        const char* answer;
        const char* shown;
    } cases[] = {
        {"N49", "N116", "answer cancel\n", "cancel\n"},
        {"N50", "N119", "answer cancel\n", "cancel\n"},
        {"N50", "N127", "answer cancel\n", "cancel\n"},
        {"N49", "N116", "answer text 2006г\n", "2006г\nerror: \"2006г\" не является целым числом\n"},
        {"N50", "N127", "answer text \n", "\nerror: \"\" не является целым числом\n"},
        {"N50", "N119", "answer text 99999999999\n", "99999999999\nerror: \"99999999999\" не является целым числом\n"},
    };
    for (const auto& c : cases) {
        const std::string out =
            run(std::string("click ") + c.reg + "\n" + c.answer + "click " + c.item + "\nreport\n");
        EXPECT_EQ(out, std::string(kPrompt) + c.shown + "error: отчёт ещё не построен\n") << c.item << " " << c.answer;
    }
}

TEST_F(DeregistrationTest, YearWithoutDeregistrationsGivesZerosAndHeaderOnlyTables) {
    testing::seedRecords(dir.path(), 13, {{{"Sv", "1"}, {"Fm", "А"}, {"DCcU", "01.07.2006"}}});
    std::string out = withoutPath(run("click N50\nanswer text 1990\nclick N119\nreport\n"));
    EXPECT_NE(out.find("| Всего: | 0 | Совершеннолетие - 0\\nЛишение родительских прав - 0\\nИсправление - 0\\n"
                       "Другое - 0 | 0 | Совершеннолетие - 0\\nЛишение родительских прав - 0\\nИсправление - 0\\n"
                       "Другое - 0 |\n"),
              std::string::npos)
        << out;
    out = withoutPath(run("click N50\nanswer text 1990\nclick N127\nreport\n"));
    const std::string header =
        "| № | Фамилия, имя, отчество | Адрес регистрации, проживания | Сведения о детях | Дата снятия с учёта | "
        "Основание снятия с учёта | Причина снятия с учёта |\n";
    const std::string table = " (format 16, widths 30 104.071 104.071 104.071 104.071 104.071 104.071)\n" + header;
    EXPECT_EQ(out, std::string(kPrompt) + "1990\n" +
                       "orientation landscape\n"
                       "[C] **Отчёт по снятым за год (родители)**\n"
                       "[L] **1-й квартал**\n"
                       "[L] \n"
                       "table 1" + table +
                       "[L] \n"
                       "[L] **2-й квартал**\n"
                       "[L] \n"
                       "table 2" + table +
                       "[L] \n"
                       "[L] **3-й квартал**\n"
                       "[L] \n"
                       "table 3" + table +
                       "[L] \n"
                       "[L] **4-й квартал**\n"
                       "[L] \n"
                       "table 4" + table +
                       "[L] \n");
}

// Quarter 1 writes the short labelled address, the later quarters city, house and flat; a family
// without the mother's addresses starts its cell with a paragraph mark.
TEST_F(DeregistrationTest, YearlyListWritesEachQuartersFamiliesWithTheirAddressesAndChildren) {
    testing::seedRecords(dir.path(), 13,
                         {{{"Sv", "1"}, {"Fm", "Сидорова"}, {"Im", "Анна"}, {"Om", "Павловна"}, {"GRm", "Дубна"},
                           {"URm", "Мира"}, {"DomRm", "3"}, {"KRm", "14"}, {"Go", "Кимры"}, {"DCcU", "10.01.2006"},
                           {"OCcU", "Исправление"}, {"PCcU", "Улучшение"}},
                          {{"Sv", "2"}, {"Fo", "Орлов"}, {"Io", "Пётр"}, {"Oo", "Ильич"}, {"GRo", "Тверь"},
                           {"URo", "Садовая"}, {"DomRo", "7"}, {"KRo", "1"}, {"Uo", "Ленина"}, {"DCcU", "01.04.2006"}},
                          {{"Sv", "3"}, {"Fm", "Позже"}, {"DCcU", "01.01.2007"}}});
    testing::seedRecords(dir.path(), 14,
                         {{{"Sv", "1"}, {"F", "Сидоров"}, {"I", "Пётр"}, {"O", "Иванович"}, {"DR", "01.09.1995"}},
                          {{"Sv", "3"}, {"F", "Чужой"}},
                          {{"Sv", "1"}, {"F", "Сидорова"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "02.03.1998"}}});
    const std::string out = withoutPath(run("click N50\nanswer text 2006\nclick N127\nreport\nstate Table13\n"));
    EXPECT_NE(out.find("| 1 | Сидорова Анна Павловна | Дубна ул. Мира д.3 кв.14\\nКимры ул.  д. кв. | "
                       "Сидоров Пётр Иванович, 01.09.1995г.р.\\nСидорова Анна Ивановна, 02.03.1998г.р. | "
                       "10.01.2006 | Исправление | Улучшение |\n"
                       "[L] \n[L] **2-й квартал**\n[L] \ntable 2"),
              std::string::npos)
        << out;
    // The father's street of residence is neither written nor tested in quarter 2.
    EXPECT_NE(out.find("| 1 |   \\nОрлов Пётр Ильич | \\nТверь 7 1 |  | 01.04.2006 |  |  |\n[L] \n[L] **3-й квартал**"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Позже"), std::string::npos) << out;
    EXPECT_NE(out.find("Table13: browse, records 3, row 1, bof, filter \"\" off"), std::string::npos) << out;
}

TEST_F(DeregistrationTest, ConvictedListNamesEachMinorOnceWithAllHisProceedings) {
    testing::seedRecords(dir.path(), 1,
                         {{{"F", "Иванов"}, {"I", "Иван"}, {"O", "Ильич"}, {"DR", "01.09.1995"}, {"PrG", "Кимры"},
                           {"PrU", "Мира"}, {"PrD", "5"}, {"PrK", "12"}, {"MUch", "СОШ № 1"}},
                          {{"F", "Петров"}},
                          {{"F", "Сидоров"}}});
    testing::seedRecords(dir.path(), 2,
                         {{{"Sv", "1"}, {"DSud", "01.03.2006"}, {"StSud", "ст. 158"}, {"MeraSud", "Штраф"},
                           {"DObSud", "Учиться\r\nНе гулять"}},
                          {{"Sv", "3"}, {"DSud", "05.05.2006"}},
                          {{"Sv", "1"}, {"DSud", "02.04.2006"}, {"MeraSud", "Условно"}}});
    const std::string out = withoutPath(run("click N49\nclick N132\nreport\n"));
    EXPECT_EQ(out,
              "orientation landscape\n"
              "[C] **Осужденные**\n"
              "[C] **на \"   \" ____________ 20__г.**\n"
              "[C] \n"
              "table 1 (format 16, widths 30 66.2273 66.2273 66.2273 66.2273 66.2273 66.2273 66.2273 66.2273 "
              "66.2273 66.2273)\n"
              "| № | Фамилия | Имя | Отчество | Дата рождения | Город | Улица | Дом | Квартира | Место учёбы | "
              "Привлечения судом |\n"
              "| 1 | Иванов | Иван | Ильич | 01.09.1995 | Кимры | Мира | 5 | 12 | СОШ № 1 | "
              "01.03.2006\\nст. 158\\nШтраф\\nУчиться\\nНе гулять\\n02.04.2006\\n\\nУсловно\\n |\n"
              "| 2 | Сидоров |  |  |  |  |  |  |  |  | 05.05.2006\\n\\n\\n |\n"
              "[L] \n");
}

TEST_F(DeregistrationTest, ConvictedListKeepsTheUsersFilter) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}}, {{"F", "Сидоров"}}});
    testing::seedRecords(dir.path(), 2, {{{"Sv", "1"}, {"DSud", "01.03.2006"}}, {{"Sv", "2"}, {"DSud", "05.05.2006"}}});
    const std::string out =
        withoutPath(run("click N49\nfilter Table1 (F='Сидоров')\nfiltered Table1 on\nclick N132\nreport\nstate Table1\n"));
    EXPECT_NE(out.find("| 1 | Сидоров |"), std::string::npos) << out;
    EXPECT_EQ(out.find("Иванов"), std::string::npos) << out;
    EXPECT_NE(out.find("filter \"(F='Сидоров')\" on"), std::string::npos) << out;
}

}  // namespace
}  // namespace zelt
