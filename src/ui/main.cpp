// zelt: the desktop program. The data directory is the current working directory; the program
// reads no command line.
#include "app/application.h"
#include "app/clock.h"
#include "ui/form_view.h"
#include "ui/qt_ui.h"

#include <QApplication>

#include <filesystem>

int main(int, char** argv) {
    using namespace zelt;
    // Qt would otherwise take options from the command line.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication qt(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);

    ui::installRussianQtTexts();

    ui::QtUi dialogs;
    app::SystemClock clock;
    app::Application program(std::filesystem::current_path(), dialogs, clock);
    program.start();
    if (!program.running()) return 0;

    ui::FormView view(program);
    dialogs.attach(&program, &view);
    view.onMainClosed = [] { QApplication::quit(); };
    view.showMain();
    const int rc = QApplication::exec();

    view.detach();
    dialogs.attach(nullptr, nullptr);
    if (program.running()) program.stop();
    return rc;
}
