// zelt-bench: generates a data directory of a given size and times the engine's main paths against
// a raw SQLite scan of the same rows, and a second one with only archived records for the reports
// over the archive; with --growth it runs a tenth of those sizes too and prints how every figure
// grows with the data.
#include "app/application.h"
#include "app/store_messages.h"
#include "bench/literal_reports.h"
#include "bench/transfer_bench.h"
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
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Values in each list the statistical reports count against.
constexpr size_t kReportListSize = 1000;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// Processor time of this process in ms: on a machine shared with other work it moves much less
// than the wall clock.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

class QuietUi : public zelt::app::UiServices {
public:
    int errors = 0;
    void message(const std::string&) override {}
    void error(const std::string& t) override {
        ++errors;
        std::cerr << "error: " << t << "\n";
    }
    bool confirm(const std::string&, const std::string&) override { return true; }
    // The year prompt of the yearly reports is answered with `answer`; none cancels it.
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
        return answer;
    }
    std::optional<std::string> answer;
    std::optional<std::string> password(const std::string&) override { return std::nullopt; }
    void showWindow(const std::string&, bool) override {}
    void openUrl(const std::string&) override {}
    void startEditor(const std::string&) override {}
    // The benchmark times writing a report, not keeping it.
    bool openDocument(const std::string& path) override {
        std::error_code ec;
        documentBytes = fs::file_size(path, ec);
        fs::remove(path, ec);
        return true;
    }
    std::uintmax_t documentBytes = 0;
};

// Reads every column of every row of `table` in `file`, as the cheapest possible walk.
double rawScanMs(const fs::path& file, const char* table) {
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

// One measured figure: a time in ms (with the raw scan it compares to, 0 for none) or a size in MB.
struct Figure {
    std::string label;
    double value = 0;
    double raw = 0;
    bool megabytes = false;
    double cpu = 0;  // processor ms of a time
};

class Figures {
public:
    // Times the next figure from here to stop().
    void start() {
        cpu0_ = cpuMs();
        wall0_ = Clock::now();
    }
    void stop() {
        cpu_ = cpuMs() - cpu0_;
        wall_ = msSince(wall0_);
    }
    // The figure timed between start() and stop().
    void time(const std::string& label, double rawMs = 0) { time(label, wall_, cpu_, rawMs); }
    double lastWall() const { return wall_; }
    double lastCpu() const { return cpu_; }
    void time(const std::string& label, double ms, double cpu, double rawMs) {
        list.push_back({label, ms, rawMs, false, cpu});
        std::printf("%-44s %10.1f ms  cpu %8.1f ms", label.c_str(), ms, cpu);
        if (rawMs > 0) std::printf("   raw scan %8.1f ms   ratio %6.1f", rawMs, ms / rawMs);
        std::printf("\n");
        std::fflush(stdout);
    }
    void size(const std::string& label, double mb) {
        list.push_back({label, mb, 0, true});
        std::printf("%-44s %10.0f MB\n", label.c_str(), mb);
    }
    std::vector<Figure> list;

private:
    double cpu0_ = 0, cpu_ = 0, wall_ = 0;
    Clock::time_point wall0_;
};

// The generated registers of `sizes`, as zelt-init would write them. With a cache directory, each
// size is generated once and copied from there on later runs.
void makeDataDirectory(const zelt::demo::Sizes& sizes, int today, const fs::path& dir,
                       const std::optional<fs::path>& cache) {
    using namespace zelt;
    fs::remove_all(dir);
    fs::path target = dir;
    if (cache) {
        char name[96];
        std::snprintf(name, sizeof name, "m%d-f%d-o%d-i%d-a%g", sizes.minors, sizes.families, sizes.others,
                      sizes.institutions, sizes.archivedShare);
        target = *cache / name;
        if (fs::exists(target / "complete")) {
            fs::copy(target, dir, fs::copy_options::recursive);
            fs::remove(dir / "complete");
            return;
        }
        fs::remove_all(target);
    }
    fs::create_directories(target);
    // The generated records are made in a child process, so the memory measured later is the
    // program's own.
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        try {
            store::createTableTree(target, app::kTablePassword);
            init::writeDemo(target, app::kTablePassword, demo::generateDemo(sizes, 7, today));
        } catch (const std::exception& e) {
            std::cerr << "zelt-bench: " << zelt::app::clerkMessage(e) << "\n";
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw zelt::EngineError("generating the data failed");
    if (cache) {
        fs::copy(target, dir, fs::copy_options::recursive);
        std::ofstream(target / "complete") << "generated\n";
    }
}

// Times a menu item that writes a report as a .docx and adds its size to `documents`.
void timeReport(zelt::app::Application& a, QuietUi& ui, Figures& fig, const std::string& item, const std::string& label,
                std::string& documents) {
    fig.start();
    a.dispatch([&] { a.model().fire(item, "Click"); });
    fig.stop();
    fig.time(label);
    documents += std::string(documents.empty() ? "" : ", ") + label + " " + std::to_string(ui.documentBytes / 1024) +
                 " kB";
    ui.documentBytes = 0;
}

// The yearly reports over the archive, on a data directory whose registers are all archived: the
// quarter counts of the minors and of the parents, and the deregistration list of the families for
// the last whole year.
void runArchiveBench(const zelt::demo::Sizes& sizes, int today, const fs::path& dir,
                     const std::optional<fs::path>& cache, Figures& fig) {
    using namespace zelt;
    auto t0 = Clock::now();
    makeDataDirectory(sizes, today, dir, cache);
    std::printf("archive data directory %s: %d archived minors, %d archived families (made in %.0f ms)\n",
                dir.c_str(), sizes.minors, sizes.families, msSince(t0));
    QuietUi ui;
    ui.answer = std::to_string(civilFromSerial(today).year - 1);
    app::FixedClock clock(today);
    app::Application a(dir, ui, clock);
    a.start();
    std::string documents;
    a.dispatch([&] { a.model().fire("N49", "Click"); });
    timeReport(a, ui, fig, "N116", "quarter counts of archived minors", documents);
    a.dispatch([&] { a.model().fire("N50", "Click"); });
    timeReport(a, ui, fig, "N119", "quarter counts of archived parents", documents);
    timeReport(a, ui, fig, "N127", "yearly list of archived families", documents);
    std::printf("documents of the year %s: %s; %d errors\n", ui.answer->c_str(), documents.c_str(), ui.errors);
    a.stop();
}

// Runs every timed path once on a fresh data directory of `sizes`, and the archive's reports on one
// of `archive`.
Figures runBench(const zelt::demo::Sizes& sizes, const zelt::demo::Sizes& archive, const fs::path& dir,
                 const std::optional<fs::path>& cache) {
    using namespace zelt;
    Figures fig;
    const int today = *parseDate("10.12.2026");
    auto t0 = Clock::now();
    makeDataDirectory(sizes, today, dir, cache);
    // The statistical reports count against lists of this many values.
    bench::lengthenReportLists(dir, kReportListSize);
    std::printf("data directory %s: %d minors, %d families (made in %.0f ms)\n", dir.c_str(), sizes.minors,
                sizes.families, msSince(t0));

    QuietUi ui;
    app::FixedClock clock(today);
    app::Application a(dir, ui, clock);

    // Start-up, first with the note files still to be created, then as on every later day.
    for (const char* label : {"start-up (creating note files)", "start-up"}) {
        fig.start();
        a.start();
        fig.stop();
        fig.time(label, rawScanMs(dir / "ZELT/ZELT.db", "ZELT") + rawScanMs(dir / "SD/SD.db", "SD"));
        if (std::string(label) == "start-up") break;
        a.stop();
    }

    // The register commands with their statistics.
    for (const char* item : {"N49", "N50"}) {
        const bool minorsItem = std::string(item) == "N49";
        fig.start();
        a.dispatch([&] { a.model().fire(item, "Click"); });
        fig.stop();
        fig.time(std::string("register command ").append(item).append(" with statistics"),
                 rawScanMs(dir / (minorsItem ? "ZELT/ZELT.db" : "BDS/BDS.db"), minorsItem ? "ZELT" : "BDS"));
    }
    a.dispatch([&] { a.model().fire("N49", "Click"); });

    // Leaving the surname edit of the minors' card: capitalised and posted.
    // The first post after the start-up may also checkpoint the journal: time several.
    double first = 0, firstCpu = 0, best = 1e9, bestCpu = 0;
    for (int k = 0; k < 5; ++k) {
        fig.start();
        a.dispatch([&] {
            a.model().fire("DBEdit1", "Change", {"иванов"});
            a.model().fire("DBEdit1", "Exit");
        });
        fig.stop();
        if (k == 0) {
            first = fig.lastWall();
            firstCpu = fig.lastCpu();
        }
        if (fig.lastWall() < best) {
            best = fig.lastWall();
            bestCpu = fig.lastCpu();
        }
    }
    fig.time("leaving a control, first time", first, firstCpu, 0);
    fig.time("leaving a control (capitalise and post)", best, bestCpu, 0);

    store::Table& minors = a.mainWindow().table(store::TableId::ZELT);
    // Taking the current minor off the register, and bringing him back.
    minors.first();
    minors.edit();
    minors.setText("DCcU", "01.12.2026");
    minors.setText("OCcU", "Исправление");
    minors.post();
    fig.start();
    a.dispatch([&] { a.model().fire("BitBtn1", "Click"); });
    fig.stop();
    fig.time("moving a minor with his details to the archive");
    a.mainWindow().table(store::TableId::ArxivZELT).last();
    fig.start();
    a.dispatch([&] { a.model().fire("N118", "Click"); });
    fig.stop();
    fig.time("restoring him from the archive");

    fig.start();
    int n = 0;
    for (minors.first(); !minors.eof(); minors.next()) ++n;
    fig.stop();
    fig.time("walk of Table1 with hooks", rawScanMs(dir / "ZELT/ZELT.db", "ZELT"));

    fig.start();
    minors.setFilterText("(Zan='Школа')and(DKDN<>Null)");
    minors.setFiltered(true);
    const int count = minors.recordCount();
    fig.stop();
    fig.time("filtered record count", rawScanMs(dir / "ZELT/ZELT.db", "ZELT"));
    minors.setFilterText("");
    minors.setFiltered(false);

    // One minor with his details appended to the archive, as the archive move does.
    for (int k : {2, 3, 4, 5, 6, 7, 8}) a.mainWindow().table(k).open();
    minors.last();
    const long long sv = minors.asInteger("Sv");
    fig.start();
    minors.setFilterText("Sv=" + std::to_string(sv));
    minors.setFiltered(true);
    a.mainWindow().table(store::TableId::ArxivZELT).batchAppendFrom(minors);
    for (int k : {2, 3, 4}) a.mainWindow().table(k + 4).batchAppendFrom(a.mainWindow().table(k));
    minors.setFilterText("");
    minors.setFiltered(false);
    fig.stop();
    fig.time("batch append of one master with details");

    // Reports, typed and written as .docx: a card of the current record and the whole data bank.
    struct Report {
        const char* item;
        const char* what;
    };
    const Report reports[] = {{"N130", "minor's card"},
                              {"N155", "live minors' data bank"},
                              {"N131", "family card"},
                              {"N126", "families' data bank"}};
    std::string documents;
    for (const Report& r : reports) {
        if (std::string(r.item) == "N131") a.dispatch([&] { a.model().fire("N50", "Click"); });
        timeReport(a, ui, fig, r.item, std::string(r.what) + " to .docx", documents);
    }

    // The statistical reports, on the lists lengthened above.
    const Report statistics[] = {{"N156", "family control report"},
                                 {"N134", "minors' report"},
                                 {"N151", "registration reasons report"}};
    for (const Report& r : statistics) {
        a.dispatch([&] { a.model().fire(std::string(r.item) == "N156" ? "N50" : "N49", "Click"); });
        timeReport(a, ui, fig, r.item, std::string(r.what) + " to .docx", documents);
    }

    // The universal report of the minors with every choice of its picker ticked: from the menu item
    // to the document written when "Жми" closes the picker.
    a.dispatch([&] { a.model().fire("N49", "Click"); });
    fig.start();
    a.dispatch([&] {
        a.model().fire("N42", "Click");
        std::vector<bool>& ticks = a.model().get("TForm2.CheckListBox1").checked;
        ticks.assign(ticks.size(), true);
        a.model().fire("TForm2.BitBtn1", "Click");
    });
    fig.stop();
    const std::string universal =
        "universal report, " + std::to_string(a.model().get("TForm2.CheckListBox1").checked.size()) + " choices";
    fig.time(universal);
    documents += ", " + universal + " " + std::to_string(ui.documentBytes / 1024) + " kB";

    std::printf("documents: %s\n", documents.c_str());
    std::printf("walked %d minors; %d match the filter; %d errors\n", n, count, ui.errors);
    fig.size("peak resident memory", statusKb("VmHWM:") / 1024.0);
    std::printf("memory: resident now %ld MB, of it heap %ld MB\n", statusKb("VmRSS:") / 1024,
                statusKb("RssAnon:") / 1024);
    a.stop();
    if (archive.minors > 0 || archive.families > 0) runArchiveBench(archive, today, dir.string() + "-archive", cache, fig);
    return fig;
}

// Runs the statistical reports on a small register and compares them with the same reports
// counted by their rules taken literally; prints each result and returns how many differ.
int checkAgainstLiteral(const fs::path& dir, const std::optional<fs::path>& cache) {
    using namespace zelt;
    demo::Sizes sizes;
    sizes.minors = 2000;
    sizes.families = 2000;
    sizes.others = 10;
    sizes.institutions = 2;
    sizes.archivedShare = 0.0;
    const int today = *parseDate("10.12.2026");
    makeDataDirectory(sizes, today, dir, cache);
    bench::lengthenReportLists(dir, kReportListSize);
    QuietUi ui;
    app::FixedClock clock(today);
    app::Application a(dir, ui, clock);
    a.start();
    int differ = 0;
    for (const char* item : {"N134", "N151", "N156"}) {
        a.dispatch([&] { a.model().fire(std::string(item) == "N156" ? "N50" : "N49", "Click"); });
        a.dispatch([&] { a.model().fire(item, "Click"); });
        const std::string diff = ui.errors ? "an error was shown" : bench::literalDifference(a, item);
        std::printf("literal check of %s over %d minors, %d families: %s\n", item, sizes.minors, sizes.families,
                    diff.empty() ? "identical" : diff.c_str());
        differ += !diff.empty();
    }
    a.stop();
    return differ;
}

// Runs the benchmark in a child process, so each size has its own peak memory, and reads its
// figures back through a pipe.
std::vector<Figure> runInChild(const zelt::demo::Sizes& sizes, const zelt::demo::Sizes& archive, const fs::path& dir,
                               const std::optional<fs::path>& cache) {
    int fds[2];
    if (pipe(fds) != 0) throw zelt::EngineError("pipe failed");
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        int rc = 0;
        std::ostringstream out;
        try {
            for (const Figure& f : runBench(sizes, archive, dir, cache).list)
                out << f.label << '\t' << f.value << '\t' << f.raw << '\t' << (f.megabytes ? 1 : 0) << '\t' << f.cpu << '\n';
        } catch (const std::exception& e) {
            std::cerr << "zelt-bench: " << zelt::app::clerkMessage(e) << "\n";
            rc = 1;
        }
        const std::string text = out.str();
        for (size_t done = 0; done < text.size();) {
            const ssize_t w = write(fds[1], text.data() + done, text.size() - done);
            if (w <= 0) break;
            done += static_cast<size_t>(w);
        }
        std::fflush(stdout);
        _exit(rc);
    }
    close(fds[1]);
    std::string text;
    char buf[4096];
    for (ssize_t r; (r = read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(r));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw zelt::EngineError("the benchmark run failed");
    std::vector<Figure> figures;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        Figure f;
        int mb = 0;
        std::getline(fields, f.label, '\t');
        fields >> f.value >> f.raw >> mb >> f.cpu;
        f.megabytes = mb != 0;
        figures.push_back(f);
    }
    return figures;
}

void printGrowth(const zelt::demo::Sizes& small, const zelt::demo::Sizes& large, const std::vector<Figure>& a,
                 const std::vector<Figure>& b) {
    const std::string s = std::to_string(small.minors), l = std::to_string(large.minors);
    std::printf("\n%-44s %12s %12s %7s %12s %12s %7s %8s\n", "figure (times in ms)", s.c_str(), l.c_str(), "growth",
                ("cpu " + s).c_str(), ("cpu " + l).c_str(), "growth", "vs raw");
    const auto ratio = [](double x, double y) { return x > 0 ? y / x : 0.0; };
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        std::string label = a[i].label + (a[i].megabytes ? " (MB)" : "");
        std::printf("%-44s %12.1f %12.1f %6.1fx", label.c_str(), a[i].value, b[i].value, ratio(a[i].value, b[i].value));
        if (!a[i].megabytes)
            std::printf(" %12.1f %12.1f %6.1fx", a[i].cpu, b[i].cpu, ratio(a[i].cpu, b[i].cpu));
        if (b[i].raw > 0) std::printf(" %7.1fx", b[i].value / b[i].raw);
        std::printf("\n");
    }
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
    // Only archived records, for the reports over the archive.
    demo::Sizes archive;
    archive.minors = 100000;
    archive.families = 20000;
    archive.others = 0;
    archive.institutions = 0;
    archive.archivedShare = 1.0;
    fs::path dir = fs::temp_directory_path() / "zelt-bench";
    std::optional<fs::path> cache;
    bool growth = false;
    bool transferOnly = false;
    int transferSize = 10000, checkSize = 100000;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--growth") growth = true;
        else if (a == "--minors" && hasValue) sizes.minors = std::atoi(argv[++i]);
        else if (a == "--families" && hasValue) sizes.families = std::atoi(argv[++i]);
        else if (a == "--archived" && hasValue) sizes.archivedShare = std::atof(argv[++i]);
        else if (a == "--archived-minors" && hasValue) archive.minors = std::atoi(argv[++i]);
        else if (a == "--archived-families" && hasValue) archive.families = std::atoi(argv[++i]);
        else if (a == "--dir" && hasValue) dir = argv[++i];
        else if (a == "--cache" && hasValue) cache = fs::path(argv[++i]);
        else if (a == "--transfer") transferOnly = true;
        else if (a == "--transfer-size" && hasValue) transferSize = std::atoi(argv[++i]);
        else if (a == "--check-size" && hasValue) checkSize = std::atoi(argv[++i]);
        else {
            std::cerr << "usage: zelt-bench [--minors N] [--families N] [--archived SHARE] [--archived-minors N]\n"
                         "                  [--archived-families N] [--dir DIR] [--cache DIR] [--growth]\n"
                         "  --archived-minors, --archived-families  the archive-only data directory for the\n"
                         "            yearly reports (100000 and 20000; 0 and 0 leave those reports out)\n"
                         "  --growth  also runs a tenth of the sizes and prints each figure's growth\n"
                         "  --cache   keeps the generated data of each size in DIR and copies it from there\n"
                         "  --transfer [--transfer-size N] [--check-size N]  only the transfer (N minors and N\n"
                         "            families into registers of N each, 10000) and the register check (N live\n"
                         "            and N archived minors, 100000), with their literal comparisons\n";
            return 2;
        }
    }
    try {
        if (transferOnly) return bench::runTransferBench(dir.string() + "-transfer", transferSize, checkSize) == 0 ? 0 : 1;
        if (checkAgainstLiteral(dir.string() + "-literal", cache) != 0) return 1;
        if (!growth) {
            runBench(sizes, archive, dir, cache);
            return 0;
        }
        demo::Sizes small = sizes;
        small.minors = std::max(1, sizes.minors / 10);
        small.families = std::max(1, sizes.families / 10);
        demo::Sizes smallArchive = archive;
        smallArchive.minors = archive.minors / 10;
        smallArchive.families = archive.families / 10;
        const std::vector<Figure> a = runInChild(small, smallArchive, dir, cache);
        std::printf("\n");
        const std::vector<Figure> b = runInChild(sizes, archive, dir, cache);
        printGrowth(small, sizes, a, b);
    } catch (const std::exception& e) {
        std::cerr << "zelt-bench: " << zelt::app::clerkMessage(e) << "\n";
        return 1;
    }
    return 0;
}
