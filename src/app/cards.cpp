#include "app/cards.h"

#include "store/tree.h"

#include <algorithm>

namespace zelt::app {

void forEachCardField(const std::function<void(const CardGroup&, const CardField&)>& f) {
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            for (const CardField& field : g.fields) f(g, field);
}

bool holdsListSorted(std::string_view comboBox) {
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            for (const CardField& f : g.fields)
                if (comboBox == f.control) return card.sortsLists && f.entry == Entry::ComboBox && f.list && !f.keepsFileOrder;
    return false;
}

std::string cardControl(int table, std::string_view field) {
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            if (g.source == table)
                for (const CardField& f : g.fields)
                    if (field == f.field) return f.control;
    return std::string();
}

const CardField* cardFieldOf(std::string_view layout, std::string_view field) {
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            if (layout == store::tableObject(g.source).table)
                for (const CardField& f : g.fields)
                    if (field == f.field) return &f;
    return nullptr;
}

const CardGroup* cardGroup(std::string_view name) {
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups)
            if (name == g.name) return &g;
    return nullptr;
}

std::vector<editing::PickListRow> pickListRows() {
    std::vector<editing::PickListRow> rows;
    for (const editing::ListFileStep& s : editing::pickListSteps()) rows.push_back({s.order, s.file, {}});
    forEachCardField([&rows](const CardGroup&, const CardField& f) {
        if (f.entry != Entry::ComboBox || !f.list) return;
        auto row = std::find_if(rows.begin(), rows.end(), [&f](const editing::PickListRow& r) { return r.file == f.list; });
        if (row == rows.end()) row = rows.insert(rows.end(), {std::max(24, rows.back().order) + 1, f.list, {}});
        row->comboBoxes.push_back(f.control);
    });
    return rows;
}

std::vector<std::string> cardListFiles() {
    std::vector<std::string> files;
    const auto add = [&files](const char* file) {
        if (file && std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    };
    forEachCardField([&add](const CardGroup&, const CardField& f) {
        add(f.list);
        add(f.phrases.file);
    });
    return files;
}

}  // namespace zelt::app
