// The headless form model: every named control of the program's windows with the state a user
// sees (caption, text, visibility, read-only, items, width), the data source and field a
// data-aware control shows, and the event handlers named after the control and the event.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zelt::app {

enum class ControlKind {
    Form,         // a window: caption, client width and height
    Menu,         // a drop-down menu of the main menu bar
    MenuItem,     // a command of a menu (or a direct command on the bar when its parent is the form)
    Separator,    // a separator line of a menu
    PopupMenu,    // a context menu; its items are MenuItems with it as parent
    PageControl,  // a set of tabs; `text` is the name of the selected TabSheet
    TabSheet,     // one tab: caption; visibility is whether its tab is shown
    GroupBox,     // a captioned group of controls
    Panel,        // a plain container
    Label,        // a caption; `color` for link labels
    Edit,         // one-line data-aware edit
    ComboBox,     // drop-down combo box: `items` is its list
    Memo,         // multi-line data-aware memo box
    RichEdit,     // operational-information box
    Grid,         // data-aware grid: `columns`
    Navigator,    // navigator bar of ten buttons for its data source
    Button,       // push button: caption
    RadioGroup,   // caption, `items`, `itemIndex`
    Image,        // a picture
    StatusBar,    // the status bar; its panels are StatusPanels with it as parent
    StatusPanel,  // one panel: text and width in pixels
    ProgressBar,  // `itemIndex` is the position, `width` the maximum
    CheckListBox, // a list of tick boxes in `columns` columns: `items`, `checked`; width, height in pixels
};

// One column of a grid: the field, its title and its width in characters.
struct GridColumn {
    std::string field;
    std::string title;
    int width = 0;
};

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Panel;
    std::string parent;   // containing control or window; "" for a window
    std::string caption;  // windows, menus, menu items, tabs, groups, labels, buttons, radio groups
    std::string text;     // what an edit, combo box, memo or status panel shows; a page control's tab
    std::string hint;     // tool tip (navigator buttons)
    bool visible = true;
    bool enabled = true;
    bool readOnly = false;
    int width = 0;   // status panel: pixels; form: client width; edit: characters
    int height = 0;  // form: client height
    std::vector<std::string> items;  // combo box list, radio group items
    int itemIndex = -1;              // radio group selection
    bool isDefault = false;          // button: the one Enter presses in its window
    std::vector<bool> checked;       // check list: one tick per item
    int listColumns = 1;             // check list: columns the items are laid out in
    int dataSource = 0;              // DataSourceN a data-aware control shows; 0 for none
    std::string field;               // the field it shows
    std::vector<GridColumn> columns;  // grids
    std::string popupMenu;            // context menu of the control
    long color = -1;                  // text colour 0x00BBGGRR; -1 the default
    bool colourAdults = false;        // grids: rows whose age L is 18 or more are painted cyan
    bool modified = false;            // typed text not yet written to the field
};

// What an event carries beyond its control: a typed text, a grid column's field, a row.
struct EventArgs {
    std::string text;
    std::string field;
    long row = -1;
};

class FormModel {
public:
    using Handler = std::function<void(const EventArgs&)>;
    using Observer = std::function<void(const Control&)>;

    // Adds a control; a second control of the same name is a programming error (EngineError).
    Control& add(Control c);
    // Adds a control of that name, kind and container with its caption, for the usual case.
    Control& add(std::string name, ControlKind kind, std::string parent, std::string caption = std::string());
    // The control of that name; EngineError "нет элемента NAME" when there is none.
    Control& get(const std::string& name);
    const Control& get(const std::string& name) const;
    Control* find(const std::string& name);
    const Control* find(const std::string& name) const;
    // Every control in the order it was added.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    std::vector<Control*> childrenOf(const std::string& parent) const;

    // Handlers by control and event ("Click", "DblClick", "Exit", "Change", "KeyUp", "MouseUp",
    // "TitleClick", "Popup", "MouseEnter", "MouseLeave", "Show"). fire() returns false when the
    // control has no handler for the event.
    void on(const std::string& control, const std::string& event, Handler h);
    bool hasHandler(const std::string& control, const std::string& event) const;
    bool fire(const std::string& control, const std::string& event, const EventArgs& args = {});

    // The view is told after a control's state changed (call changed() after changing a control).
    void setObserver(Observer o) { observer_ = std::move(o); }
    void changed(const Control& c) const {
        if (observer_) observer_(c);
    }
    // Shortcuts that change and tell in one step.
    void setText(const std::string& name, const std::string& text);
    void setCaption(const std::string& name, const std::string& caption);
    void setVisible(const std::string& name, bool visible);
    void setReadOnly(const std::string& name, bool readOnly);
    void setWidth(const std::string& name, int width);
    void setItemIndex(const std::string& name, int index);
    // Ticks item `index` of a check list on or off; an index beyond its items changes nothing.
    void setChecked(const std::string& name, size_t index, bool on);

private:
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, Control*> byName_;
    std::map<std::pair<std::string, std::string>, Handler> handlers_;
    Observer observer_;
};

}  // namespace zelt::app
