#include "bench/literal_reports.h"

#include "app/main_window.h"
#include "editing/list_file.h"
#include "reports/frequency_reports.h"
#include "reports/skeleton.h"
#include "store/tree.h"

#include <set>
#include <vector>

namespace zelt::bench {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The lines of a memo, split here independently of the reports: CR LF, CR or LF end a line.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) out.push_back(line);
    return out;
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// The first n characters of UTF-8 text.
std::string firstChars(const std::string& s, size_t n) {
    size_t pos = 0, chars = 0;
    while (pos < s.size() && chars < n) {
        ++pos;
        while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
        ++chars;
    }
    return s.substr(0, pos);
}

size_t chars(const std::string& s) {
    size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void countLiterally(const std::vector<std::string>& values, std::vector<long long>& counts, reports::CountRule rule,
                    const std::string& text) {
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string& v = values[i];
        switch (rule) {
            case reports::CountRule::Field:
                if (!text.empty() && text == v) ++counts[i];
                break;
            case reports::CountRule::Lines:
                for (const std::string& l : lines(text))
                    if (l == v) ++counts[i];
                break;
            case reports::CountRule::Prefix:
                if (!text.empty() && trim(firstChars(text, chars(v))) == trim(v)) ++counts[i];
                break;
        }
    }
}

Rows rowsOf(const reports::Table& t) {
    Rows rows;
    for (const auto& row : t.rows()) {
        std::vector<std::string> cells;
        for (const reports::Cell& c : row) cells.push_back(c.text());
        rows.push_back(cells);
    }
    return rows;
}

std::vector<const reports::Table*> tablesOf(const reports::Document& doc) {
    std::vector<const reports::Table*> tables;
    for (const reports::Block& b : doc.blocks())
        if (b.isTable()) tables.push_back(b.table.get());
    return tables;
}

// A frequency table's rows from its list and counts, header first.
Rows frequencyRows(const std::string& heading, const std::vector<std::string>& values,
                   const std::vector<long long>& counts) {
    Rows rows = {{"№", heading, "Кол-во"}};
    for (size_t i = 0; i < values.size(); ++i) rows.push_back({std::to_string(i + 1), values[i], std::to_string(counts[i])});
    return rows;
}

std::string compare(const std::string& what, const Rows& literal, const Rows& report) {
    if (literal.size() != report.size())
        return what + ": " + std::to_string(literal.size()) + " rows counted literally, the report has " +
               std::to_string(report.size());
    for (size_t r = 0; r < literal.size(); ++r)
        if (literal[r] != report[r]) return what + ": row " + std::to_string(r + 1) + " differs";
    return "";
}

// The values a report's table lists, in its order: the lists the report read.
std::vector<std::string> listedValues(const reports::Table& t) {
    std::vector<std::string> values;
    for (size_t r = 1; r < t.rows().size(); ++r) values.push_back(t.rows()[r][1].text());
    return values;
}

std::string minorsDifference(app::Application& a, const std::vector<const reports::Table*>& tables) {
    const auto& sections = reports::minorsSections();
    if (tables.size() != sections.size()) return "N134: " + std::to_string(tables.size()) + " tables";
    std::vector<std::vector<std::string>> values;
    std::vector<std::vector<long long>> counts;
    for (const reports::Table* t : tables) {
        values.push_back(listedValues(*t));
        counts.emplace_back(values.back().size(), 0);
    }
    app::MainWindow& w = a.mainWindow();
    const auto countTable = [&](int table) {
        for (size_t k = 0; k < sections.size(); ++k)
            if (sections[k].table == table)
                countLiterally(values[k], counts[k], sections[k].rule, w.table(table).asText(sections[k].field));
    };
    store::Table& minors = w.table(store::TableId::ZELT);
    for (minors.first(); !minors.eof(); minors.next()) {
        countTable(1);
        for (int d : {2, 3, 4})
            for (w.table(d).first(); !w.table(d).eof(); w.table(d).next()) countTable(d);
    }
    for (size_t k = 0; k < sections.size(); ++k) {
        const std::string diff = compare(std::string("N134 ") + sections[k].heading,
                                         frequencyRows(sections[k].heading, values[k], counts[k]), rowsOf(*tables[k]));
        if (!diff.empty()) return diff;
    }
    return "";
}

std::string reasonsDifference(app::Application& a, const std::vector<const reports::Table*>& tables) {
    if (tables.size() != 1) return "N151: " + std::to_string(tables.size()) + " tables";
    const std::vector<std::string> reasons =
        editing::readListFile(store::resolvePath(a.mainWindow().session().dataDir(), "pr_kdn_p.vrk"));
    Rows rows = {{"№", "Фамилия, имя, отчество"}, {"", ""}};
    store::Table& minors = a.mainWindow().table(store::TableId::ZELT);
    for (const std::string& reason : reasons) {
        rows.push_back({"", reason});
        int n = 1;
        for (minors.first(); !minors.eof(); minors.next())
            for (const std::string& l : lines(minors.asText("PKDN")))
                if (l == reason) rows.push_back({std::to_string(n++), reports::fullName(minors)});
    }
    rows.push_back({"", ""});
    return compare("N151", rows, rowsOf(*tables[0]));
}

std::string controlDifference(app::Application& a, const std::vector<const reports::Table*>& tables) {
    if (tables.size() != 1) return "N156: " + std::to_string(tables.size()) + " tables";
    const std::vector<std::string> values = listedValues(*tables[0]);
    std::vector<long long> counts(values.size(), 0);
    store::Table& families = a.mainWindow().table(store::TableId::BDS);
    for (families.first(); !families.eof(); families.next())
        countLiterally(values, counts, reports::CountRule::Lines, families.asText("KKDN"));
    return compare("N156", frequencyRows("Контроль", values, counts), rowsOf(*tables[0]));
}

}  // namespace

void lengthenReportLists(const std::filesystem::path& dataDir, size_t size) {
    std::set<std::string> files = {"gorod.vrk", "m_uch_p.vrk", "zan_p.vrk", "obl.vrk", "ul.vrk", "stat_rod_p.vrk",
                                   "sub.vrk", "kontpnu_r.vrk"};
    for (const reports::MinorsSection& s : reports::minorsSections())
        if (s.phraseFile) files.insert(s.phraseFile);
    for (const std::string& f : files) {
        const std::filesystem::path path = store::resolvePath(dataDir, f);
        std::vector<std::string> values = editing::readListFile(path);
        for (size_t i = values.size(); i < size; ++i) values.push_back("Значение списка " + std::to_string(i));
        editing::writeListFile(path, values);
    }
}

std::string literalDifference(app::Application& a, const std::string& item) {
    const reports::Document* doc = a.mainWindow().lastReport();
    if (!doc) return item + ": no report";
    const std::vector<const reports::Table*> tables = tablesOf(*doc);
    if (item == "N134") return minorsDifference(a, tables);
    if (item == "N151") return reasonsDifference(a, tables);
    return controlDifference(a, tables);
}

}  // namespace zelt::bench
