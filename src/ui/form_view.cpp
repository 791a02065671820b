#include "ui/form_view.h"

#include "store/table.h"
#include "ui/control_adapters.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <set>

namespace zelt::ui {

using app::Control;
using app::ControlKind;
using app::EventArgs;

namespace {

// Events that start a command which may take a while (a register, a report, an archive move, a
// re-sort); typing, leaving a field and moving the mouse do not.
bool isCommand(const Control& c, const std::string& event) {
    if (event == "Change") return c.kind == ControlKind::PageControl;
    return event == "Click" || event == "DblClick" || event == "TitleClick" || event == "Select";
}

// Windows with the thin caption of a tool window.
const std::set<std::string> kToolWindows = {"TForm2", "TForm3", "TForm4", "TForm5", "TForm7"};

}  // namespace

// ------------------------------------------------------------------------------------------ life

FormView::FormView(app::Application& app) : app_(app) {
    reportTimer_.setSingleShot(true);
    reportTimer_.setInterval(0);
    QObject::connect(&reportTimer_, &QTimer::timeout, &reportTimer_, [this] { showReported(); });
    if (!app_.forms().empty()) mainForm_ = app_.forms().front();
    app::FormModel& model = app_.model();
    // The main window first: the other windows are its children.
    std::vector<const Control*> forms;
    for (const auto& c : model.controls())
        if (c->kind == ControlKind::Form && c->parent.empty()) forms.push_back(c.get());
    std::stable_partition(forms.begin(), forms.end(), [this](const Control* f) { return f->name == mainForm_; });
    for (const Control* f : forms) buildWindow(*f);
    for (const auto& c : model.controls()) apply(*c);
    model.setObserver([this](const Control& c) {
        if (attached_) apply(c);
    });
}

FormView::~FormView() {
    detach();
    for (auto& [name, w] : windows_)
        if (w && w != main_) delete w.data();
    delete main_.data();
}

void FormView::detach() {
    if (!attached_) return;
    attached_ = false;
    if (app_.running()) app_.model().setObserver(nullptr);
    for (auto& [name, item] : items_)
        if (item.grid) item.grid->detach();
}

QWidget* FormView::window(const std::string& form) const {
    const auto it = windows_.find(form);
    return it == windows_.end() ? nullptr : it->second.data();
}

QMainWindow* FormView::mainWindow() const { return main_.data(); }

QWidget* FormView::widget(const std::string& control) const {
    const auto it = items_.find(control);
    if (it == items_.end()) return nullptr;
    if (it->second.menu) return it->second.menu.data();
    return it->second.widget.data();
}

QAction* FormView::action(const std::string& control) const {
    const auto it = items_.find(control);
    return it == items_.end() ? nullptr : it->second.action.data();
}

TableGridModel* FormView::gridModel(const std::string& grid) const {
    const auto it = items_.find(grid);
    return it == items_.end() ? nullptr : it->second.grid;
}

Control* FormView::control(const std::string& name) {
    if (!attached_ || !app_.running()) return nullptr;
    return app_.model().find(name);
}

// -------------------------------------------------------------------------------------- windows

void FormView::buildWindow(const Control& form) {
    QWidget* content = nullptr;
    if (form.name == mainForm_) {
        auto* frame = new MainFrame;
        frame->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        frame->onClose = [this] {
            if (attached_) finishGridEditing();
            if (onMainClosed) onMainClosed();
        };
        main_ = frame;
        windows_[form.name] = frame;
        buildMenu(form.name, frame->menuBar());
        content = new QWidget(frame);
        frame->setCentralWidget(content);
        buildContainer(form.name, content, true);
        content->layout()->setContentsMargins(2, 2, 2, 0);
        for (Control* c : app_.model().childrenOf(form.name))
            if (c->kind == ControlKind::StatusBar) buildStatusBar(*c, frame->statusBar());
    } else {
        auto* dialog = new FormDialog(main_);
        const bool tool = kToolWindows.count(form.name) != 0;
        dialog->setWindowFlags((tool ? Qt::Tool : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint);
        const std::string name = form.name;
        dialog->onUserClose = [this, name] { userClosedForm(name); };
        windows_[form.name] = dialog;
        if (form.name == "TForm6")
            buildButtonColumnWindow(form.name, dialog);
        else
            buildContainer(form.name, dialog, true);
        bool hasMenu = false;
        for (Control* c : app_.model().childrenOf(form.name)) hasMenu |= c->kind == ControlKind::Menu;
        if (hasMenu) {
            auto* bar = new QMenuBar(dialog);
            buildMenu(form.name, bar);
            dialog->layout()->setMenuBar(bar);
        }
    }
    Item item;
    item.kind = ControlKind::Form;
    item.widget = windows_[form.name];
    items_[form.name] = item;
}

namespace {

// Every window of the program opens in the middle of the desktop, as the registry's windows did;
// a small window (a picker, the progress window) is then where the eye is.
void centreOnScreen(QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect avail = screen->availableGeometry();
    // A window never shown has no size of its own yet: it will open at its size hint.
    const QSize size = w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint().expandedTo(w->minimumSize());
    if (!w->testAttribute(Qt::WA_Resized)) w->resize(size);
    w->move(avail.center() - QPoint(size.width() / 2, size.height() / 2));
}

}  // namespace

void FormView::showMain() {
    if (!main_) return;
    const Control* f = control(mainForm_);
    const int w = f && f->width > 0 ? f->width : 970;
    const int h = f && f->height > 0 ? f->height : 687;
    // The client area excludes the menu bar, as on the desktop the program was made for.
    main_->setFixedSize(w, h + main_->menuBar()->sizeHint().height());
    centreOnScreen(main_.data());
    main_->show();
}

void FormView::showForm(const std::string& form, bool modal) {
    if (form == mainForm_) {
        if (main_ && !main_->isVisible()) showMain();
        return;
    }
    auto* dialog = qobject_cast<FormDialog*>(window(form));
    if (!dialog) return;
    if (control(form)) app_.model().setVisible(form, true);
    if (!dialog->isVisible()) centreOnScreen(dialog);
    if (modal) {
        if (dialog->isVisible()) dialog->hide();
        modalRuns_.insert(form);
        const NormalCursor pointer;
        dialog->exec();
        modalRuns_.erase(form);
    } else {
        dialog->setModal(false);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    }
}

void FormView::userClosedForm(const std::string& form) {
    if (!attached_) return;
    fire(form, "Close");
    if (const Control* f = control(form); f && f->visible) app_.model().setVisible(form, false);
    // After a modal run the services do this; a window shown alone hands back to the main window here.
    if (!modalRuns_.count(form) && app_.running()) app_.mainWindow().formActivate();
}

void FormView::applyForm(const Control& c, Item& it) {
    QWidget* w = it.widget;
    if (!w) return;
    w->setWindowTitle(toQt(c.caption));
    if (c.name == mainForm_) {
        if (!c.visible && main_ && main_->isVisible()) {
            // The main window closes once the current event is over.
            QTimer::singleShot(0, main_.data(), [frame = main_] {
                if (frame) frame->close();
            });
        }
        return;
    }
    auto* dialog = qobject_cast<FormDialog*>(w);
    if (!dialog) return;
    // A window made at a size keeps it; what its content cannot fit is wrapped or cut inside.
    if (c.width > 0 && c.height > 0) dialog->setFixedSize(c.width, c.height);
    if (!c.visible) {
        dialog->closeFromModel();
    } else if (!dialog->isVisible()) {
        // Shown from the model: if no modal run claims the window meanwhile, it opens by itself.
        const std::string name = c.name;
        QTimer::singleShot(0, dialog, [this, name, dialog] {
            const Control* f = control(name);
            if (f && f->visible && !dialog->isVisible()) showForm(name, false);
        });
    }
}

// ----------------------------------------------------------------------------------------- menus

void FormView::buildMenu(const std::string& owner, QWidget* barWidget) {
    auto* bar = qobject_cast<QMenuBar*>(barWidget);
    if (!bar) return;
    for (Control* c : app_.model().childrenOf(owner)) {
        if (c->kind != ControlKind::Menu && c->kind != ControlKind::MenuItem && c->kind != ControlKind::Separator)
            continue;
        addMenuEntry(*c, nullptr, bar);
    }
}

// Adds a menu, item or separator to `menu`, or to the menu bar when `menu` is null.
void FormView::addMenuEntry(const Control& c, QMenu* menu, QWidget* barWidget) {
    auto* bar = qobject_cast<QMenuBar*>(barWidget);
    const std::string name = c.name;
    Item item;
    item.kind = c.kind;
    const auto children = app_.model().childrenOf(c.name);
    if (c.kind == ControlKind::Separator) {
        item.action = menu ? menu->addSeparator() : bar->addSeparator();
    } else if (c.kind == ControlKind::Menu || !children.empty()) {
        QMenu* sub = menu ? menu->addMenu(menuText(c.caption)) : bar->addMenu(menuText(c.caption));
        sub->setToolTipsVisible(true);
        item.menu = sub;
        item.action = sub->menuAction();
        // Opening a drop-down menu is its click.
        QObject::connect(sub, &QMenu::aboutToShow, sub, [this, name] { fire(name, "Click"); });
        items_[name] = item;
        for (Control* child : children) addMenuEntry(*child, sub, nullptr);
        return;
    } else {
        item.action = menu ? menu->addAction(menuText(c.caption)) : bar->addAction(menuText(c.caption));
        QObject::connect(item.action.data(), &QAction::triggered, item.action.data(), [this, name] { fire(name, "Click"); });
    }
    item.action->setData(toQt(name));
    items_[name] = item;
}

void FormView::fillMenu(QMenu* menu, const std::string& owner) {
    for (Control* c : app_.model().childrenOf(owner)) {
        if (!c->visible) continue;
        if (c->kind == ControlKind::Separator) {
            menu->addSeparator();
        } else if (c->kind == ControlKind::MenuItem) {
            if (!app_.model().childrenOf(c->name).empty()) {
                QMenu* sub = menu->addMenu(menuText(c->caption));
                sub->setEnabled(c->enabled);
                fillMenu(sub, c->name);
            } else {
                QAction* a = menu->addAction(menuText(c->caption));
                a->setEnabled(c->enabled);
                a->setData(toQt(c->name));
            }
        }
    }
}

QMenu* FormView::buildPopup(const std::string& popupMenu, QWidget* parent) {
    fire(popupMenu, "Popup");
    if (!control(popupMenu)) return nullptr;
    auto* menu = new QMenu(parent);
    fillMenu(menu, popupMenu);
    return menu;
}

void FormView::attachPopup(const Control& c, QWidget* w) {
    const std::string name = c.name;
    QObject::connect(w, &QWidget::customContextMenuRequested, w, [this, name, w](const QPoint& pos) {
        const Control* ctl = control(name);
        if (!ctl || ctl->popupMenu.empty()) return;
        // Scroll areas report the position in their viewport.
        auto* area = qobject_cast<QAbstractScrollArea*>(w);
        const QPoint global = area ? area->viewport()->mapToGlobal(pos) : w->mapToGlobal(pos);
        const std::string popup = ctl->popupMenu;
        std::unique_ptr<QMenu> menu(buildPopup(popup, w));
        if (!menu || menu->isEmpty()) return;
        QAction* chosen = menu->exec(global);
        if (chosen && attached_) fire(fromQt(chosen->data().toString()), "Click");
    });
}

// ---------------------------------------------------------------------------------- model → view

void FormView::selectTab(const Control& pageControl) {
    const auto it = items_.find(pageControl.name);
    if (it == items_.end() || pageControl.text.empty()) return;
    auto* tabs = qobject_cast<QTabWidget*>(it->second.widget.data());
    const auto sheet = items_.find(pageControl.text);
    if (!tabs || sheet == items_.end() || !sheet->second.widget) return;
    const int index = tabs->indexOf(sheet->second.widget);
    if (index >= 0 && tabs->currentIndex() != index) {
        ++updating_;
        tabs->setCurrentIndex(index);
        --updating_;
    }
}

void FormView::syncGridSelection(const std::string& grid) {
    const auto it = items_.find(grid);
    if (it == items_.end() || !it->second.grid || !attached_) return;
    auto* view = qobject_cast<QTableView*>(it->second.widget.data());
    TableGridModel* model = it->second.grid;
    if (!view) return;
    long row = -1;
    runStep([&row, model] {
        if (model->table() && model->table()->active()) row = model->table()->currentRow();
    });
    ++updating_;
    if (row >= 0 && row < model->rowCount()) {
        const int column = std::max(0, view->currentIndex().column());
        const QModelIndex index = model->index(static_cast<int>(row), std::min(column, std::max(0, model->columnCount() - 1)));
        if (view->currentIndex() != index)
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollTo(index);
    } else {
        view->selectionModel()->clear();
    }
    --updating_;
}

void FormView::applyTabSheet(const Control& c, Item& it) {
    if (!it.tabs || !it.widget) return;
    const int index = it.tabs->indexOf(it.widget);
    if (index >= 0) {
        it.tabs->setTabText(index, toQt(c.caption));
        it.tabs->setTabVisible(index, c.visible);
        it.tabs->setTabEnabled(index, c.enabled);
    }
    // A tab shown again may be the one its page control has chosen.
    if (const Control* pc = control(c.parent)) selectTab(*pc);
}

void FormView::apply(const Control& c) {
    const auto found = items_.find(c.name);
    if (found == items_.end()) return;
    Item& it = found->second;
    ++updating_;
    if (c.kind == ControlKind::Form) {
        applyForm(c, it);
    } else if (c.kind == ControlKind::TabSheet) {
        applyTabSheet(c, it);
    } else {
        if (c.kind == ControlKind::PageControl) selectTab(c);
        if (const Adapter adapter = adapterFor(c.kind)) adapter(c, it);
        applyCommon(c, it);
    }
    --updating_;
}

// ---------------------------------------------------------------------------------- view → model

void FormView::fire(const std::string& control, const std::string& event, const EventArgs& args) {
    if (!attached_ || !app_.running()) return;
    if (event == "CellEdit") {
        // Only the user leaving a cell writes it. A cell that Qt commits while a handler runs
        // (a tab hidden, a dialog taking the focus) was already written before that handler began.
        if (firing_ > 0) return;
    } else {
        // Whatever the user does next, the cell being typed into is left first, so that its text
        // goes into its own record before the handler moves, closes or rereads the table.
        finishGridEditing();
    }
    if (!attached_ || !app_.running()) return;
    if (!app_.model().hasHandler(control, event)) return;
    // Copies: the handler may change the control the references came from.
    const std::string name = control, what = event;
    const EventArgs a = args;
    std::optional<WaitCursor> busy;
    const Control* target = app_.model().find(name);
    if (target && isCommand(*target, what)) {
        // The menu the command was chosen from is gone from the screen before the command runs,
        // and the mouse says that the program is at work until it ends.
        if (main_ && main_->isVisible()) main_->repaint();
        busy.emplace();
    }
    ++firing_;
    app_.dispatch([this, &name, &what, &a] { app_.model().fire(name, what, a); });
    --firing_;
    afterEvent();
}

void FormView::finishGridEditing() {
    for (auto& [name, item] : items_) {
        if (!item.grid) continue;
        auto* view = qobject_cast<QTableView*>(item.widget.data());
        if (!view) continue;
        if (auto* delegate = dynamic_cast<AdultRowDelegate*>(view->itemDelegate())) delegate->finishEditing();
    }
}

void FormView::afterEvent() {
    if (!attached_ || app_.running()) return;
    // The application stopped inside the event ("Выход"): every window closes.
    detach();
    for (auto& [name, w] : windows_)
        if (w && w != main_) w->hide();
    if (main_) {
        QTimer::singleShot(0, main_.data(), [frame = main_] {
            if (frame) frame->close();
        });
    }
}

// ---------------------------------------------------------------------------------------- errors

bool FormView::runStep(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (...) {  // not dropped: every kind goes on to the dispatcher, which words it
        report(std::current_exception());
        return false;
    }
}

namespace {

std::string textOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {  // a thrown non-exception has no text; the dispatcher still shows it
        return {};
    }
}

}  // namespace

void FormView::report(std::exception_ptr error) {
    const std::string text = textOf(error);
    for (const std::exception_ptr& waiting : reported_)
        if (textOf(waiting) == text) return;
    reported_.push_back(std::move(error));
    reportTimer_.start();
}

void FormView::showReported() {
    // Taken first: showing an error turns the event loop, and a step may fail again meanwhile.
    std::vector<std::exception_ptr> errors;
    errors.swap(reported_);
    for (const std::exception_ptr& error : errors) {
        if (!attached_ || !app_.running()) return;
        app_.dispatch([&error] { std::rethrow_exception(error); });
    }
}

}  // namespace zelt::ui
