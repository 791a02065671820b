#include "reports/deregistration.h"

#include "reports/detail_lists.h"

#include <array>
#include <vector>

namespace zelt::reports {
namespace {

constexpr int kLiveMinors = 1, kCourt = 2, kArchivedMinors = 5, kArchivedFamilies = 13, kArchivedChildren = 14;

void clearFilter(store::Table& t) {
    t.setFilterText("");
    t.setFiltered(false);
}

// The quarter filter replaces whatever filter the table had; switching it on goes to its first record.
void setQuarter(store::Table& t, int quarter, int year) {
    clearFilter(t);
    t.setFilterText(quarterFilter(quarter, year));
    t.setFiltered(true);
}

struct CountsDef {
    Archive archive;
    int table;
    const char* title;
    std::array<const char*, 3> reasons;  // lines 1 to 3; line 4 is every other reason
};

const CountsDef kCounts[] = {
    {Archive::Minors, kArchivedMinors, "Отчёт по снятым\r\r", {"Совершеннолетие", "Арест", "Исправление"}},
    {Archive::Families, kArchivedFamilies, "Отчёт по снятым (родители)\r\r",
     {"Совершеннолетие", "Лишение родительских прав", "Исправление"}},
};

using Lines = std::array<long, 4>;

std::string breakdown(const CountsDef& def, const Lines& lines) {
    return std::string(def.reasons[0]) + " - " + std::to_string(lines[0]) + "\r" + def.reasons[1] + " - " +
           std::to_string(lines[1]) + "\r" + def.reasons[2] + " - " + std::to_string(lines[2]) + "\r" +
           "Другое - " + std::to_string(lines[3]);
}

// The reason lines of the records the table shows. The store counts them by reason, which is what
// walking them and comparing each reason finds; the walk would add nothing else a user sees: the
// next quarter's filter (or the last clearing) moves the cursor away at once, and an empty note
// file made for an archived record that had none shows, moves and restores as a missing one does.
Lines reasonLines(store::Table& t, const CountsDef& def) {
    Lines lines{0, 0, 0, 0};
    for (const auto& [reason, count] : t.countsByText("OCcU")) {
        size_t line = 3;
        for (size_t i = 0; i < def.reasons.size() && line == 3; ++i)
            if (reason == def.reasons[i]) line = i;
        lines[line] += count;
    }
    return lines;
}

// The four address parts of the yearly list, in the order they are written.
const AddressFields kYearlyAddressParts[] = {
    {nullptr, "GRm", "URm", "DomRm", "KRm"},
    {nullptr, "Gm", "Um", "Dm", "Km"},
    {nullptr, "GRo", "URo", "DomRo", "KRo"},
    {nullptr, "Go", "Uo", "Do", "Ko"},
};

// Quarter 1 writes each part as the short labelled address; the later quarters city, house and
// flat only, and test only those three for being filled.
std::string yearlyAddresses(const store::Table& family, int quarter) {
    std::string text;
    bool first = true;
    for (const AddressFields& a : kYearlyAddressParts) {
        const std::string city = fieldText(family, a.city), house = fieldText(family, a.house),
                          flat = fieldText(family, a.flat);
        const std::string street = quarter == 1 ? fieldText(family, a.street) : std::string();
        if (!(city + street + house + flat).empty()) {
            const std::string part =
                quarter == 1 ? address(family, a, AddressForm::ShortLabelled) : city + " " + house + " " + flat;
            text += first ? part : "\r" + part;
        }
        first = false;
    }
    return text;
}

const std::vector<std::string> kYearlyHeaders = {"№",
                                                 "Фамилия, имя, отчество",
                                                 "Адрес регистрации, проживания",
                                                 "Сведения о детях",
                                                 "Дата снятия с учёта",
                                                 "Основание снятия с учёта",
                                                 "Причина снятия с учёта"};

const char* const kQuarterHeadings[] = {"1-й квартал\r\r", "2-й квартал\r\r", "3-й квартал\r\r", "4-й квартал\r\r"};

const std::vector<std::string> kConvictedHeaders = {"№",     "Фамилия", "Имя",      "Отчество",    "Дата рождения",
                                                    "Город", "Улица",   "Дом",      "Квартира",    "Место учёбы",
                                                    "Привлечения судом"};
const char* const kConvictedFields[] = {"F", "I", "O", "DR", "PrG", "PrU", "PrD", "PrK", "MUch"};
const EntryPart kCourtEntry[] = {{true, "DSud"},   {false, "\r"}, {true, "StSud"}, {false, "\r"},
                                 {true, "MeraSud"}, {false, "\r"}, {true, "DObSud"}};

}  // namespace

std::string quarterFilter(int quarter, int year) {
    static const char* const kStarts[] = {"01.01.", "01.04.", "01.07.", "01.10."};
    const std::string lo = kStarts[quarter - 1] + std::to_string(year);
    const std::string hi = quarter == 4 ? "01.01." + std::to_string(year + 1) : kStarts[quarter] + std::to_string(year);
    return "(DCcU>='" + lo + "')and(DCcU<'" + hi + "')";
}

void quarterCounts(store::TableSet& tables, Archive archive, int year, Document& doc) {
    const CountsDef& def = kCounts[archive == Archive::Minors ? 0 : 1];
    store::Table& t = tables.table(def.table);
    ReportWriter w(doc, 0, ReportWriter::Orientation::None);
    w.type(def.title, true, true);
    Table& table = w.selection().tablesAdd(6, 5);
    table.setColumnWidth(1, 70);
    const int k = doc.tableCount();
    w.cell(k, 1, 2, std::to_string(year));
    w.cell(k, 1, 4, std::to_string(year - 1));
    for (int q = 1; q <= 4; ++q) w.cell(k, q + 1, 1, std::to_string(q) + " квартал");
    w.cell(k, 6, 1, "Всего:");
    table.merge(1, 2, 3);
    table.merge(1, 3, 4);

    // One pair of columns per year: Y in columns 2 and 3, Y - 1 in columns 4 and 5.
    long totals[2] = {0, 0};
    Lines summed[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    for (int q = 1; q <= 4; ++q)
        for (int pair = 0; pair < 2; ++pair) {
            setQuarter(t, q, year - pair);
            // Every record shown falls on exactly one line: the lines sum to the record count.
            const Lines lines = reasonLines(t, def);
            const long count = lines[0] + lines[1] + lines[2] + lines[3];
            w.cell(k, q + 1, 2 + 2 * pair, std::to_string(count));
            totals[pair] += count;
            w.cell(k, q + 1, 3 + 2 * pair, breakdown(def, lines));
            for (size_t i = 0; i < lines.size(); ++i) summed[pair][i] += lines[i];
        }
    clearFilter(t);
    for (int pair = 0; pair < 2; ++pair) {
        w.cell(k, 6, 2 + 2 * pair, std::to_string(totals[pair]));
        w.cell(k, 6, 3 + 2 * pair, breakdown(def, summed[pair]));
    }
    w.close(16, {k});
}

void yearlyFamilyList(store::TableSet& tables, int year, Document& doc) {
    store::Table& t = tables.table(kArchivedFamilies);
    ReportWriter w(doc, 9, ReportWriter::Orientation::Landscape);
    w.type("Отчёт по снятым за год (родители)\r", true, true);
    w.type(kQuarterHeadings[0], true, false);
    for (int q = 1; q <= 4; ++q) {
        const int k = w.listTable(1, static_cast<int>(kYearlyHeaders.size()), kYearlyHeaders);
        setQuarter(t, q, year);
        for (int n = 1; !t.eof(); t.next(), ++n) {
            const int row = w.appendRow(k);
            w.cell(k, row, 1, std::to_string(n));
            w.cell(k, row, 2, parentsNames(t));
            w.cell(k, row, 3, yearlyAddresses(t, q));
            w.cell(k, row, 4, childrenList(tables.table(kArchivedChildren)));
            w.cell(k, row, 5, fieldText(t, "DCcU"));
            w.cell(k, row, 6, fieldText(t, "OCcU"));
            w.cell(k, row, 7, fieldText(t, "PCcU"));
        }
        clearFilter(t);
        w.close(16, {k});
        if (q < 4) {
            // The paragraph typed below the table keeps the next section's table apart from it.
            doc.table(k).select();
            Selection& s = w.selection();
            s.collapse();
            s.insertAfter("\r");
            s.insertAfter(kQuarterHeadings[q]);
            s.setBold(true);
            s.setAlignment(0);
            s.collapse();
        }
    }
}

void convictedList(store::TableSet& tables, Document& doc) {
    store::Table& minors = tables.table(kLiveMinors);
    store::Table& court = tables.table(kCourt);
    minors.first();
    ReportWriter w(doc, 9, ReportWriter::Orientation::Landscape);
    w.type(datedTitle("Осужденные"), true, true);
    const int k = w.listTable(1, static_cast<int>(kConvictedHeaders.size()), kConvictedHeaders);
    for (int r = 2; !minors.eof(); minors.next()) {
        if (court.recordCount() == 0) continue;
        const int row = w.appendRow(k);
        w.cell(k, row, 1, std::to_string(r - 1));
        int column = 2;
        for (const char* field : kConvictedFields) w.cell(k, row, column++, fieldText(minors, field));
        w.cell(k, row, column, detailList(court, kCourtEntry));
        ++r;
    }
    w.close(16, {k});
}

}  // namespace zelt::reports
