#include "app/form/form_model.h"

#include "base/error.h"

namespace zelt::app {

Control& FormModel::add(Control c) {
    if (byName_.count(c.name)) throw EngineError("элемент " + c.name + " уже есть");
    controls_.push_back(std::make_unique<Control>(std::move(c)));
    Control& added = *controls_.back();
    byName_[added.name] = &added;
    return added;
}

Control& FormModel::add(std::string name, ControlKind kind, std::string parent, std::string caption) {
    Control c;
    c.name = std::move(name);
    c.kind = kind;
    c.parent = std::move(parent);
    c.caption = std::move(caption);
    return add(std::move(c));
}

Control* FormModel::find(const std::string& name) {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

const Control* FormModel::find(const std::string& name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

Control& FormModel::get(const std::string& name) {
    Control* c = find(name);
    if (!c) throw EngineError("нет элемента " + name);
    return *c;
}

const Control& FormModel::get(const std::string& name) const {
    const Control* c = find(name);
    if (!c) throw EngineError("нет элемента " + name);
    return *c;
}

std::vector<Control*> FormModel::childrenOf(const std::string& parent) const {
    std::vector<Control*> out;
    for (const auto& c : controls_)
        if (c->parent == parent) out.push_back(c.get());
    return out;
}

void FormModel::on(const std::string& control, const std::string& event, Handler h) {
    handlers_[{control, event}] = std::move(h);
}

bool FormModel::hasHandler(const std::string& control, const std::string& event) const {
    return handlers_.count({control, event}) != 0;
}

bool FormModel::fire(const std::string& control, const std::string& event, const EventArgs& args) {
    const auto it = handlers_.find({control, event});
    if (it == handlers_.end()) return false;
    // Copy: a handler may replace handlers while it runs.
    const Handler h = it->second;
    h(args);
    return true;
}

void FormModel::setText(const std::string& name, const std::string& text) {
    Control& c = get(name);
    c.text = text;
    changed(c);
}

void FormModel::setCaption(const std::string& name, const std::string& caption) {
    Control& c = get(name);
    c.caption = caption;
    changed(c);
}

void FormModel::setVisible(const std::string& name, bool visible) {
    Control& c = get(name);
    c.visible = visible;
    changed(c);
}

void FormModel::setReadOnly(const std::string& name, bool readOnly) {
    Control& c = get(name);
    c.readOnly = readOnly;
    changed(c);
}

void FormModel::setWidth(const std::string& name, int width) {
    Control& c = get(name);
    c.width = width;
    changed(c);
}

void FormModel::setItemIndex(const std::string& name, int index) {
    Control& c = get(name);
    c.itemIndex = index;
    changed(c);
}

void FormModel::setChecked(const std::string& name, size_t index, bool on) {
    Control& c = get(name);
    if (index >= c.items.size()) return;
    c.checked.resize(c.items.size(), false);
    c.checked[index] = on;
    changed(c);
}

}  // namespace zelt::app
