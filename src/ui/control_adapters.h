// How the state of a control shows on the widget the view made for it: one adapter per kind of
// control, found through one table.
#pragma once

#include "app/form/form_model.h"
#include "ui/view_item.h"

namespace zelt::ui {

// Shows the state of `c` on its widget. The view calls adapters only while it follows the model,
// so the signals the widget sends meanwhile are not the user's actions.
using Adapter = void (*)(const app::Control& c, ViewItem& item);

// The adapter of a kind; null for a kind with nothing of its own to show (a panel, a status bar)
// and for the kinds the view shows itself: windows, and tabs, which are part of their page control.
Adapter adapterFor(app::ControlKind kind);

// What every widget of a container shows alike: whether it is visible and enabled, its hint, its
// context menu, and the caption label the view made for it.
void applyCommon(const app::Control& c, ViewItem& item);

// Gives a radio group one button per item and checks the chosen one.
void rebuildRadios(const app::Control& c, ViewItem& item);

}  // namespace zelt::ui
