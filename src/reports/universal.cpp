#include "reports/universal.h"

#include "base/error.h"
#include "reports/detail_lists.h"

namespace zelt::reports {
namespace {

// A choice writes a field of the walked record, or the list of a detail table's records.
struct Choice {
    std::string caption;
    std::string field;  // empty for a detail list
    int detail = 0;     // table object of the detail list
    const EntryPart* entry = nullptr;
    size_t parts = 0;
};

template <size_t N>
Choice detailChoice(const char* caption, int detail, const EntryPart (&entry)[N]) {
    return Choice{caption, std::string(), detail, entry, N};
}

const EntryPart kCourt[] = {{true, "DSud"},   {false, "\r"}, {true, "MeraSud"}, {false, "\r"},
                            {true, "StSud"},  {false, "\r"}, {true, "DObSud"}};
const EntryPart kCommission[] = {{true, "DProt"},   {false, "\r"}, {true, "NProt"}, {false, "\r"}, {true, "StProt"},
                                 {false, "\r"},     {true, "MeraProt"}, {false, "\r"}, {true, "Rek"}};
const EntryPart kPrevention[] = {{true, "SubProf"}, {false, ", "}, {true, "DProf"}, {false, ". "}, {true, "RabProf"}};
const EntryPart kChildren[] = {{true, "F"},  {false, " "},  {true, "I"},  {false, " "},
                               {true, "O"},  {false, ", "}, {true, "DR"}, {false, ". "}, {true, "OU"}};
const EntryPart kResponsibility[] = {
    {false, "Основания:"},           {false, "\r"}, {true, "O"},     {false, "\r"}, {false, "Принятые меры:"},
    {false, "\r"},                   {true, "PM"},  {false, "\r"},   {false, "Дополнительные меры:"},
    {false, "\r"},                   {true, "DM"},  {false, "\r"},   {false, "От кого:"},
    {false, "\r"},                   {true, "Mater"}, {false, "\r"}, {false, "Дата КДН:"},
    {false, "\r"},                   {true, "DKDN"}, {false, "\r"},  {false, "№ КДН:"},
    {false, "\r"},                   {true, "NKDN"}};
const EntryPart kFamilyWork[] = {{true, "S"}, {false, ", "}, {true, "D"}, {false, ". "},
                                 {true, "Pr"}, {false, ". "}, {true, "P"}};

struct ReportDef {
    int table;
    const char* title;
    std::vector<Choice> choices;
};

std::vector<Choice> minorsChoices() {
    static const std::pair<const char*, const char*> kFields[] = {
        {"Фамилия", "F"},          {"Имя", "I"},              {"Отчество", "O"},         {"Дата рождения", "DR"},
        {"Место рождения", "MR"},  {"Область (рег)", "RegO"}, {"Город (рег)", "RegG"},   {"Улица (рег)", "RegU"},
        {"Дом (рег)", "RegD"},     {"Квартира (рег)", "RegK"}, {"Область", "PrO"},       {"Город", "PrG"},
        {"Улица", "PrU"},          {"Дом", "PrD"},            {"Квартира", "PrK"},       {"Место учёбы", "MUch"},
        {"Дата снятия", "DCcU"},   {"Основания снятия", "OCcU"}, {"Фамилия (м)", "Fm"},  {"Имя (м)", "Im"},
        {"Отчество (м)", "Om"},    {"Фамилия (о)", "Fo"},     {"Имя (о)", "Io"},         {"Отчество (о)", "Oo"},
        {"Статус (м)", "Statm"},   {"Статус (о)", "Stato"},   {"Место работы (м)", "MRm"}, {"Место работы (о)", "MRo"},
        {"Д/телефон", "DTel"},     {"М/телефон", "MTel"},     {"Дата (КДН)", "DKDN"},    {"Номер (КДН)", "NKDN"},
        {"Причина  (КДН)", "PKDN"}, {"Возраст", "L"}};
    std::vector<Choice> out;
    for (const auto& f : kFields) out.push_back(Choice{f.first, f.second});
    out.push_back(detailChoice("Привлечение судом", 2, kCourt));
    out.push_back(detailChoice("Привлечение комиссией", 3, kCommission));
    out.push_back(detailChoice("Проводимая ИР", 4, kPrevention));
    for (const auto& f : {std::pair<const char*, const char*>{"Пол", "Pol"}, {"Занятость", "Zan"}, {"Досуг", "Dosug"}})
        out.push_back(Choice{f.first, f.second});
    return out;
}

// The mother's 22 choices, then the same for the father: the caption's stem with " (м)" or
// " (о)", the field's stem with "m" or "o".
std::vector<Choice> familiesChoices() {
    static const std::pair<const char*, const char*> kParent[] = {
        {"Фамилия", "F"},           {"Имя", "I"},                 {"Отчество", "O"},        {"День рождения", "DR"},
        {"Место рождения", "MR"},   {"Область рег.", "OR"},       {"Город рег.", "GR"},     {"Улица рег.", "UR"},
        {"Дом рег.", "DomR"},       {"Квартира рег.", "KR"},      {"Область", "Ob"},        {"Город", "G"},
        {"Улица", "U"},             {"Дом", "D"},                 {"Квартира", "K"},        {"Д/телефон", "Dt"},
        {"М/телефон", "Mt"},        {"Место работы", "MRab"},     {"Паспорт серия", "Ser"}, {"Паспорт номер", "Nom"},
        {"Дата выдачи", "DV"},      {"Кто выдал", "KV"}};
    std::vector<Choice> out;
    for (const auto& parent : {std::pair<const char*, const char*>{" (м)", "m"}, {" (о)", "o"}})
        for (const auto& f : kParent)
            out.push_back(Choice{std::string(f.first) + parent.first, std::string(f.second) + parent.second});
    static const std::pair<const char*, const char*> kFamily[] = {
        {"Дата КДН", "DKDN"},    {"Номер КДН", "NKDN"},       {"Основания КДН", "OKDN"}, {"Контроль КДН", "KKDN"},
        {"Дата снятия", "DCcU"}, {"Основания снятия", "OCcU"}, {"Причина снятия", "PCcU"}};
    for (const auto& f : kFamily) out.push_back(Choice{f.first, f.second});
    out.push_back(detailChoice("Сведения о детях", 10, kChildren));
    out.push_back(detailChoice("Привлечение к ответ-ти", 11, kResponsibility));
    out.push_back(detailChoice("Профработа", 12, kFamilyWork));
    return out;
}

const ReportDef& def(Universal which) {
    static const ReportDef minors{1, "Наборный отчёт\r", minorsChoices()};
    static const ReportDef families{9, "Наборный отчёт родители\r", familiesChoices()};
    return which == Universal::Minors ? minors : families;
}

std::string cellText(store::TableSet& tables, const ReportDef& d, const Choice& c) {
    if (c.entry) return detailList(tables.table(c.detail), c.entry, c.parts);
    return fieldText(tables.table(d.table), c.field.c_str());
}

}  // namespace

const std::vector<std::string>& universalChoices(Universal which) {
    static const auto captions = [](Universal w) {
        std::vector<std::string> out;
        for (const Choice& c : def(w).choices) out.push_back(c.caption);
        return out;
    };
    static const std::vector<std::string> minors = captions(Universal::Minors);
    static const std::vector<std::string> families = captions(Universal::Families);
    return which == Universal::Minors ? minors : families;
}

void universalReport(store::TableSet& tables, Universal which, const std::vector<bool>& ticked, Document& doc) {
    const ReportDef& d = def(which);
    if (ticked.size() != d.choices.size()) throw EngineError("неверное число отметок выбора");
    std::vector<const Choice*> columns;
    std::vector<std::string> headers{"№"};
    for (size_t i = 0; i < d.choices.size(); ++i)
        if (ticked[i]) {
            columns.push_back(&d.choices[i]);
            headers.push_back(d.choices[i].caption);
        }
    store::Table& t = tables.table(d.table);
    ReportWriter w(doc, 9, ReportWriter::Orientation::Landscape);
    w.type(d.title, true, true);
    const int k = w.listTable(t.recordCount() + 1, static_cast<int>(headers.size()), headers);
    for (size_t c = 0; c < columns.size(); ++c) doc.table(k).setColumnWidth(static_cast<int>(c) + 2, 50);
    int row = 2;
    for (t.first(); !t.eof(); t.next(), ++row) {
        w.cell(k, row, 1, std::to_string(row - 1));
        for (size_t c = 0; c < columns.size(); ++c) w.cell(k, row, static_cast<int>(c) + 2, cellText(tables, d, *columns[c]));
    }
    w.close(16, {k});
}

}  // namespace zelt::reports
