// Laying out a window: the widgets of a container's controls placed in model order, in forms,
// columns of groups and full-width rows, and the status bar's panels.
#include "ui/form_view.h"

#include "app/main_window_layout.h"
#include "store/table.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace zelt::ui {

using app::Control;
using app::ControlKind;

namespace {

constexpr int kMaxCardColumns = 3;
constexpr int kButtonGap = 12;

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

std::string FormView::captionFor(const Control& c) {
    if (!c.caption.empty()) return c.caption;
    if (c.dataSource <= 0 || c.field.empty() || !app_.running()) return {};
    std::string caption;
    runStep([&] {
        const store::Layout& layout = app_.mainWindow().table(c.dataSource).layout();
        // The caption the card shows the field under (the memo boxes under the detail grids show
        // the fields of the card's detail groups), else a label the layout gives: a bare field name
        // means nothing to the user.
        caption = app::fieldCaption(layout.name, c.field);
        if (!caption.empty()) return;
        const int i = layout.indexOf(c.field);
        const char* label = i >= 0 ? layout.fields[static_cast<size_t>(i)].label : nullptr;
        if (label) caption = label;
    });
    return caption;
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

void FormView::buildStatusBar(const Control& bar, QStatusBar* sb) {
    sb->setSizeGripEnabled(false);
    auto* strip = new StatusStrip(sb);
    sb->addWidget(strip, 1);
    Item item;
    item.kind = ControlKind::StatusBar;
    item.widget = sb;
    items_[bar.name] = item;
    for (Control* p : app_.model().childrenOf(bar.name)) {
        if (p->kind != ControlKind::StatusPanel) continue;
        Item panel;
        panel.kind = ControlKind::StatusPanel;
        panel.widget = strip->addPanel();  // its text and width come with the model's state
        items_[p->name] = panel;
    }
}

}  // namespace zelt::ui
