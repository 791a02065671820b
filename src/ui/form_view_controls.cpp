// Building the widget of one control: what it is made of, and which of the user's actions on it
// become which of its events.
#include "ui/form_view.h"

#include "app/jpeg_image.h"
#include "store/table.h"
#include "ui/control_adapters.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"
#include "ui/wrapping_button.h"

#include <QButtonGroup>
#include <QFocusEvent>
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
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

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

constexpr int kMemoLines = 3;

// The About picture, decoded from the program's resources.
QPixmap aboutPixmap() {
    const app::RgbImage& img = app::aboutPicture();
    if (img.width <= 0 || img.height <= 0) return {};
    QImage q(img.rgb.data(), img.width, img.height, img.width * 3, QImage::Format_RGB888);
    return QPixmap::fromImage(q.copy());
}

}  // namespace

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
        QPushButton* button =
            c.width > 0 ? new WrappingButton(toQt(c.caption), parent) : new QPushButton(toQt(c.caption), parent);
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
            const int row = list->row(item);
            if (!control(name) || row < 0) return;
            app_.model().setChecked(name, static_cast<size_t>(row), item->checkState() == Qt::Checked);
        });
        w = list;
        break;
    }
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        runStep([image] { image->setPixmap(aboutPixmap()); });
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
            if (control(name)) app_.model().setText(name, sheet);
            fire(name, "Change", EventArgs{sheet, {}, -1});
            return;
        }
    });
    return tabs;
}

QWidget* FormView::buildGrid(const Control& c, QWidget* parent) {
    auto* view = new QTableView(parent);
    store::Table* table = nullptr;
    if (c.dataSource > 0 && app_.running()) runStep([&] { table = &app_.mainWindow().table(c.dataSource); });
    auto* model = new TableGridModel(table, c.columns, view, [this](std::exception_ptr e) { report(std::move(e)); });
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
        const Control* ctl = control(name);
        if (!ctl || ctl->itemIndex == id) return;
        // The item is chosen before the group's click is heard, as on the desktop.
        app_.model().setItemIndex(name, id);
        fire(name, "Click", EventArgs{std::to_string(id), {}, -1});
    });
    rebuildRadios(c, items_[c.name]);
    return box;
}
}  // namespace zelt::ui
