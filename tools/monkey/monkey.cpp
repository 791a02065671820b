#include "monkey/monkey.h"

#include "ui/grid_model.h"
#include "ui/qt_text.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <iostream>
#include <regex>

namespace zelt::monkey {
namespace {

const char* const kCyrillic = "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
const char* const kLatin = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
};

const Key kKeys[] = {
    {Qt::Key_Tab, Qt::NoModifier, "Tab"},          {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
    {Qt::Key_Return, Qt::NoModifier, "Enter"},     {Qt::Key_Escape, Qt::NoModifier, "Escape"},
    {Qt::Key_Delete, Qt::NoModifier, "Delete"},    {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
    {Qt::Key_Left, Qt::NoModifier, "Left"},        {Qt::Key_Right, Qt::NoModifier, "Right"},
    {Qt::Key_Up, Qt::NoModifier, "Up"},            {Qt::Key_Down, Qt::NoModifier, "Down"},
    {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},    {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
    {Qt::Key_Home, Qt::NoModifier, "Home"},        {Qt::Key_End, Qt::NoModifier, "End"},
    {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},    {Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
    {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},    {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
    {Qt::Key_F2, Qt::NoModifier, "F2"},            {Qt::Key_Space, Qt::NoModifier, "Space"},
};

// What a log line calls a widget: its control name, or its class and the control it lies in.
std::string nameOf(const QWidget* w) {
    std::string out = w ? w->metaObject()->className() : "null";
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith("qt_")) {
            out = (p == w ? "" : out + " in ") + p->objectName().toStdString();
            break;
        }
    return out;
}

bool usable(const QWidget* w) { return w && w->isVisible() && w->isEnabled(); }

}  // namespace

// ------------------------------------------------------------------------------------ dialogs

bool looksEnglish(const std::string& text) {
    static const std::regex twoWords("[A-Za-z]{2,} +[A-Za-z]{2,}");
    return std::regex_search(text, twoWords);
}

void MonkeyUi::checkText(const std::string& where, const std::string& text) {
    if (looksEnglish(text)) englishTexts.push_back(where + ": " + text);
}

void MonkeyUi::message(const std::string& text) {
    if (log) log("  message box: " + text);
    checkText("message", text);
    if (!answerAtOnce) QtUi::message(text);
}

void MonkeyUi::error(const std::string& text) {
    if (log) log("  error box: " + text);
    checkText("error", text);
    if (!answerAtOnce) QtUi::error(text);
}

void MonkeyUi::openUrl(const std::string& url) {
    if (log) log("  open link: " + url);
}

void MonkeyUi::startEditor(const std::string& file) {
    if (log) log("  text editor: " + file);
}

bool MonkeyUi::openDocument(const std::string& path) {
    if (log) log("  document: " + path);
    return true;
}

std::filesystem::path MonkeyUi::reportFolder() { return std::filesystem::temp_directory_path(); }

// ------------------------------------------------------------------------------------- monkey

Monkey::Monkey(const std::filesystem::path& dataDir, Options options)
    : dataDir_(dataDir), options_(std::move(options)), rng_(options_.seed) {
    if (!options_.log.empty()) logFile_.open(options_.log, std::ios::trunc);
    ui_.log = [this](const std::string& line) { write(line); };
}

Monkey::~Monkey() { stopProgram(); }

int64_t Monkey::msSinceLastAction() const {
    return clock_.isValid() ? clock_.elapsed() - lastAction_.load() : 0;
}

void Monkey::write(const std::string& line) {
    if (!logFile_.is_open()) return;
    logFile_ << line << '\n';
    logFile_.flush();  // a crash must not lose the last actions
}

void Monkey::startProgram() {
    write("start the program");
    program_ = std::make_unique<app::Application>(dataDir_, ui_, dayClock_);
    program_->start();
    if (!program_->running()) return;
    view_ = std::make_unique<ui::FormView>(*program_);
    ui_.attach(program_.get(), view_.get());
    view_->onMainClosed = [this] { restart_ = true; };
    view_->showMain();
}

void Monkey::stopProgram() {
    if (!program_) return;
    write("stop the program");
    ui_.answerAtOnce = true;
    if (view_) view_->detach();
    ui_.attach(nullptr, nullptr);
    if (program_->running()) program_->stop();
    view_.reset();
    program_.reset();
    ui_.answerAtOnce = false;
}

long Monkey::run() {
    clock_.start();
    lastAction_ = 0;
    write("seed " + std::to_string(options_.seed));
    startProgram();
    QTimer::singleShot(0, &actions_, [this] { tick(); });
    QApplication::exec();
    stopProgram();
    return done_;
}

void Monkey::tick() {
    // Dialogs and menus run event loops of their own inside an action; the next actions answer
    // them from there. A runaway nesting would mean a dialog that opens dialogs without end.
    // Qt never fires a timer again while its handler runs, so each action arms a new one: a dialog
    // that opens inside this action is answered by the next.
    if (finished_) return;
    QTimer::singleShot(0, &actions_, [this] { tick(); });
    if (depth_ > 30) return;
    QWidget* popup = QApplication::activePopupWidget();
    QWidget* modal = QApplication::activeModalWidget();
    // A handler that lets the window repaint during a long loop takes no user input there; only
    // a dialog's or a menu's own event loop does.
    if (depth_ > 0 && !popup && !modal) return;
    // A person acts on what the screen shows: a grid whose table has just changed is drawn anew first.
    if (depth_ == 0 && gridsPending()) return;
    ++depth_;
    lastAction_ = clock_.elapsed();
    if (done_ >= options_.actions || clock_.elapsed() > options_.seconds * 1000) stopping_ = true;
    if (stopping_) {
        // Out of actions: close what is open, innermost first, then end the run.
        if (popup) {
            write("close the menu");
            popup->close();
        } else if (modal) {
            write("close the dialog " + nameOf(modal));
            modal->close();
        } else if (depth_ == 1) {
            finished_ = true;
            QApplication::quit();
        }
        --depth_;
        return;
    }
    if (restart_ && depth_ == 1 && !popup && !modal) {
        restart_ = false;
        stopProgram();
        startProgram();
        --depth_;
        return;
    }
    if (!program_ || !program_->running() || !view_) {
        restart_ = true;
        --depth_;
        return;
    }
    ++done_;
    logFile_ << "#" << done_ << " ";
    if (popup) {
        actOnPopup(popup);
    } else if (modal) {
        actOnDialog(modal);
    } else {
        QWidget* window = QApplication::activeWindow();
        if (!window || chance(5)) window = view_->mainWindow();
        if (window) actOnWindow(window);
    }
    --depth_;
}

bool Monkey::gridsPending() const {
    if (!view_ || !program_ || !program_->running()) return false;
    for (const auto& c : program_->model().controls())
        if (c->kind == app::ControlKind::Grid)
            if (const ui::TableGridModel* rows = view_->gridModel(c->name); rows && rows->refreshPending()) return true;
    return false;
}

void Monkey::actOnPopup(QWidget* popup) {
    if (chance(10)) {
        clickSomewhere(popup);
        return;
    }
    static const Key keys[] = {{Qt::Key_Down, Qt::NoModifier, "Down"},     {Qt::Key_Down, Qt::NoModifier, "Down"},
                               {Qt::Key_Down, Qt::NoModifier, "Down"},     {Qt::Key_Up, Qt::NoModifier, "Up"},
                               {Qt::Key_Return, Qt::NoModifier, "Enter"},  {Qt::Key_Return, Qt::NoModifier, "Enter"},
                               {Qt::Key_Escape, Qt::NoModifier, "Escape"}, {Qt::Key_Right, Qt::NoModifier, "Right"},
                               {Qt::Key_Left, Qt::NoModifier, "Left"}};
    const Key& k = keys[pick(static_cast<int>(std::size(keys)))];
    write(std::string("menu key ") + k.name + " in " + nameOf(popup));
    QTest::keyClick(popup, k.key, k.modifiers);
}

void Monkey::actOnDialog(QWidget* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        ui_.checkText("box", ui::fromQt(box->text()));
        for (QAbstractButton* b : box->buttons()) ui_.checkText("box button", ui::fromQt(b->text()));
    }
    const int roll = pick(100);
    if (roll < 40) {
        std::vector<QAbstractButton*> buttons;
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            if (usable(b)) buttons.push_back(b);
        if (!buttons.empty()) {
            QAbstractButton* b = buttons[static_cast<size_t>(pick(static_cast<int>(buttons.size())))];
            write("press " + ui::fromQt(b->text()) + " in " + nameOf(dialog));
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    }
    if (roll < 55) {
        write("Enter in " + nameOf(dialog));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_Return);
    } else if (roll < 70) {
        write("Escape in " + nameOf(dialog));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_Escape);
    } else if (roll < 95) {
        pressKey(dialog);
    } else {
        write("close box of " + nameOf(dialog));
        dialog->close();
    }
}

void Monkey::actOnWindow(QWidget* window) {
    const int roll = pick(100);
    if (roll < 40) clickSomewhere(window);
    else if (roll < 72) pressKey(window);
    else if (roll < 88) chooseMenuItem();
    else chooseTab(window);
}

void Monkey::clickSomewhere(QWidget* window) {
    const QPoint at(pick(window->width()), pick(window->height()));
    QWidget* target = window->childAt(at);
    if (!target) target = window;
    const QPoint local = target->mapFrom(window, at);
    const int roll = pick(100);
    if (roll < 82) {
        write("click " + nameOf(target) + " at " + std::to_string(local.x()) + "," + std::to_string(local.y()));
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, local);
    } else if (roll < 92) {
        write("right click " + nameOf(target) + " at " + std::to_string(local.x()) + "," + std::to_string(local.y()));
        QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, local);
        if (target) {
            // A right button that is pressed and released asks for the context menu as well.
            QContextMenuEvent menu(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
            QApplication::sendEvent(target, &menu);
        }
    } else {
        write("double click " + nameOf(target) + " at " + std::to_string(local.x()) + "," + std::to_string(local.y()));
        QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, local);
    }
}

void Monkey::pressKey(QWidget* window) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != window->window()) target = window;
    const int roll = pick(100);
    if (roll < 45) {
        // A word, as a clerk types one: letters of one alphabet, sometimes a digit.
        const QString letters = QString::fromUtf8(chance(70) ? kCyrillic : kLatin);
        QString word;
        const int length = 1 + pick(8);
        for (int i = 0; i < length; ++i)
            word += chance(10) ? QChar(u'0' + pick(10)) : letters[pick(static_cast<int>(letters.size()))];
        write("type \"" + word.toStdString() + "\" into " + nameOf(target));
        for (const QChar ch : word) {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            // A key may end the action (a dialog opened, the window closed): stop typing then.
            if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || !view_) return;
            target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        }
        return;
    }
    const Key& k = kKeys[pick(static_cast<int>(std::size(kKeys)))];
    write(std::string("key ") + k.name + " in " + nameOf(target));
    QTest::keyClick(target, k.key, k.modifiers);
}

void Monkey::chooseMenuItem() {
    // Every item the user can reach in the menu bar: visible, enabled, with its menus visible too.
    std::vector<std::string> items;
    const app::FormModel& model = program_->model();
    for (const auto& c : model.controls()) {
        if (c->kind != app::ControlKind::MenuItem || !c->visible || !c->enabled) continue;
        if (!model.childrenOf(c->name).empty()) continue;
        bool reachable = true;
        for (const app::Control* p = model.find(c->parent); p && reachable; p = model.find(p->parent)) {
            if (p->kind == app::ControlKind::Form) break;
            reachable = p->visible && p->enabled;
        }
        // "Выход" ends the program (and the run starts it again): now and then, not as often as the rest.
        if (c->name == "N4" && !chance(3)) continue;
        if (reachable && view_->action(c->name)) items.push_back(c->name);
    }
    if (items.empty()) return;
    const std::string name = items[static_cast<size_t>(pick(static_cast<int>(items.size())))];
    write("menu " + name + " " + model.get(name).caption);
    view_->action(name)->trigger();
}

void Monkey::chooseTab(QWidget* window) {
    std::vector<QTabBar*> bars;
    for (QTabBar* b : window->findChildren<QTabBar*>())
        if (usable(b) && b->count() > 0) bars.push_back(b);
    if (bars.empty()) {
        clickSomewhere(window);
        return;
    }
    QTabBar* bar = bars[static_cast<size_t>(pick(static_cast<int>(bars.size())))];
    const int index = pick(bar->count());
    if (!bar->isTabVisible(index) || !bar->isTabEnabled(index)) return;
    write("tab " + ui::fromQt(bar->tabText(index)) + " of " + nameOf(bar));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

}  // namespace zelt::monkey
