// The program's windows on the screen: one Qt widget for every control of the form model, kept
// up to date from the model, and every user action passed to the handlers as an event.
#pragma once

#include "app/application.h"
#include "app/form/form_model.h"
#include "ui/view_item.h"

#include <QPointer>
#include <QTimer>

#include <exception>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QFormLayout;
class QMainWindow;
class QMenu;
class QStatusBar;
class QTableView;
class QTabWidget;
class QWidget;

namespace zelt::ui {

class FormDialog;
class MainFrame;
class TableGridModel;

class FormView {
public:
    // Builds the widgets of every window of the running application and starts following the
    // model. No window is shown yet.
    explicit FormView(app::Application& app);
    ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // The top-level widget of a Form control (the main window is a QMainWindow), or null.
    QWidget* window(const std::string& form) const;
    QMainWindow* mainWindow() const;
    // The widget of a control (for a tab: its page; for a menu: the drop-down), or null.
    QWidget* widget(const std::string& control) const;
    // The menu-bar action of a menu, menu item or separator, or null.
    QAction* action(const std::string& control) const;
    // The row model of a grid control, or null.
    TableGridModel* gridModel(const std::string& grid) const;

    // Shows the main window centred on the desktop, its client area the size of the Form control.
    void showMain();
    // Shows a window; a modal one runs until the model hides its Form control (or the user closes it).
    void showForm(const std::string& form, bool modal);
    // Fires the context menu's Popup, then builds it from its visible items. The caller owns it;
    // each action's data is the item's control name.
    QMenu* buildPopup(const std::string& popupMenu, QWidget* parent);

    // Stops following the model and firing events: the application is about to stop.
    void detach();
    bool attached() const { return attached_; }

    // Runs when the main window has closed, whoever closed it.
    std::function<void()> onMainClosed;

private:
    using Item = ViewItem;

    // Building.
    void buildWindow(const app::Control& form);
    void buildMenu(const std::string& owner, QWidget* bar);
    void addMenuEntry(const app::Control& c, QMenu* menu, QWidget* bar);
    // The status bar's strip of panels, each at its place; their texts and widths follow the model.
    void buildStatusBar(const app::Control& bar, QStatusBar* sb);
    void buildContainer(const std::string& container, QWidget* host, bool columns);
    // The Administrator window: its first panel a column of buttons at their width, the second the
    // button above the grids, whose panels stand side by side, each a column of grids.
    void buildButtonColumnWindow(const std::string& form, QWidget* host);
    void addCaptionedRow(QFormLayout* form, QWidget* label, QWidget* field, app::ControlKind kind);
    // Whether a container holds groups or panels of its own.
    bool holdsGroups(const std::string& container) const;
    QWidget* buildControl(const app::Control& c, QWidget* parent);
    QWidget* buildPageControl(const app::Control& c, QWidget* parent);
    QWidget* buildGrid(const app::Control& c, QWidget* parent);
    QWidget* buildNavigator(const app::Control& c, QWidget* parent);
    QWidget* buildRadioGroup(const app::Control& c, QWidget* parent);
    // A context menu request on `w` opens the control's popup menu, when it names one.
    void attachPopup(const app::Control& c, QWidget* w);
    std::string captionFor(const app::Control& c);
    void fillMenu(QMenu* menu, const std::string& owner);

    // Model to view.
    void apply(const app::Control& c);
    void applyForm(const app::Control& c, Item& it);
    void applyTabSheet(const app::Control& c, Item& it);
    void selectTab(const app::Control& pageControl);
    void syncGridSelection(const std::string& grid);

    // View to model.
    void fire(const std::string& control, const std::string& event, const app::EventArgs& args = {});
    void afterEvent();
    // Ends the typing in every grid cell editor that is open, writing its text as leaving it does.
    void finishGridEditing();
    void userClosedForm(const std::string& form);
    app::Control* control(const std::string& name);

    // Errors of the view's own steps (reading what a control shows, drawing a picture).
    // Runs a step; what it throws goes to the dispatcher, as a handler's error does, and the view
    // goes on without what the step would have given. True when the step succeeded.
    bool runStep(const std::function<void()>& step);
    // Hands an error to the dispatcher once the event loop turns again: never in the middle of a
    // handler, a paint or the building of a window. An error with the text of one already waiting
    // is the same fault seen twice and waits once.
    void report(std::exception_ptr error);
    void showReported();

    app::Application& app_;
    std::map<std::string, Item> items_;
    QPointer<MainFrame> main_;
    std::map<std::string, QPointer<QWidget>> windows_;
    std::set<std::string> modalRuns_;  // forms whose modal run is under way
    int firing_ = 0;     // > 0 while a handler runs
    int updating_ = 0;   // > 0 while the view follows the model: widget signals are not user actions
    bool attached_ = true;
    std::string mainForm_;
    std::vector<std::exception_ptr> reported_;  // errors waiting for the dispatcher
    QTimer reportTimer_;                        // turns once the event loop runs again
};

}  // namespace zelt::ui
