// zelt-screenshots: the pictures of the clerks' guide, made from the real windows on generated demo
// data, so that they can be made again whenever the windows change.
//   zelt-screenshots OUTPUT-DIR
// Runs the desktop program offscreen (QT_QPA_PLATFORM=offscreen is set when no platform is chosen)
// and writes one PNG per task of the guide. A window that this build does not have yet (no
// controls in it) is skipped with a note; any other picture that cannot be made fails the run.
#include "screenshots/shots.h"

#include "app/application.h"
#include "app/clock.h"
#include "base/date.h"
#include "demo/demo_data.h"
#include "init/demo_writer.h"
#include "init/list_files.h"
#include "store/tree_init.h"
#include "ui/form_view.h"
#include "ui/qt_ui.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <iostream>

int main(int argc, char** argv) {
    using namespace zelt;
    if (argc != 2) {
        std::cerr << "usage: zelt-screenshots OUTPUT-DIR\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication qt(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::installRussianQtTexts();

    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(out)) {
        std::cerr << "zelt-screenshots: cannot create " << argv[1] << "\n";
        return 1;
    }
    QTemporaryDir data;
    if (!data.isValid()) {
        std::cerr << "zelt-screenshots: no temporary directory\n";
        return 1;
    }
    // The same registers every time: fixed sizes, seed and date.
    const int today = *parseDate(screenshots::kToday);
    const std::filesystem::path dir = data.path().toStdString();
    try {
        store::createTableTree(dir, app::kTablePassword);
        demo::Sizes sizes;
        sizes.minors = 80;
        sizes.families = 50;
        sizes.others = 20;
        sizes.institutions = 8;
        init::writeDemo(dir, app::kTablePassword, demo::generateDemo(sizes, 7, today));
        init::createEmptyListFiles(dir);
    } catch (const std::exception& e) {
        std::cerr << "zelt-screenshots: " << e.what() << "\n";
        return 1;
    }

    ui::QtUi dialogs;
    app::FixedClock clock(today);
    app::Application program(dir, dialogs, clock);
    program.start();
    if (!program.running()) {
        std::cerr << "zelt-screenshots: the program did not start on the demo data\n";
        return 1;
    }
    int failures = 0;
    {
        ui::FormView view(program);
        dialogs.attach(&program, &view);
        view.showMain();
        failures = screenshots::takeAll(program, view, out);
        view.detach();
        dialogs.attach(nullptr, nullptr);
    }
    program.stop();
    return failures == 0 ? 0 : 1;
}
