#include "reports/frequency_reports.h"

#include "editing/list_file.h"
#include "reports/skeleton.h"
#include "store/tree.h"

namespace zelt::reports {

const std::vector<MinorsSection>& minorsSections() {
    using Rule = CountRule;
    static const std::vector<MinorsSection> defs = {
        {"Место рождения", 1, "MR", Rule::Field, "DBComboBox1", nullptr},
        {"Место учёбы", 1, "MUch", Rule::Field, "DBComboBox8", nullptr},
        {"Занятость", 1, "Zan", Rule::Field, "DBComboBox48", nullptr},
        {"Регистрация область", 1, "RegO", Rule::Field, "DBComboBox2", nullptr},
        {"Регистрация город", 1, "RegG", Rule::Field, "DBComboBox3", nullptr},
        {"Регистрация улица", 1, "RegU", Rule::Field, "DBComboBox4", nullptr},
        {"Проживание область", 1, "PrO", Rule::Field, "DBComboBox5", nullptr},
        {"Проживание город", 1, "PrG", Rule::Field, "DBComboBox6", nullptr},
        {"Проживание улица", 1, "PrU", Rule::Field, "DBComboBox7", nullptr},
        {"Причина постановки на учёт", 1, "PKDN", Rule::Lines, nullptr, "pr_kdn_p.vrk"},
        // The mother's and the father's status share the one status list.
        {"Статус матери", 1, "Statm", Rule::Field, "DBComboBox9", nullptr},
        {"Статус отца", 1, "Stato", Rule::Field, "DBComboBox9", nullptr},
        {"Мера привлечения к ответственности судом", 2, "MeraSud", Rule::Prefix, nullptr, "mera_pkos_p.vrk"},
        {"Статья привлечения к ответственности судом", 2, "StSud", Rule::Lines, nullptr, "st_sud_p.vrk"},
        {"Дополнительные обязанности привлечения к ответственности судом", 2, "DObSud", Rule::Lines, nullptr,
         "dop_ob_p.vrk"},
        {"Статья привлечения к ответственности комиссией", 3, "StProt", Rule::Lines, nullptr, "st_kom_p.vrk"},
        {"Мера привлечения к ответственности комиссией", 3, "MeraProt", Rule::Lines, nullptr, "mera_kom_p.vrk"},
        {"Рекомендации привлечения к ответственности комиссией", 3, "Rek", Rule::Lines, nullptr, "rekom_p.vrk"},
        {"Субъект проводимой индивидуальной работы", 4, "SubProf", Rule::Field, "DBComboBox17", nullptr},
    };
    return defs;
}

namespace {

using Rule = CountRule;

void count(ValueCounts& counts, Rule rule, const std::string& text) {
    switch (rule) {
        case Rule::Field: counts.countField(text); break;
        case Rule::Lines: counts.countLines(text); break;
        case Rule::Prefix: counts.countPrefix(text); break;
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
    store::Table& families = tables.table(9);
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
        sections.push_back({d.heading, d.comboBox ? ValueCounts(pickList(d.comboBox)) : ValueCounts()});
    // The phrase lists of a table are read at its first record, in section order.
    bool read[5] = {false, false, false, false, false};
    const auto countRecord = [&](int table) {
        if (!read[table])
            for (size_t i = 0; i < defs.size(); ++i)
                if (defs[i].table == table && defs[i].phraseFile) sections[i].counts = phraseList(dataDir, defs[i].phraseFile);
        read[table] = true;
        const store::Table& t = tables.table(table);
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].table == table) count(sections[i].counts, defs[i].rule, t.asText(defs[i].field));
    };
    store::Table& minors = tables.table(1);
    for (minors.first(); !minors.eof(); minors.next()) {
        countRecord(1);
        for (int detail : {2, 3, 4}) {
            store::Table& d = tables.table(detail);
            for (d.first(); !d.eof(); d.next()) countRecord(detail);
        }
    }
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
