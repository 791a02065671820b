// The statistical reports end to end: the family control report, the registration reasons report
// and the minors' report, their counts on known data, the lists they read and when, and the file
// errors as the user sees them.
#include "support/script_support.h"
#include "support/test_support.h"

#include "app/application.h"
#include "app/main_window.h"
#include "base/text.h"
#include "script/script_runner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zelt {
namespace {

class StatisticsReportTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    std::string report(const std::string& script) { return testing::withoutDocumentPath(run(script + "report\n")); }
    void writeList(const std::string& name, const std::string& utf8) {
        std::ofstream(dir / name, std::ios::binary) << cp1251FromUtf8(utf8);
    }
    // The document's text from its first line to the line starting with `until` (or the end).
    static std::string upTo(const std::string& out, const std::string& until) {
        return out.substr(0, out.find(until));
    }
};

bool hasDocument(const std::string& out) { return out.find("document: ") != std::string::npos; }

// ------------------------------------------------------------------------------ family control

TEST_F(StatisticsReportTest, FamilyControlCountsEachLineOfTheNotesExactly) {
    writeList("kontpnu_r.vrk", "ПДН\r\nОпека\r\nШкола\r\n");
    testing::seedRecords(dir.path(), 9,
                         {{{"Fm", "Одна"}, {"KKDN", "ПДН\r\nОпека\r\nПДН"}},
                          // another case, a trailing blank, a phrase inside a longer line: counted nowhere
                          {{"Fm", "Две"}, {"KKDN", "пдн\r\nПДН \r\nОпека семьи\r\nОпека"}},
                          {{"Fm", "Три"}}});
    const std::string out = report("click N50\nclick N156\n");
    EXPECT_EQ(out,
              "orientation portrait\n"
              "[C] mega otchot\n"
              "[C] \n"
              "[C] **Контроль**\n"
              "table 1 (format 1, widths 30 100 50)\n"
              "| № | Контроль | Кол-во |\n"
              "| 1 | ПДН | 2 |\n"
              "| 2 | Опека | 2 |\n"
              "| 3 | Школа | 0 |\n"
              "[L] \n"
              "[L] \n");
}

TEST_F(StatisticsReportTest, FamilyControlCountsOnlyTheFilteredFamiliesAndEndsOnTheLast) {
    writeList("kontpnu_r.vrk", "ПДН");
    testing::seedRecords(dir.path(), 9,
                         {{{"Fm", "Иванова"}, {"KKDN", "ПДН"}},
                          {{"Fm", "Петрова"}, {"KKDN", "ПДН\r\nПДН"}},
                          {{"Fm", "Иванова"}, {"KKDN", "ПДН\r\n"}}});
    std::string out = report("click N50\nfilter Table9 (Fm='Иванова')\nfiltered Table9 on\nclick N156\n");
    out += run("click N50\nfilter Table9 (Fm='Иванова')\nfiltered Table9 on\nclick N156\nstate Table9\n");
    EXPECT_NE(out.find("| 1 | ПДН | 2 |\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Table9: browse, records 2, row 2, eof"), std::string::npos) << out;
}

TEST_F(StatisticsReportTest, FamilyControlWithoutFamiliesReadsNoListAndGivesTheHeaderRow) {
    std::string out = report("click N50\nclick N156\n");
    out += run("exists kontpnu_r.vrk\n");
    EXPECT_NE(out.find("table 1 (format 1, widths 30 100 50)\n| № | Контроль | Кол-во |\n[L] \n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("missing: kontpnu_r.vrk"), std::string::npos) << out;
}

TEST_F(StatisticsReportTest, FamilyControlCreatesAMissingListEmpty) {
    testing::seedRecords(dir.path(), 9, {{{"Fm", "Одна"}, {"KKDN", "ПДН"}}});
    std::string out = report("click N50\nclick N156\n");
    out += run("exists kontpnu_r.vrk\n");
    EXPECT_NE(out.find("| № | Контроль | Кол-во |\n[L] \n"), std::string::npos) << out;
    EXPECT_NE(out.find("exists: kontpnu_r.vrk (0 bytes)"), std::string::npos) << out;
}

// A list file that cannot be read (a folder in its place) shows the file error and no document:
// the counting comes before the document.
TEST_F(StatisticsReportTest, AnUnreadableListEndsTheCountingReportsBeforeAnyDocument) {
    struct Case {
        const char* item;
        const char* registerItem;
        int table;
        const char* field;
        const char* file;
    };
    const Case cases[] = {{"N156", "N50", 9, "Fm", "kontpnu_r.vrk"},
                          {"N134", "N49", 1, "F", "pr_kdn_p.vrk"}};
    for (const Case& c : cases) {
        testing::DataDir d;
        testing::seedRecords(d.path(), c.table, {{{c.field, "Иванов"}}});
        std::filesystem::create_directory(d / c.file);
        const std::string out = testing::runScript(d.path(), std::string("click ") + c.registerItem + "\nclick " +
                                                                 c.item + "\nreport\n");
        EXPECT_NE(out.find(std::string("error: Ошибка ввода-вывода: не удаётся прочитать файл ") + c.file),
                  std::string::npos)
            << c.item << "\n" << out;
        EXPECT_FALSE(hasDocument(out)) << c.item << "\n" << out;
        EXPECT_NE(out.find("error: отчёт ещё не построен"), std::string::npos) << c.item << "\n" << out;
    }
}

TEST_F(StatisticsReportTest, FamilyControlIsTypedInTenPoint) {
    writeList("kontpnu_r.vrk", "ПДН");
    testing::seedRecords(dir.path(), 9, {{{"Fm", "Одна"}, {"KKDN", "ПДН"}}});
    testing::RecordingUi ui;
    app::FixedClock clock(40000);
    app::Application a(dir.path(), ui, clock);
    a.start();
    a.dispatch([&] { a.model().fire("N50", "Click"); });
    a.dispatch([&] { a.model().fire("N156", "Click"); });
    ASSERT_FALSE(ui.anyError());
    const reports::Document* doc = a.mainWindow().lastReport();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->blocks()[0].paragraph.runs.at(0).format.size, 10);
    for (const reports::Block& b : doc->blocks()) {
        if (b.isTable()) {
            EXPECT_EQ(b.table->rows().at(1).at(1).paragraph().runs.at(0).format.size, 10);
        }
    }
    a.stop();
}

// ------------------------------------------------------------------------------ registration reasons

class ReasonsReportTest : public StatisticsReportTest {
protected:
    void seedMinors() {
        testing::seedRecords(dir.path(), 1,
                             {{{"F", "Иванов"}, {"I", "Иван"}, {"O", "Ильич"}, {"PKDN", "Кража\r\nДрака"}},
                              {{"F", "Петров"}, {"I", "Пётр"}, {"O", "Ильич"}, {"PKDN", "Кража\r\nКража"}},
                              // another case and a trailing blank match nothing
                              {{"F", "Сидоров"}, {"I", "Олег"}, {"O", "Ильич"}, {"PKDN", "кража\r\nДрака "}},
                              {{"F", "Орлов"}, {"I", "Илья"}, {"O", "Ильич"}, {"PKDN", "Драка"}}});
    }
    static constexpr const char* kTitle =
        "orientation portrait\n"
        "[C] **Отчёт несовершеннолетних по причинам постановки на учёт**\n"
        "[C] \n";
};

TEST_F(ReasonsReportTest, EachReasonListsItsMinorsNumberedFromOneInFileOrder) {
    writeList("pr_kdn_p.vrk", "Кража\r\nДрака\r\nБродяжничество\r\nКража\r\n");
    seedMinors();
    std::string out = report("click N49\nclick N151\n");
    out += run("click N49\nclick N151\nstate Table1\n");
    EXPECT_EQ(upTo(out, "document: "),
              std::string(kTitle) +
                  "table 1 (format 16, widths 30 240.95)\n"
                  "| № | Фамилия, имя, отчество |\n"
                  "|  |  |\n"
                  "|  | Кража |\n"
                  "| 1 | Иванов Иван Ильич |\n"
                  "| 2 | Петров Пётр Ильич |\n"
                  "| 3 | Петров Пётр Ильич |\n"
                  "|  | Драка |\n"
                  "| 1 | Иванов Иван Ильич |\n"
                  "| 2 | Орлов Илья Ильич |\n"
                  "|  | Бродяжничество |\n"
                  "|  | Кража |\n"
                  "| 1 | Иванов Иван Ильич |\n"
                  "| 2 | Петров Пётр Ильич |\n"
                  "| 3 | Петров Пётр Ильич |\n"
                  "|  |  |\n"
                  "[L] \n");
    EXPECT_NE(out.find("Table1: browse, records 4, row 4, eof"), std::string::npos) << out;
}

TEST_F(ReasonsReportTest, AnEmptyListGivesTheThreeRowTable) {
    writeList("pr_kdn_p.vrk", "");
    seedMinors();
    EXPECT_EQ(report("click N49\nclick N151\n"), std::string(kTitle) +
                                                     "table 1 (format 16, widths 30 240.95)\n"
                                                     "| № | Фамилия, имя, отчество |\n"
                                                     "|  |  |\n"
                                                     "|  |  |\n"
                                                     "[L] \n");
}

// The list is read after the title and the header are typed; a missing one is not created, and
// the document typed so far is still shown.
TEST_F(ReasonsReportTest, AMissingListShowsTheFileErrorAndTheDocumentTypedSoFar) {
    seedMinors();
    const std::string out = run("click N49\nclick N151\nreport\nexists pr_kdn_p.vrk\n");
    EXPECT_NE(out.find("error: Ошибка ввода-вывода: не удаётся открыть файл pr_kdn_p.vrk"), std::string::npos) << out;
    EXPECT_TRUE(hasDocument(out)) << out;
    EXPECT_NE(testing::withoutDocumentPath(out).find(std::string(kTitle) +
                                                     "table 1 (format 0, widths 30 240.95)\n"
                                                     "| № | Фамилия, имя, отчество |\n"
                                                     "|  |  |\n"
                                                     "|  |  |\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("missing: pr_kdn_p.vrk"), std::string::npos) << out;
}

// ------------------------------------------------------------------------------ minors' report

class MinorsReportTest : public StatisticsReportTest {
protected:
    // Table k of the report: its title line and rows.
    static std::string table(const std::string& out, int k) {
        const size_t b = out.find("table " + std::to_string(k) + " (");
        if (b == std::string::npos) return "no table " + std::to_string(k);
        size_t e = out.find('\n', b) + 1;
        while (e < out.size() && out[e] == '|') e = out.find('\n', e) + 1;
        return out.substr(b, e - b);
    }
    static std::string rows(const std::string& out, int k) {
        const std::string t = table(out, k);
        return t.substr(t.find('\n') + 1);
    }
};

TEST_F(MinorsReportTest, PickListsCountTheFieldExactlyAndEveryValueIsListed) {
    writeList("gorod.vrk", "Тверь\r\nКимры\r\n");
    writeList("zan_p.vrk", "Школа\r\n\r\nРабота\r\n");
    writeList("stat_rod_p.vrk", "Работает\r\nНе работает\r\n");
    writeList("sub.vrk", "Школа\r\nПДН\r\n");
    testing::seedRecords(dir.path(), 1,
                         {{{"F", "А"}, {"MR", "Кимры"}, {"Zan", "Школа"}, {"Statm", "Работает"}, {"Stato", "Работает"},
                           {"RegG", "Кимры"}, {"PrG", "Тверь"}},
                          {{"F", "Б"}, {"MR", "кимры"}, {"Statm", "Не работает"}},  // an empty Zan adds nothing
                          {{"F", "В"}, {"MR", "Кимры "}, {"Zan", "школа"}},
                          {{"F", "Г"}, {"MR", "Тверь"}}});
    testing::seedRecords(dir.path(), 4, {{{"Sv", "1"}, {"SubProf", "ПДН"}}, {{"Sv", "4"}, {"SubProf", "ПДН"}}});
    const std::string out = report("click N49\nclick N134\n");
    // The lists come in the order the card's combo boxes show them: sorted, the occupations as filed.
    EXPECT_EQ(rows(out, 1), "| № | Место рождения | Кол-во |\n| 1 | Кимры | 1 |\n| 2 | Тверь | 1 |\n");
    EXPECT_EQ(rows(out, 3), "| № | Занятость | Кол-во |\n| 1 | Школа | 1 |\n| 2 |  | 0 |\n| 3 | Работа | 0 |\n");
    EXPECT_EQ(rows(out, 5), "| № | Регистрация город | Кол-во |\n| 1 | Кимры | 1 |\n| 2 | Тверь | 0 |\n");
    EXPECT_EQ(rows(out, 8), "| № | Проживание город | Кол-во |\n| 1 | Кимры | 0 |\n| 2 | Тверь | 1 |\n");
    EXPECT_EQ(rows(out, 11), "| № | Статус матери | Кол-во |\n| 1 | Не работает | 1 |\n| 2 | Работает | 1 |\n");
    EXPECT_EQ(rows(out, 12), "| № | Статус отца | Кол-во |\n| 1 | Не работает | 0 |\n| 2 | Работает | 1 |\n");
    EXPECT_EQ(rows(out, 19),
              "| № | Субъект проводимой индивидуальной работы | Кол-во |\n| 1 | ПДН | 2 |\n| 2 | Школа | 0 |\n");
    // Lists with no values give the header row; every table is simple, then 30, 100, 50 wide.
    EXPECT_EQ(table(out, 6), "table 6 (format 1, widths 30 100 50)\n| № | Регистрация улица | Кол-во |\n");
}

TEST_F(MinorsReportTest, PhraseListsCountLinesAndTheCourtMeasureByItsBeginning) {
    writeList("pr_kdn_p.vrk", "Кража\r\nДрака\r\n");
    writeList("mera_pkos_p.vrk", "штраф\r\nусловно \r\nобязательные работы\r\n");
    writeList("st_sud_p.vrk", "ст. 158\r\n");
    writeList("dop_ob_p.vrk", "Учиться\r\n");
    testing::seedRecords(dir.path(), 1,
                         {{{"F", "А"}, {"PKDN", "Кража\r\nКража"}}, {{"F", "Б"}, {"PKDN", "Кража\r\nкража\r\nДрака "}}});
    testing::seedRecords(dir.path(), 2,
                         {{{"Sv", "1"}, {"MeraSud", "штраф"}, {"StSud", "ст. 158\r\nст. 158"}},
                          {{"Sv", "1"}, {"MeraSud", "штраф 500 руб."}, {"DObSud", "Учиться\r\nНе гулять"}},
                          {{"Sv", "2"}, {"MeraSud", "штрафной"}, {"StSud", "ст. 158 ч. 1"}},
                          {{"Sv", "2"}, {"MeraSud", "большой штраф"}},
                          // shorter than "условно ": counted when, trimmed, it equals it trimmed
                          {{"Sv", "2"}, {"MeraSud", "условно"}},
                          {{"Sv", "2"}, {"MeraSud", "усл"}}});
    std::string out = report("click N49\nclick N134\n");
    out += run("click N49\nclick N134\nstate Table1\nstate Table2\nexists st_kom_p.vrk\n");
    EXPECT_EQ(rows(out, 10), "| № | Причина постановки на учёт | Кол-во |\n| 1 | Кража | 3 |\n| 2 | Драка | 0 |\n");
    EXPECT_EQ(rows(out, 13),
              "| № | Мера привлечения к ответственности судом | Кол-во |\n"
              "| 1 | штраф | 3 |\n| 2 | условно  | 1 |\n| 3 | обязательные работы | 0 |\n");
    EXPECT_EQ(rows(out, 14), "| № | Статья привлечения к ответственности судом | Кол-во |\n| 1 | ст. 158 | 2 |\n");
    EXPECT_EQ(rows(out, 15),
              "| № | Дополнительные обязанности привлечения к ответственности судом | Кол-во |\n| 1 | Учиться | 1 |\n");
    // The master on its last minor, the court records on that minor's last.
    EXPECT_NE(out.find("Table1: browse, records 2, row 2, eof"), std::string::npos) << out;
    EXPECT_NE(out.find("Table2: browse, records 4, row 4, eof"), std::string::npos) << out;
    // Without commission records their phrase lists are never read, not even created.
    EXPECT_NE(out.find("missing: st_kom_p.vrk"), std::string::npos) << out;
}

TEST_F(MinorsReportTest, WithoutCommissionRecordsTheirSectionsAreHeaderOnly) {
    writeList("st_kom_p.vrk", "ст. 20.21\r\n");
    writeList("mera_kom_p.vrk", "Штраф\r\n");
    writeList("rekom_p.vrk", "Учиться\r\n");
    testing::seedRecords(dir.path(), 1, {{{"F", "А"}}});
    testing::seedRecords(dir.path(), 3, {{{"Sv", "7"}, {"StProt", "ст. 20.21"}}});  // another minor's, not shown
    const std::string out = report("click N49\nclick N134\n");
    EXPECT_EQ(rows(out, 16), "| № | Статья привлечения к ответственности комиссией | Кол-во |\n");
    EXPECT_EQ(rows(out, 17), "| № | Мера привлечения к ответственности комиссией | Кол-во |\n");
    EXPECT_EQ(rows(out, 18), "| № | Рекомендации привлечения к ответственности комиссией | Кол-во |\n");
}

TEST_F(MinorsReportTest, CommissionRecordsOfTheFilteredMinorsOnly) {
    writeList("st_kom_p.vrk", "ст. 20.21\r\n");
    writeList("rekom_p.vrk", "Учиться\r\nРаботать\r\n");
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}}, {{"F", "Петров"}}});
    testing::seedRecords(dir.path(), 3,
                         {{{"Sv", "1"}, {"StProt", "ст. 20.21"}, {"Rek", "Учиться\r\nРаботать\r\nУчиться"}},
                          {{"Sv", "2"}, {"StProt", "ст. 20.21"}, {"Rek", "Работать"}}});
    const std::string out = report("click N49\nfilter Table1 (F='Иванов')\nfiltered Table1 on\nclick N134\n");
    EXPECT_EQ(rows(out, 16), "| № | Статья привлечения к ответственности комиссией | Кол-во |\n| 1 | ст. 20.21 | 1 |\n");
    EXPECT_EQ(rows(out, 18),
              "| № | Рекомендации привлечения к ответственности комиссией | Кол-во |\n"
              "| 1 | Учиться | 2 |\n| 2 | Работать | 1 |\n");
}

TEST_F(MinorsReportTest, NineteenHeadedSectionsEachBelowAnEmptyParagraph) {
    writeList("gorod.vrk", "Кимры\r\n");
    const std::string out = report("click N49\nclick N134\n");
    EXPECT_EQ(out.substr(0, out.find("table 3 (")),
              "orientation portrait\n"
              "[C] mega otchot\n"
              "[C] \n"
              "[C] **Место рождения**\n"
              "table 1 (format 1, widths 30 100 50)\n"
              "| № | Место рождения | Кол-во |\n"
              "| 1 | Кимры | 0 |\n"
              "[C] \n"
              "[C] **Место учёбы**\n"
              "table 2 (format 1, widths 30 100 50)\n"
              "| № | Место учёбы | Кол-во |\n"
              "[C] \n"
              "[C] **Занятость**\n");
    EXPECT_NE(out.find("table 19 (format 1, widths 30 100 50)\n"
                       "| № | Субъект проводимой индивидуальной работы | Кол-во |\n"
                       "[L] \n"
                       "[L] \n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("table 20 "), std::string::npos) << out;
}

}  // namespace
}  // namespace zelt
