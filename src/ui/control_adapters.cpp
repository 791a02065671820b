#include "ui/control_adapters.h"

#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <map>

namespace zelt::ui {

using app::Control;
using app::ControlKind;

namespace {

// A text put into a line edit keeps the typing position while the user is in the box; otherwise
// a value longer than the box shows its beginning, as it does in every desktop program.
void putText(QLineEdit* edit, const QString& text, bool focused) {
    const int pos = edit->cursorPosition();
    edit->setText(text);
    edit->setCursorPosition(focused ? std::min(pos, static_cast<int>(text.size())) : 0);
}

void applyMenuEntry(const Control& c, ViewItem& it) {
    if (!it.action) return;
    if (it.menu) it.menu->setTitle(toQt(c.caption));
    else if (c.kind != ControlKind::Separator) it.action->setText(menuText(c.caption));
    it.action->setVisible(c.visible);
    it.action->setEnabled(c.enabled);
    if (!c.hint.empty()) it.action->setToolTip(toQt(c.hint));
}

void applyGroupBox(const Control& c, ViewItem& it) {
    if (auto* box = qobject_cast<QGroupBox*>(it.widget.data())) box->setTitle(toQt(c.caption));
}

void applyLabel(const Control& c, ViewItem& it) {
    auto* label = qobject_cast<QLabel*>(it.widget.data());
    if (!label) return;
    if (label->text() != toQt(c.caption)) label->setText(toQt(c.caption));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText,
                 c.color >= 0 ? fromBgr(c.color) : QApplication::palette(label).color(QPalette::WindowText));
    label->setPalette(pal);
}

void applyEdit(const Control& c, ViewItem& it) {
    auto* edit = qobject_cast<QLineEdit*>(it.widget.data());
    if (!edit) return;
    const QString text = toQt(c.text);
    if (edit->text() != text) putText(edit, text, edit->hasFocus());
    edit->setReadOnly(c.readOnly);
    // The width is given in characters: a digit's width each, and room for the frame.
    edit->setMaximumWidth(c.width > 0 ? edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (c.width + 1) + 12
                                      : QWIDGETSIZE_MAX);
}

void applyComboBox(const Control& c, ViewItem& it) {
    auto* combo = dynamic_cast<FormComboBox*>(it.widget.data());
    if (!combo) return;
    const QSignalBlocker block(combo);
    bool sameItems = combo->count() == static_cast<int>(c.items.size());
    for (int i = 0; sameItems && i < combo->count(); ++i)
        sameItems = fromQt(combo->itemText(i)) == c.items[static_cast<size_t>(i)];
    const QString text = toQt(c.text);
    if (!sameItems) {
        QStringList list;
        for (const std::string& s : c.items) list << toQt(s);
        combo->clear();
        combo->addItems(list);
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
        if (!combo->hasFocus()) combo->lineEdit()->setCursorPosition(0);
    } else if (combo->currentText() != text) {
        const int pos = combo->lineEdit()->cursorPosition();
        combo->setEditText(text);
        combo->lineEdit()->setCursorPosition(combo->hasFocus() ? std::min(pos, static_cast<int>(text.size())) : 0);
    }
    combo->setReadOnly(c.readOnly);
}

// Memo and rich-text boxes: the same plain text with its line ends, read-only or not.
template <class Box>
void applyTextBox(const Control& c, ViewItem& it) {
    auto* box = qobject_cast<Box*>(it.widget.data());
    if (!box) return;
    const QString text = memoToQt(c.text);
    if (box->toPlainText() != text) box->setPlainText(text);
    box->setReadOnly(c.readOnly);
}

void applyGrid(const Control& c, ViewItem& it) {
    auto* view = qobject_cast<QTableView*>(it.widget.data());
    if (!view || !it.grid) return;
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

// The navigator's items are the hints of its buttons, left to right.
void applyNavigator(const Control& c, ViewItem& it) {
    if (!it.widget) return;
    const auto buttons = it.widget->findChildren<QToolButton*>();
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setToolTip(static_cast<size_t>(i) < c.items.size() ? toQt(c.items[static_cast<size_t>(i)]) : QString());
}

void applyButton(const Control& c, ViewItem& it) {
    if (auto* button = qobject_cast<QPushButton*>(it.widget.data())) button->setText(toQt(c.caption));
}

void applyRadioGroup(const Control& c, ViewItem& it) {
    if (auto* box = qobject_cast<QGroupBox*>(it.widget.data())) box->setTitle(toQt(c.caption));
    rebuildRadios(c, it);
}

void applyStatusPanel(const Control& c, ViewItem& it) {
    auto* label = qobject_cast<QLabel*>(it.widget.data());
    if (!label) return;
    label->setText(toQt(c.text));
    if (auto* strip = dynamic_cast<StatusStrip*>(label->parentWidget())) strip->setPanelWidth(label, c.width);
}

void applyCheckList(const Control& c, ViewItem& it) {
    auto* list = qobject_cast<QListWidget*>(it.widget.data());
    if (!list) return;
    for (int i = 0; i < list->count() && static_cast<size_t>(i) < c.checked.size(); ++i)
        list->item(i)->setCheckState(c.checked[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
}

// A handler's long loop moves the bar without returning to the event loop: the bar repaints
// itself at once whenever its value moves far enough to show.
void applyProgressBar(const Control& c, ViewItem& it) {
    auto* bar = qobject_cast<QProgressBar*>(it.widget.data());
    if (!bar) return;
    const int maximum = std::max(0, c.width);
    bar->setRange(0, maximum);
    bar->setValue(std::clamp(c.itemIndex, 0, maximum));
}

const std::map<ControlKind, Adapter> kAdapters = {
    {ControlKind::Menu, applyMenuEntry},
    {ControlKind::MenuItem, applyMenuEntry},
    {ControlKind::Separator, applyMenuEntry},
    {ControlKind::GroupBox, applyGroupBox},
    {ControlKind::Label, applyLabel},
    {ControlKind::Edit, applyEdit},
    {ControlKind::ComboBox, applyComboBox},
    {ControlKind::Memo, applyTextBox<QPlainTextEdit>},
    {ControlKind::RichEdit, applyTextBox<QTextEdit>},
    {ControlKind::Grid, applyGrid},
    {ControlKind::Navigator, applyNavigator},
    {ControlKind::Button, applyButton},
    {ControlKind::RadioGroup, applyRadioGroup},
    {ControlKind::StatusPanel, applyStatusPanel},
    {ControlKind::CheckListBox, applyCheckList},
    {ControlKind::ProgressBar, applyProgressBar},
};

}  // namespace

Adapter adapterFor(ControlKind kind) {
    const auto it = kAdapters.find(kind);
    return it == kAdapters.end() ? nullptr : it->second;
}

void applyCommon(const Control& c, ViewItem& it) {
    QWidget* w = it.widget;
    if (!w) return;  // menus and menu items are actions
    if (w->isHidden() == c.visible) w->setVisible(c.visible);
    w->setEnabled(c.enabled);
    if (c.kind != ControlKind::Navigator) w->setToolTip(toQt(c.hint));  // its buttons carry the hints
    w->setContextMenuPolicy(c.popupMenu.empty() ? Qt::DefaultContextMenu : Qt::CustomContextMenu);
    if (it.buddy && it.buddy->isHidden() == c.visible) it.buddy->setVisible(c.visible);
}

void rebuildRadios(const Control& c, ViewItem& item) {
    if (!item.radios || !item.widget) return;
    QButtonGroup* group = item.radios;
    const auto buttons = group->buttons();
    bool same = buttons.size() == static_cast<int>(c.items.size());
    for (int i = 0; same && i < buttons.size(); ++i)
        same = group->button(i) && fromQt(group->button(i)->text()) == c.items[static_cast<size_t>(i)];
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
    // Exclusive groups cannot uncheck their last button: a group with no choice has none checked.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == c.itemIndex);
    group->setExclusive(true);
}

}  // namespace zelt::ui
