// Entering records on the cards end to end: capitalisation and posting on leaving a control, the
// date of birth, pick lists, address copies, phrase menus and the operational-information boxes.
#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "base/text.h"
#include "editing/note_files.h"
#include "editing/rich_text.h"
#include "script/script_runner.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace zelt {
namespace {

// Two minors, Sv 1 and 2, each with a note.
void seedTwoMinorsWithNotes(const std::filesystem::path& d) {
    testing::seedRecords(d, 1, {{{"F", "Первый"}}, {{"F", "Второй"}}});
    std::ofstream(d / "ZELT/1.vrk", std::ios::binary) << editing::richTextFromPlain("заметка один");
    std::ofstream(d / "ZELT/2.vrk", std::ios::binary) << editing::richTextFromPlain("заметка два");
}

// Takes away the right to create files in the minors' folder. The table next to the notes keeps
// working with its log files already there, and the note of an empty view (Sv 0) exists, as after
// any earlier session.
void lockNoteFolder(const std::filesystem::path& folder) {
    for (const char* f : {"ZELT.db-wal", "ZELT.db-shm", "0.vrk"}) std::ofstream(folder / f, std::ios::app);
    ::chmod(folder.c_str(), 0555);
}

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

// The card's edit of `field` of table object `source`, as the main window names it.
std::string cardEditOf(int source, const char* field) {
    app::FormModel m;
    m.add("TForm1", app::ControlKind::Form, "");
    app::buildMainWindowControls(m);
    for (const auto& c : m.controls())
        if (c->kind == app::ControlKind::Edit && c->dataSource == source && c->field == field) return c->name;
    ADD_FAILURE() << "no edit of " << field;
    return {};
}

TEST_F(EditingTest, AValueAFieldCannotTakeIsToldByTheFieldsCaptionAndTheTableInWords) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Первый"}}});
    testing::seedRecords(dir.path(), 9, {{{"Fm", "Первая"}}});
    struct Case {
        const char* reg;   // the register command
        int source;        // the card edit's table object
        const char* field;
        const char* prepare;  // what comes before the typing
        const char* shown;
    };
    const Case cases[] = {
        {"N49", 1, "DCcU", "",
         "error: \"31.02.2006\" не является датой (поле \"Дата снятия\", таблица несовершеннолетних)\n"},
        {"N49", 1, "DR", "",
         "error: \"31.02.2006\" не является датой (поле \"Дата рождения\", таблица несовершеннолетних)\n"},
        {"N49", 2, "DSud", "navigate DBNavigator2 insert\n",
         "error: \"31.02.2006\" не является датой (поле \"Дата\", суд несовершеннолетних)\n"},
        {"N50", 9, "DCcU", "",
         "error: \"31.02.2006\" не является датой (поле \"Дата снятия\", таблица родителей)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string edit = cardEditOf(c.source, c.field);
        const std::string out = run(std::string("click ") + c.reg + "\n" + c.prepare + "set " + edit +
                                    " 31.02.2006\nevent " + edit + " Exit\n");
        EXPECT_EQ(out, c.shown);
    }
}

TEST_F(EditingTest, AnOperationOnAClosedTableNamesTheTableInWords) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Первый"}}});
    struct Case {
        const char* script;
        const char* shown;
    };
    const Case cases[] = {
        // Choosing the parents' register closes the minors' tables, live and archive.
        {"click N50\ntable Table1 first\n", "error: Таблица несовершеннолетних: операция невозможна на закрытой таблице\n"},
        {"click N50\ntable Table6 first\n", "error: Суд несовершеннолетних, архив: операция невозможна на закрытой таблице\n"},
        {"click N49\ntable Table3 close\nnavigate DBNavigator3 insert\n",
         "error: Комиссия несовершеннолетних: операция невозможна на закрытой таблице\n"},
        {"click N49\ntable Table35 first\n", "error: Архив прочих: операция невозможна на закрытой таблице\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(run(c.script), c.shown);
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
    writeList("zan_p.vrk", "Школа\r\nРабота\r\nНе занят\r\n");  // the occupation list keeps its file order
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
    // The minors' card holds its lists sorted; the institutions' card keeps the file's order.
    EXPECT_EQ(a.model().get("DBComboBox1").items, (std::vector<std::string>{"", "Кимры", "Тверь"}));
    EXPECT_EQ(a.model().get("DBComboBox51").items, (std::vector<std::string>{"Кимры", "", "Тверь"}));
    EXPECT_EQ(a.model().get("DBComboBox48").items, (std::vector<std::string>{"Школа", "Работа", "Не занят"}));
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
    EXPECT_EQ(a.model().get("DBComboBox1").items, (Items{"", "Кимры", "Тверь"}));
    EXPECT_EQ(a.model().get("DBComboBox51").items, (Items{"Кимры", "", "Тверь"}));
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

TEST(NoteFiles, NoteThatCannotBeReadIsNeitherPassedOffNorOverwritten) {
    const char* const unreadable = "error: Не удаётся прочитать файл 2.vrk\n";
    const char* const uncreatable = "error: Не удаётся создать файл ZELT\\2.vrk\n";
    struct Case {
        const char* what;
        void (*spoil)(const std::filesystem::path& note);
        std::string errors;  // the start-up's walk ends on minor 2, then each move there fails
    };
    const Case cases[] = {
        {"no permission to read", [](const std::filesystem::path& n) { ::chmod(n.c_str(), 0); },
         std::string(unreadable) + unreadable},
        {"a folder in the note's place",
         [](const std::filesystem::path& n) {
             std::filesystem::remove(n);
             std::filesystem::create_directory(n);
         },
         std::string(unreadable) + unreadable},
        {"missing in a folder the user may not write",
         [](const std::filesystem::path& n) {
             std::filesystem::remove(n);
             lockNoteFolder(n.parent_path());
         },
         // The register's statistics pass minor 2 as well.
         std::string(uncreatable) + uncreatable + uncreatable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::DataDir d;
        seedTwoMinorsWithNotes(d.path());
        const std::filesystem::path note = d / "ZELT/2.vrk";
        const std::string first = testing::readFile(d / "ZELT/1.vrk");
        const std::string second = testing::readFile(note);
        c.spoil(note);
        const std::filesystem::file_type spoilt = std::filesystem::status(note).type();
        const std::string out = testing::runScriptUnprivileged(
            d.path(),
            "click N49\ntable Table1 first\ntable Table1 last\nevent RichEdit1 Exit\n"
            "show RichEdit1\nshow RichEdit2\n"
            "event RichEdit1 Change чужой текст\nevent RichEdit1 Exit\nshow RichEdit1\n"
            "table Table1 first\nshow RichEdit1\n");
        ::chmod((d / "ZELT").c_str(), 0755);
        EXPECT_EQ(out, c.errors +
                           "RichEdit1: \"\" visible read-only\n"  // minor 1's note no longer shows under minor 2
                           "RichEdit2: \"\" visible read-only\n"
                           "RichEdit1: \"\" visible read-only\n"  // and nothing typed or left there is saved
                           "RichEdit1: \"заметка один\" visible\n");
        EXPECT_EQ(testing::readFile(d / "ZELT/1.vrk"), first);
        EXPECT_EQ(std::filesystem::status(note).type(), spoilt);
        if (spoilt != std::filesystem::file_type::regular) continue;
        ::chmod(note.c_str(), 0644);
        EXPECT_EQ(testing::readFile(note), second);
    }
}

TEST(NoteFiles, NoteTheUserMayNotWriteStaysAsItIs) {
    struct Case {
        const char* what;
        void (*protect)(const std::filesystem::path& dir);
    };
    const Case cases[] = {
        {"read-only note", [](const std::filesystem::path& d) { ::chmod((d / "ZELT/2.vrk").c_str(), 0444); }},
        {"note in a folder the user may not write", [](const std::filesystem::path& d) { lockNoteFolder(d / "ZELT"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::DataDir d;
        seedTwoMinorsWithNotes(d.path());
        const std::string second = testing::readFile(d / "ZELT/2.vrk");
        c.protect(d.path());
        const std::string out = testing::runScriptUnprivileged(
            d.path(), "click N49\ntable Table1 last\nevent RichEdit1 Change новый текст\nevent RichEdit1 Exit\n"
                      "show RichEdit1\n");
        ::chmod((d / "ZELT").c_str(), 0755);
        EXPECT_NE(out.find("error: Не удаётся записать файл 2.vrk\nRichEdit1: \"новый текст\" visible\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(testing::readFile(d / "ZELT/2.vrk"), second);
        EXPECT_FALSE(std::filesystem::exists(d / "ZELT/2.vrk.~tmp"));
    }
}

TEST_F(EditingTest, SavedNoteKeepsItsPermissions) {
    seedTwoMinorsWithNotes(dir.path());
    ::chmod((dir / "ZELT/1.vrk").c_str(), 0600);
    run("click N49\ntable Table1 first\nevent RichEdit1 Change новый текст\nevent RichEdit1 Exit\n");
    EXPECT_EQ(editing::readNote(testing::readFile(dir / "ZELT/1.vrk")).text, "новый текст");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "ZELT/1.vrk").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(EditingTest, DamagedRichTextNoteIsShownAndSavedWhole) {
    const std::string damaged = "{\\rtf1\\ansi first part \\bin99999999 second part that matters\\par}";
    testing::seedRecords(dir.path(), 1, {{{"F", "Первый"}}});
    std::ofstream(dir / "ZELT/1.vrk", std::ios::binary) << damaged;
    const std::string out = run("click N49\nshow RichEdit1\nevent RichEdit1 Exit\n");
    EXPECT_EQ(out, "RichEdit1: \"" + damaged + "\" visible\n");
    const editing::NoteText saved = editing::readNote(testing::readFile(dir / "ZELT/1.vrk"));
    EXPECT_TRUE(saved.wasRichText);
    EXPECT_EQ(saved.text, damaged);
}

TEST(CancelledTyping, IsNeverStoredIntoThisRecordOrAnother) {
    struct Case {
        const char* what;
        const char* typing;  // on the first minor
        const char* control;
        const char* cancel;
    };
    const Case cases[] = {
        {"name, navigator", "set DBEdit2 имя_первого\n", "DBEdit2", "navigate DBNavigator1 cancel"},
        {"name, table", "set DBEdit2 имя_первого\n", "DBEdit2", "table Table1 cancel"},
        {"a date the field refused", "set DBEdit4 abc\nevent DBEdit4 Exit\n", "DBEdit4", "navigate DBNavigator1 cancel"},
        {"name of a new minor", "navigate DBNavigator1 insert\nset DBEdit2 имя_нового\n", "DBEdit2",
         "navigate DBNavigator1 cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::DataDir d;
        const std::string out = testing::runScript(
            d.path(), std::string("click N49\nset DBEdit1 первый\nevent DBEdit1 Exit\n"
                                  "navigate DBNavigator1 insert\nset DBEdit1 второй\nevent DBEdit1 Exit\n"
                                  "table Table1 first\n") +
                          c.typing + c.cancel + "\nshow " + c.control +
                          "\ntable Table1 last\nevent DBEdit1 Exit\nset DBEdit1 Второй\nevent DBEdit1 Exit\n"
                          "table Table1 first\nevent DBEdit1 Exit\ndump Table1 F I DR\n");
        // What the cancel left: the control shows the stored record, and every later post succeeds.
        const std::string after = out.substr(out.find(std::string(c.control) + ": "));
        EXPECT_EQ(after, std::string(c.control) + ": \"\" visible\nПервый\t\t\nВторой\t\t\n");
    }
}

}  // namespace
}  // namespace zelt
