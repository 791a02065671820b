#include "app/data_binding.h"

#include "base/error.h"

namespace zelt::app {

// Follows one data source for all the controls bound to it.
class DataBinder::Link : public store::DataLink {
public:
    Link(DataBinder& binder, store::Table& table) : binder_(binder), table_(table) {
        table_.dataSource().addLink(this);
    }
    ~Link() override {
        if (attached_) table_.dataSource().removeLink(this);
    }
    void sourceChanged() override { dirty = true; }
    void refreshAll() {
        dirty = false;
        for (Control* c : controls) binder_.refresh(*c);
    }
    void updateRecord() override {
        for (Control* c : controls)
            if (c->modified) binder_.writeBack(c->name);
    }
    void recordCancelled() override {
        for (Control* c : controls) binder_.discardTyping(c->name);
    }
    void sourceDestroyed() override { attached_ = false; }

    std::vector<Control*> controls;
    bool dirty = true;

private:
    DataBinder& binder_;
    store::Table& table_;
    bool attached_ = true;
};

DataBinder::DataBinder(FormModel& model, store::TableSet& tables) : model_(model), tables_(tables) {}

DataBinder::~DataBinder() = default;

void DataBinder::bindAll() {
    std::vector<Link*> bySource(49, nullptr);
    for (const auto& c : model_.controls()) {
        const bool dataAware =
            c->kind == ControlKind::Edit || c->kind == ControlKind::ComboBox || c->kind == ControlKind::Memo;
        if (!dataAware || c->dataSource <= 0 || c->field.empty()) continue;
        Link*& l = bySource[static_cast<size_t>(c->dataSource)];
        if (!l) {
            links_.push_back(std::make_unique<Link>(*this, tables_.table(c->dataSource)));
            l = links_.back().get();
        }
        l->controls.push_back(c.get());
    }
}

void DataBinder::refresh(Control& c) {
    if (c.modified) return;  // the user's typing stays until it is written back or cancelled
    store::Table& t = tables_.table(c.dataSource);
    const std::string text = t.active() ? t.asText(c.field) : std::string();
    if (text != c.text) {
        c.text = text;
        model_.changed(c);
    }
}

void DataBinder::discardTyping(const std::string& name) {
    Control* c = model_.find(name);
    if (!c || !c->modified) return;
    c->modified = false;
    refresh(*c);
}

void DataBinder::flush() {
    for (const auto& l : links_)
        if (l->dirty) l->refreshAll();
}

const std::string& DataBinder::shownText(const std::string& name) {
    Control& c = model_.get(name);
    if (c.dataSource > 0 && !c.modified) refresh(c);
    return c.text;
}

void DataBinder::typed(const std::string& name, const std::string& text) {
    Control& c = model_.get(name);
    if (c.readOnly) return;
    if (c.dataSource <= 0) {
        c.text = text;
        model_.changed(c);
        return;
    }
    store::Table& t = tables_.table(c.dataSource);
    if (!t.active()) return;
    try {
        t.edit();
    } catch (...) {
        // The record cannot be edited (a refused insert): the control goes back to the field.
        c.modified = false;
        refresh(c);
        model_.changed(c);
        throw;
    }
    c.text = text;
    c.modified = true;
    model_.changed(c);
}

void DataBinder::writeBack(const std::string& name) {
    Control& c = model_.get(name);
    if (!c.modified || c.dataSource <= 0) return;
    store::Table& t = tables_.table(c.dataSource);
    c.modified = false;
    if (!t.active()) return;
    t.edit();
    try {
        t.setText(c.field, c.text);
    } catch (...) {
        c.modified = true;  // a text that is not a date or number stays in the control
        throw;
    }
    // The field may have cut the text to its size: show what is stored.
    refresh(c);
}

}  // namespace zelt::app
