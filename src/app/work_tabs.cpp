#include "app/work_tabs.h"

namespace zelt::app {

const std::vector<WorkTab>& workTabs() {
    using R = Register;
    using T = TabRole;
    static const std::vector<WorkTab> tabs = {
        {"TabSheet1", "Несовершеннолетние", R::Minors, T::Grids},
        {"TabSheet2", "БД несовершеннолетних", R::Minors, T::Card},
        {"TabSheet3", "Родители", R::Parents, T::Grids},
        {"TabSheet4", "БД родителей", R::Parents, T::Card},
        {"TabSheet5", "Архив несовершеннолетние", R::Minors, T::Archive},
        {"TabSheet6", "Архив родители", R::Parents, T::Archive},
        {"TabSheet23", "Прочие", R::Others, T::Grids},
        {"TabSheet24", "БД прочие", R::Others, T::Card},
        {"TabSheet25", "Архив прочие", R::Others, T::Archive},
        {"TabSheet30", "Учреждения", R::Institutions, T::Grids},
        {"TabSheet31", "БД учреждения", R::Institutions, T::Card},
        {"TabSheet32", "Архив учреждения", R::Institutions, T::Archive},
    };
    return tabs;
}

const WorkTab* workTabNamed(std::string_view name) {
    for (const WorkTab& t : workTabs())
        if (name == t.name) return &t;
    return nullptr;
}

std::string workTabOf(Register r, TabRole role) {
    for (const WorkTab& t : workTabs())
        if (t.reg == r && t.role == role) return t.name;
    return std::string();
}

}  // namespace zelt::app
