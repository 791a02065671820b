// zelt-monkey: drives the desktop program with seeded random input on a data directory (demo data
// made there when it holds no registry yet, or always with --fresh), then checks that every table file is sound.
//   zelt-monkey [--seed S] [--actions N] [--seconds T] [--hang T] [--log FILE] [--fresh] DIR
// Exits 0 when the program neither crashed nor hung, no box showed English text and the registry
// check found nothing; the log names every action, so a failure replays from its seed.
#include "app/main_window.h"
#include "check/registry_check.h"
#include "demo/demo_data.h"
#include "init/demo_writer.h"
#include "monkey/monkey.h"
#include "store/tree_init.h"
#include "ui/qt_ui.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

namespace {

// The offscreen platform says at every window what it cannot do; nothing else of Qt's is dropped.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support")) return;
    std::cerr << qFormatLogMessage(type, context, text).toStdString() << std::endl;
}

int usage() {
    std::cerr << "usage: zelt-monkey [--seed S] [--actions N] [--seconds T] [--hang T] [--log FILE] [--fresh] DIR\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelt;
    monkey::Options options;
    double hangSeconds = 60;
    bool fresh = false;  // start from new demo data, whatever the directory holds
    std::filesystem::path dir;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            const bool hasValue = i + 1 < argc;
            if (a == "--seed" && hasValue) options.seed = std::stoull(argv[++i]);
            else if (a == "--actions" && hasValue) options.actions = std::stol(argv[++i]);
            else if (a == "--seconds" && hasValue) options.seconds = std::stod(argv[++i]);
            else if (a == "--hang" && hasValue) hangSeconds = std::stod(argv[++i]);
            else if (a == "--fresh") fresh = true;
            else if (a == "--log" && hasValue) options.log = std::filesystem::absolute(argv[++i]);
            else if (a.rfind("--", 0) != 0 && dir.empty()) dir = a;
            else return usage();
        }
    } catch (const std::exception&) {
        return usage();
    }
    if (dir.empty()) return usage();
    if (fresh) std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    dir = std::filesystem::canonical(dir);
    if (!std::filesystem::exists(dir / "ZELT" / "ZELT.db")) {
        demo::Sizes sizes;
        sizes.minors = 150;
        sizes.families = 60;
        sizes.others = 30;
        sizes.institutions = 8;
        store::createTableTree(dir, app::kTablePassword);
        init::writeDemo(dir, app::kTablePassword,
                        demo::generateDemo(sizes, static_cast<unsigned>(options.seed), app::SystemClock().today()));
    }
    // The program's data directory is its working directory; reports go to a folder of the run's own.
    std::filesystem::current_path(dir);
    std::filesystem::create_directories(dir / "tmp");
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);

    qInstallMessageHandler(quietPlatform);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication qt(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::installRussianQtTexts();

    std::cout << "monkey: seed " << options.seed << ", at most " << options.actions << " actions in "
              << options.seconds << " s, data " << dir.string() << ", log " << options.log.string() << std::endl;
    monkey::Monkey monkey(dir, options);
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        while (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            if (monkey.msSinceLastAction() > hangSeconds * 1000) {
                std::cerr << "monkey: the program hangs: no action for " << hangSeconds << " s; seed "
                          << options.seed << ", see the end of " << options.log.string() << std::endl;
                std::_Exit(3);
            }
        }
    });
    const long actions = monkey.run();
    finished = true;
    watchdog.join();

    int failures = 0;
    for (const std::string& t : monkey.englishTexts()) {
        std::cerr << "monkey: English text shown to the user: " << t << std::endl;
        ++failures;
    }
    for (const std::string& p : check::checkRegistry(dir)) {
        std::cerr << "monkey: registry check: " << p << std::endl;
        ++failures;
    }
    std::cout << "monkey: " << actions << " actions, seed " << options.seed << ", "
              << (failures ? std::to_string(failures) + " problems" : std::string("no problems")) << std::endl;
    return failures ? 1 : 0;
}
