// zelt-init: creates a complete empty table tree in a data directory with every list file in place
// (empty), and with --demo fills it with generated registers, pick lists, phrase lists and note files.
#include "app/clock.h"
#include "app/main_window.h"
#include "app/store_messages.h"
#include "base/date.h"
#include "base/error.h"
#include "demo/demo_data.h"
#include "init/demo_writer.h"
#include "init/list_files.h"
#include "store/tree_init.h"
#include "version_option.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: zelt-init [--demo] [--minors N] [--families N] [--others N] [--institutions N]\n"
                 "                 [--seed S] [--today DD.MM.YYYY] DIR\n"
                 "       zelt-init --version\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelt;
    if (printedVersion(argc, argv, "zelt-init")) return 0;
    bool demoData = false;
    demo::Sizes sizes;
    unsigned seed = 1;
    int today = app::SystemClock().today();
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const auto count = [&](int& target) {
            const char* v = value();
            if (!v || std::atoi(v) < 0) return false;
            target = std::atoi(v);
            return true;
        };
        if (a == "--demo") demoData = true;
        else if (a == "--minors") { if (!count(sizes.minors)) return usage(); }
        else if (a == "--families") { if (!count(sizes.families)) return usage(); }
        else if (a == "--others") { if (!count(sizes.others)) return usage(); }
        else if (a == "--institutions") { if (!count(sizes.institutions)) return usage(); }
        else if (a == "--seed") { const char* v = value(); if (!v) return usage(); seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10)); }
        else if (a == "--today") {
            const char* v = value();
            const auto d = v ? parseDate(v) : std::nullopt;
            if (!d) return usage();
            today = *d;
        } else if (!a.empty() && a[0] == '-') return usage();
        else if (dir.empty()) dir = a;
        else return usage();
    }
    if (dir.empty()) return usage();
    try {
        std::filesystem::create_directories(dir);
        store::createTableTree(dir, app::kTablePassword);
        std::cout << "Создано дерево таблиц в " << dir << "\n";
        if (demoData) {
            const demo::DemoData data = demo::generateDemo(sizes, seed, today);
            const init::WriteCounts c = init::writeDemo(dir, app::kTablePassword, data);
            std::cout << "Демонстрационные данные: " << c.live << " записей на учёте, " << c.archived << " в архиве, "
                      << c.details << " подчинённых записей, " << c.notes << " файлов оперативной информации, "
                      << c.listFiles << " файлов списков\n";
        }
        // The lists the demo does not fill, and all of them in an empty directory, are there to edit
        // before the first start.
        init::createEmptyListFiles(dir);
    } catch (const std::exception& e) {
        std::cerr << "zelt-init: " << app::clerkMessage(e) << "\n";
        return 1;
    }
    return 0;
}
