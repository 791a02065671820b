#include "reports/data_banks.h"

#include <vector>

namespace zelt::reports {
namespace {

enum class Cell { Ordinal, Field, FullName, ParentsNames, PlainAddress, ParentsPlain, ParentsShort, Children };

struct Column {
    const char* header;
    Cell cell;
    const char* field;  // Field: the field; PlainAddress: unused (see address)
    AddressFields address;
};

struct BankDef {
    DataBank bank;
    const char* name;
    int table;
    int children;  // table object walked for the children column, 0 for none
    double fontSize;
    std::vector<Column> columns;
};

const AddressFields kNone{nullptr, nullptr, nullptr, nullptr, nullptr};

const std::vector<BankDef>& banks() {
    static const std::vector<BankDef> defs = {
        {DataBank::Families, "Банк данных по семьям", 9, 10, 9,
         {{"№", Cell::Ordinal, nullptr, kNone},
          {"Фамилия, имя, отчество", Cell::ParentsNames, nullptr, kNone},
          {"Адрес регистрации, проживания", Cell::ParentsPlain, nullptr, kNone},
          {"Сведения о детях", Cell::Children, nullptr, kNone},
          {"Дата постановки на учёт", Cell::Field, "DKDN", kNone},
          {"Учреждение, осуществляющее контроль, профработу", Cell::Field, "KKDN", kNone}}},
        {DataBank::Minors, "Банк данных по несовершеннолетним", 1, 0, 9,
         {{"№", Cell::Ordinal, nullptr, kNone},
          {"Фамилия, имя, отчество", Cell::FullName, nullptr, kNone},
          {"Адрес проживания", Cell::PlainAddress, nullptr, {nullptr, "PrG", "PrU", "PrD", "PrK"}},
          {"Дата постановки на учёт", Cell::Field, "DKDN", kNone},
          {"Причина постановки", Cell::Field, "PKDN", kNone},
          {"Место учёбы", Cell::Field, "MUch", kNone}}},
        {DataBank::ArchivedMinors, "Банк данных по несовершеннолетним (архив)", 5, 0, 11,
         {{"№", Cell::Ordinal, nullptr, kNone},
          {"Фамилия, имя, отчество", Cell::FullName, nullptr, kNone},
          {"Дата рождения", Cell::Field, "DR", kNone},
          {"Место учёбы", Cell::Field, "MUch", kNone},
          {"Адрес регистрации, проживания", Cell::PlainAddress, nullptr, {nullptr, "RegG", "RegU", "RegD", "RegK"}},
          {"Дата постановки на учёт", Cell::Field, "DKDN", kNone},
          {"Дата снятия с учёта", Cell::Field, "DCcU", kNone},
          {"Основания снятия с учёта", Cell::Field, "OCcU", kNone}}},
        {DataBank::ArchivedFamilies, "Банк данных по семьям (архив)", 13, 0, 11,
         {{"№", Cell::Ordinal, nullptr, kNone},
          {"Фамилия, имя, отчество", Cell::ParentsNames, nullptr, kNone},
          {"Адрес регистрации, проживания", Cell::ParentsShort, nullptr, kNone},
          {"Дата постановки на учёт", Cell::Field, "DKDN", kNone},
          {"Дата снятия с учёта", Cell::Field, "DCcU", kNone},
          {"Основания снятия с учёта", Cell::Field, "OCcU", kNone},
          {"Причина снятия с учёта", Cell::Field, "PCcU", kNone}}},
    };
    return defs;
}

std::string cellText(store::TableSet& tables, const BankDef& def, const Column& c, int ordinal) {
    store::Table& t = tables.table(def.table);
    switch (c.cell) {
        case Cell::Ordinal: return std::to_string(ordinal);
        case Cell::Field: return fieldText(t, c.field);
        case Cell::FullName: return fullName(t);
        case Cell::ParentsNames: return parentsNames(t);
        case Cell::PlainAddress: return address(t, c.address, AddressForm::Plain);
        case Cell::ParentsPlain: return parentsAddresses(t, AddressForm::Plain);
        case Cell::ParentsShort: return parentsAddresses(t, AddressForm::ShortLabelled);
        case Cell::Children: return childrenList(tables.table(def.children));
    }
    return std::string();
}

}  // namespace

void dataBank(store::TableSet& tables, DataBank bank, Document& doc) {
    const BankDef* def = nullptr;
    for (const BankDef& b : banks())
        if (b.bank == bank) def = &b;
    store::Table& t = tables.table(def->table);
    if (bank == DataBank::Minors) {
        t.first();
        t.setFilterText("(DKDN<>Null)");
        t.setFiltered(true);
    } else if (bank == DataBank::ArchivedMinors) {
        t.setFilterText(t.filterText().empty() ? "DKDN<>Null" : t.filterText() + "and(DKDN<>Null)");
        t.setFiltered(true);
    }
    if (bank != DataBank::Minors) t.first();

    ReportWriter w(doc, def->fontSize, ReportWriter::Orientation::Landscape);
    w.type(datedTitle(def->name), true, true);
    std::vector<std::string> headers;
    for (const Column& c : def->columns) headers.push_back(c.header);
    const int table = w.listTable(t.recordCount() + 1, static_cast<int>(def->columns.size()), headers);
    int row = 2;
    for (t.first(); !t.eof(); t.next(), ++row)
        for (size_t c = 0; c < def->columns.size(); ++c)
            w.cell(table, row, static_cast<int>(c) + 1, cellText(tables, *def, def->columns[c], row - 1));
    w.close(16, {table});
    if (bank == DataBank::ArchivedMinors) {
        t.setFilterText("");
        t.setFiltered(false);
    }
}

}  // namespace zelt::reports
