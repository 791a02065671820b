// Taking records off the register and back, end to end through the script driver: the move with
// its details and note file, one parent archived, restore and delete, and a failure in the middle
// of a move that loses nothing.
#include "app/main_window.h"
#include "script/script_runner.h"
#include "store/table_set.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zelt {
namespace {

using testing::Fields;

class ArchiveTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    void seed(int table, const std::vector<Fields>& records) { testing::seedRecords(dir.path(), table, records); }
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    // How many records the minors' live and archive table objects `numbers` hold as stored, with
    // every master link lifted.
    std::vector<int> storedCounts(std::initializer_list<int> numbers) {
        store::Session s(dir.path());
        s.addPassword(app::kTablePassword);
        store::TableSet tables(s);
        for (int n = 1; n <= 8; ++n) tables.dataSource(n).setEnabled(false);
        std::vector<int> out;
        for (int n : numbers) {
            tables.table(n).open();
            out.push_back(tables.table(n).recordCount());
        }
        return out;
    }

    // Three minors; the second has two court proceedings, one prevention record and a note.
    void seedMinors() {
        seed(1, {{{"F", "Первый"}},
                 {{"F", "Второй"}, {"DCcU", "01.03.2006"}, {"OCcU", "Исправление"}, {"Sero", "2804"}, {"MRoo", "Кимры"}},
                 {{"F", "Третий"}, {"DCcU", "01.04.2006"}}});
        seed(2, {{{"Sv", "2"}, {"MeraSud", "Штраф"}}, {{"Sv", "2"}, {"MeraSud", "Арест"}}, {{"Sv", "1"}, {"MeraSud", "Чужое"}}});
        seed(4, {{{"Sv", "2"}, {"SubProf", "ПДН"}}});
        std::ofstream(dir / "ZELT/2.vrk") << "{\\rtf1 note}";
    }
};

TEST_F(ArchiveTest, MoveTakesTheMinorHisDetailsAndNoteIntoTheArchive) {
    seedMinors();
    const std::string out = run(
        "click N49\nfilter Table1 (F<>'x')\nfiltered Table1 on\ntable Table1 next\nclick BitBtn1\n"
        "current Table1 F\nstate Table1\ndump Table1 F\ndump Table4 Sv\n"
        "dump Table5 Sv F\nfiltered Table6 off\ntable Table6 close\nexists ZELT\\2.vrk\nexists Arxiv\\ZELT\\2.vrk\n");
    EXPECT_EQ(out,
              "Третий\n"  // the cursor lands on the next record
              "Table1: browse, records 2, row 2, filter \"(F<>'x')\" on, index \"\"\n"
              "Первый\nТретий\n"
              "2\tВторой\n"
              "missing: ZELT\\2.vrk\n"
              "exists: Arxiv\\ZELT\\2.vrk (12 bytes)\n");
    // Through raw objects: the archive has the master and three details with the master's Sv.
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    store::TableSet tables(s);
    for (int n : {1, 5, 6, 7, 8}) tables.dataSource(n).setEnabled(false);
    tables.table(2).open();
    EXPECT_EQ(tables.table(2).recordCount(), 1);  // the other minor's proceeding stays live
    EXPECT_EQ(tables.table(2).asText("MeraSud"), "Чужое");
    int archived = 0;
    for (int d : {6, 8}) {
        store::Table& t = tables.table(d);
        t.open();
        for (t.first(); !t.eof(); t.next(), ++archived) EXPECT_EQ(t.asNumber("Sv"), 2) << d;
    }
    EXPECT_EQ(archived, 3);
    tables.table(5).open();
    EXPECT_EQ(tables.table(5).asText("Sero"), "2804");
}

TEST_F(ArchiveTest, MovingTheLastRecordLandsOnThePreviousAndMissingDataDoesNothing) {
    seedMinors();
    const std::string out = run(
        "click N49\ntable Table1 last\nclick BitBtn1\nstate Table1\n"  // no grounds: nothing happens
        "table Table1 edit\nfield Table1 OCcU Совершеннолетие\ntable Table1 post\nclick BitBtn1\n"
        "current Table1 F\ndump Table5 F\n");
    EXPECT_EQ(out,
              "Table1: browse, records 3, row 3, eof, filter \"\" off, index \"\"\n"
              "Второй\n"
              "Третий\n");
}

TEST_F(ArchiveTest, NoteAlreadyInTheArchiveStaysWhereItWas) {
    seedMinors();
    std::filesystem::create_directories(dir / "Arxiv/ZELT");
    std::ofstream(dir / "Arxiv/ZELT/2.vrk") << "old";
    run("click N49\ntable Table1 next\nclick BitBtn1\n");
    EXPECT_EQ(testing::readFile(dir / "ZELT/2.vrk"), "{\\rtf1 note}");
    EXPECT_EQ(testing::readFile(dir / "Arxiv/ZELT/2.vrk"), "old");
}

TEST_F(ArchiveTest, MovingTheOnlyRecordLeavesAnEmptyGridAndMovesItsNote) {
    seed(33, {{{"F", "Один"}}});
    seed(34, {{{"Sv", "1"}, {"NKDN", "12"}}});
    std::ofstream(dir / "Prochie/1.vrk") << "x";
    const std::string out = run("click N152\nclick BitBtn5\nstate Table33\ndump Table35 Sv F\ndump Table36 Sv NKDN\n"
                                "exists Arxiv\\Prochie\\1.vrk\n");
    EXPECT_EQ(out,
              "Table33: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "1\tОдин\n"
              "1\t12\n"
              "exists: Arxiv\\Prochie\\1.vrk (1 bytes)\n");
}

TEST_F(ArchiveTest, ArchivingTheMotherKeepsTheFamilyLiveWithHerBlockBlank) {
    seed(9, {{{"Fm", "Иванова"}, {"DRm", "01.01.1970"}, {"Mtm", "89001234567"}, {"Fo", "Иванов"}, {"DCcU", "01.05.2006"},
              {"OCcU", "Исправление"}, {"PCcU", "Переезд"}},
             {{"Fm", "Соседка"}}});
    seed(10, {{{"Sv", "1"}, {"F", "Иванов"}, {"I", "Пётр"}}});
    const std::string out = run(
        "click N50\nclick BitBtn3\ncurrent Table9 Fm\ntable Table9 first\ncurrent Table9 Fm DRm Mtm Fo DCcU PCcU\n"
        "dump Table13 Sv Fm Fo\ndump Table14 Sv I\ndump Table10 I\n");
    EXPECT_EQ(out,
              "Соседка\n"  // the cursor lands on the neighbour
              "\t\t\tИванов\t01.05.2006\tПереезд\n"
              "1\tИванова\tИванов\n"
              "1\tПётр\n"
              "Пётр\n");
}

TEST_F(ArchiveTest, RestoringTwiceGivesTwoLiveCopiesWithTheirOwnLinkKeys) {
    seedMinors();
    run("click N49\ntable Table1 next\nclick BitBtn1\n");
    const std::string out = run(
        "click N49\nanswer yes\nclick N118\nanswer yes\nclick N118\n"
        "dump Table1 N Sv F DCcU OCcU Sero MRoo\nfiltered Table2 off\ntable Table9 close\n"
        "exists ZELT\\4.vrk\nexists ZELT\\5.vrk\nexists Arxiv\\ZELT\\2.vrk\n");
    EXPECT_EQ(out,
              "confirm Подтвердите!: Перенести из архива? -> yes\n"
              "confirm Подтвердите!: Перенести из архива? -> yes\n"
              "1\t1\tПервый\t\t\t\t\n"
              "3\t3\tТретий\t01.04.2006\t\t\t\n"
              "4\t4\tВторой\t01.03.2006\tИсправление\t2804\tКимры\n"
              "5\t5\tВторой\t01.03.2006\tИсправление\t2804\tКимры\n"
              "exists: ZELT\\4.vrk (12 bytes)\n"
              "exists: ZELT\\5.vrk (12 bytes)\n"
              "exists: Arxiv\\ZELT\\2.vrk (12 bytes)\n");
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    store::TableSet tables(s);
    tables.dataSource(1).setEnabled(false);
    store::Table& court = tables.table(2);
    court.open();
    std::vector<std::string> rows;
    for (court.first(); !court.eof(); court.next()) rows.push_back(court.asText("Sv") + " " + court.asText("MeraSud"));
    EXPECT_EQ(rows, (std::vector<std::string>{"1 Чужое", "4 Штраф", "4 Арест", "5 Штраф", "5 Арест"}));
}

TEST_F(ArchiveTest, RestoreUnderALiveFilterWarnsAndRestoresNothing) {
    seedMinors();
    run("click N49\ntable Table1 next\nclick BitBtn1\n");
    const std::string out = run("click N49\nfilter Table1 (F='Первый')\nanswer yes\nclick N118\nstate Table1\n");
    EXPECT_EQ(out.substr(0, out.find('\n')), "confirm Подтвердите!: Перенести из архива? -> yes");
    EXPECT_NE(out.find("message: Внимание - включена фильтрация."), std::string::npos) << out;
    EXPECT_NE(out.find("Table1: browse, records 2,"), std::string::npos) << out;
}

TEST_F(ArchiveTest, DeleteRemovesTheArchivedMinorAndDetailsButKeepsHisNote) {
    seedMinors();
    run("click N49\ntable Table1 next\nclick BitBtn1\n");
    const std::string out = run(
        "click N49\nanswer no\nclick N43\nstate Table5\nanswer yes\nclick N43\nstate Table5\nstate Table6\n"
        "exists Arxiv\\ZELT\\2.vrk\n");
    EXPECT_EQ(out,
              "confirm Подтвердите!: Удалить? -> no\n"
              "Table5: browse, records 1, row 1, bof, filter \"\" off, index \"\"\n"
              "confirm Подтвердите!: Удалить? -> yes\n"
              "Table5: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "Table6: browse, records 0, row 0, eof, bof, filter \"\" off, index \"Sv1\"\n"
              "exists: Arxiv\\ZELT\\2.vrk (12 bytes)\n");
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    store::TableSet tables(s);
    tables.dataSource(5).setEnabled(false);
    tables.table(6).open();
    EXPECT_EQ(tables.table(6).recordCount(), 0);
}

TEST_F(ArchiveTest, FailureInTheMiddleOfAMoveLosesNothing) {
    seedMinors();
    // The archive's prevention-work table is damaged: the fourth batch of the move fails.
    std::ofstream(dir / "Arxiv/PIR/PIR.db", std::ios::trunc) << "not a table";
    // Choosing the register already reports the damaged table; the move reports it again.
    const std::string moved = run("click N49\ntable Table1 first\ntable Table1 next\nclick BitBtn1\n");
    EXPECT_EQ(moved,
              "error: Файл Arxiv\\PIR\\PIR.db (индивидуальная работа несовершеннолетних, архив) повреждён или не является таблицей банка данных\n"
              "error: Файл Arxiv\\PIR\\PIR.db (индивидуальная работа несовершеннолетних, архив) повреждён или не является таблицей банка данных\n");
    // Everything is still live; what the archive got before the failure are copies.
    EXPECT_EQ(storedCounts({1, 2, 4, 5, 6}), (std::vector<int>{3, 3, 1, 1, 2}));
    EXPECT_TRUE(std::filesystem::exists(dir / "ZELT/2.vrk"));
}

TEST_F(ArchiveTest, AMoveCutShortIsUndoneAtTheNextStart) {
    seedMinors();
    std::ofstream(dir / "Arxiv/PIR/PIR.db", std::ios::trunc) << "not a table";
    run("click N49\ntable Table1 first\ntable Table1 next\nclick BitBtn1\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "intent.jrn"));
    // The program started again: the copies the failed move made are taken back, and he is live.
    EXPECT_EQ(run("stop\n"), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "intent.jrn"));
    EXPECT_EQ(storedCounts({1, 2, 4, 5, 6, 7}), (std::vector<int>{3, 3, 1, 0, 0, 0}));
    EXPECT_EQ(testing::readFile(dir / "ZELT/2.vrk"), "{\\rtf1 note}");
}

TEST_F(ArchiveTest, AnArchiveCommandFirstSettlesTheOneCutShortBeforeIt) {
    seedMinors();
    std::ofstream(dir / "Arxiv/PIR/PIR.db", std::ios::trunc) << "not a table";
    // The move fails at its last batch; the restore asked for next in the same run first takes
    // the failed move's copies back, and then has nothing to restore.
    const std::string out = run(
        "click N49\ntable Table1 first\ntable Table1 next\nclick BitBtn1\nstate Table5\nanswer yes\nclick N118\n"
        "state Table1\nstate Table5\n");
    EXPECT_NE(out.find("Table5: browse, records 1,"), std::string::npos) << out;
    // The failed move left the live table narrowed to him, as a failure does; he is there.
    EXPECT_NE(out.find("error: Нет записи для переноса из архива\n"
                       "Table1: browse, records 1, row 1, bof, filter \"Sv=2\" on"), std::string::npos) << out;
    EXPECT_NE(out.find("Table5: browse, records 0,"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(dir / "intent.jrn"));
}

}  // namespace
}  // namespace zelt
