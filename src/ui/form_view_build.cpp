// Building the widgets of a window: one widget per control, laid out in its container in model order.
#include "ui/form_view.h"

#include "app/jpeg_image.h"
#include "app/main_window_layout.h"
#include "store/table.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"
#include "ui/wrapping_button.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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

constexpr int kMaxCardColumns = 3;
constexpr int kMemoLines = 3;
constexpr int kButtonGap = 12;

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

// ------------------------------------------------------------------------------------ containers

bool FormView::holdsGroups(const std::string& container) const {
    for (const Control* c : app_.model().childrenOf(container))
        if (c->kind == ControlKind::GroupBox || c->kind == ControlKind::Panel) return true;
    return false;
}

std::string FormView::captionFor(const Control& c) const {
    if (!c.caption.empty()) return c.caption;
    if (c.dataSource <= 0 || c.field.empty() || !app_.running()) return {};
    try {
        const store::Layout& layout = app_.mainWindow().table(c.dataSource).layout();
        // The caption the card shows the field under (the memo boxes under the detail grids show
        // the fields of the card's detail groups), else a label the layout gives: a bare field name
        // means nothing to the user.
        const std::string onCard = app::fieldCaption(layout.name, c.field);
        if (!onCard.empty()) return onCard;
        const int i = layout.indexOf(c.field);
        const char* label = i >= 0 ? layout.fields[static_cast<size_t>(i)].label : nullptr;
        if (label && *label) return label;
    } catch (const std::exception&) {
    }
    return {};
}

// A memo box takes the whole width of its form under its caption, so a long caption beside it never
// leaves it a sliver of a line; other entries sit beside theirs.
void FormView::addCaptionedRow(QFormLayout* form, QWidget* label, QWidget* field, ControlKind kind) {
    if (kind != ControlKind::Memo) {
        form->addRow(label, field);
        return;
    }
    form->addRow(label);
    form->addRow(field);
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
        if (c.kind == ControlKind::GroupBox && holdsGroups(c.name)) {
            // A heading over groups of its own (the mother, the father) spans the row.
            endBlocks();
            outer->addWidget(buildControl(c, host));
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
                addCaptionedRow(form, label, buildControl(*next, run), next->kind);
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
                addCaptionedRow(form, label, field, c.kind);
            }
        } else if (c.kind == ControlKind::Button) {
            // Buttons next to each other share a row.
            if (!buttonRow) {
                buttonRow = new QHBoxLayout;
                buttonRow->setSpacing(kButtonGap);  // buttons that touch read as one
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

void FormView::buildButtonColumnWindow(const std::string& form, QWidget* host) {
    auto* row = new QHBoxLayout(host);
    row->setContentsMargins(4, 4, 4, 4);
    const auto panels = app_.model().childrenOf(form);
    for (size_t p = 0; p < panels.size(); ++p) {
        const Control& panel = *panels[p];
        auto* side = new QVBoxLayout;
        row->addLayout(side, p == 0 ? 0 : 1);
        if (p == 0) {
            for (const Control* b : app_.model().childrenOf(panel.name)) {
                QWidget* w = buildControl(*b, host);
                if (b->width > 0) w->setFixedWidth(b->width);
                side->addWidget(w);
            }
            side->addStretch(1);
            continue;
        }
        auto* grids = new QHBoxLayout;
        for (const Control* c : app_.model().childrenOf(panel.name)) {
            if (c->kind == ControlKind::Button) {
                auto* top = new QHBoxLayout;
                top->addStretch(1);
                top->addWidget(buildControl(*c, host));
                side->addLayout(top);
            } else if (c->kind == ControlKind::Panel) {
                auto* column = new QVBoxLayout;
                for (const Control* g : app_.model().childrenOf(c->name)) column->addWidget(buildControl(*g, host), 1);
                grids->addLayout(column, 1);
            }
        }
        side->addLayout(grids, 1);
    }
}

void FormView::buildStatusBar(const Control& bar, MainFrame* frame) {
    QStatusBar* sb = frame->statusBar();
    fillStatusBar(bar, sb);
    Item item;
    item.kind = ControlKind::StatusBar;
    item.widget = sb;
    items_[bar.name] = item;
}

void FormView::fillStatusBar(const Control& bar, QStatusBar* sb) {
    sb->setSizeGripEnabled(false);
    auto* strip = new StatusStrip(sb);
    sb->addWidget(strip, 1);
    for (Control* p : app_.model().childrenOf(bar.name)) {
        if (p->kind != ControlKind::StatusPanel) continue;
        QLabel* label = strip->addPanel();
        strip->setPanelWidth(label, p->width);
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
        if (app_.model().hasHandler(name, "Click")) label->setCursor(Qt::PointingHandCursor);
        // The small windows keep their size: a long text there wraps instead of widening the window.
        const Control* form = &c;
        while (form && form->kind != ControlKind::Form) form = app_.model().find(form->parent);
        if (form && form->name != mainForm_) label->setWordWrap(true);
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
        // A button of a fixed width breaks a caption too long for it into lines.
        QPushButton* button = c.width > 0 ? new WrappingButton(toQt(c.caption), parent) : new QPushButton(toQt(c.caption), parent);
        button->setAutoDefault(false);
        button->setDefault(c.isDefault);
        QObject::connect(button, &QPushButton::clicked, button, [this, name] { fire(name, "Click"); });
        w = button;
        break;
    }
    case ControlKind::RadioGroup:
        w = buildRadioGroup(c, parent);
        break;
    case ControlKind::CheckListBox: {
        // The choices run top to bottom and wrap into the next column, at the list's fixed size.
        auto* list = new QListWidget(parent);
        list->setFlow(QListView::TopToBottom);
        list->setWrapping(true);
        list->setResizeMode(QListView::Adjust);
        if (c.width > 0 && c.height > 0) list->setFixedSize(c.width, c.height);
        if (c.listColumns > 1 && c.width > 0) list->setGridSize(QSize(c.width / c.listColumns - 4, list->fontMetrics().height() + 4));
        for (size_t i = 0; i < c.items.size(); ++i) {
            auto* item = new QListWidgetItem(toQt(c.items[i]), list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(i < c.checked.size() && c.checked[i] ? Qt::Checked : Qt::Unchecked);
        }
        QObject::connect(list, &QListWidget::itemChanged, list, [this, name, list](QListWidgetItem* item) {
            if (updating_ || !attached_) return;
            Control* ctl = control(name);
            const int row = list->row(item);
            if (!ctl || row < 0) return;
            ctl->checked.resize(ctl->items.size(), false);
            if (static_cast<size_t>(row) < ctl->checked.size()) ctl->checked[static_cast<size_t>(row)] = item->checkState() == Qt::Checked;
        });
        w = list;
        break;
    }
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        image->setPixmap(aboutPixmap());
        image->setAlignment(Qt::AlignCenter);
        w = image;
        break;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(toQt(c.caption), parent);
        // Its own groups side by side, its fields one under the other.
        buildContainer(name, box, holdsGroups(name));
        new EventTap(box, [this, name](QEvent* e) {
            if (e->type() == QEvent::MouseButtonDblClick) fire(name, "DblClick");
            return false;
        });
        w = box;
        break;
    }
    case ControlKind::Panel: {
        auto* panel = new QFrame(parent);
        // The small windows carry their content on a raised panel.
        const Control* owner = app_.model().find(c.parent);
        const bool smallWindowPanel = owner && owner->kind == ControlKind::Form && owner->name != mainForm_;
        if (smallWindowPanel) panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        // A small window's panel stacks its parts; panels inside it put theirs side by side.
        buildContainer(name, panel, !smallWindowPanel);
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
        fillStatusBar(c, sb);
        w = sb;
        break;
    }
    default:
        w = new QWidget(parent);
        break;
    }
    items_[name].widget = w;
    w->setObjectName(toQt(name));  // what a log or a test names the widget by

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
    attachPopup(c, w);
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
        // A click on the empty part of a card leaves the focus where it is.
        scroll->setFocusPolicy(Qt::NoFocus);
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
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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

}  // namespace zelt::ui
