#include "editing/pick_lists.h"

#include "base/error.h"
#include "editing/list_file.h"
#include "store/tree.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace zelt::editing {

const char* const kSexComboBox = "DBComboBox26";

const std::vector<std::string>& sexValues() {
    static const std::vector<std::string> values = {"М", "Ж"};
    return values;
}

bool holdsListSorted(std::string_view comboBox) {
    static const std::vector<std::string_view> sorted = {
        "DBComboBox1",  "DBComboBox2",  "DBComboBox3",  "DBComboBox4",  "DBComboBox5",  "DBComboBox6",
        "DBComboBox7",  "DBComboBox8",  "DBComboBox9",  "DBComboBox10", "DBComboBox11", "DBComboBox12",
        "DBComboBox13", "DBComboBox14", "DBComboBox15", "DBComboBox16", "DBComboBox17",
    };
    return std::find(sorted.begin(), sorted.end(), comboBox) != sorted.end();
}

const std::vector<PickListRow>& pickListRows() {
    static const std::vector<PickListRow> rows = {
        {1, "gorod.vrk",
         {"DBComboBox1", "DBComboBox13", "DBComboBox15", "DBComboBox3", "DBComboBox6", "DBComboBox18", "DBComboBox21",
          "DBComboBox24", "DBComboBox28", "DBComboBox33", "DBComboBox36", "DBComboBox19", "DBComboBox39", "DBComboBox45",
          "DBComboBox51"}},
        {2, "m_uch_p.vrk", {"DBComboBox8", "DBComboBox42"}},
        {3, "obl.vrk",
         {"DBComboBox2", "DBComboBox5", "DBComboBox20", "DBComboBox23", "DBComboBox32", "DBComboBox35", "DBComboBox29",
          "DBComboBox44", "DBComboBox50"}},
        {4, "ul.vrk",
         {"DBComboBox4", "DBComboBox7", "DBComboBox22", "DBComboBox25", "DBComboBox34", "DBComboBox37", "DBComboBox43",
          "DBComboBox49", "DBComboBox52"}},
        {5, "stat_rod_p.vrk", {"DBComboBox9", "DBComboBox10"}},
        {9, "osnccu_p.vrk", {"DBComboBox11"}},
        {11, "sub.vrk", {"DBComboBox17", "DBComboBox46"}},
        {14, "zan_p.vrk", {"DBComboBox48"}},
        {15, "k_v_pasp_r.vrk",
         {"DBComboBox30", "DBComboBox31", "DBComboBox12", "DBComboBox14", "DBComboBox16", "DBComboBox27"}},
        {16, "opnu_r.vrk", {"DBComboBox38"}},
        {18, "osnccu_r.vrk", {"DBComboBox40"}},
        {19, "pccu_r.vrk", {"DBComboBox41"}},
        {23, "rezpr_r.vrk", {"DBComboBox47"}},
    };
    return rows;
}

LoadedPickLists loadPickLists(const std::filesystem::path& dataDir) {
    LoadedPickLists loaded;
    const PickListRow* row = nullptr;
    std::string file;
    for (int i = 1; i <= 24; ++i) {
        const PickListRow* here = nullptr;
        for (const PickListRow& r : pickListRows())
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
        for (const char* combo : row->comboBoxes) {
            std::vector<std::string>& items = loaded.values[combo];
            items.insert(items.end(), lines.begin(), lines.end());
        }
    }
    return loaded;
}

const std::vector<ListLabel>& listLabels() {
    static const std::vector<ListLabel> labels = [] {
        std::vector<ListLabel> v;
        const auto add = [&v](std::initializer_list<const char*> names, const char* file) {
            for (const char* n : names) v.push_back({n, file, false});
        };
        add({"Label5", "Label142", "Label144", "Label7", "Label12", "Label52", "Label75", "Label61", "Label66", "Label84",
             "Label89", "Label172", "Label181", "Label186"},
            "gorod.vrk");
        add({"Label6", "Label11", "Label60", "Label65", "Label83", "Label88", "Label180", "Label185"}, "obl.vrk");
        add({"Label8", "Label13", "Label62", "Label67", "Label85", "Label90", "Label182", "Label187"}, "ul.vrk");
        add({"Label140", "Label148", "Label152", "Label59", "Label82", "Label179"}, "k_v_pasp_r.vrk");
        add({"Label16", "Label104"}, "m_uch_p.vrk");
        add({"Label114"}, "zan_p.vrk");
        add({"Label22", "Label27"}, "stat_rod_p.vrk");
        v.push_back({"Label31", "osnccu_p.vrk", true});
        add({"Label43", "Label110"}, "sub.vrk");
        add({"Label113"}, "rezpr_r.vrk");
        add({"Label95"}, "opnu_r.vrk");
        add({"Label98"}, "osnccu_r.vrk");
        add({"Label99"}, "pccu_r.vrk");
        add({"Label34"}, "pr_kdn_p.vrk");
        add({"Label36"}, "st_sud_p.vrk");
        add({"Label38"}, "dop_ob_p.vrk");
        add({"Label37"}, "mera_pkos_p.vrk");
        add({"Label41"}, "st_kom_p.vrk");
        add({"Label42"}, "mera_kom_p.vrk");
        add({"Label47"}, "rekom_p.vrk");
        add({"Label96"}, "kontpnu_r.vrk");
        add({"Label29", "Label213"}, "otkogo_r.vrk");
        add({"Label107", "Label211"}, "opko_r.vrk");
        add({"Label108", "Label212"}, "pmpko_r.vrk");
        add({"Label109", "Label216"}, "dmpko_r.vrk");
        add({"Label192"}, "opko_pr.vrk");
        add({"Label195"}, "otkogo_pr.vrk");
        add({"Label193"}, "mpko_pr.vrk");
        return v;
    }();
    return labels;
}

}  // namespace zelt::editing
