#include "reports/reasons_report.h"

#include "editing/list_file.h"
#include "reports/skeleton.h"
#include "reports/value_counts.h"
#include "store/tree.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace zelt::reports {

void registrationReasonsReport(store::TableSet& tables, const std::filesystem::path& dataDir, Document& doc) {
    ReportWriter w(doc, 11, ReportWriter::Orientation::Portrait);
    w.type("Отчёт несовершеннолетних по причинам постановки на учёт\r\r", true, true);
    Table& t = w.selection().tablesAdd(3, 2);
    t.setColumnWidth(1, 30);
    t.cell(1, 1).setText("№");
    t.cell(1, 2).setText("Фамилия, имя, отчество");
    const std::vector<std::string> reasons =
        editing::readExistingListFile(store::resolvePath(dataDir, "pr_kdn_p.vrk"));

    // The full names under each distinct reason, in the order walking the register once per
    // reason would meet them: minor by minor, line by line.
    std::unordered_map<std::string, std::vector<std::string>> names;
    for (const std::string& r : reasons) names.emplace(r, std::vector<std::string>());
    if (!reasons.empty()) {
        store::Table& minors = tables.table(store::TableId::ZELT);
        for (minors.first(); !minors.eof(); minors.next()) {
            const std::string pkdn = minors.asText("PKDN");
            for (std::string_view line : memoLines(pkdn)) {
                const auto it = names.find(std::string(line));
                if (it != names.end()) it->second.push_back(fullName(minors));
            }
        }
    }

    int r = 3;
    for (const std::string& reason : reasons) {
        t.cell(r, 2).setText(reason);
        t.rowsAdd();
        ++r;
        int n = 1;
        for (const std::string& name : names[reason]) {
            t.cell(r, 1).setText(std::to_string(n++));
            t.cell(r, 2).setText(name);
            ++r;
            t.rowsAdd();
        }
    }
    w.close(16, {doc.tableCount()});
}

}  // namespace zelt::reports
