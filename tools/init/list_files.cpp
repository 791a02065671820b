#include "init/list_files.h"

#include "app/about_window.h"
#include "app/cards.h"
#include "app/settings_window.h"
#include "base/error.h"
#include "editing/pick_lists.h"

#include <algorithm>
#include <fstream>

namespace zelt::init {

std::vector<std::string> listFileNames() {
    std::vector<std::string> names;
    const auto add = [&names](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    for (const auto& step : editing::pickListSteps()) add(step.file);
    for (const std::string& file : app::cardListFiles()) add(file);
    add(app::SettingsWindow::kSettingsFile);
    add(app::AboutWindow::kRegionFile);
    return names;
}

int createEmptyListFiles(const std::filesystem::path& dataDir) {
    int created = 0;
    for (const std::string& name : listFileNames()) {
        const std::filesystem::path path = dataDir / name;
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) continue;
        std::ofstream out(path, std::ios::binary);
        if (!out) throw EngineError("Не удаётся создать файл " + path.string());
        ++created;
    }
    return created;
}

}  // namespace zelt::init
