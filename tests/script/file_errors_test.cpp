// What the user is told when a table file cannot be used: held by another program, not writable,
// not readable, on a full disk, or not a table of this registry; each time in Russian, naming the
// file, with the file left as it was.
#include "support/full_disk.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace zelt {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void exec(sqlite3* db, const std::string& sqlText) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sqlText.c_str(), nullptr, nullptr, &err);
    EXPECT_EQ(rc, SQLITE_OK) << sqlText << ": " << (err ? err : "");
    sqlite3_free(err);
}

// Another program's connection to a table file, closed when it goes.
class OtherProgram {
public:
    explicit OtherProgram(const fs::path& file) { sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr); }
    ~OtherProgram() { sqlite3_close_v2(db_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    void run(const std::string& sqlText) { exec(db_, sqlText); }

private:
    sqlite3* db_ = nullptr;
};

class FileErrorsTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    fs::path minors() const { return dir / "ZELT/ZELT.db"; }
    // One minor whose stored age start-up rewrites, so that starting writes the minors' file.
    void seedMinorToRefresh() { testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}, {"DR", "01.06.1990"}}}); }
    void TearDown() override { testing::makeWritable(dir.path()); }
};

struct PermissionCase {
    const char* name;
    std::function<void(const fs::path& dir)> restrict;
    const char* shown;
};

void chmodTree(const fs::path& dir, fs::perms files, fs::perms folders) {
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (!e.is_directory()) fs::permissions(e.path(), files);
    std::vector<fs::path> all = {dir};
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_directory()) all.push_back(e.path());
    // Folders last, deepest first, so that the walk above was never shut out.
    for (auto it = all.rbegin(); it != all.rend(); ++it) fs::permissions(*it, folders);
}

constexpr fs::perms kReadOnlyFile = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kReadOnlyFolder = kReadOnlyFile | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

const PermissionCase kPermissionCases[] = {
    {"ReadOnlyTableFolder", [](const fs::path& d) { fs::permissions(d / "ZELT", kReadOnlyFolder); },
     "error: Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения\n"},
    {"ReadOnlyDataDirectory", [](const fs::path& d) { chmodTree(d, kReadOnlyFile, kReadOnlyFolder); },
     "error: Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения\n"},
    {"ReadOnlyTableFile", [](const fs::path& d) { fs::permissions(d / "ZELT/ZELT.db", kReadOnlyFile); },
     "error: Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения\n"},
    {"UnreadableTableFile", [](const fs::path& d) { fs::permissions(d / "ZELT/ZELT.db", fs::perms::none); },
     "error: Нет доступа к файлу ZELT\\ZELT.db (таблица несовершеннолетних)\n"},
    {"UnreadableTableFolder", [](const fs::path& d) { fs::permissions(d / "ZELT", fs::perms::none); },
     "error: Нет доступа к файлу ZELT\\ZELT.db (таблица несовершеннолетних)\n"},
};

class Permissions : public FileErrorsTest, public ::testing::WithParamInterface<PermissionCase> {};

// Words of the engine's own English messages, none of which may reach the user.
bool showsEngineText(const std::string& out) {
    for (const char* word : {"database", "attempt", "readonly", "malformed", "unable", "disk I/O", "locked", "no such"})
        if (out.find(word) != std::string::npos) return true;
    return false;
}

TEST_P(Permissions, AreToldAsSuchAndTheFileStaysWhole) {
    seedMinorToRefresh();
    const std::string before = bytesOf(minors());
    GetParam().restrict(dir.path());
    const std::string out = testing::runScriptUnprivileged(dir.path(), "click N49\n");
    // Start-up's first step that fails is the minors' table; choosing the register tries again.
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), GetParam().shown) << out;
    EXPECT_EQ(out.find("повреждён"), std::string::npos) << out;
    EXPECT_FALSE(showsEngineText(out)) << out;
    testing::makeWritable(dir.path());
    EXPECT_EQ(bytesOf(minors()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, Permissions, ::testing::ValuesIn(kPermissionCases),
                         [](const ::testing::TestParamInfo<PermissionCase>& i) { return std::string(i.param.name); });

TEST_F(FileErrorsTest, FileHeldByAnotherProgramIsToldAsSuch) {
    seedMinorToRefresh();
    OtherProgram other(minors());
    other.run("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT COUNT(*) FROM ZELT");
    // Start-up and then choosing the register each find the file held.
    EXPECT_EQ(testing::runScriptUnprivileged(dir.path(), "click N49\n"),
              "error: Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой\nerror: Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой\n");
}

TEST_F(FileErrorsTest, PostOnAFullDiskIsToldAsSuchAndStoresNothing) {
    testing::FullDisk disk;
    disk.fill();
    const std::string out = testing::runScript(
        dir.path(), "click N49\nnavigate DBNavigator1 insert\nset DBEdit1 Петров\nevent DBEdit1 Exit\n");
    disk.clear();
    EXPECT_EQ(out, "error: Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)\n");
    EXPECT_EQ(testing::runScript(dir.path(), "click N49\ndump Table1 F\n"), "");
}

TEST_F(FileErrorsTest, AgeRefreshOnAFullDiskIsNotPassedOverInSilence) {
    seedMinorToRefresh();
    testing::FullDisk disk;
    disk.fill();
    const std::string out = testing::runScript(dir.path(), "");
    disk.clear();
    EXPECT_EQ(out, "error: Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)\n");
}

TEST_F(FileErrorsTest, MinorsWhoseNumberIsNoCounterAreRefusedAndLeftAlone) {
    testing::seedRecords(dir.path(), 1, {{{"F", "Первый"}}, {{"F", "Второй"}}});
    {
        OtherProgram other(minors());
        // The same minors, numbered by a key that may be taken again once its minor is gone.
        other.run("CREATE TABLE Copy AS SELECT * FROM ZELT; DROP TABLE ZELT;");
        std::string columns;
        sqlite3* db = nullptr;
        sqlite3_open_v2(minors().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info('Copy')", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            columns += (columns.empty() ? "" : ", ") + ("\"" + name + "\" ") + (name == "N" ? "INTEGER PRIMARY KEY" : type);
        }
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        other.run("CREATE TABLE ZELT (" + columns + "); INSERT INTO ZELT SELECT * FROM Copy; DROP TABLE Copy;"
                  "PRAGMA wal_checkpoint(TRUNCATE)");
    }
    const std::string before = bytesOf(minors());
    const char* refused = "error: Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"N\" не является счётчиком\n";
    EXPECT_EQ(testing::runScript(dir.path(), "click N49\nnavigate DBNavigator1 insert\n"),
              std::string(refused) + refused + "error: Таблица несовершеннолетних: операция невозможна на закрытой таблице\n");
    EXPECT_EQ(bytesOf(minors()), before);
}

}  // namespace
}  // namespace zelt
