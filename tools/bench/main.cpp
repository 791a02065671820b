// zelt-bench: generates a data directory of a given size and times the engine's main paths against
// a raw SQLite scan of the same rows.
#include "app/application.h"
#include "base/date.h"
#include "base/error.h"
#include "demo/demo_data.h"
#include "init/demo_writer.h"
#include "store/tree_init.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

class QuietUi : public zelt::app::UiServices {
public:
    int errors = 0;
    void message(const std::string&) override {}
    void error(const std::string& t) override {
        ++errors;
        std::cerr << "error: " << t << "\n";
    }
    bool confirm(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> password(const std::string&) override { return std::nullopt; }
    void showWindow(const std::string&, bool) override {}
    void openUrl(const std::string&) override {}
    void startEditor(const std::string&) override {}
    // The benchmark times writing a report, not keeping it.
    void openDocument(const std::string& path) override {
        std::error_code ec;
        documentBytes = std::filesystem::file_size(path, ec);
        std::filesystem::remove(path, ec);
    }
    std::uintmax_t documentBytes = 0;
};

// Reads every column of every row of `table` in `file`, as the cheapest possible walk.
double rawScanMs(const std::filesystem::path& file, const char* table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto t0 = Clock::now();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT * FROM \"") + table + "\"").c_str(), -1, &st, nullptr);
    long sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const int n = sqlite3_column_count(st);
        for (int i = 0; i < n; ++i) sink += sqlite3_column_bytes(st, i);
    }
    sqlite3_finalize(st);
    const double ms = msSince(t0);
    sqlite3_close(db);
    if (sink < 0) std::puts("");
    return ms;
}

// A figure of /proc/self/status in kB: VmHWM (peak resident), VmRSS, RssAnon (heap and stacks).
long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return 0;
}

void row(const char* what, double ms, double rawMs) {
    std::printf("%-44s %10.1f ms   raw scan %8.1f ms   ratio %6.1f\n", what, ms, rawMs, rawMs > 0 ? ms / rawMs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelt;
    demo::Sizes sizes;
    sizes.minors = 10000;
    sizes.families = 8000;
    sizes.others = 100;
    sizes.institutions = 10;
    sizes.archivedShare = 0.0;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zelt-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--minors") sizes.minors = std::atoi(argv[i + 1]);
        else if (a == "--families") sizes.families = std::atoi(argv[i + 1]);
        else if (a == "--archived") sizes.archivedShare = std::atof(argv[i + 1]);
        else if (a == "--dir") dir = argv[i + 1];
        else {
            std::cerr << "usage: zelt-bench [--minors N] [--families N] [--archived SHARE] [--dir DIR]\n";
            return 2;
        }
    }
    try {
        const int today = *parseDate("10.12.2026");
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        auto t0 = Clock::now();
        // The generated records are made in a child process, so the memory measured below is the
        // program's own.
        const pid_t child = fork();
        if (child == 0) {
            try {
                store::createTableTree(dir, app::kTablePassword);
                init::writeDemo(dir, app::kTablePassword, demo::generateDemo(sizes, 7, today));
            } catch (const std::exception& e) {
                std::cerr << "zelt-bench: " << e.what() << "\n";
                _exit(1);
            }
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
        std::printf("data directory %s: %d minors, %d families (generated in %.0f ms)\n", dir.c_str(), sizes.minors,
                    sizes.families, msSince(t0));

        QuietUi ui;
        app::FixedClock clock(today);
        app::Application a(dir, ui, clock);

        // Start-up, first with the note files still to be created, then as on every later day.
        for (const char* label : {"start-up (creating note files)", "start-up"}) {
            t0 = Clock::now();
            a.start();
            const double ms = msSince(t0);
            row(label, ms, rawScanMs(dir / "ZELT/ZELT.db", "ZELT") + rawScanMs(dir / "SD/SD.db", "SD"));
            if (std::string(label) == "start-up") break;
            a.stop();
        }

        // The register commands with their statistics.
        for (const char* item : {"N49", "N50"}) {
            t0 = Clock::now();
            a.dispatch([&] { a.model().fire(item, "Click"); });
            row(std::string("register command ").append(item).append(" with statistics").c_str(), msSince(t0),
                rawScanMs(dir / (std::string(item) == "N49" ? "ZELT/ZELT.db" : "BDS/BDS.db"),
                          std::string(item) == "N49" ? "ZELT" : "BDS"));
        }
        a.dispatch([&] { a.model().fire("N49", "Click"); });

        // Leaving the surname edit of the minors' card: capitalised and posted.
        // The first post after the start-up may also checkpoint the journal: time several.
        double first = 0, best = 1e9;
        for (int k = 0; k < 5; ++k) {
            t0 = Clock::now();
            a.dispatch([&] {
                a.model().fire("DBEdit1", "Change", {"иванов"});
                a.model().fire("DBEdit1", "Exit");
            });
            const double ms = msSince(t0);
            if (k == 0) first = ms;
            best = std::min(best, ms);
        }
        row("leaving a control, first time", first, 0);
        row("leaving a control (capitalise and post)", best, 0);

        store::Table& minors = a.mainWindow().table(1);
        // Taking the current minor off the register, and bringing him back.
        minors.first();
        minors.edit();
        minors.setText("DCcU", "01.12.2026");
        minors.setText("OCcU", "Исправление");
        minors.post();
        t0 = Clock::now();
        a.dispatch([&] { a.model().fire("BitBtn1", "Click"); });
        row("moving a minor with his details to the archive", msSince(t0), 0);
        a.mainWindow().table(5).last();
        t0 = Clock::now();
        a.dispatch([&] { a.model().fire("N118", "Click"); });
        row("restoring him from the archive", msSince(t0), 0);

        t0 = Clock::now();
        int n = 0;
        for (minors.first(); !minors.eof(); minors.next()) ++n;
        row("walk of Table1 with hooks", msSince(t0), rawScanMs(dir / "ZELT/ZELT.db", "ZELT"));

        t0 = Clock::now();
        minors.setFilterText("(Zan='Школа')and(DKDN<>Null)");
        minors.setFiltered(true);
        const int count = minors.recordCount();
        row("filtered record count", msSince(t0), rawScanMs(dir / "ZELT/ZELT.db", "ZELT"));
        minors.setFilterText("");
        minors.setFiltered(false);

        // One minor with his details appended to the archive, as the archive move does.
        for (int k : {2, 3, 4, 5, 6, 7, 8}) a.mainWindow().table(k).open();
        minors.last();
        const long long sv = minors.asInteger("Sv");
        t0 = Clock::now();
        minors.setFilterText("Sv=" + std::to_string(sv));
        minors.setFiltered(true);
        a.mainWindow().table(5).batchAppendFrom(minors);
        for (int k : {2, 3, 4}) a.mainWindow().table(k + 4).batchAppendFrom(a.mainWindow().table(k));
        minors.setFilterText("");
        minors.setFiltered(false);
        row("batch append of one master with details", msSince(t0), 0);

        // Reports, typed and written as .docx: a card of the current record and the whole data bank.
        struct Report {
            const char* item;
            const char* what;
        };
        const Report reports[] = {{"N130", "minor's card"},
                                  {"N155", "live minors' data bank"},
                                  {"N131", "family card"},
                                  {"N126", "families' data bank"}};
        for (const Report& r : reports) {
            if (std::string(r.item) == "N131") a.dispatch([&] { a.model().fire("N50", "Click"); });
            t0 = Clock::now();
            a.dispatch([&] { a.model().fire(r.item, "Click"); });
            const double ms = msSince(t0);
            char label[96];
            std::snprintf(label, sizeof label, "%s to .docx (%ju kB)", r.what, ui.documentBytes / 1024);
            row(label, ms, 0);
        }

        std::printf("walked %d minors; %d match the filter; %d errors\n", n, count, ui.errors);
        std::printf("memory: peak resident %ld MB, resident now %ld MB, of it heap %ld MB\n", statusKb("VmHWM:") / 1024,
                    statusKb("VmRSS:") / 1024, statusKb("RssAnon:") / 1024);
        a.stop();
    } catch (const std::exception& e) {
        std::cerr << "zelt-bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
