#include "app/cards.h"

namespace zelt::app {

std::string cardControl(const FormModel& model, int table, const std::string& field) {
    static const char* const kCardTabs[] = {"TabSheet2", "TabSheet4", "TabSheet24", "TabSheet31"};
    for (const auto& c : model.controls()) {
        if (c->dataSource != table || c->field != field) continue;
        // The grid tabs show some fields too: only the control lying on a card counts.
        for (std::string p = c->parent; !p.empty(); p = model.get(p).parent)
            for (const char* tab : kCardTabs)
                if (p == tab) return c->name;
    }
    return std::string();
}

}  // namespace zelt::app
