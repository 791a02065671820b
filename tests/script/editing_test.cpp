// Entering records on the cards end to end: capitalisation and posting on leaving a control, the
// date of birth, pick lists, address copies, phrase menus and the operational-information boxes.
#include "app/main_window.h"
#include "base/text.h"
#include "editing/note_files.h"
#include "editing/rich_text.h"
#include "script/script_runner.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zelt {
namespace {

class EditingTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }

    // List files are cp1251 on disk.
    void writeList(const std::string& name, const std::string& utf8) {
        std::ofstream(dir / name, std::ios::binary) << cp1251FromUtf8(utf8);
    }
};

TEST_F(EditingTest, LeavingAControlCapitalisesAndPosts) {
    struct Case {
        const char* typed;
        const char* stored;
    };
    // DBEdit1 is the minor's surname, DBComboBox1 his place of birth.
    for (const Case c : {Case{"иванов", "Иванов"}, Case{"ёжиков", "Ёжиков"}, Case{"ПЕТРОВ", "ПЕТРОВ"},
                         Case{"1-й", "1-й"}, Case{" сидоров", " сидоров"}}) {
        const std::string out = run(std::string("click N49\nnavigate DBNavigator1 insert\nset DBEdit1 ") + c.typed +
                                    "\nevent DBEdit1 Exit\nstate Table1\ncurrent Table1 F\nshow DBEdit1\n"
                                    "set DBComboBox1 " + c.typed + "\nevent DBComboBox1 Exit\ncurrent Table1 MR\nstop\n");
        EXPECT_NE(out.find("Table1: browse"), std::string::npos) << out;
        EXPECT_NE(out.find(std::string("\n") + c.stored + "\nDBEdit1: \"" + c.stored + "\""), std::string::npos) << out;
        EXPECT_NE(out.find(std::string("visible\n") + c.stored + "\n"), std::string::npos) << out;
    }
}

TEST_F(EditingTest, LeavingAnEmptyControlNeitherEditsNorPosts) {
    const std::string out = run("click N49\nevent DBEdit1 Exit\nstate Table1\n");
    EXPECT_EQ(out, "Table1: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n");
}

TEST_F(EditingTest, DateOfBirthStoresTheAgeOnLeaving) {
    const std::string out = run(
        "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Орлов\nevent DBEdit1 Exit\n"
        "set DBEdit4 01.06.1990\nevent DBEdit4 Exit\ncurrent Table1 F DR L\n"
        "set DBEdit4 \nevent DBEdit4 Exit\ncurrent Table1 DR L\n");
    EXPECT_EQ(out, "Орлов\t01.06.1990\t16\n\t106\n");
}

TEST_F(EditingTest, PickListsFillTheComboBoxesInLoadOrder) {
    writeList("gorod.vrk", "Кимры\r\n\r\nТверь");  // an empty line is an empty value; no final line end
    writeList("stat_rod_p.vrk", "Работает\r\n");
    const std::string out = run("exists ul.vrk\n");
    EXPECT_EQ(out, "exists: ul.vrk (0 bytes)\n");  // created empty at start-up, and the later files still read
    std::ostringstream items;
    {
        std::ostringstream sink;
        script::ScriptRunner runner(dir.path(), sink);
        std::istringstream in("start\n");
        runner.run(in);
    }
    app::FormModel model;
    testing::RecordingUi ui;
    app::FixedClock clock(40000);
    app::Application a(dir.path(), ui, clock);
    a.start();
    EXPECT_EQ(a.model().get("DBComboBox1").items, (std::vector<std::string>{"Кимры", "", "Тверь"}));
    EXPECT_EQ(a.model().get("DBComboBox51").items, (std::vector<std::string>{"Кимры", "", "Тверь"}));
    EXPECT_TRUE(a.model().get("DBComboBox4").items.empty());
    EXPECT_EQ(a.model().get("DBComboBox9").items, (std::vector<std::string>{"Работает"}));
    EXPECT_EQ(a.model().get("DBComboBox26").items, (std::vector<std::string>{"М", "Ж"}));
}

TEST_F(EditingTest, ListFileThatCannotBeReadKeepsTheListsReadBeforeIt) {
    writeList("gorod.vrk", "Кимры\r\n\r\nТверь\r\n");
    writeList("obl.vrk", "Тверская\r\n");
    writeList("stat_rod_p.vrk", "Работает\r\n");
    std::filesystem::create_directory(dir / "ul.vrk");  // opens, but cannot be read
    EXPECT_EQ(run(""), "error: Ошибка ввода-вывода: не удаётся прочитать файл ul.vrk\n");
    testing::RecordingUi ui;
    app::FixedClock clock(40000);
    app::Application a(dir.path(), ui, clock);
    a.start();
    EXPECT_EQ(ui.shown, (std::vector<std::string>{"error: Ошибка ввода-вывода: не удаётся прочитать файл ul.vrk"}));
    using Items = std::vector<std::string>;
    for (const char* town : {"DBComboBox1", "DBComboBox51"}) EXPECT_EQ(a.model().get(town).items, (Items{"Кимры", "", "Тверь"})) << town;
    EXPECT_EQ(a.model().get("DBComboBox8").items, Items{});  // m_uch_p.vrk was created empty
    for (const char* region : {"DBComboBox2", "DBComboBox50"}) EXPECT_EQ(a.model().get(region).items, Items{"Тверская"}) << region;
    // The street file and every later one stay unread.
    for (const char* later : {"DBComboBox4", "DBComboBox9", "DBComboBox47"}) EXPECT_TRUE(a.model().get(later).items.empty()) << later;
    EXPECT_FALSE(std::filesystem::exists(dir / "osnccu_p.vrk"));
    EXPECT_EQ(a.model().get("DBComboBox26").items, (Items{"М", "Ж"}));
}

TEST_F(EditingTest, LabelsOpenTheirListFilesInTheEditor) {
    EXPECT_EQ(run("event Label5 DblClick\nclick Label31\nevent Label216 DblClick\n"),
              "editor: gorod.vrk\neditor: osnccu_p.vrk\neditor: dmpko_r.vrk\n");
}

TEST_F(EditingTest, FathersRegistrationCopiesTheMothersEmptyValuesIncluded) {
    // GroupBox14 copies the mother's registration over the father's.
    const std::string out = run(
        "click N50\nnavigate DBNavigator5 insert\ntable Table9 post\n"
        "table Table9 edit\nfield Table9 ORo Старая\nfield Table9 KRo 9\ntable Table9 post\n"
        "table Table9 edit\nfield Table9 ORm Тверская обл.\nfield Table9 URm Мира\ntable Table9 post\n"
        "event GroupBox14 DblClick\nstate Table9\ncurrent Table9 ORo GRo URo DomRo KRo\n");
    EXPECT_NE(out.find("Table9: browse"), std::string::npos) << out;
    EXPECT_NE(out.find("Тверская обл.\t\tМира\t\t\n"), std::string::npos) << out;
}

TEST_F(EditingTest, ResidenceCopyOnAnEmptyTableInsertsAMinor) {
    const std::string out = run("click N49\nevent GroupBox2 DblClick\nstate Table1\ncurrent Table1 N Sv PrO\n");
    EXPECT_EQ(out, "Table1: browse, records 1, row 1, filter \"\" off, index \"\"\n1\t1\t\n");
}

TEST_F(EditingTest, PhraseMenusListTheFileInReverseAndAddLines) {
    writeList("pr_kdn_p.vrk", "Кража\r\n-\r\nДрака\r\nПобег\r\n");
    const std::string out = run(
        "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Фролов\nevent DBEdit1 Exit\n"
        "popup PopupMenu21\nchoose PopupMenu21 Драка\nchoose PopupMenu21 Побег\ncurrent Table1 PKDN\n");
    EXPECT_EQ(out, "menu PopupMenu21: Побег | Драка | - | Кража\nДрака\r\nПобег\n");
}

TEST_F(EditingTest, EmptyPhraseFileGivesAnEmptyMenuReadAgainNextTime) {
    const std::string out = run("popup PopupMenu11\n");
    EXPECT_EQ(out, "menu PopupMenu11:\n");
    writeList("st_sud_p.vrk", "ст. 158\r\n");
    EXPECT_EQ(run("popup PopupMenu11\n"), "menu PopupMenu11: ст. 158\n");
}

TEST_F(EditingTest, PhraseForAMinorWithoutCommissionProceedingsInsertsOne) {
    writeList("mera_kom_p.vrk", "Предупреждение\r\n");
    writeList("mera_pkos_p.vrk", "Условное осуждение с испытательным сроком на два года и шесть месяцев\r\n");
    const std::string out = run(
        "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Зайцев\n"  // still being inserted
        "popup PopupMenu14\nchoose PopupMenu14 Предупреждение\n"
        "dump Table1 N Sv F\ndump Table3 Sv MeraProt StProt\n"
        "popup PopupMenu22\nchoose PopupMenu22 Условное осуждение с испытательным сроком на два года и шесть месяцев\n"
        "dump Table2 Sv MeraSud\n");
    EXPECT_EQ(out,
              "menu PopupMenu14: Предупреждение\n"
              "1\t1\tЗайцев\n"
              "1\tПредупреждение\t\n"
              "menu PopupMenu22: Условное осуждение с испытательным сроком на два года и шесть месяцев\n"
              "1\tУсловное осуждение с испытательным сроко\n");  // cut to the edit's 40 characters
}

TEST_F(EditingTest, NoteFilesAreCreatedLoadedAndSavedAtomically) {
    const std::string out = run(
        "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Белов\nnavigate DBNavigator1 post\n"
        "exists ZELT\\1.vrk\n"
        "event RichEdit1 Change Живёт с бабушкой.\\r\\nУчится хорошо.\nevent RichEdit1 Exit\n"
        "show RichEdit2\nnavigate DBNavigator1 first\nshow RichEdit2\n");
    EXPECT_EQ(out,
              "missing: ZELT\\1.vrk\n"  // posting moves to no other record: the box's save creates it
              "RichEdit2: \"\" visible\n"  // the other box shows the text after the next load
              "RichEdit2: \"Живёт с бабушкой.\r\nУчится хорошо.\" visible\n");
    const std::string bytes = testing::readFile(dir / "ZELT/1.vrk");
    EXPECT_EQ(bytes.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(bytes.find("Microsoft Sans Serif"), std::string::npos);
    EXPECT_EQ(editing::readNote(bytes).text, "Живёт с бабушкой.\r\nУчится хорошо.");
    EXPECT_FALSE(std::filesystem::exists(dir / "ZELT/1.vrk.~tmp"));

    // The reports read the same text back.
    testing::RecordingUi ui;
    app::FixedClock clock(40000);
    app::Application a(dir.path(), ui, clock);
    a.start();
    a.mainWindow().table(1).first();
    EXPECT_EQ(editing::notePlainText(a.mainWindow().tables(), 1), "Живёт с бабушкой.\r\nУчится хорошо.");
}

TEST_F(EditingTest, InstitutionNoteIsPlainCp1251Text) {
    run("click N154\nnavigate DBNavigator11 insert\nset DBEdit95 Школа № 5\nnavigate DBNavigator11 post\n"
        "event RichEdit10 Change Директор: Иванова\nevent RichEdit10 Exit\n");
    EXPECT_EQ(testing::readFile(dir / "Uch/1.vrk"), "\xC4\xE8\xF0\xE5\xEA\xF2\xEE\xF0: \xC8\xE2\xE0\xED\xEE\xE2\xE0");
}

}  // namespace
}  // namespace zelt
