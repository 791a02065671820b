// The work area's twelve tabs as data: each register's grid tab, card tab and archive tab.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelt::app {

enum class Register { Minors, Parents, Others, Institutions };

// What a tab of a register shows.
enum class TabRole { Grids, Card, Archive };

struct WorkTab {
    const char* name;
    const char* caption;
    Register reg;
    TabRole role;
};

// The tabs in the work area's order.
const std::vector<WorkTab>& workTabs();

// The tab of that name, or nullptr.
const WorkTab* workTabNamed(std::string_view name);

// The name of register `r`'s tab of that role.
std::string workTabOf(Register r, TabRole role);

}  // namespace zelt::app
