// What the view made for one control of the form model: its widget, and for the kinds that need
// more, its menu action, its page control, its radio buttons or its grid's rows.
#pragma once

#include "app/form/form_model.h"

#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace zelt::ui {

class TableGridModel;

struct ViewItem {
    app::ControlKind kind = app::ControlKind::Panel;
    QPointer<QWidget> widget;
    QPointer<QWidget> buddy;  // a caption label the view made for the control
    QPointer<QAction> action;
    QPointer<QMenu> menu;
    QPointer<QTabWidget> tabs;  // a tab's page control
    QPointer<QButtonGroup> radios;
    TableGridModel* grid = nullptr;
};

// Controls the user types into and leaves: edits, combo boxes and memo boxes.
inline bool isInput(app::ControlKind k) {
    return k == app::ControlKind::Edit || k == app::ControlKind::ComboBox || k == app::ControlKind::Memo;
}

}  // namespace zelt::ui
