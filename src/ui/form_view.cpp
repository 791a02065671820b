#include "ui/form_view.h"

#include "app/jpeg_image.h"
#include "store/table.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <memory>
#include <set>

namespace zelt::ui {

using app::Control;
using app::ControlKind;
using app::EventArgs;

namespace {

// The navigator's buttons, left to right: what its Click event names, and the glyph it shows.
struct NavButton {
    const char* action;
    const char* glyph;
};
const NavButton kNavButtons[] = {
    {"first", "|◀"}, {"prior", "◀"}, {"next", "▶"},  {"last", "▶|"},   {"insert", "+"},
    {"delete", "−"}, {"edit", "▲"},  {"post", "✔"}, {"cancel", "✖"}, {"refresh", "↻"},
};

// Windows with the thin caption of a tool window.
const std::set<std::string> kToolWindows = {"TForm4", "TForm5", "TForm7"};

constexpr int kMaxCardColumns = 3;
constexpr int kMemoLines = 3;

bool isInput(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::ComboBox || k == ControlKind::Memo;
}

// Controls that take the full width of their container and the spare height.
bool isLarge(ControlKind k) {
    return k == ControlKind::Grid || k == ControlKind::PageControl || k == ControlKind::RichEdit;
}

// Controls that are not widgets of a container: menus, context menus and the status bar.
bool isOutsideLayout(ControlKind k) {
    return k == ControlKind::Menu || k == ControlKind::MenuItem || k == ControlKind::Separator ||
           k == ControlKind::PopupMenu || k == ControlKind::StatusBar || k == ControlKind::StatusPanel ||
           k == ControlKind::Form || k == ControlKind::TabSheet;
}

QPixmap aboutPixmap() {
    try {
        const app::RgbImage& img = app::aboutPicture();
        if (img.width <= 0 || img.height <= 0) return {};
        QImage q(img.rgb.data(), img.width, img.height, img.width * 3, QImage::Format_RGB888);
        return QPixmap::fromImage(q.copy());
    } catch (const std::exception&) {
        return {};
    }
}

// Places blocks (groups, runs of captioned fields) in up to `maxColumns` columns of about equal
// height, filling each column top to bottom so the blocks keep their order.
void placeBlocks(QVBoxLayout* outer, const std::vector<QWidget*>& blocks, int maxColumns) {
    if (blocks.empty()) return;
    const int columns = std::min<int>(maxColumns, static_cast<int>(blocks.size()));
    if (columns <= 1) {
        for (QWidget* b : blocks) outer->addWidget(b);
        return;
    }
    std::vector<int> heights;
    int total = 0;
    for (QWidget* b : blocks) {
        heights.push_back(std::max(1, b->sizeHint().height()));
        total += heights.back();
    }
    auto* row = new QHBoxLayout;
    std::vector<QVBoxLayout*> cols;
    for (int i = 0; i < columns; ++i) {
        cols.push_back(new QVBoxLayout);
        row->addLayout(cols.back(), 1);
    }
    int col = 0, acc = 0, inColumn = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const int left = static_cast<int>(blocks.size() - i);
        const int target = total * (col + 1) / columns;
        // Move on when this block would overshoot the column's share by more than half of itself,
        // or when the remaining blocks are just enough for the remaining columns.
        if (inColumn > 0 && col < columns - 1 &&
            (acc + heights[i] / 2 > target || left <= columns - 1 - col)) {
            ++col;
            inColumn = 0;
        }
        cols[static_cast<size_t>(col)]->addWidget(blocks[i]);
        acc += heights[i];
        ++inColumn;
    }
    for (QVBoxLayout* c : cols) c->addStretch(1);
    outer->addLayout(row);
}

}  // namespace

// ------------------------------------------------------------------------------------------ life

FormView::FormView(app::Application& app) : app_(app) {
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
            if (c->kind == ControlKind::StatusBar) buildStatusBar(*c, frame);
    } else {
        auto* dialog = new FormDialog(main_);
        const bool tool = kToolWindows.count(form.name) != 0;
        dialog->setWindowFlags((tool ? Qt::Tool : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint);
        const std::string name = form.name;
        dialog->onUserClose = [this, name] { userClosedForm(name); };
        windows_[form.name] = dialog;
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
    windowOrder_.push_back(form.name);
}

void FormView::showMain() {
    if (!main_) return;
    const Control* f = control(mainForm_);
    const int w = f && f->width > 0 ? f->width : 970;
    const int h = f && f->height > 0 ? f->height : 687;
    // The client area excludes the menu bar, as on the desktop the program was made for.
    main_->setFixedSize(w, h + main_->menuBar()->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        main_->move(avail.center() - QPoint(main_->width() / 2, main_->height() / 2));
    }
    main_->show();
}

void FormView::showForm(const std::string& form, bool modal) {
    if (form == mainForm_) {
        if (main_ && !main_->isVisible()) showMain();
        return;
    }
    auto* dialog = qobject_cast<FormDialog*>(window(form));
    if (!dialog) return;
    if (Control* f = control(form)) f->visible = true;
    if (modal) {
        if (dialog->isVisible()) dialog->hide();
        dialog->exec();
    } else {
        dialog->setModal(false);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
        // Handlers run loops without returning to the event loop (the progress window): let the
        // window appear before the loop starts.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void FormView::userClosedForm(const std::string& form) {
    if (!attached_) return;
    fire(form, "Close");
    if (Control* f = control(form)) {
        if (f->visible) {
            f->visible = false;
            ++updating_;
            app_.model().changed(*f);
            --updating_;
        }
    }
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
    if (c.width > 0 && c.height > 0) dialog->resize(c.width, c.height);
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
        QMenu* sub = menu ? menu->addMenu(toQt(c.caption)) : bar->addMenu(toQt(c.caption));
        sub->setToolTipsVisible(true);
        item.menu = sub;
        item.action = sub->menuAction();
        // Opening a drop-down menu is its click.
        QObject::connect(sub, &QMenu::aboutToShow, sub, [this, name] { fire(name, "Click"); });
        items_[name] = item;
        for (Control* child : children) addMenuEntry(*child, sub, nullptr);
        return;
    } else {
        item.action = menu ? menu->addAction(toQt(c.caption)) : bar->addAction(toQt(c.caption));
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
                QMenu* sub = menu->addMenu(toQt(c->caption));
                sub->setEnabled(c->enabled);
                fillMenu(sub, c->name);
            } else {
                QAction* a = menu->addAction(toQt(c->caption));
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

void FormView::attachPopup(const Control& c, QWidget* w, QWidget* eventSource) {
    const std::string name = c.name;
    QObject::connect(eventSource, &QWidget::customContextMenuRequested, w, [this, name, eventSource](const QPoint& pos) {
        const Control* ctl = control(name);
        if (!ctl || ctl->popupMenu.empty()) return;
        // Scroll areas report the position in their viewport.
        auto* area = qobject_cast<QAbstractScrollArea*>(eventSource);
        const QPoint global = area ? area->viewport()->mapToGlobal(pos) : eventSource->mapToGlobal(pos);
        const std::string popup = ctl->popupMenu;
        std::unique_ptr<QMenu> menu(buildPopup(popup, eventSource));
        if (!menu || menu->isEmpty()) return;
        QAction* chosen = menu->exec(global);
        if (chosen && attached_) fire(fromQt(chosen->data().toString()), "Click");
    });
}

// ------------------------------------------------------------------------------------ containers

std::string FormView::captionFor(const Control& c) const {
    if (!c.caption.empty()) return c.caption;
    if (c.dataSource <= 0 || c.field.empty() || !app_.running()) return {};
    try {
        const store::Layout& layout = app_.mainWindow().table(c.dataSource).layout();
        const int i = layout.indexOf(c.field);
        if (i >= 0) return store::Layout::titleOf(layout.fields[static_cast<size_t>(i)]);
    } catch (const std::exception&) {
    }
    return c.field;
}

// Lays out the children of a container in model order: runs of captioned fields as forms, groups
// side by side in columns (where `columns`), grids, tab sets and rich-text boxes full width.
void FormView::buildContainer(const std::string& container, QWidget* host, bool columns) {
    auto* outer = new QVBoxLayout(host);
    const auto children = app_.model().childrenOf(container);
    std::vector<QWidget*> blocks;
    QWidget* run = nullptr;
    QFormLayout* form = nullptr;
    QHBoxLayout* buttonRow = nullptr;
    bool anyLarge = false;
    const int maxColumns = columns ? kMaxCardColumns : 1;

    const auto ensureForm = [&] {
        if (form) return;
        run = new QWidget(host);
        form = new QFormLayout(run);
        form->setContentsMargins(0, 0, 0, 0);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        form->setRowWrapPolicy(QFormLayout::DontWrapRows);
        form->setVerticalSpacing(3);
    };
    const auto endForm = [&] {
        buttonRow = nullptr;
        if (!form) return;
        blocks.push_back(run);
        run = nullptr;
        form = nullptr;
    };
    const auto endBlocks = [&] {
        endForm();
        placeBlocks(outer, blocks, maxColumns);
        blocks.clear();
    };

    for (size_t i = 0; i < children.size(); ++i) {
        const Control& c = *children[i];
        if (isOutsideLayout(c.kind)) continue;
        if (isLarge(c.kind)) {
            endBlocks();
            QWidget* w = buildControl(c, host);
            outer->addWidget(w, c.kind == ControlKind::Grid ? 3 : 2);
            anyLarge = true;
            continue;
        }
        if (c.kind == ControlKind::GroupBox || c.kind == ControlKind::Panel) {
            endForm();
            blocks.push_back(buildControl(c, host));
            continue;
        }
        ensureForm();
        if (c.kind != ControlKind::Button) buttonRow = nullptr;
        if (c.kind == ControlKind::Label) {
            QWidget* label = buildControl(c, run);
            const Control* next = i + 1 < children.size() ? children[i + 1] : nullptr;
            if (next && isInput(next->kind)) {
                QWidget* field = buildControl(*next, run);
                form->addRow(label, field);
                ++i;
            } else {
                form->addRow(label);
            }
        } else if (isInput(c.kind)) {
            QWidget* field = buildControl(c, run);
            const std::string caption = captionFor(c);
            if (caption.empty()) {
                form->addRow(field);
            } else {
                auto* label = new QLabel(toQt(caption), run);
                label->setTextFormat(Qt::PlainText);
                items_[c.name].buddy = label;
                form->addRow(label, field);
            }
        } else if (c.kind == ControlKind::Button) {
            // Buttons next to each other share a row.
            if (!buttonRow) {
                buttonRow = new QHBoxLayout;
                buttonRow->addStretch(1);
                form->addRow(buttonRow);
            }
            buttonRow->insertWidget(buttonRow->count() - 1, buildControl(c, run));
        } else {
            form->addRow(buildControl(c, run));
        }
    }
    endBlocks();
    if (!anyLarge) outer->addStretch(1);
}

void FormView::buildStatusBar(const Control& bar, MainFrame* frame) {
    QStatusBar* sb = frame->statusBar();
    sb->setSizeGripEnabled(false);
    Item item;
    item.kind = ControlKind::StatusBar;
    item.widget = sb;
    items_[bar.name] = item;
    for (Control* p : app_.model().childrenOf(bar.name)) {
        if (p->kind != ControlKind::StatusPanel) continue;
        auto* label = new QLabel(sb);
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        label->setFixedWidth(std::max(0, p->width));
        sb->addWidget(label);
        Item panel;
        panel.kind = ControlKind::StatusPanel;
        panel.widget = label;
        items_[p->name] = panel;
    }
}

// ------------------------------------------------------------------------------------- controls

QWidget* FormView::buildControl(const Control& c, QWidget* parent) {
    const std::string name = c.name;
    items_[name].kind = c.kind;
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Label: {
        auto* label = new EventLabel(toQt(c.caption), parent);
        label->setTextFormat(Qt::PlainText);
        label->onClick = [this, name] { fire(name, "Click"); };
        label->onDoubleClick = [this, name] { fire(name, "DblClick"); };
        label->onEnter = [this, name] { fire(name, "MouseEnter"); };
        label->onLeave = [this, name] { fire(name, "MouseLeave"); };
        w = label;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [this, name](const QString& t) { fire(name, "Change", EventArgs{fromQt(t), {}, -1}); });
        w = edit;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new FormComboBox(parent);
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                         [this, name](const QString& t) { fire(name, "Change", EventArgs{fromQt(t), {}, -1}); });
        QObject::connect(combo, &QComboBox::textActivated, combo,
                         [this, name](const QString& t) { fire(name, "Change", EventArgs{fromQt(t), {}, -1}); });
        w = combo;
        break;
    }
    case ControlKind::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setTabChangesFocus(true);
        const int lines = memo->fontMetrics().lineSpacing() * kMemoLines;
        memo->setFixedHeight(lines + 2 * memo->frameWidth() + 8);
        QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [this, name, memo] {
            if (!updating_) fire(name, "Change", EventArgs{memoFromQt(memo->toPlainText()), {}, -1});
        });
        w = memo;
        break;
    }
    case ControlKind::RichEdit: {
        auto* rich = new QTextEdit(parent);
        rich->setAcceptRichText(false);
        rich->setTabChangesFocus(true);
        rich->setMinimumHeight(rich->fontMetrics().lineSpacing() * 4);
        QObject::connect(rich, &QTextEdit::textChanged, rich, [this, name, rich] {
            if (!updating_) fire(name, "Change", EventArgs{memoFromQt(rich->toPlainText()), {}, -1});
        });
        w = rich;
        break;
    }
    case ControlKind::Grid:
        w = buildGrid(c, parent);
        break;
    case ControlKind::Navigator:
        w = buildNavigator(c, parent);
        break;
    case ControlKind::Button: {
        auto* button = new QPushButton(toQt(c.caption), parent);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [this, name] { fire(name, "Click"); });
        w = button;
        break;
    }
    case ControlKind::RadioGroup:
        w = buildRadioGroup(c, parent);
        break;
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        image->setPixmap(aboutPixmap());
        image->setAlignment(Qt::AlignCenter);
        w = image;
        break;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(toQt(c.caption), parent);
        buildContainer(name, box, false);
        new EventTap(box, [this, name](QEvent* e) {
            if (e->type() == QEvent::MouseButtonDblClick) fire(name, "DblClick");
            return false;
        });
        w = box;
        break;
    }
    case ControlKind::Panel: {
        auto* panel = new QFrame(parent);
        buildContainer(name, panel, true);
        panel->layout()->setContentsMargins(4, 4, 4, 4);
        w = panel;
        break;
    }
    case ControlKind::PageControl:
        w = buildPageControl(c, parent);
        break;
    case ControlKind::ProgressBar:
        w = new QProgressBar(parent);
        break;
    case ControlKind::StatusBar: {
        // A status bar outside the main window: a row of panels.
        auto* sb = new QStatusBar(parent);
        sb->setSizeGripEnabled(false);
        for (Control* p : app_.model().childrenOf(name)) {
            if (p->kind != ControlKind::StatusPanel) continue;
            auto* label = new QLabel(sb);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            sb->addWidget(label);
            Item panel;
            panel.kind = ControlKind::StatusPanel;
            panel.widget = label;
            items_[p->name] = panel;
        }
        w = sb;
        break;
    }
    default:
        w = new QWidget(parent);
        break;
    }
    items_[name].widget = w;

    // Focus leaving a field is its Exit; moving to a drop-down list or another window is not.
    if (isInput(c.kind) || c.kind == ControlKind::RichEdit) {
        new EventTap(w, [this, name](QEvent* e) {
            if (e->type() == QEvent::FocusOut) {
                const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
                if (r != Qt::PopupFocusReason && r != Qt::ActiveWindowFocusReason) fire(name, "Exit");
            }
            return false;
        });
    }
    attachPopup(c, w, w);
    return w;
}

QWidget* FormView::buildPageControl(const Control& c, QWidget* parent) {
    auto* tabs = new QTabWidget(parent);
    tabs->setUsesScrollButtons(true);
    for (Control* sheet : app_.model().childrenOf(c.name)) {
        if (sheet->kind != ControlKind::TabSheet) continue;
        auto* scroll = new QScrollArea(tabs);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* content = new QWidget(scroll);
        buildContainer(sheet->name, content, true);
        content->layout()->setContentsMargins(4, 4, 4, 4);
        scroll->setWidget(content);
        tabs->addTab(scroll, toQt(sheet->caption));
        Item item;
        item.kind = ControlKind::TabSheet;
        item.widget = scroll;
        item.tabs = tabs;
        items_[sheet->name] = item;
    }
    const std::string name = c.name;
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this, name, tabs](int index) {
        if (updating_ || !attached_ || index < 0) return;
        QWidget* page = tabs->widget(index);
        for (const auto& [sheet, item] : items_) {
            if (item.kind != ControlKind::TabSheet || item.widget != page) continue;
            // The tab is chosen before its page control hears of it, as on the desktop.
            if (Control* pc = control(name)) pc->text = sheet;
            fire(name, "Change", EventArgs{sheet, {}, -1});
            return;
        }
    });
    return tabs;
}

QWidget* FormView::buildGrid(const Control& c, QWidget* parent) {
    auto* view = new QTableView(parent);
    store::Table* table = nullptr;
    if (c.dataSource > 0 && app_.running()) {
        try {
            table = &app_.mainWindow().table(c.dataSource);
        } catch (const std::exception&) {
            table = nullptr;
        }
    }
    auto* model = new TableGridModel(table, c.columns, view);
    const std::string name = c.name;
    model->onCellEdit = [this, name](long row, const std::string& field, const std::string& text) {
        fire(name, "CellEdit", EventArgs{text, field, row});
    };
    view->setModel(model);
    view->setItemDelegate(new AdultRowDelegate(view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 6);
    rows->setVisible(false);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setHighlightSections(false);
    items_[name].grid = model;

    QObject::connect(model, &TableGridModel::refreshed, view, [this, name] { syncGridSelection(name); });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [this, name](const QModelIndex& current, const QModelIndex&) {
                         if (updating_ || !attached_ || !current.isValid()) return;
                         fire(name, "Select", EventArgs{{}, {}, current.row()});
                     });
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionClicked, view, [this, name, model](int section) {
        if (section < 0 || section >= static_cast<int>(model->columns().size())) return;
        fire(name, "TitleClick", EventArgs{{}, model->columns()[static_cast<size_t>(section)].field, -1});
    });
    new EventTap(view, [this, name](QEvent* e) {
        if (e->type() == QEvent::KeyPress) fire(name, "KeyDown");
        else if (e->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(e)->isAutoRepeat()) fire(name, "KeyUp");
        return false;
    });
    new EventTap(view->viewport(), [this, name](QEvent* e) {
        if (e->type() == QEvent::MouseButtonRelease) fire(name, "MouseUp");
        return false;
    });
    QTimer::singleShot(0, view, [this, name] { syncGridSelection(name); });
    return view;
}

QWidget* FormView::buildNavigator(const Control& c, QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    const std::string name = c.name;
    for (const NavButton& b : kNavButtons) {
        auto* button = new QToolButton(bar);
        button->setText(QString::fromUtf8(b.glyph));
        button->setFocusPolicy(Qt::NoFocus);  // a click on the bar does not leave the field being typed in
        button->setAutoRaise(false);
        button->setMinimumWidth(26);
        button->setProperty("navigatorAction", QString::fromLatin1(b.action));
        const std::string action = b.action;
        QObject::connect(button, &QToolButton::clicked, button,
                         [this, name, action] { fire(name, "Click", EventArgs{action, {}, -1}); });
        row->addWidget(button);
    }
    row->addStretch(1);
    return bar;
}

QWidget* FormView::buildRadioGroup(const Control& c, QWidget* parent) {
    auto* box = new QGroupBox(toQt(c.caption), parent);
    new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    group->setExclusive(true);
    items_[c.name].radios = group;
    items_[c.name].widget = box;
    const std::string name = c.name;
    QObject::connect(group, &QButtonGroup::idClicked, box, [this, name](int id) {
        if (updating_ || !attached_) return;
        Control* ctl = control(name);
        if (!ctl || ctl->itemIndex == id) return;
        // The item is chosen before the group's click is heard, as on the desktop.
        ctl->itemIndex = id;
        fire(name, "Click", EventArgs{std::to_string(id), {}, -1});
    });
    rebuildRadios(c);
    return box;
}

void FormView::rebuildRadios(const Control& c) {
    Item& item = items_[c.name];
    if (!item.radios || !item.widget) return;
    QButtonGroup* group = item.radios;
    const auto buttons = group->buttons();
    bool same = buttons.size() == static_cast<int>(c.items.size());
    for (int i = 0; same && i < buttons.size(); ++i) same = group->button(i) && fromQt(group->button(i)->text()) == c.items[static_cast<size_t>(i)];
    if (!same) {
        for (QAbstractButton* b : buttons) {
            group->removeButton(b);
            delete b;
        }
        for (size_t i = 0; i < c.items.size(); ++i) {
            auto* radio = new QRadioButton(toQt(c.items[i]), item.widget);
            group->addButton(radio, static_cast<int>(i));
            item.widget->layout()->addWidget(radio);
        }
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == c.itemIndex);
    group->setExclusive(true);
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
    try {
        if (model->table() && model->table()->active()) row = model->table()->currentRow();
    } catch (const std::exception&) {
        row = -1;
    }
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

void FormView::apply(const Control& c) {
    const auto found = items_.find(c.name);
    if (found == items_.end()) return;
    Item& it = found->second;
    ++updating_;
    QWidget* w = it.widget;
    switch (c.kind) {
    case ControlKind::Form:
        applyForm(c, it);
        break;
    case ControlKind::Menu:
    case ControlKind::MenuItem:
    case ControlKind::Separator:
        if (it.action) {
            if (it.menu) it.menu->setTitle(toQt(c.caption));
            else if (c.kind != ControlKind::Separator) it.action->setText(toQt(c.caption));
            it.action->setVisible(c.visible);
            it.action->setEnabled(c.enabled);
            if (!c.hint.empty()) it.action->setToolTip(toQt(c.hint));
        }
        --updating_;
        return;
    case ControlKind::TabSheet:
        if (it.tabs && w) {
            const int index = it.tabs->indexOf(w);
            if (index >= 0) {
                it.tabs->setTabText(index, toQt(c.caption));
                it.tabs->setTabVisible(index, c.visible);
                it.tabs->setTabEnabled(index, c.enabled);
            }
            if (const Control* pc = control(c.parent)) selectTab(*pc);
        }
        --updating_;
        return;
    case ControlKind::PageControl:
        selectTab(c);
        break;
    case ControlKind::GroupBox:
        if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(toQt(c.caption));
        break;
    case ControlKind::Label:
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text() != toQt(c.caption)) label->setText(toQt(c.caption));
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText, c.color >= 0 ? fromBgr(c.color) : QApplication::palette(label).color(QPalette::WindowText));
            label->setPalette(pal);
        }
        break;
    case ControlKind::Edit:
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const QString text = toQt(c.text);
            if (edit->text() != text) {
                const int pos = edit->cursorPosition();
                edit->setText(text);
                if (edit->hasFocus()) edit->setCursorPosition(std::min(pos, static_cast<int>(text.size())));
            }
            edit->setReadOnly(c.readOnly);
            edit->setMaximumWidth(c.width > 0 ? edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (c.width + 1) + 12
                                              : QWIDGETSIZE_MAX);
        }
        break;
    case ControlKind::ComboBox:
        if (auto* combo = static_cast<FormComboBox*>(qobject_cast<QComboBox*>(w))) {
            const QSignalBlocker block(combo);
            bool sameItems = combo->count() == static_cast<int>(c.items.size());
            for (int i = 0; sameItems && i < combo->count(); ++i) sameItems = fromQt(combo->itemText(i)) == c.items[static_cast<size_t>(i)];
            const QString text = toQt(c.text);
            if (!sameItems) {
                QStringList list;
                for (const std::string& s : c.items) list << toQt(s);
                combo->clear();
                combo->addItems(list);
                combo->setCurrentIndex(-1);
                combo->setEditText(text);
            } else if (combo->currentText() != text) {
                const int pos = combo->lineEdit()->cursorPosition();
                combo->setEditText(text);
                if (combo->hasFocus()) combo->lineEdit()->setCursorPosition(std::min(pos, static_cast<int>(text.size())));
            }
            combo->setReadOnly(c.readOnly);
        }
        break;
    case ControlKind::Memo:
        if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            const QString text = memoToQt(c.text);
            if (memo->toPlainText() != text) memo->setPlainText(text);
            memo->setReadOnly(c.readOnly);
        }
        break;
    case ControlKind::RichEdit:
        if (auto* rich = qobject_cast<QTextEdit*>(w)) {
            const QString text = memoToQt(c.text);
            if (rich->toPlainText() != text) rich->setPlainText(text);
            rich->setReadOnly(c.readOnly);
        }
        break;
    case ControlKind::Grid:
        if (auto* view = qobject_cast<QTableView*>(w); view && it.grid) {
            it.grid->setColumns(c.columns);
            it.grid->setColourAdults(c.colourAdults);
            it.grid->setEditable(!c.readOnly);
            view->setEditTriggers(c.readOnly ? QAbstractItemView::NoEditTriggers
                                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                   QAbstractItemView::AnyKeyPressed);
            const int digit = view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
            for (size_t i = 0; i < c.columns.size(); ++i)
                if (c.columns[i].width > 0) view->setColumnWidth(static_cast<int>(i), digit * c.columns[i].width + 8);
        }
        break;
    case ControlKind::Navigator:
        if (w) {
            const auto buttons = w->findChildren<QToolButton*>();
            for (int i = 0; i < buttons.size(); ++i)
                buttons[i]->setToolTip(static_cast<size_t>(i) < c.items.size() ? toQt(c.items[static_cast<size_t>(i)]) : QString());
        }
        break;
    case ControlKind::Button:
        if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(toQt(c.caption));
        break;
    case ControlKind::RadioGroup:
        if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(toQt(c.caption));
        rebuildRadios(c);
        break;
    case ControlKind::StatusPanel:
        if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(toQt(c.text));
            label->setFixedWidth(std::max(0, c.width));
        }
        break;
    case ControlKind::ProgressBar:
        if (auto* bar = qobject_cast<QProgressBar*>(w)) {
            bar->setRange(0, std::max(0, c.width));
            bar->setValue(std::clamp(c.itemIndex, 0, std::max(0, c.width)));
            // Long loops update the bar without returning to the event loop: paint it now, and let
            // the window system catch up now and then.
            static QElapsedTimer sinceEvents;
            if (bar->isVisible()) {
                bar->repaint();
                if (!sinceEvents.isValid() || sinceEvents.elapsed() > 50) {
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                    sinceEvents.restart();
                }
            }
        }
        break;
    default:
        break;
    }
    if (w && c.kind != ControlKind::Form) {
        if (w->isHidden() == c.visible) w->setVisible(c.visible);
        w->setEnabled(c.enabled);
        if (c.kind != ControlKind::Navigator) w->setToolTip(toQt(c.hint));
        w->setContextMenuPolicy(c.popupMenu.empty() ? Qt::DefaultContextMenu : Qt::CustomContextMenu);
        if (it.buddy && it.buddy->isHidden() == c.visible) it.buddy->setVisible(c.visible);
    }
    --updating_;
}

// ---------------------------------------------------------------------------------- view → model

void FormView::fire(const std::string& control, const std::string& event, const EventArgs& args) {
    if (!attached_ || !app_.running()) return;
    if (!app_.model().hasHandler(control, event)) return;
    // Copies: the handler may change the control the references came from.
    const std::string name = control, what = event;
    const EventArgs a = args;
    app_.dispatch([this, &name, &what, &a] { app_.model().fire(name, what, a); });
    afterEvent();
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

}  // namespace zelt::ui
