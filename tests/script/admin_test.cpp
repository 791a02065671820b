// The administrator window's clear buttons: which tables each empties and which it leaves, the
// counters and note files that stay, the transfer grids, the safety copy written first and put back
// by zelt-restore-backup, and a table or a copy that cannot be written changing nothing.
#include "script/script_runner.h"
#include "store/tree.h"
#include "support/full_disk.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace zelt {
namespace {

namespace fs = std::filesystem;

const char* const kStamp = "2006-06-01 12-00-00";

// The tables a register's seed fills: every live, archive and transfer master and detail of
// minors, families and others, and the live institutions.
std::vector<int> seededTables() {
    std::vector<int> out;
    for (int n = 1; n <= 41; ++n) out.push_back(n);
    out.push_back(43);
    return out;
}

// One record in every seeded table (the details point to master 1), and a note for each master.
void seedEverything(const fs::path& dir) {
    for (int n : seededTables()) {
        const store::TableObjectDef& def = store::tableObject(n);
        if (def.masterSource == 0) {
            const char* nameField = std::string(def.table) == "BDS" ? "Fm" : std::string(def.table) == "Uch" ? "Naim" : "F";
            testing::seedRecords(dir, n, {{{nameField, "Запись" + std::to_string(n)}}});
            std::ofstream(store::resolvePath(dir, store::noteFileName(def.copy, def.table, 1)), std::ios::binary)
                << "note " << n;
        } else {
            testing::seedRecords(dir, n, {{{"Sv", "1"}}});
        }
    }
}

long long countIn(const fs::path& file) {
    sqlite3* db = nullptr;
    long long n = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        const std::string table = file.stem().string();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, ("SELECT count(*) FROM \"" + table + "\"").c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

// Records stored in the file of table object `n`.
long long records(const fs::path& dir, int n) {
    const store::TableObjectDef& def = store::tableObject(n);
    return countIn(store::resolvePath(dir, store::tableFileName(def.copy, def.table)));
}

// The seeded tables left empty, in order.
std::vector<int> emptied(const fs::path& dir) {
    std::vector<int> out;
    for (int n : seededTables())
        if (records(dir, n) == 0) out.push_back(n);
    return out;
}

std::vector<int> range(int first, int last) {
    std::vector<int> out;
    for (int n = first; n <= last; ++n) out.push_back(n);
    return out;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ClearCase {
    const char* name;
    const char* button;
    const char* caption;
    std::vector<int> empties;
};

class ClearButtonTest : public ::testing::TestWithParam<ClearCase> {
protected:
    testing::DataDir dir;
};

TEST_P(ClearButtonTest, EmptiesItsGroupOnlyWithoutAWordAndKeepsANoteOfEveryRecord) {
    const ClearCase& c = GetParam();
    seedEverything(dir.path());
    const std::string out = testing::runScript(dir.path(), std::string("event Label14 DblClick\nclick ") + c.button + "\n");
    // No question, no message: only the window opening.
    EXPECT_EQ(out, "window: TForm6\n");
    EXPECT_EQ(emptied(dir.path()), c.empties);
    for (int n : seededTables())
        if (std::find(c.empties.begin(), c.empties.end(), n) == c.empties.end()) {
            EXPECT_EQ(records(dir.path(), n), 1) << n;
        }
    // Note files are never touched.
    for (int n : seededTables()) {
        const store::TableObjectDef& def = store::tableObject(n);
        if (def.masterSource != 0) continue;
        EXPECT_EQ(readFile(store::resolvePath(dir.path(), store::noteFileName(def.copy, def.table, 1))),
                  "note " + std::to_string(n));
    }
    // The safety copy, written first, holds the group as it was.
    const fs::path copy = dir / ("Backup/" + std::string(kStamp) + " " + c.caption);
    ASSERT_TRUE(fs::is_directory(copy)) << copy;
    for (int n : c.empties) {
        const store::TableObjectDef& def = store::tableObject(n);
        std::string file = store::tableFileName(def.copy, def.table);
        std::replace(file.begin(), file.end(), '\\', '/');
        EXPECT_EQ(countIn(copy / file), 1) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ClearButtonTest,
    ::testing::Values(ClearCase{"All", "Button1", "Очистить всё", range(1, 32)},
                      ClearCase{"Minors", "Button2", "Очистить таблицу несовершеннолетних", range(1, 8)},
                      ClearCase{"MinorsArchive", "Button4", "Очистить архив несовершеннолетних", range(5, 8)},
                      ClearCase{"Parents", "Button3", "Очистить таблицу родителей", range(9, 16)},
                      ClearCase{"ParentsArchive", "Button5", "Очистить архив родителей", range(13, 16)},
                      ClearCase{"Others", "Button7", "Очистить таблицу прочие", range(33, 36)},
                      ClearCase{"OthersArchive", "Button8", "Очистить архив прочие", {35, 36}},
                      ClearCase{"Transfer", "Button6", "Очистить перенос", range(17, 32)}),
    [](const ::testing::TestParamInfo<ClearCase>& info) { return std::string(info.param.name); });

TEST(ClearButtons, CountersGoOnAfterEmptyingAndTheGroupIsOpenAgain) {
    testing::DataDir dir;
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}}, {{"F", "Петров"}}});
    testing::seedRecords(dir.path(), 5, {{{"F", "Сидоров"}}});
    const std::string out = testing::runScript(dir.path(),
                                               "table Table1 open\n"
                                               "click Button2\n"
                                               "state Table1\nstate Table5\nstate Table6\n"
                                               "table Table1 insert\nfield Table1 F Новиков\ntable Table1 post\n"
                                               "table Table5 insert\nfield Table5 F Орлов\ntable Table5 post\n"
                                               "dump Table1 N Sv F\ndump Table5 N F\n");
    EXPECT_EQ(out,
              "Table1: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "Table5: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
              "Table6: browse, records 0, row 0, eof, bof, filter \"\" off, index \"Sv1\"\n"
              "3\t3\tНовиков\n"
              "2\tОрлов\n");
}

TEST(ClearButtons, EmptyingEmptyTablesSucceedsAndChangesNothing) {
    testing::DataDir dir;
    testing::seedRecords(dir.path(), 33, {{{"F", "Живой"}}});
    const std::string out = testing::runScript(dir.path(), "click Button8\nclick Button8\nstate Table35\n");
    EXPECT_EQ(out, "Table35: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n");
    EXPECT_EQ(records(dir.path(), 33), 1);
    EXPECT_EQ(records(dir.path(), 35), 0);
    // Two copies in the same second are two copies.
    EXPECT_TRUE(fs::is_directory(dir / "Backup/2006-06-01 12-00-00 Очистить архив прочие"));
    EXPECT_TRUE(fs::is_directory(dir / "Backup/2006-06-01 12-00-00 Очистить архив прочие (2)"));
}

TEST(ClearButtons, TransferGridsShowTheTransferMastersOnceOpened) {
    testing::DataDir dir;
    testing::seedRecords(dir.path(), 17, {{{"F", "Приезжий"}, {"I", "Пётр"}}});
    testing::seedRecords(dir.path(), 29, {{{"Fm", "Мать"}}});
    const std::string out = testing::runScript(dir.path(),
                                               "event Label14 DblClick\n"
                                               "grid TForm6.DBGrid1\n"
                                               "click TForm6.BitBtn1\n"
                                               "grid TForm6.DBGrid1\ngrid TForm6.DBGrid2\ngrid TForm6.DBGrid3\n"
                                               "grid TForm6.DBGrid4\n"
                                               "click Button6\nclick TForm6.BitBtn1\n"
                                               "grid TForm6.DBGrid1\ngrid TForm6.DBGrid2\ngrid TForm6.DBGrid3\n"
                                               "grid TForm6.DBGrid4\n"
                                               "close TForm6\nshow TForm6\nstate Table17\n");
    const std::string before = "window: TForm6\nTForm6.DBGrid1: closed\n";
    ASSERT_EQ(out.substr(0, before.size()), before) << out;
    std::istringstream lines(out.substr(before.size()));
    std::string line;
    std::vector<std::string> got;
    while (std::getline(lines, line)) got.push_back(line);
    ASSERT_EQ(got.size(), 12u) << out;
    EXPECT_EQ(got[0], "TForm6.DBGrid1: 1 rows");
    EXPECT_EQ(got[1].substr(0, std::string("  Приезжий\tПётр\t").size()), "  Приезжий\tПётр\t");
    EXPECT_EQ(got[2], "TForm6.DBGrid2: 0 rows");
    EXPECT_EQ(got[3], "TForm6.DBGrid3: 0 rows");
    EXPECT_EQ(got[4], "TForm6.DBGrid4: 1 rows");
    EXPECT_EQ(got[5].find("  Мать"), 0u) << got[5];
    for (int i = 6; i < 10; ++i) EXPECT_EQ(got[i], "TForm6.DBGrid" + std::to_string(i - 5) + ": 0 rows");
    // The close button hides the window; the transfer masters stay open.
    EXPECT_EQ(got[10], "TForm6: \"Администратор\" hidden");
    EXPECT_EQ(got[11].rfind("Table17: browse, records 0", 0), 0u) << got[11];
}

TEST(ClearButtons, WindowHoldsTheButtonsInOrderBesideTheGrids) {
    testing::DataDir dir;
    const std::string out = testing::runScript(dir.path(),
                                               "show TForm6\nshow Button1\nshow Button2\nshow Button4\nshow Button3\n"
                                               "show Button5\nshow Button7\nshow Button8\nshow Button6\n"
                                               "show TForm6.BitBtn1\n");
    EXPECT_EQ(out,
              "TForm6: \"Администратор\" hidden\n"
              "Button1: \"Очистить всё\" visible\n"
              "Button2: \"Очистить таблицу несовершеннолетних\" visible\n"
              "Button4: \"Очистить архив несовершеннолетних\" visible\n"
              "Button3: \"Очистить таблицу родителей\" visible\n"
              "Button5: \"Очистить архив родителей\" visible\n"
              "Button7: \"Очистить таблицу прочие\" visible\n"
              "Button8: \"Очистить архив прочие\" visible\n"
              "Button6: \"Очистить перенос\" visible\n"
              "TForm6.BitBtn1: \"Включить таблицы\" visible\n");
}

// ------------------------------------------------------------------------------- failure paths

struct StuckTableCase {
    const char* name;
    std::function<void(const fs::path& dir)> spoil;
    const char* shown;
};

class StuckTableTest : public ::testing::TestWithParam<StuckTableCase> {
protected:
    testing::DataDir dir;
    void TearDown() override { testing::makeWritable(dir.path()); }
};

// The last table of the group cannot be used: nothing of the group is emptied, the error is the
// engine's own, and the group's tables stay closed.
TEST_P(StuckTableTest, FoundBeforeAnythingIsEmptied) {
    seedEverything(dir.path());
    GetParam().spoil(dir.path());
    const std::string out = testing::runScriptUnprivileged(dir.path(),
                                                           "table Table1 open\ntable Table5 open\nclick Button2\n"
                                                           "state Table1\nstate Table5\nexists intent.jrn\n");
    EXPECT_EQ(out, std::string(GetParam().shown) +
                       "Table1: closed, filter \"\" off, index \"\"\n"
                       "Table5: closed, filter \"\" off, index \"\"\n"
                       "missing: intent.jrn\n");
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(records(dir.path(), n), 1) << n;  // Table8 is the spoiled one
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StuckTableTest,
    ::testing::Values(
        StuckTableCase{"ReadOnly",
                       [](const fs::path& d) {
                           fs::permissions(d / "Arxiv/PIR/PIR.db", fs::perms::owner_read | fs::perms::group_read |
                                                                       fs::perms::others_read);
                       },
                       "error: Файл Arxiv\\PIR\\PIR.db (индивидуальная работа несовершеннолетних, архив) недоступен для записи: файл или его папка только для чтения\n"},
        StuckTableCase{"Missing", [](const fs::path& d) { fs::remove(d / "Arxiv/PIR/PIR.db"); },
                       "error: Не найден файл таблицы Arxiv\\PIR\\PIR.db (индивидуальная работа несовершеннолетних, архив)\n"},
        StuckTableCase{"Foreign",
                       [](const fs::path& d) {
                           fs::remove(d / "Arxiv/PIR/PIR.db");
                           sqlite3* db = nullptr;
                           sqlite3_open((d / "Arxiv/PIR/PIR.db").c_str(), &db);
                           sqlite3_exec(db, "CREATE TABLE PIR (a TEXT); INSERT INTO PIR VALUES ('x')", nullptr, nullptr,
                                        nullptr);
                           sqlite3_close(db);
                       },
                       "error: Файл Arxiv\\PIR\\PIR.db (индивидуальная работа несовершеннолетних, архив) повреждён или не является таблицей банка данных\n"}),
    [](const ::testing::TestParamInfo<StuckTableCase>& info) { return std::string(info.param.name); });

TEST(ClearButtonsFailing, ATableHeldByAnotherProgramStopsTheCommandBeforeAnythingIsEmptied) {
    testing::DataDir dir;
    seedEverything(dir.path());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir / "Arxiv/PKO/PKO.db").c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string out = testing::runScript(dir.path(), "click Button4\nstate Table5\n");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(out,
              "error: Файл Arxiv\\PKO\\PKO.db (комиссия несовершеннолетних, архив) занят другой программой\n"
              "Table5: closed, filter \"\" off, index \"\"\n");
    for (int n = 5; n <= 8; ++n) EXPECT_EQ(records(dir.path(), n), 1) << n;
}

TEST(ClearButtonsFailing, ACopyThatCannotBeWrittenForLackOfPermissionChangesNothing) {
    testing::DataDir dir;
    seedEverything(dir.path());
    fs::create_directories(dir / "Backup");
    fs::permissions(dir / "Backup", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string out = testing::runScriptUnprivileged(dir.path(), "table Table5 open\nclick Button4\nstate Table5\n");
    testing::makeWritable(dir.path());
    EXPECT_EQ(out,
              "error: Страховая копия перед командой \"Очистить архив несовершеннолетних\" не записана, команда не "
              "выполнена: Файл Backup\\2006-06-01 12-00-00 Очистить архив несовершеннолетних недоступен для записи: "
              "файл или его папка только для чтения\n"
              "Table5: browse, records 1, row 1, bof, filter \"\" off, index \"\"\n");
    for (int n = 5; n <= 8; ++n) EXPECT_EQ(records(dir.path(), n), 1) << n;
    EXPECT_TRUE(fs::is_empty(dir / "Backup"));
}

TEST(ClearButtonsFailing, ACopyOnAFullDiskChangesNothing) {
    testing::DataDir dir;
    seedEverything(dir.path());
    std::ostringstream out;
    {
        testing::FullDisk disk;
        script::ScriptRunner runner(dir.path(), out);
        runner.runLine("today 01.06.2006");
        runner.runLine("start");
        runner.runLine("table Table1 open");
        disk.fill();
        runner.runLine("click Button2");
        disk.clear();
        runner.runLine("state Table1");
    }
    EXPECT_EQ(out.str(),
              "error: Страховая копия перед командой \"Очистить таблицу несовершеннолетних\" не записана, команда не "
              "выполнена: Нет места на диске для записи файла Backup\\2006-06-01 12-00-00 Очистить таблицу "
              "несовершеннолетних\\ZELT\\ZELT.db\n"
              "Table1: browse, records 1, row 1, eof, filter \"\" off, index \"\"\n");
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(records(dir.path(), n), 1) << n;
    EXPECT_TRUE(fs::is_empty(dir / "Backup"));
}

// ----------------------------------------------------------------------------- undoing a clear

std::string runTool(const std::vector<std::string>& args, int& status) {
    std::string cmd = ZELT_RESTORE_TOOL;
    for (const std::string& a : args) cmd += " '" + a + "'";
    cmd += " 2>&1";
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[4096];
    size_t n;
    while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    status = p ? ::pclose(p) : -1;
    return out;
}

TEST(ClearButtons, TheRestoreToolUndoesAClearRecordForRecord) {
    testing::DataDir dir;
    seedEverything(dir.path());
    testing::seedRecords(dir.path(), 1, {{{"F", "Второй"}, {"DR", "02.03.1995"}}});
    const std::string before = testing::runScript(dir.path(), "table Table1 open\ndump Table1\ntable Table2 open\ndump Table2\n");
    testing::runScript(dir.path(), "time 09:15:00\nclick Button1\n");
    ASSERT_EQ(records(dir.path(), 1), 0);

    int status = 0;
    EXPECT_EQ(runTool({dir.path().string()}, status), "2006-06-01 09-15-00 Очистить всё\n");
    const std::string restored = runTool({dir.path().string(), "2006-06-01 09-15-00 Очистить всё"}, status);
    EXPECT_EQ(status, 0) << restored;
    EXPECT_EQ(restored.rfind("Восстановлено из копии \"2006-06-01 09-15-00 Очистить всё\":\n  ZELT\\ZELT.db\n", 0), 0u)
        << restored;
    EXPECT_EQ(emptied(dir.path()), std::vector<int>{});
    EXPECT_EQ(testing::runScript(dir.path(), "table Table1 open\ndump Table1\ntable Table2 open\ndump Table2\n"), before);

    // A record being edited when the button is pressed is stored before the copy is taken.
    testing::runScript(dir.path(), "time 09:20:00\ntable Table1 first\ntable Table1 edit\nfield Table1 F Исправленный\nclick Button2\n");
    runTool({dir.path().string(), "2006-06-01 09-20-00 Очистить таблицу несовершеннолетних"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(testing::runScript(dir.path(), "dump Table1 F\n").find("Исправленный\n"), std::string::npos);

    // A folder that is not a copy is refused and nothing changes.
    fs::create_directories(dir / "Backup/чужая");
    const std::string refused = runTool({dir.path().string(), "чужая"}, status);
    EXPECT_NE(status, 0);
    EXPECT_NE(refused.find("не является целой страховой копией"), std::string::npos) << refused;
}

}  // namespace
}  // namespace zelt
