// A seeded random user at the keyboard and mouse of the desktop program: clicks anywhere, keys,
// menu items, context menus and answers to every dialog, each action written to a log so that a
// failure can be replayed from its seed.
#pragma once

#include "app/application.h"
#include "app/clock.h"
#include "ui/form_view.h"
#include "ui/qt_ui.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

class QWidget;

namespace zelt::monkey {

struct Options {
    uint64_t seed = 1;
    long actions = 1000000000;  // at most this many actions
    double seconds = 60;      // and for at most this long
    std::filesystem::path log;
};

// The dialogs of the desktop program, except that nothing outside it is started (no word
// processor, browser or text editor), and every text a box shows is kept for the English check.
class MonkeyUi : public ui::QtUi {
public:
    std::vector<std::string> englishTexts;  // texts shown to the user that contain English words
    std::function<void(const std::string&)> log;
    // While the run is being ended nobody is left to answer a box: each one shown then is logged
    // and taken as answered with OK at once, as the person at the desk would.
    bool answerAtOnce = false;

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    void openUrl(const std::string& url) override;
    void startEditor(const std::string& file) override;
    bool openDocument(const std::string& path) override;
    std::filesystem::path reportFolder() override;

    // Records `text` when it reads as English words rather than a name or a path.
    void checkText(const std::string& where, const std::string& text);
};

// True for a text with two Latin words in a row ("database is locked"): a file name, a field
// name or a lone Latin word in a Russian sentence is not English text.
bool looksEnglish(const std::string& text);

class Monkey {
public:
    Monkey(const std::filesystem::path& dataDir, Options options);
    ~Monkey();

    // Starts the program, acts until the actions or the time run out, closes every dialog and
    // stops the program. Returns the number of actions done.
    long run();

    const std::vector<std::string>& englishTexts() const { return ui_.englishTexts; }
    // Milliseconds since the last action began, for the hang watchdog (read from another thread).
    int64_t msSinceLastAction() const;
    const std::filesystem::path& logPath() const { return options_.log; }

private:
    void startProgram();
    void stopProgram();
    void tick();
    bool gridsPending() const;
    void actOnPopup(QWidget* popup);
    void actOnDialog(QWidget* dialog);
    void actOnWindow(QWidget* window);
    void clickSomewhere(QWidget* window);
    void pressKey(QWidget* target);
    void chooseMenuItem();
    void chooseTab(QWidget* window);
    void write(const std::string& line);
    int pick(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    std::filesystem::path dataDir_;
    Options options_;
    app::SystemClock dayClock_;
    std::mt19937_64 rng_;
    std::ofstream logFile_;
    MonkeyUi ui_;
    std::unique_ptr<app::Application> program_;
    std::unique_ptr<ui::FormView> view_;
    QObject actions_;         // the context of the action timers: none fires after the monkey is gone
    QElapsedTimer clock_;
    std::atomic<int64_t> lastAction_{0};
    long done_ = 0;
    int depth_ = 0;          // nested ticks: dialogs and menus run event loops inside actions
    bool finished_ = false;
    bool stopping_ = false;  // out of actions: only close what is open
    bool restart_ = false;   // the program ended itself ("Выход"); start it again
};

}  // namespace zelt::monkey
