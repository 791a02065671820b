#include "bench/transfer_bench.h"

#include "app/application.h"
#include "base/date.h"
#include "store/tree_init.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zelt::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Answers every question with Yes and shows nothing.
class YesUi : public app::UiServices {
public:
    int errors = 0;
    void message(const std::string& t) override { std::fprintf(stderr, "message: %s\n", t.c_str()); }
    void error(const std::string& t) override {
        ++errors;
        std::fprintf(stderr, "error: %s\n", t.c_str());
    }
    bool confirm(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> password(const std::string&) override { return {}; }
    void showWindow(const std::string&, bool) override {}
    void openUrl(const std::string&) override {}
    void startEditor(const std::string&) override {}
};

// One generated record: the fields that make its key and what it carries.
struct Person {
    std::string f, i, o, dr, dkdn, dccu, zan;  // dates ISO or empty
};

std::string sqlText(const std::string& v) { return v.empty() ? "NULL" : "'" + v + "'"; }

// Writes minors into a ZELT table file, each with one court record in the PNU file beside it.
void writeMinors(const fs::path& dir, const std::string& prefix, const std::vector<Person>& people, bool courts) {
    sqlite3* db = nullptr;
    sqlite3_open((dir / (prefix + "ZELT/ZELT.db")).c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    int sv = 1;
    for (const Person& p : people) {
        const std::string sql = "INSERT INTO ZELT (Sv, F, I, O, DR, DKDN, DCcU, Zan) VALUES (" + std::to_string(sv++) + ", " +
                                sqlText(p.f) + ", " + sqlText(p.i) + ", " + sqlText(p.o) + ", " + sqlText(p.dr) + ", " +
                                sqlText(p.dkdn) + ", " + sqlText(p.dccu) + ", " + sqlText(p.zan) + ")";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (!courts) return;
    sqlite3_open((dir / (prefix + "PNU/PNU.db")).c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (size_t k = 1; k <= people.size(); ++k)
        sqlite3_exec(db, ("INSERT INTO PNU (Sv, MeraSud) VALUES (" + std::to_string(k) + ", 'Штраф " + std::to_string(k) + "')").c_str(),
                     nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void writeFamilies(const fs::path& dir, const std::string& prefix, const std::vector<Person>& mothers,
                   const std::vector<Person>& fathers) {
    sqlite3* db = nullptr;
    sqlite3_open((dir / (prefix + "BDS/BDS.db")).c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (size_t k = 0; k < mothers.size(); ++k) {
        const Person& m = mothers[k];
        const Person& f = fathers[k];
        const std::string sql = "INSERT INTO BDS (Sv, Fm, Im, Om, DRm, Fo, Io, Oo, DRo) VALUES (" + std::to_string(k + 1) + ", " +
                                sqlText(m.f) + ", " + sqlText(m.i) + ", " + sqlText(m.o) + ", " + sqlText(m.dr) + ", " +
                                sqlText(f.f) + ", " + sqlText(f.i) + ", " + sqlText(f.o) + ", " + sqlText(f.dr) + ")";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// A person drawn from few names, so that keys repeat and some differ only by one field; a blank
// date now and then.
Person drawPerson(std::mt19937& rng, int names) {
    static const char* const kFirst[] = {"Иван", "Пётр", "Олег", "Анна", "Мария"};
    std::uniform_int_distribution<int> name(0, names - 1), day(1, 2), year(1990, 1991), pick(0, 4), blank(0, 19);
    Person p;
    p.f = "Фамилия" + std::to_string(name(rng));
    p.i = std::string(kFirst[pick(rng)]) + std::to_string(name(rng) % 3);
    p.o = "Отчество" + std::to_string(pick(rng) % 3);
    if (blank(rng) != 0) {
        char d[16];
        std::snprintf(d, sizeof d, "%04d-%02d-%02d", year(rng), 1 + pick(rng) % 2, day(rng));
        p.dr = d;
    }
    return p;
}

std::string isoOf(std::mt19937& rng, int fromYear, int toYear, bool mayBeBlank) {
    std::uniform_int_distribution<int> day(1, 2), month(1, 3), year(fromYear, toYear), blank(0, 9);
    if (mayBeBlank && blank(rng) == 0) return "";
    char d[16];
    std::snprintf(d, sizeof d, "%04d-%02d-%02d", year(rng), month(rng), day(rng));
    return d;
}

// The stored texts of some fields of every record of a table file, in counter order.
std::vector<std::string> storedRows(const fs::path& file, const std::string& select) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr);
    std::vector<std::string> out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(st, 0);
        out.push_back(t ? reinterpret_cast<const char*>(t) : "");
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// Processor time of this process in ms: on a machine shared with other work the wall clock says
// more about the neighbours than about the command.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs one menu command after choosing a register; its wall time, and its processor time in `cpu`.
double runCommand(const fs::path& dir, const char* reg, const char* item, int& errors, double* cpu = nullptr) {
    YesUi ui;
    app::FixedClock clock(*parseDate("10.12.2026"));
    app::Application a(dir, ui, clock);
    a.start();
    a.dispatch([&] { a.model().fire(reg, "Click"); });
    const auto t0 = Clock::now();
    const double c0 = cpuMs();
    a.dispatch([&] { a.model().fire(item, "Click"); });
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (cpu) *cpu = cpuMs() - c0;
    errors = ui.errors;
    a.stop();
    return ms;
}

void freshTree(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    store::createTableTree(dir, "581306");
}

std::string personKey(const Person& p, bool withDccu) {
    return p.i + "|" + p.o + "|" + p.dr + (withDccu ? "|" + p.dccu : "");
}

// The transfer of minors by its rule taken literally: for each source record a scan of the target
// from its first record; the first equal key is overwritten (live) or left alone (archive), no
// match is appended. The resulting target, one "surname occupation" line per record.
std::vector<std::string> literalTransfer(std::vector<Person> target, const std::vector<Person>& source, bool archive,
                                         int& updated, int& skipped, int& appended) {
    for (const Person& s : source) {
        bool found = false;
        for (Person& t : target)
            if (personKey(t, archive) == personKey(s, archive)) {
                found = true;
                if (archive) ++skipped;
                else {
                    t = s;
                    ++updated;
                }
                break;
            }
        if (!found) {
            target.push_back(s);
            ++appended;
        }
    }
    std::vector<std::string> out;
    for (const Person& p : target) out.push_back(p.f + " " + p.zan);
    return out;
}

// The check by its rule taken literally: each live record against every archived one.
std::vector<std::string> literalCheck(const std::vector<Person>& live, const std::vector<Person>& archive, int& deleted) {
    std::vector<std::string> out;
    for (const Person& l : live) {
        bool stale = false;
        for (const Person& a : archive)
            if (a.f == l.f && a.i == l.i && a.o == l.o && a.dr == l.dr && !l.dkdn.empty() && !a.dccu.empty() && a.dccu > l.dkdn) {
                stale = true;
                break;
            }
        if (stale) ++deleted;
        else out.push_back(l.f + " " + l.i + " " + l.dkdn);
    }
    return out;
}

int literalComparisons(const fs::path& dir) {
    std::mt19937 rng(7);
    int differ = 0;
    for (const bool archive : {false, true}) {
        std::vector<Person> target, source;
        for (int k = 0; k < 600; ++k) {
            Person p = drawPerson(rng, 12);
            p.zan = "Старое" + std::to_string(k);
            if (archive) p.dccu = isoOf(rng, 2004, 2005, true);
            target.push_back(p);
        }
        for (int k = 0; k < 600; ++k) {
            Person p = drawPerson(rng, 12);
            p.zan = "Новое" + std::to_string(k);
            if (archive) p.dccu = isoOf(rng, 2004, 2005, true);
            source.push_back(p);
        }
        int updated = 0, skipped = 0, appended = 0;
        const std::vector<std::string> expected = literalTransfer(target, source, archive, updated, skipped, appended);
        freshTree(dir);
        writeMinors(dir, archive ? "Arxiv/" : "", target, false);
        writeMinors(dir, archive ? "Perenos/Arxiv/" : "Perenos/", source, false);
        int errors = 0;
        runCommand(dir, "N49", "N124", errors);
        const auto got = storedRows(dir / (archive ? "Arxiv/ZELT/ZELT.db" : "ZELT/ZELT.db"),
                                    "SELECT F || ' ' || IFNULL(Zan, '') FROM ZELT ORDER BY N");
        const bool same = got == expected && errors == 0;
        std::printf("literal check of the transfer into the %s over 600 + 600 minors: %d updated, %d skipped, %d appended: %s\n",
                    archive ? "archive" : "live register", updated, skipped, appended, same ? "identical" : "DIFFERENT");
        differ += !same;
    }
    std::vector<Person> live, archived;
    for (int k = 0; k < 1500; ++k) {
        Person p = drawPerson(rng, 4);
        p.dkdn = isoOf(rng, 2004, 2006, true);
        live.push_back(p);
        Person a = drawPerson(rng, 4);
        a.dccu = isoOf(rng, 2004, 2006, true);
        archived.push_back(a);
    }
    int deleted = 0;
    const std::vector<std::string> expected = literalCheck(live, archived, deleted);
    freshTree(dir);
    writeMinors(dir, "", live, false);
    writeMinors(dir, "Arxiv/", archived, false);
    int errors = 0;
    runCommand(dir, "N49", "N153", errors);
    const auto got = storedRows(dir / "ZELT/ZELT.db",
                                "SELECT IFNULL(F, '') || ' ' || IFNULL(I, '') || ' ' || IFNULL(DKDN, '') FROM ZELT ORDER BY N");
    const bool same = got == expected && errors == 0;
    std::printf("literal check of the register check over 1500 live and 1500 archived minors: %d deleted: %s\n", deleted,
                same ? "identical" : "DIFFERENT");
    return differ + !same;
}

}  // namespace

int runTransferBench(const fs::path& dir, int transferSize, int checkSize) {
    const int differ = literalComparisons(dir);
    std::mt19937 rng(11);
    // The transfer: registers of transferSize minors and families, and as many transferred, half
    // of them people already here.
    std::vector<Person> live, transferred, mothers, fathers, tMothers, tFathers;
    for (int k = 0; k < transferSize; ++k) {
        live.push_back({"Ф" + std::to_string(k), "И" + std::to_string(k), "О", "1990-01-01", "", "", "Школа"});
        mothers.push_back({"М" + std::to_string(k), "Мария" + std::to_string(k), "О", "1970-01-01", "", "", ""});
        fathers.push_back({"П" + std::to_string(k), "Пётр" + std::to_string(k), "О", "1968-01-01", "", "", ""});
    }
    for (int k = 0; k < transferSize; ++k) {
        const int who = k % 2 == 0 ? k : transferSize + k;
        transferred.push_back({"Новый" + std::to_string(k), "И" + std::to_string(who), "О", "1990-01-01", "", "", "Работа"});
        tMothers.push_back({"Н" + std::to_string(k), "Мария" + std::to_string(who), "О", "1970-01-01", "", "", ""});
        tFathers.push_back({"П" + std::to_string(k), "Пётр" + std::to_string(who), "О", "1968-01-01", "", "", ""});
    }
    freshTree(dir);
    writeMinors(dir, "", live, true);
    writeMinors(dir, "Perenos/", transferred, true);
    writeFamilies(dir, "", mothers, fathers);
    writeFamilies(dir, "Perenos/", tMothers, tFathers);
    int errors = 0;
    double cpu = 0;
    const double transferMs = runCommand(dir, "N49", "N124", errors, &cpu);
    std::printf("transfer of %d minors and %d families into registers of %d each: %.0f ms, processor %.0f ms (target 3000)%s\n",
                transferSize, transferSize, transferSize, transferMs, cpu, errors ? ", WITH ERRORS" : "");

    // The check: checkSize live and archived minors, a tenth of the live ones stale.
    std::vector<Person> checkLive, checkArchive;
    for (int k = 0; k < checkSize; ++k) {
        checkLive.push_back({"Ф" + std::to_string(k), "И", "О", "1990-01-01", "2005-01-10", "", ""});
        const bool stale = k % 10 == 0;
        checkArchive.push_back({"Ф" + std::to_string(stale ? k : checkSize + k), "И", "О", "1990-01-01", "", "2005-03-15", ""});
    }
    freshTree(dir);
    writeMinors(dir, "", checkLive, true);
    writeMinors(dir, "Arxiv/", checkArchive, false);
    const double checkMs = runCommand(dir, "N49", "N153", errors, &cpu);
    const size_t left = storedRows(dir / "ZELT/ZELT.db", "SELECT N FROM ZELT").size();
    std::printf("check over %d live and %d archived minors (%zu deleted): %.0f ms, processor %.0f ms (target 2000)%s\n",
                checkSize, checkSize, static_cast<size_t>(checkSize) - left, checkMs, cpu, errors ? ", WITH ERRORS" : "");
    fs::remove_all(dir);
    return differ;
}

}  // namespace zelt::bench
