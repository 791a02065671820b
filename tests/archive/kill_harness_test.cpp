// The archive commands, and a clear button of the administrator window, killed at random moments:
// a child zelt-script runs one command on a large person (or register), the test kills it with
// SIGKILL, starts the program again in the same data directory and checks that the person is
// wholly where he was or wholly where the command puts him (the tables wholly as they were or
// empty), in every table and note file, and that the registry check finds nothing.
#include "app/main_window.h"
#include "check/registry_check.h"
#include "store/intent_journal.h"
#include "store/tree_init.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace zelt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDetails = 1500;

int killsPerCommand() {
    const char* v = std::getenv("ZELT_KILLS");
    return v ? std::max(1, std::atoi(v)) : 50;
}

// Raw SQL on a table file of the tree, for seeding and for looking at what is on disk.
class Db {
public:
    Db(const fs::path& dir, const std::string& file, bool write) {
        std::string p = file;
        std::replace(p.begin(), p.end(), '\\', '/');
        sqlite3_open_v2((dir / p).c_str(), &db_, write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    }
    ~Db() { sqlite3_close(db_); }
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << (err ? err : "?");
            sqlite3_free(err);
        }
    }
    std::string value(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        std::string out = "?";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out = t ? reinterpret_cast<const char*>(t) : "NULL";
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

std::string fileOf(const std::string& prefix, const std::string& table) {
    const std::string ext = table == "Prochie" ? ".DB" : ".db";
    return prefix + table + "\\" + table + ext;
}

// A master record; a live one gets Sv = N as the program gives it, an archived one the Sv given.
void seedMaster(const fs::path& dir, const std::string& prefix, const std::string& table,
                const std::vector<std::pair<std::string, std::string>>& fields, long long archivedSv = 0) {
    Db db(dir, fileOf(prefix, table), true);
    std::string cols = "Sv", vals = std::to_string(archivedSv);
    for (const auto& [f, v] : fields) {
        cols += ", \"" + f + "\"";
        vals += ", '" + v + "'";
    }
    db.exec("INSERT INTO \"" + table + "\" (" + cols + ") VALUES (" + vals + ")");
    if (archivedSv == 0) db.exec("UPDATE \"" + table + "\" SET Sv = N WHERE Sv = 0");
}

// `count` detail records of one master, in one transaction.
void seedDetails(const fs::path& dir, const std::string& prefix, const std::string& table, const std::string& field,
                 long long sv, int count) {
    Db db(dir, fileOf(prefix, table), true);
    std::string sql = "BEGIN;";
    for (int i = 0; i < count; ++i)
        sql += "INSERT INTO \"" + table + "\" (Sv, \"" + field + "\") VALUES (" + std::to_string(sv) + ", 'запись " +
               std::to_string(i) + "');";
    db.exec(sql + "COMMIT;");
}

void writeNote(const fs::path& dir, const std::string& rel, const std::string& text) {
    fs::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary) << text;
}

const struct {
    const char* master;
    std::vector<std::pair<const char*, const char*>> details;  // table, a text field to fill
} kRegisters[] = {
    {"ZELT", {{"PNU", "MeraSud"}, {"PKO", "StProt"}, {"PIR", "SubProf"}}},
    {"BDS", {{"SD", "F"}, {"PKOR", "O"}, {"PR", "S"}}},
    {"Prochie", {{"PKOP", "O"}}},
};

// Three people of a register; the second, deregistered, has kDetails records in each detail
// table and a note, the others a few records each.
void seedRegister(const fs::path& dir, int reg, const std::vector<std::pair<std::string, std::string>>& deregistered) {
    const auto& r = kRegisters[reg];
    const std::string name = r.master == std::string("BDS") ? "Fm" : "F";
    seedMaster(dir, "", r.master, {{name, "Первый"}});
    auto second = deregistered;
    second.push_back({name, "Второй"});
    seedMaster(dir, "", r.master, second);
    seedMaster(dir, "", r.master, {{name, "Третий"}});
    for (const auto& [table, field] : r.details) {
        seedDetails(dir, "", table, field, 1, 3);
        seedDetails(dir, "", table, field, 2, kDetails);
        seedDetails(dir, "", table, field, 3, 3);
    }
    writeNote(dir, std::string(r.master) + "/2.vrk", "{\\rtf1 note of two}");
}

// An archived minor, Sv 7, with kDetails records in each archived detail table, next to three
// live minors.
void seedArchivedMinor(const fs::path& dir) {
    for (const char* f : {"Первый", "Второй", "Третий"}) seedMaster(dir, "", "ZELT", {{"F", f}});
    seedMaster(dir, "Arxiv\\", "ZELT", {{"F", "Архивный"}, {"DCcU", "2006-03-01"}}, 7);
    seedMaster(dir, "Arxiv\\", "ZELT", {{"F", "Другой"}}, 9);
    for (const auto& [table, field] : kRegisters[0].details) {
        seedDetails(dir, "Arxiv\\", table, field, 7, kDetails);
        seedDetails(dir, "Arxiv\\", table, field, 9, 2);
    }
    writeNote(dir, "Arxiv/ZELT/7.vrk", "{\\rtf1 archived note}");
}

// One thing on disk that tells where the person is, with its value before and after the command.
struct Probe {
    std::string file;  // table file, or a note file when `sql` is empty
    std::string sql;
    std::string before, after;
};

struct Case {
    const char* name;
    std::function<void(const fs::path&)> seed;
    std::string script;  // after "start"
    std::string command;  // the one line that runs the command
    std::vector<Probe> probes;
};

std::string count(const std::string& table, const std::string& where) {
    return "SELECT COUNT(*) FROM \"" + table + "\" WHERE " + where;
}

// The person's records in a register's tables, live and archived, with the counts before and after.
std::vector<Probe> personProbes(int reg, const std::string& where, const std::string& liveBefore,
                                const std::string& liveAfter, const std::string& archBefore, const std::string& archAfter,
                                const std::string& detailsArchBefore, const std::string& detailsArchAfter,
                                const std::string& detailsLiveAfter) {
    const auto& r = kRegisters[reg];
    std::vector<Probe> p{{fileOf("", r.master), count(r.master, where), liveBefore, liveAfter},
                         {fileOf("Arxiv\\", r.master), count(r.master, where), archBefore, archAfter}};
    const std::string liveDetailsBefore = liveBefore == "0" ? "0" : std::to_string(kDetails);
    for (const auto& [table, field] : r.details) {
        p.push_back({fileOf("", table), count(table, where), liveDetailsBefore, detailsLiveAfter});
        p.push_back({fileOf("Arxiv\\", table), count(table, where), detailsArchBefore, detailsArchAfter});
    }
    return p;
}

std::vector<Probe> concat(std::vector<Probe> a, const std::vector<Probe>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kD = std::to_string(kDetails);
const std::vector<std::pair<std::string, std::string>> kFamilyDeregistered = {
    {"DCcU", "2006-05-01"}, {"OCcU", "Исправление"}, {"PCcU", "Переезд"}, {"Fo", "Отец"}};

std::vector<Case> cases() {
    return {
        {"minor_to_archive",
         [](const fs::path& d) {
             seedRegister(d, 0, {{"DCcU", "2006-03-01"}, {"OCcU", "Исправление"}});
         },
         "click N49\ntable Table1 next\n", "click BitBtn1\n",
         concat(personProbes(0, "Sv = 2", "1", "0", "0", "1", "0", kD, "0"),
                {{"ZELT\\2.vrk", "", "{\\rtf1 note of two}", "-"}, {"Arxiv\\ZELT\\2.vrk", "", "-", "{\\rtf1 note of two}"}})},
        {"family_to_archive", [](const fs::path& d) { seedRegister(d, 1, kFamilyDeregistered); },
         "click N50\ntable Table9 next\n", "click BitBtn2\n",
         concat(personProbes(1, "Sv = 2", "1", "0", "0", "1", "0", kD, "0"),
                {{"BDS\\2.vrk", "", "{\\rtf1 note of two}", "-"}, {"Arxiv\\BDS\\2.vrk", "", "-", "{\\rtf1 note of two}"}})},
        {"mother_to_archive",
         [](const fs::path& d) {
             seedRegister(d, 1, kFamilyDeregistered);
             // The father went into the archive before: a copy of the same family, Sv 2, with
             // a few children.
             seedMaster(d, "Arxiv\\", "BDS", {{"Fm", "Второй"}, {"Fo", "Отец"}}, 2);
             seedDetails(d, "Arxiv\\", "SD", "F", 2, 4);
         },
         "click N50\ntable Table9 next\n", "click BitBtn3\n",
         {{"BDS\\BDS.db", count("BDS", "Sv = 2"), "1", "1"},
          {"BDS\\BDS.db", count("BDS", "Sv = 2 AND Fm IS NULL AND DRm IS NULL AND Mtm IS NULL AND Fo = 'Отец'"), "0", "1"},
          {"Arxiv\\BDS\\BDS.db", count("BDS", "Sv = 2"), "1", "2"},
          {"Arxiv\\BDS\\BDS.db", count("BDS", "Sv = 2 AND Fm = 'Второй'"), "1", "2"},
          {"SD\\SD.db", count("SD", "Sv = 2"), kD, kD},
          {"Arxiv\\SD\\SD.db", count("SD", "Sv = 2"), "4", std::to_string(kDetails + 4)},
          {"Arxiv\\PKOR\\PKOR.db", count("PKOR", "Sv = 2"), "0", kD},
          {"Arxiv\\PR\\PR.db", count("PR", "Sv = 2"), "0", kD},
          {"BDS\\2.vrk", "", "{\\rtf1 note of two}", "{\\rtf1 note of two}"},
          {"Arxiv\\BDS\\2.vrk", "", "-", "{\\rtf1 note of two}"}}},
        {"other_to_archive", [](const fs::path& d) { seedRegister(d, 2, {}); }, "click N152\ntable Table33 next\n",
         "click BitBtn5\n",
         concat(personProbes(2, "Sv = 2", "1", "0", "0", "1", "0", kD, "0"),
                {{"Prochie\\2.vrk", "", "{\\rtf1 note of two}", "-"},
                 {"Arxiv\\Prochie\\2.vrk", "", "-", "{\\rtf1 note of two}"}})},
        {"restore_minor", seedArchivedMinor, "click N49\n", "answer yes\nclick N118\n",
         // The restored minor is the fourth live one: Sv 4.
         concat(personProbes(0, "Sv = 4", "0", "1", "0", "0", "0", "0", kD),
                {{"Arxiv\\ZELT\\ZELT.db", count("ZELT", "Sv = 7"), "1", "1"},
                 {"Arxiv\\PNU\\PNU.db", count("PNU", "Sv = 7"), kD, kD},
                 {"ZELT\\4.vrk", "", "-", "{\\rtf1 archived note}"},
                 {"Arxiv\\ZELT\\7.vrk", "", "{\\rtf1 archived note}", "{\\rtf1 archived note}"}})},
        {"delete_archived_minor", seedArchivedMinor, "click N49\n", "answer yes\nclick N43\n",
         concat(personProbes(0, "Sv = 7", "0", "0", "1", "0", kD, "0", "0"),
                {{"Arxiv\\ZELT\\ZELT.db", count("ZELT", "Sv = 9"), "1", "1"},
                 {"Arxiv\\PNU\\PNU.db", count("PNU", "Sv = 9"), "2", "2"},
                 {"Arxiv\\ZELT\\7.vrk", "", "{\\rtf1 archived note}", "{\\rtf1 archived note}"}})},
        // One group of the administrator window emptied: every table of minors and families, live
        // and archived, empty or as it was, never some of them; the others and the notes untouched.
        {"clear_all",
         [](const fs::path& d) {
             seedRegister(d, 0, {});
             seedRegister(d, 1, {});
             seedRegister(d, 2, {});
             seedMaster(d, "Arxiv\\", "ZELT", {{"F", "Архивный"}}, 7);
             seedDetails(d, "Arxiv\\", "PNU", "MeraSud", 7, kDetails);
             seedMaster(d, "Arxiv\\", "BDS", {{"Fm", "Архивная"}}, 5);
             seedDetails(d, "Arxiv\\", "SD", "F", 5, kDetails);
         },
         "", "event Label14 DblClick\nclick Button1\n",
         {{"ZELT\\ZELT.db", count("ZELT", "1"), "3", "0"},
          {"PNU\\PNU.db", count("PNU", "1"), std::to_string(kDetails + 6), "0"},
          {"Arxiv\\PNU\\PNU.db", count("PNU", "1"), kD, "0"},
          {"BDS\\BDS.db", count("BDS", "1"), "3", "0"},
          {"Arxiv\\SD\\SD.db", count("SD", "1"), kD, "0"},
          {"Prochie\\Prochie.DB", count("Prochie", "1"), "3", "3"},
          {"PKOP\\PKOP.db", count("PKOP", "1"), std::to_string(kDetails + 6), std::to_string(kDetails + 6)},
          {"ZELT\\2.vrk", "", "{\\rtf1 note of two}", "{\\rtf1 note of two}"}}},
    };
}

std::string noteState(const fs::path& dir, const std::string& rel) {
    std::string p = rel;
    std::replace(p.begin(), p.end(), '\\', '/');
    std::ifstream in(dir / p, std::ios::binary);
    std::ostringstream s;
    if (in) s << in.rdbuf();
    // An empty note is what showing a record without one creates: the same as none.
    return s.str().empty() ? "-" : s.str();
}

// Everything the test looks at: the probes, then the record count of every table file of the
// archive registers, live and archived (nobody else touched, nobody duplicated).
std::vector<std::string> snapshot(const fs::path& dir, const Case& c) {
    std::vector<std::string> out;
    for (const Probe& p : c.probes) out.push_back(p.sql.empty() ? noteState(dir, p.file) : Db(dir, p.file, false).value(p.sql));
    for (const auto& r : kRegisters)
        for (const char* prefix : {"", "Arxiv\\"}) {
            out.push_back(Db(dir, fileOf(prefix, r.master), false).value("SELECT COUNT(*) FROM \"" + std::string(r.master) + "\""));
            for (const auto& [table, field] : r.details)
                out.push_back(Db(dir, fileOf(prefix, table), false).value("SELECT COUNT(*) FROM \"" + std::string(table) + "\""));
        }
    return out;
}

std::string describe(const std::vector<std::string>& s) {
    std::string out;
    for (const std::string& v : s) out += v + " | ";
    return out;
}

// zelt-script in `dir` on `script`; its output is thrown away.
pid_t spawn(const fs::path& dir, const std::string& script) {
    const fs::path input = dir.string() + ".script";
    std::ofstream(input) << script;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        ::execl(ZELT_SCRIPT_PATH, ZELT_SCRIPT_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

int runToEnd(const fs::path& dir, const std::string& script) {
    int status = 0;
    ::waitpid(spawn(dir, script), &status, 0);
    return status;
}

void copyTree(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

// When, after its start, an unkilled run holds its journal of intent: from just before the
// command changes anything to just after it is complete. The median over several runs on fresh
// copies of the fixture, since one run on a shared machine says little.
struct Window {
    double begin = 0, end = 0;
};
Window measureCommand(const fs::path& fixture, const fs::path& work, const std::string& script) {
    std::vector<double> begins, ends;
    for (int i = 0; i < 5; ++i) {
        copyTree(fixture, work);
        const store::IntentJournal journal(work);
        const auto t0 = Clock::now();
        const pid_t child = spawn(work, script);
        double first = -1, last = -1;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (journal.pending()) {
                last = std::chrono::duration<double>(Clock::now() - t0).count();
                if (first < 0) first = last;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        EXPECT_EQ(status, 0);
        EXPECT_GE(first, 0) << "the command ran without its journal";
        begins.push_back(first);
        ends.push_back(last);
    }
    std::sort(begins.begin(), begins.end());
    std::sort(ends.begin(), ends.end());
    return {begins[begins.size() / 2], ends[ends.size() / 2]};
}

class KillHarness : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        // A kill loses only what the process held, never what reached the kernel, so memory-backed
        // files show the same states as a disk, without the cost of its syncs.
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        root_ = base / ("zelt-kill-" + std::to_string(::getpid()) + "-" + std::to_string(GetParam()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_P(KillHarness, NobodyIsEverHalfMoved) {
    const Case c = cases()[static_cast<size_t>(GetParam())];
    const fs::path fixture = root_ / "fixture", work = root_ / "work";
    fs::create_directories(fixture);
    store::createTableTree(fixture, app::kTablePassword);
    c.seed(fixture);
    const std::string prelude = "today 01.06.2006\nstart\n" + c.script;

    // The two states a person may be found in, and when the command runs, measured unkilled.
    const std::vector<std::string> before = snapshot(fixture, c);
    const Window window = measureCommand(fixture, work, prelude + c.command + "stop\n");
    copyTree(fixture, work);
    ASSERT_EQ(runToEnd(work, prelude + c.command + "stop\n"), 0);
    ASSERT_TRUE(check::checkRegistry(work).empty());
    const std::vector<std::string> after = snapshot(work, c);
    for (size_t i = 0; i < c.probes.size(); ++i) {
        EXPECT_EQ(before[i], c.probes[i].before) << c.probes[i].file << " " << c.probes[i].sql;
        EXPECT_EQ(after[i], c.probes[i].after) << c.probes[i].file << " " << c.probes[i].sql;
    }
    ASSERT_NE(before, after);
    const double duration = std::max(window.end - window.begin, 0.001);

    // Kill moments spread evenly over the command, each at a random point of its own slice,
    // starting a little before the command so that its first steps are hit too.
    const int kills = killsPerCommand();
    std::mt19937 rng(static_cast<unsigned>(GetParam()) * 7919u + 17u);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    int caughtMidway = 0, foundBefore = 0, foundAfter = 0;
    // A loaded machine stretches the command now and then so that kills land outside it: then the
    // harness goes round the command again, up to four times, until a third were caught midway.
    int k = 0;
    for (; k < kills || (caughtMidway < kills / 3 && k < 4 * kills); ++k) {
        copyTree(fixture, work);
        // The start-up before the command varies from run to run by about as much as the command
        // lasts, so a kill inside the command is timed from the moment its journal appears.
        const double into = (k % kills + within(rng)) / kills * 1.1 * duration - 0.05 * duration;
        const auto t0 = Clock::now();
        const pid_t child = spawn(work, prelude + c.command + "stop\n");
        const store::IntentJournal journal(work);
        if (into < 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(std::max(window.begin + into, 0.0)));
        } else {
            const auto giveUp = t0 + std::chrono::duration<double>(10 * (window.end + 0.1));
            while (!journal.pending() && Clock::now() < giveUp && ::waitpid(child, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::duration<double>(into));
        }
        const double at = std::chrono::duration<double>(Clock::now() - t0).count();
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::vector<std::string> killed = snapshot(work, c);
        if (store::IntentJournal(work).pending() || (killed != before && killed != after)) ++caughtMidway;

        // The program started again: its start-up settles what the kill cut short.
        ASSERT_EQ(runToEnd(work, "start\nstop\n"), 0);
        const std::vector<std::string> settled = snapshot(work, c);
        EXPECT_TRUE(settled == before || settled == after)
            << c.name << ", kill " << k << " at " << at << " s: half moved\n  found   " << describe(settled)
            << "\n  before  " << describe(before) << "\n  after   " << describe(after);
        EXPECT_FALSE(store::IntentJournal(work).pending()) << c.name << ", kill " << k;
        for (const std::string& p : check::checkRegistry(work)) ADD_FAILURE() << c.name << ", kill " << k << ": " << p;
        if (settled == before) ++foundBefore;
        if (settled == after) ++foundAfter;
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("%s: command %.3f s (from %.3f s after the start), %d kills, %d caught midway, settled %d before / %d after\n",
                c.name, duration, window.begin, k, caughtMidway, foundBefore, foundAfter);
    // A harness whose kills all miss the command proves nothing.
    EXPECT_GE(caughtMidway, kills / 3) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Commands, KillHarness, ::testing::Range(0, static_cast<int>(cases().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(cases()[static_cast<size_t>(info.param)].name);
                         });


// The transfer killed at random moments. The merge is all or nothing per person, so after each
// kill and the start that settles it every transferred person is wholly as before or wholly as
// after an uninterrupted run, in his record, details and note; and running the transfer again
// ends where one uninterrupted run ends.
constexpr int kTransferLive = 400;      // live minors, each found again in the transfer copy
constexpr int kTransferNew = 400;       // transferred minors who are new here
constexpr int kTransferArchived = 100;  // archived minors here, each also in the transfer archive

// One transaction of inserts into a table file of the tree.
void insertAll(const fs::path& dir, const std::string& file, const std::vector<std::string>& inserts) {
    Db db(dir, file, true);
    std::string sql = "BEGIN;";
    for (const std::string& i : inserts) sql += i + ";";
    db.exec(sql + "COMMIT;");
}

std::string minorRow(int sv, const std::string& surname, int k, const std::string& zan, const char* dccu) {
    return "INSERT INTO ZELT (Sv, F, I, O, DR, Zan, DCcU) VALUES (" + std::to_string(sv) + ", '" + surname + "', 'Имя" +
           std::to_string(k) + "', 'Отчество', '1990-02-01', '" + zan + "', " + (dccu ? "'" + std::string(dccu) + "'" : "NULL") + ")";
}

void seedTransfer(const fs::path& dir) {
    std::vector<std::string> live, liveCourt, transfer, transferCourt, archived, transferArchived;
    for (int k = 0; k < kTransferLive; ++k) {
        live.push_back(minorRow(k + 1, "Старый" + std::to_string(k), k, "Школа", nullptr));
        for (int j = 0; j < 2; ++j)
            liveCourt.push_back("INSERT INTO PNU (Sv, MeraSud) VALUES (" + std::to_string(k + 1) + ", 'старое " + std::to_string(k) + "-" + std::to_string(j) + "')");
        writeNote(dir, "ZELT/" + std::to_string(k + 1) + ".vrk", "{\\rtf1 old " + std::to_string(k) + "}");
    }
    for (int k = 0; k < kTransferLive + kTransferNew; ++k) {
        const int sv = 1001 + k;
        transfer.push_back(minorRow(sv, "Новый" + std::to_string(k), k, "Работа", nullptr));
        for (int j = 0; j < 3; ++j)
            transferCourt.push_back("INSERT INTO PNU (Sv, MeraSud) VALUES (" + std::to_string(sv) + ", 'новое " + std::to_string(k) + "-" + std::to_string(j) + "')");
        // Every other transferred minor brings a note; a found one without it keeps his own.
        if (k % 2 == 0) writeNote(dir, "Perenos/ZELT/" + std::to_string(sv) + ".vrk", "{\\rtf1 new " + std::to_string(k) + "}");
    }
    for (int k = 0; k < kTransferArchived; ++k) {
        archived.push_back(minorRow(k + 1, "Архивный", 5000 + k, "Школа", "2005-03-01"));
        transferArchived.push_back(minorRow(k + 1, "Архивный", 5000 + k, "Школа", "2005-03-01"));
        transferArchived.push_back(minorRow(k + 501, "Снятый", 5000 + k, "Школа", "2006-03-01"));
    }
    insertAll(dir, "ZELT\\ZELT.db", live);
    insertAll(dir, "PNU\\PNU.db", liveCourt);
    insertAll(dir, "Perenos\\ZELT\\ZELT.db", transfer);
    insertAll(dir, "Perenos\\PNU\\PNU.db", transferCourt);
    insertAll(dir, "Arxiv\\ZELT\\ZELT.db", archived);
    insertAll(dir, "Perenos\\Arxiv\\ZELT\\ZELT.db", transferArchived);
}

// Every person of the minors' live and archive tables by his key (first name, patronymic, date of
// birth, and the deregistration date in the archive): his surname, occupation, court records and
// note. A key held twice shows both.
std::map<std::string, std::string> persons(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const std::string prefix : {"", "Arxiv\\"}) {
        std::map<std::string, std::string> courts;
        {
            Db pnu(dir, fileOf(prefix, "PNU"), false);
            const std::string all = pnu.value("SELECT group_concat(x, ';') FROM (SELECT CAST(Sv AS INTEGER) || ':' || MeraSud AS x FROM PNU ORDER BY MeraSud)");
            std::istringstream in(all == "NULL" ? "" : all);
            for (std::string item; std::getline(in, item, ';');) {
                const size_t colon = item.find(':');
                courts[item.substr(0, colon)] += item.substr(colon + 1) + ",";
            }
        }
        Db zelt(dir, fileOf(prefix, "ZELT"), false);
        const std::string all = zelt.value(
            "SELECT group_concat(x, ';') FROM (SELECT CAST(Sv AS INTEGER) || '|' || I || '|' || O || '|' || DR || '|' || "
            "IFNULL(DCcU, '') || '|' || F || '|' || IFNULL(Zan, '') AS x FROM ZELT ORDER BY N)");
        std::istringstream in(all == "NULL" ? "" : all);
        for (std::string item; std::getline(in, item, ';');) {
            std::vector<std::string> f;
            std::istringstream fields(item);
            for (std::string v; std::getline(fields, v, '|');) f.push_back(v);
            f.resize(7);
            const std::string key = prefix + f[1] + "/" + f[2] + "/" + f[3] + (prefix.empty() ? "" : "/" + f[4]);
            out[key] += f[5] + " " + f[6] + " [" + courts[f[0]] + "] " + noteState(dir, prefix + "ZELT\\" + f[0] + ".vrk") + ";";
        }
    }
    return out;
}

TEST(TransferKillHarness, NoPersonIsEverHalfMergedAndARerunConverges) {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("zelt-kill-transfer-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path fixture = root / "fixture", work = root / "work";
    fs::create_directories(fixture);
    store::createTableTree(fixture, app::kTablePassword);
    seedTransfer(fixture);
    const std::string prelude = "today 01.06.2006\nstart\nclick N49\n", command = "answer yes\nclick N124\n";

    const std::map<std::string, std::string> before = persons(fixture);
    const Window window = measureCommand(fixture, work, prelude + command + "stop\n");
    copyTree(fixture, work);
    ASSERT_EQ(runToEnd(work, prelude + command + "stop\n"), 0);
    ASSERT_TRUE(check::checkRegistry(work).empty());
    const std::map<std::string, std::string> after = persons(work);
    ASSERT_EQ(after.size(), static_cast<size_t>(kTransferLive + kTransferNew + 2 * kTransferArchived));
    EXPECT_EQ(after.at("Имя0/Отчество/1990-02-01"), "Новый0 Работа [новое 0-0,новое 0-1,новое 0-2,] {\\rtf1 new 0};");
    EXPECT_EQ(after.at("Имя1/Отчество/1990-02-01"), "Новый1 Работа [новое 1-0,новое 1-1,новое 1-2,] {\\rtf1 old 1};");
    const double duration = std::max(window.end - window.begin, 0.001);

    const int kills = killsPerCommand();
    std::mt19937 rng(4242u);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    int caughtMidway = 0, k = 0;
    for (; k < kills || (caughtMidway < kills / 3 && k < 4 * kills); ++k) {
        copyTree(fixture, work);
        const double into = (k % kills + within(rng)) / kills * 1.1 * duration - 0.05 * duration;
        const auto t0 = Clock::now();
        const pid_t child = spawn(work, prelude + command + "stop\n");
        if (into < 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(std::max(window.begin + into, 0.0)));
        } else {
            const store::IntentJournal journal(work);
            const auto giveUp = t0 + std::chrono::duration<double>(10 * (window.end + 0.1));
            while (!journal.pending() && Clock::now() < giveUp && ::waitpid(child, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::duration<double>(into));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const bool pending = store::IntentJournal(work).pending();

        ASSERT_EQ(runToEnd(work, "start\nstop\n"), 0);
        const std::map<std::string, std::string> settled = persons(work);
        int merged = 0;
        for (const auto& [key, state] : after) {
            const auto b = before.find(key), s = settled.find(key);
            const std::string was = b == before.end() ? "-" : b->second, is = s == settled.end() ? "-" : s->second;
            EXPECT_TRUE(is == was || is == state) << "kill " << k << ": " << key << " half merged: " << is
                                                  << "\n  before " << was << "\n  after  " << state;
            merged += is == state && is != was;
        }
        EXPECT_LE(settled.size(), after.size()) << "kill " << k;
        if (pending || (merged > 0 && settled != after)) ++caughtMidway;
        for (const std::string& p : check::checkRegistry(work)) ADD_FAILURE() << "kill " << k << ": " << p;

        // Running the transfer again finishes what the kill interrupted.
        ASSERT_EQ(runToEnd(work, prelude + command + "stop\n"), 0);
        EXPECT_EQ(persons(work), after) << "kill " << k << ": the rerun did not converge";
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("transfer: command %.3f s, %d kills, %d caught midway\n", duration, k, caughtMidway);
    EXPECT_GE(caughtMidway, kills / 3);
    fs::remove_all(root);
}

}  // namespace
}  // namespace zelt

namespace zelt {
namespace {

// The register check killed at random moments. Each stale minor goes with his details under the
// journal, so after each kill and the start that settles it every live minor is wholly there or
// wholly gone with his details, those not stale are all there, the archive is as it was and the
// note files stay; and running the check again ends where one uninterrupted run ends.
constexpr int kCheckMinors = 3000;  // live minors; every other one is stale
constexpr int kCheckDetails = 4;    // records of each live minor in each detail table

void seedCheck(const fs::path& dir) {
    std::vector<std::string> live, archived;
    std::map<std::string, std::vector<std::string>> details;
    for (int k = 0; k < kCheckMinors; ++k) {
        const std::string sv = std::to_string(k + 1), name = "Имя" + std::to_string(k);
        live.push_back("INSERT INTO ZELT (Sv, F, I, O, DR, DKDN) VALUES (" + sv + ", 'Фамилия', '" + name +
                       "', 'Отчество', '1990-02-01', '2005-01-10')");
        // The archive knows everyone; only the stale ones were deregistered after 10.01.2005.
        archived.push_back("INSERT INTO ZELT (Sv, F, I, O, DR, DCcU) VALUES (" + sv + ", 'Фамилия', '" + name +
                           "', 'Отчество', '1990-02-01', '" + (k % 2 == 0 ? "2005-03-15" : "2004-12-01") + "')");
        for (const auto& [table, field] : kRegisters[0].details)
            for (int j = 0; j < kCheckDetails; ++j)
                details[table].push_back("INSERT INTO \"" + std::string(table) + "\" (Sv, \"" + field + "\") VALUES (" + sv +
                                         ", '" + name + "-" + std::to_string(j) + "')");
        if (k % 3 == 0) writeNote(dir, "ZELT/" + sv + ".vrk", "{\\rtf1 note " + sv + "}");
    }
    insertAll(dir, "ZELT\\ZELT.db", live);
    insertAll(dir, "Arxiv\\ZELT\\ZELT.db", archived);
    for (const auto& [table, inserts] : details) insertAll(dir, fileOf("", table), inserts);
}

// Every live minor by his link key: his first name, the texts of his records in each detail table
// and his note; detail records whose minor is gone show under "orphan". The archive master and the
// notes of every seeded minor come last, under their own keys.
std::map<std::string, std::string> checkState(const fs::path& dir) {
    std::map<std::string, std::string> masters, out;
    const auto rows = [&](const std::string& file, const std::string& sql) {
        std::map<std::string, std::string> m;
        const std::string all = Db(dir, file, false).value("SELECT group_concat(x, ';') FROM (" + sql + ")");
        std::istringstream in(all == "NULL" ? "" : all);
        for (std::string item; std::getline(in, item, ';');) {
            const size_t bar = item.find('|');
            m[item.substr(0, bar)] += item.substr(bar + 1) + ",";
        }
        return m;
    };
    masters = rows(fileOf("", "ZELT"), "SELECT CAST(Sv AS INTEGER) || '|' || I AS x FROM ZELT ORDER BY N");
    for (const auto& [sv, name] : masters) out[sv] = name;
    for (const auto& [table, field] : kRegisters[0].details) {
        const std::string t = table;
        for (const auto& [sv, texts] :
             rows(fileOf("", t), "SELECT CAST(Sv AS INTEGER) || '|' || \"" + std::string(field) + "\" AS x FROM \"" + t + "\" ORDER BY N"))
            out[masters.count(sv) ? sv : "orphan " + sv] += " " + t + "[" + texts + "]";
    }
    out["archive"] = Db(dir, fileOf("Arxiv\\", "ZELT"), false)
                         .value("SELECT COUNT(*) || ' ' || total(length(I) + length(DCcU)) FROM ZELT");
    std::string notes;
    for (int k = 0; k < kCheckMinors; k += 3) notes += noteState(dir, "ZELT\\" + std::to_string(k + 1) + ".vrk");
    out["notes"] = notes;
    return out;
}

TEST(CheckKillHarness, NoMinorIsEverHalfDeletedAndARerunConverges) {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("zelt-kill-check-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path fixture = root / "fixture", work = root / "work";
    fs::create_directories(fixture);
    store::createTableTree(fixture, app::kTablePassword);
    seedCheck(fixture);
    const std::string script = "today 01.06.2006\nstart\nclick N49\nanswer yes\nclick N153\nstop\n";

    const std::map<std::string, std::string> before = checkState(fixture);
    const Window window = measureCommand(fixture, work, script);
    copyTree(fixture, work);
    ASSERT_EQ(runToEnd(work, script), 0);
    ASSERT_TRUE(check::checkRegistry(work).empty());
    const std::map<std::string, std::string> after = checkState(work);
    ASSERT_EQ(after.size(), static_cast<size_t>(kCheckMinors / 2 + 2));
    EXPECT_EQ(after.count("1"), 0u);
    EXPECT_EQ(after.at("2"), before.at("2"));
    EXPECT_EQ(after.at("notes"), before.at("notes"));
    const double duration = std::max(window.end - window.begin, 0.001);

    const int kills = killsPerCommand();
    std::mt19937 rng(5151u);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    int caughtMidway = 0, k = 0;
    for (; k < kills || (caughtMidway < kills / 3 && k < 4 * kills); ++k) {
        copyTree(fixture, work);
        const double into = (k % kills + within(rng)) / kills * 1.1 * duration - 0.05 * duration;
        const auto t0 = Clock::now();
        const pid_t child = spawn(work, script);
        if (into < 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(std::max(window.begin + into, 0.0)));
        } else {
            const store::IntentJournal journal(work);
            const auto giveUp = t0 + std::chrono::duration<double>(10 * (window.end + 0.1));
            while (!journal.pending() && Clock::now() < giveUp && ::waitpid(child, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::duration<double>(into));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const bool pending = store::IntentJournal(work).pending();

        ASSERT_EQ(runToEnd(work, "start\nstop\n"), 0);
        const std::map<std::string, std::string> settled = checkState(work);
        int deleted = 0;
        for (const auto& [key, state] : settled) {
            const auto b = before.find(key);
            EXPECT_TRUE(b != before.end() && b->second == state)
                << "kill " << k << ": " << key << " half deleted: " << state << "\n  before "
                << (b == before.end() ? "-" : b->second);
        }
        for (const auto& [key, state] : after)
            EXPECT_EQ(settled.count(key), 1u) << "kill " << k << ": " << key << " deleted, but is not stale";
        deleted = static_cast<int>(before.size() - settled.size());
        if (pending || (deleted > 0 && settled != after)) ++caughtMidway;
        for (const std::string& p : check::checkRegistry(work)) ADD_FAILURE() << "kill " << k << ": " << p;

        // Running the check again deletes what the kill left.
        ASSERT_EQ(runToEnd(work, script), 0);
        EXPECT_EQ(checkState(work), after) << "kill " << k << ": the rerun did not converge";
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("check: command %.3f s, %d kills, %d caught midway\n", duration, k, caughtMidway);
    EXPECT_GE(caughtMidway, kills / 3);
    fs::remove_all(root);
}

}  // namespace
}  // namespace zelt
