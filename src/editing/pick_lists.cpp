#include "editing/pick_lists.h"

#include "base/error.h"
#include "editing/list_file.h"
#include "store/tree.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace zelt::editing {

const std::vector<ListFileStep>& pickListSteps() {
    static const std::vector<ListFileStep> steps = {
        {1, "gorod.vrk"},       {2, "m_uch_p.vrk"},     {3, "obl.vrk"},      {4, "ul.vrk"},
        {5, "stat_rod_p.vrk"},  {9, "osnccu_p.vrk"},    {11, "sub.vrk"},     {14, "zan_p.vrk"},
        {15, "k_v_pasp_r.vrk"}, {16, "opnu_r.vrk"},     {18, "osnccu_r.vrk"}, {19, "pccu_r.vrk"},
        {23, "rezpr_r.vrk"},
    };
    return steps;
}

LoadedPickLists loadPickLists(const std::filesystem::path& dataDir, const std::vector<PickListRow>& rows) {
    LoadedPickLists loaded;
    const PickListRow* row = nullptr;
    std::string file;
    int last = 24;  // the load order ends with a step that reads again and adds nothing
    for (const PickListRow& r : rows) last = std::max(last, r.order);
    for (int i = 1; i <= last; ++i) {
        const PickListRow* here = nullptr;
        for (const PickListRow& r : rows)
            if (r.order == i) here = &r;
        if (here) {
            row = here;
            file = here->file;
        }
        if (file.empty()) continue;
        const std::filesystem::path path = store::resolvePath(dataDir, file);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            std::ofstream create(path, std::ios::binary);
            if (!create) break;
            store::noteCreatedFile(path);
        }
        if (!std::ifstream(path, std::ios::binary)) break;
        if (!here) continue;  // the same file again under a step without a row adds nothing
        std::vector<std::string> lines;
        try {
            lines = readListFile(path);
        } catch (const EngineError& e) {
            loaded.readError = e.what();
            break;
        }
        for (const std::string& combo : row->comboBoxes) {
            std::vector<std::string>& items = loaded.values[combo];
            items.insert(items.end(), lines.begin(), lines.end());
        }
    }
    return loaded;
}

}  // namespace zelt::editing
