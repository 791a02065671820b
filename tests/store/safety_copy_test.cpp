// Safety copies: what lands in Backup\, that putting a copy back gives the tables and notes back as
// they were, that only the ten newest stay, and that a copy that cannot be written leaves nothing.
#include "fixture.h"

#include "app/store_messages.h"

#include "support/full_disk.h"
#include "store/intent_journal.h"
#include "store/safety_copy.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace zelt::store::testing {
namespace {

namespace fs = std::filesystem;

const char* const kStamp = "2026-12-10 14-03-22";
const char* const kCommand = "Очистить таблицу несовершеннолетних";

void writeText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every record of a table file with every column, in counter order, and its counter sequence.
Rows content(const fs::path& file, const std::string& table) {
    RawFile raw(file);
    Rows rows = raw.rows("SELECT * FROM " + table + " ORDER BY N");
    rows.push_back({"seq", raw.scalar("SELECT seq FROM sqlite_sequence WHERE name = '" + table + "'")});
    return rows;
}

// The names of the folders in Backup\, sorted.
Strings backupFolders(const fs::path& dir) {
    Strings out;
    std::error_code ec;
    for (fs::directory_iterator it(dir / "Backup", ec), end; !ec && it != end; it.increment(ec))
        out.push_back(it->path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class SafetyCopyTest : public StoreTest {
protected:
    // Two minors (the second with a court proceeding) and their notes, one archived minor.
    void seed() {
        Table& minors = t(1);
        giveLinkKey(minors);
        minors.open();
        add(minors, {{"F", "Иванов"}, {"I", "Пётр"}});
        add(minors, {{"F", "Петров"}, {"I", "Иван"}, {"DR", "01.02.2005"}});
        Table& cases = t(2);
        cases.open();
        add(cases, {{"Sv", "2"}, {"MeraSud", "Ст. 158"}});
        giveLinkKey(t(5));
        t(5).open();
        add(t(5), {{"F", "Сидоров"}});
        for (int n : {1, 2, 5}) t(n).close();
        writeText(dir() / "ZELT" / "1.vrk", "{\\rtf1 первый}");
        writeText(dir() / "ZELT" / "2.vrk", "{\\rtf1 второй}");
        writeText(dir() / "Arxiv" / "ZELT" / "1.vrk", "");
    }
};

TEST_F(SafetyCopyTest, CopyLiesInBackupLaidOutAsTheTableTreeWithTheMastersNotes) {
    seed();
    const fs::path copy = writeSafetyCopy(dir(), kStamp, kCommand, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(copy, dir() / "Backup" / (std::string(kStamp) + " " + kCommand));
    for (const char* f : {"ZELT/ZELT.db", "PNU/PNU.db", "PKO/PKO.db", "PIR/PIR.db", "Arxiv/ZELT/ZELT.db",
                          "Arxiv/PNU/PNU.db", "Arxiv/PKO/PKO.db", "Arxiv/PIR/PIR.db"})
        EXPECT_TRUE(fs::is_regular_file(copy / f)) << f;
    EXPECT_EQ(content(copy / "ZELT/ZELT.db", "ZELT"), content(dir() / "ZELT/ZELT.db", "ZELT"));
    EXPECT_EQ(content(copy / "PNU/PNU.db", "PNU"), content(dir() / "PNU/PNU.db", "PNU"));
    EXPECT_EQ(readText(copy / "ZELT/2.vrk"), "{\\rtf1 второй}");
    EXPECT_TRUE(fs::is_regular_file(copy / "Arxiv/ZELT/1.vrk"));
    // Detail folders hold no notes, and the families' folders are not the command's.
    EXPECT_FALSE(fs::exists(copy / "BDS"));
    const SafetyCopy read = readSafetyCopy(copy);
    EXPECT_EQ(read.command, kCommand);
    EXPECT_EQ(read.stamp, kStamp);
    EXPECT_EQ(read.tableFiles.size(), 8u);
    EXPECT_EQ(read.noteFolders, (Strings{"ZELT\\", "Arxiv\\ZELT\\"}));
}

TEST_F(SafetyCopyTest, CopyOfATableOpenInTheProgramHoldsWhatItHasStored) {
    seed();
    Table& minors = t(1);
    minors.open();
    add(minors, {{"F", "Новиков"}});
    const fs::path copy = writeSafetyCopy(dir(), kStamp, kCommand, {1});
    EXPECT_EQ(content(copy / "ZELT/ZELT.db", "ZELT"), content(dir() / "ZELT/ZELT.db", "ZELT"));
    EXPECT_EQ(RawFile(copy / "ZELT/ZELT.db").scalar("SELECT count(*) FROM ZELT"), "3");
}

TEST_F(SafetyCopyTest, RestoringGivesBackTheRecordsCountersAndNotes) {
    seed();
    const Rows minors = content(dir() / "ZELT/ZELT.db", "ZELT");
    const Rows cases = content(dir() / "PNU/PNU.db", "PNU");
    const Rows archive = content(dir() / "Arxiv/ZELT/ZELT.db", "ZELT");
    const fs::path copy = writeSafetyCopy(dir(), kStamp, kCommand, {1, 2, 3, 4, 5, 6, 7, 8});

    // The mistaken command and what followed it: records gone, new ones, notes changed and added.
    for (int n : {1, 2, 5}) t(n).emptyTable();
    giveLinkKey(t(1));
    t(1).open();
    add(t(1), {{"F", "Чужой"}});
    t(1).close();
    writeText(dir() / "ZELT" / "2.vrk", "{\\rtf1 испорчено}");
    writeText(dir() / "ZELT" / "3.vrk", "{\\rtf1 чужая}");
    fs::remove(dir() / "ZELT" / "1.vrk");

    restoreSafetyCopy(dir(), copy);
    EXPECT_EQ(content(dir() / "ZELT/ZELT.db", "ZELT"), minors);
    EXPECT_EQ(content(dir() / "PNU/PNU.db", "PNU"), cases);
    EXPECT_EQ(content(dir() / "Arxiv/ZELT/ZELT.db", "ZELT"), archive);
    EXPECT_EQ(readText(dir() / "ZELT" / "1.vrk"), "{\\rtf1 первый}");
    EXPECT_EQ(readText(dir() / "ZELT" / "2.vrk"), "{\\rtf1 второй}");
    EXPECT_FALSE(fs::exists(dir() / "ZELT" / "3.vrk"));

    // The program uses the restored files as its own: the next minor takes the next counter.
    t(1).open();
    EXPECT_EQ(walk(t(1), "F"), (Strings{"Иванов", "Петров"}));
    EXPECT_EQ(add(t(1), {{"F", "Новый"}}), 3);
    t(2).open();
    t(1).first();
    t(1).next();  // Петров, whose court proceeding came back with him
    EXPECT_EQ(walk(t(2), "MeraSud"), (Strings{"Ст. 158"}));
}

TEST_F(SafetyCopyTest, OnlyTheTenNewestCopiesStay) {
    seed();
    // A copy cut short by a crash lies under its temporary name; it is no copy and goes.
    fs::create_directories(dir() / "Backup" / "2026-12-10 09-00-00 Проверка.~tmp" / "ZELT");
    for (int i = 11; i >= 0; --i) {  // written out of order: the stamp decides which are newest
        const std::string stamp = "2026-12-10 10-00-" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        writeSafetyCopy(dir(), stamp, "Проверка", {33});
    }
    Strings expected;
    for (int i = 2; i <= 11; ++i)
        expected.push_back("2026-12-10 10-00-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + " Проверка");
    EXPECT_EQ(backupFolders(dir()), expected);
    EXPECT_EQ(safetyCopies(dir()).size(), 10u);
    EXPECT_EQ(safetyCopies(dir()).back().stamp, "2026-12-10 10-00-11");
}

TEST_F(SafetyCopyTest, TwoCopiesInOneSecondAreBothKept) {
    seed();
    const fs::path a = writeSafetyCopy(dir(), kStamp, kCommand, {1});
    const fs::path b = writeSafetyCopy(dir(), kStamp, kCommand, {1});
    EXPECT_NE(a, b);
    const std::vector<SafetyCopy> copies = safetyCopies(dir());
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].dir, a);
    EXPECT_EQ(copies[1].dir, b);
}

TEST_F(SafetyCopyTest, ACopyOnAFullDiskLeavesNothingAndSaysWhy) {
    seed();
    const fs::path earlier = writeSafetyCopy(dir(), "2026-12-09 08-00-00", kCommand, {1});
    std::string message;
    {
        zelt::testing::FullDisk disk;
        disk.fill();
        try {
            writeSafetyCopy(dir(), kStamp, kCommand, {1, 2, 3, 4});
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            message = app::clerkMessage(e);
        }
    }
    EXPECT_NE(message.find("Страховая копия перед командой \"Очистить таблицу несовершеннолетних\" не записана"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("Нет места на диске для записи файла Backup\\2026-12-10 14-03-22"), std::string::npos)
        << message;
    EXPECT_EQ(backupFolders(dir()), (Strings{earlier.filename().string()}));
    EXPECT_EQ(safetyCopies(dir()).size(), 1u);
}

// Runs `body` in a child process as user and group nobody over a data directory given to them;
// returns what it wrote to its pipe.
std::string asNobody(const fs::path& dir, const std::function<std::string()>& body) {
    if (::geteuid() == 0)
        for (auto& e : fs::recursive_directory_iterator(dir)) (void)::chown(e.path().c_str(), 65534, 65534);
    if (::geteuid() == 0) (void)::chown(dir.c_str(), 65534, 65534);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        std::string out;
        try {
            out = body();
        } catch (const std::exception& e) {
            out = std::string("exception: ") + app::clerkMessage(e);
        }
        (void)!::write(pipeFds[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return out;
}

struct PermissionCase {
    const char* name;
    const char* lockedPath;  // made unreadable and unwritable by its owner
    const char* expected;    // in the message
};

class SafetyCopyPermissionTest : public SafetyCopyTest, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(SafetyCopyPermissionTest, ACopyThatCannotBeWrittenLeavesNothing) {
    seed();
    fs::create_directories(dir() / "Backup");
    const fs::path locked = dir() / GetParam().lockedPath;
    const std::string out = asNobody(dir(), [&] {
        fs::permissions(locked, fs::perms::none);
        try {
            writeSafetyCopy(dir(), kStamp, kCommand, {1, 2, 3, 4});
            return std::string("written");
        } catch (const EngineError& e) {
            return app::clerkMessage(e);
        }
    });
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_NE(out.find("не записана, команда не выполнена"), std::string::npos) << out;
    EXPECT_NE(out.find(GetParam().expected), std::string::npos) << out;
    EXPECT_TRUE(backupFolders(dir()).empty()) << backupFolders(dir()).front();
}

INSTANTIATE_TEST_SUITE_P(Cases, SafetyCopyPermissionTest,
                         ::testing::Values(PermissionCase{"BackupFolderNotWritable", "Backup",
                                                          "недоступен для записи"},
                                           PermissionCase{"NoteNotReadable", "ZELT/2.vrk",
                                                          "Нет доступа к файлу ZELT\\2.vrk"},
                                           PermissionCase{"TableFileNotReadable", "PNU/PNU.db", "PNU\\PNU.db"}),
                         CaseName());

TEST_F(SafetyCopyTest, RestoreRefusesWhileACommandIsPending) {
    seed();
    const Rows before = content(dir() / "ZELT/ZELT.db", "ZELT");
    const fs::path copy = writeSafetyCopy(dir(), kStamp, kCommand, {1});
    t(1).emptyTable();
    Intent intent;
    intent.command = "archive";
    intent.committed = true;
    IntentJournal(dir()).write(intent);
    EXPECT_THROW(restoreSafetyCopy(dir(), copy), EngineError);
    EXPECT_EQ(RawFile(dir() / "ZELT/ZELT.db").scalar("SELECT count(*) FROM ZELT"), "0");
    IntentJournal(dir()).remove();
    restoreSafetyCopy(dir(), copy);
    EXPECT_EQ(content(dir() / "ZELT/ZELT.db", "ZELT"), before);
}

struct BrokenCopyCase {
    const char* name;
    std::function<void(const fs::path& copy)> breakIt;
};

class BrokenCopyTest : public SafetyCopyTest, public ::testing::WithParamInterface<BrokenCopyCase> {};

TEST_P(BrokenCopyTest, ACopyThatIsNotWholeIsRefusedAndNothingIsWrittenBack) {
    seed();
    const fs::path copy = writeSafetyCopy(dir(), kStamp, kCommand, {1, 2});
    t(1).emptyTable();
    t(2).emptyTable();
    GetParam().breakIt(copy);
    EXPECT_THROW(restoreSafetyCopy(dir(), copy), EngineError);
    EXPECT_EQ(RawFile(dir() / "ZELT/ZELT.db").scalar("SELECT count(*) FROM ZELT"), "0");
    EXPECT_EQ(RawFile(dir() / "PNU/PNU.db").scalar("SELECT count(*) FROM PNU"), "0");
    EXPECT_EQ(readText(dir() / "ZELT" / "1.vrk"), "{\\rtf1 первый}");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenCopyTest,
    ::testing::Values(
        BrokenCopyCase{"NoList", [](const fs::path& c) { fs::remove(c / "copy.lst"); }},
        BrokenCopyCase{"ListCutShort",
                       [](const fs::path& c) {
                           const std::string list = readText(c / "copy.lst");
                           writeText(c / "copy.lst", list.substr(0, list.size() / 2));
                       }},
        BrokenCopyCase{"TableFileMissing", [](const fs::path& c) { fs::remove(c / "PNU" / "PNU.db"); }},
        BrokenCopyCase{"TableFileDamaged",
                       [](const fs::path& c) { writeText(c / "PNU" / "PNU.db", std::string(4096, 'x')); }},
        BrokenCopyCase{"ForeignTableFile",
                       [](const fs::path& c) {
                           fs::remove(c / "PNU" / "PNU.db");
                           RawFile(c / "PNU" / "PNU.db").exec("CREATE TABLE PNU (a TEXT)");
                       }}),
    CaseName());

}  // namespace
}  // namespace zelt::store::testing
