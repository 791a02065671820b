#include "reports/frequency_reports.h"

#include "editing/list_file.h"
#include "reports/skeleton.h"
#include "store/tree.h"

#include <algorithm>

namespace zelt::reports {

const std::vector<MinorsSection>& minorsSections() {
    using Rule = CountRule;
    static const std::vector<MinorsSection> defs = {
        {"Место рождения", 1, "MR", Rule::Field, "MR", nullptr},
        {"Место учёбы", 1, "MUch", Rule::Field, "MUch", nullptr},
        {"Занятость", 1, "Zan", Rule::Field, "Zan", nullptr},
        {"Регистрация область", 1, "RegO", Rule::Field, "RegO", nullptr},
        {"Регистрация город", 1, "RegG", Rule::Field, "RegG", nullptr},
        {"Регистрация улица", 1, "RegU", Rule::Field, "RegU", nullptr},
        {"Проживание область", 1, "PrO", Rule::Field, "PrO", nullptr},
        {"Проживание город", 1, "PrG", Rule::Field, "PrG", nullptr},
        {"Проживание улица", 1, "PrU", Rule::Field, "PrU", nullptr},
        {"Причина постановки на учёт", 1, "PKDN", Rule::Lines, nullptr, "pr_kdn_p.vrk"},
        // The mother's and the father's status share the one status list.
        {"Статус матери", 1, "Statm", Rule::Field, "Statm", nullptr},
        {"Статус отца", 1, "Stato", Rule::Field, "Statm", nullptr},
        {"Мера привлечения к ответственности судом", 2, "MeraSud", Rule::Prefix, nullptr, "mera_pkos_p.vrk"},
        {"Статья привлечения к ответственности судом", 2, "StSud", Rule::Lines, nullptr, "st_sud_p.vrk"},
        {"Дополнительные обязанности привлечения к ответственности судом", 2, "DObSud", Rule::Lines, nullptr,
         "dop_ob_p.vrk"},
        {"Статья привлечения к ответственности комиссией", 3, "StProt", Rule::Lines, nullptr, "st_kom_p.vrk"},
        {"Мера привлечения к ответственности комиссией", 3, "MeraProt", Rule::Lines, nullptr, "mera_kom_p.vrk"},
        {"Рекомендации привлечения к ответственности комиссией", 3, "Rek", Rule::Lines, nullptr, "rekom_p.vrk"},
        {"Субъект проводимой индивидуальной работы", 4, "SubProf", Rule::Field, "SubProf", nullptr},
    };
    return defs;
}

namespace {

using Rule = CountRule;

// Counts `records` records holding `text` by `rule`.
void count(ValueCounts& counts, Rule rule, const std::string& text, long records) {
    switch (rule) {
        case Rule::Field: counts.countField(text, records); break;
        case Rule::Lines: counts.countLines(text, records); break;
        case Rule::Prefix: counts.countPrefix(text, records); break;
    }
}


ValueCounts phraseList(const std::filesystem::path& dataDir, const char* file) {
    return ValueCounts(editing::readListFile(store::resolvePath(dataDir, file)));
}

// The mega report's section: the heading paragraph, then the 3-column table of the list with its
// counts, formatted simple and then given its widths, and the insertion point below it.
void typeSection(Selection& s, const FrequencySection& section) {
    Table& t = s.tablesAdd(1, 3);
    t.cell(1, 1).setText("№");
    t.cell(1, 2).setText(section.heading);
    t.cell(1, 3).setText("Кол-во");
    const std::vector<std::string>& values = section.counts.values();
    for (size_t i = 0; i < values.size(); ++i) {
        t.rowsAdd();
        const int r = t.rowCount();
        t.cell(r, 1).setText(std::to_string(i + 1));
        t.cell(r, 2).setText(values[i]);
        t.cell(r, 3).setText(std::to_string(section.counts.counts()[i]));
    }
    t.autoFormat(1);
    t.setColumnWidth(1, 30);
    t.setColumnWidth(2, 100);
    t.setColumnWidth(3, 50);
    t.select();
    s.collapse();
}

void typeHeading(Selection& s, const std::string& heading, bool separated) {
    if (separated) s.insertAfter("\r");
    s.insertAfter(heading + "\r");
    s.setBold(true);
    s.setAlignment(1);
    s.collapse();
}

}  // namespace

FrequencySection countFamilyControl(store::TableSet& tables, const std::filesystem::path& dataDir) {
    FrequencySection section{"Контроль", ValueCounts()};
    store::Table& families = tables.table(store::TableId::BDS);
    // The store counts the families shown by their control text, which gives the counts a walk
    // reading each family's text gives. The walk would end on the last family, where the cursor is
    // put; on its way it would only make empty note files for families that had none, which read,
    // show, move and restore as missing ones do.
    families.first();
    if (families.eof()) return section;
    section.counts = phraseList(dataDir, "kontpnu_r.vrk");
    for (const auto& [text, records] : families.countsByText("KKDN")) section.counts.countLines(text, records);
    families.last();
    return section;
}

void typeFamilyControl(const FrequencySection& section, Document& doc) {
    ReportWriter w(doc, 10, ReportWriter::Orientation::None);
    w.type("mega otchot\r\r", false, true);
    typeHeading(w.selection(), section.heading, false);
    typeSection(w.selection(), section);
    w.selection().insertAfter("\r");
}

std::vector<FrequencySection> countMinors(store::TableSet& tables, const PickListItems& pickList,
                                          const std::filesystem::path& dataDir) {
    const std::vector<MinorsSection>& defs = minorsSections();
    std::vector<FrequencySection> sections;
    for (const MinorsSection& d : defs)
        sections.push_back({d.heading, d.listField ? ValueCounts(pickList(d.table, d.listField)) : ValueCounts()});
    // The counts a walk over the minors and each one's details gives, answered by the store: the
    // minors shown by each text of a field, and the details of every minor shown by each text.
    // The walk's after-scroll hook would only make empty note files for minors that had none,
    // which read, show, move and restore as missing ones do.
    store::Table& minors = tables.table(store::TableId::ZELT);
    minors.first();
    if (minors.eof()) return sections;
    // The phrase lists of a table are read, in section order, where the walk would meet the
    // table's first record: a list that cannot be read stops the command there.
    struct FirstRecord {
        long minor;
        int table;
    };
    std::vector<FirstRecord> firsts{{0, 1}};
    for (int detail : {2, 3, 4}) {
        const std::vector<long> perMinor = tables.table(detail).countsPerMasterRecord();
        const auto at = std::find_if(perMinor.begin(), perMinor.end(), [](long n) { return n > 0; });
        if (at != perMinor.end()) firsts.push_back({static_cast<long>(at - perMinor.begin()), detail});
    }
    std::stable_sort(firsts.begin(), firsts.end(),
                     [](const FirstRecord& a, const FirstRecord& b) { return a.minor < b.minor; });
    for (const FirstRecord& f : firsts) {
        bool phrases = false;
        for (const MinorsSection& d : defs) phrases = phrases || (d.table == f.table && d.phraseFile);
        if (!phrases) continue;
        if (minors.currentRow() != f.minor) minors.gotoRow(f.minor);
        if (f.table != 1) tables.table(f.table).first();
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].table == f.table && defs[i].phraseFile) sections[i].counts = phraseList(dataDir, defs[i].phraseFile);
    }
    for (size_t i = 0; i < defs.size(); ++i) {
        const bool counted = std::any_of(firsts.begin(), firsts.end(), [&](const FirstRecord& f) { return f.table == defs[i].table; });
        if (!counted) continue;  // a detail table without records of the minors shown adds nothing
        store::Table& t = tables.table(defs[i].table);
        const std::map<std::string, long> texts =
            defs[i].table == 1 ? t.countsByText(defs[i].field) : t.countsByTextOverMasterRecords(defs[i].field);
        for (const auto& [text, records] : texts) count(sections[i].counts, defs[i].rule, text, records);
    }
    // Where the walk ends: the last minor, each detail table on that minor's last record.
    minors.last();
    for (int detail : {2, 3, 4}) tables.table(detail).last();
    return sections;
}

void typeMinorsReport(const std::vector<FrequencySection>& sections, Document& doc) {
    ReportWriter w(doc, 10, ReportWriter::Orientation::None);
    w.type("mega otchot\r\r", false, true);
    for (size_t k = 0; k < sections.size(); ++k) {
        typeHeading(w.selection(), sections[k].heading, k > 0);
        typeSection(w.selection(), sections[k]);
    }
    w.selection().insertAfter("\r");
}

}  // namespace zelt::reports
