// The pictures of the clerks' guide: one per task, each a real window of the running program in
// the state the guide describes (a register chosen, a tab shown, a menu or list dropped down).
#pragma once

#include <QString>

namespace zelt::app {
class Application;
}
namespace zelt::ui {
class FormView;
}

namespace zelt::screenshots {

// The date the demo data and the program's clock share, so that ages and statistics stay the same.
inline constexpr const char* kToday = "01.06.2026";

// Takes every picture into `outDir` as NAME.png, printing one line per picture. Returns the number
// of pictures that could not be made (a window not built yet counts as skipped, not failed).
int takeAll(app::Application& program, ui::FormView& view, const QString& outDir);

}  // namespace zelt::screenshots
