#include "store/table_set.h"

#include "base/error.h"
#include "base/text.h"
#include "store/layout.h"
#include "store/store_error.h"

namespace zelt::store {

TableSet::TableSet(Session& session) : session_(session) {
    for (const TableObjectDef& d : tableObjects())
        tables_.push_back(std::make_unique<Table>(session_, "Table" + std::to_string(d.number),
                                                  tableFileName(d.copy, d.table), layoutNamed(d.table)));
    for (const TableObjectDef& d : tableObjects()) {
        if (d.masterSource == 0) continue;
        std::vector<std::string> fields(d.masterFields.begin(), d.masterFields.end());
        table(d.number).setMasterLink(&dataSource(d.masterSource), fields, d.index);
    }
    for (const FieldLimit& l : initialPhoneLimits())
        for (const TableObjectDef& d : tableObjects())
            if (equalsIgnoreCaseAscii(d.table, l.table)) table(d.number).setWriteLimit(l.field, l.limit);
}

TableSet::~TableSet() {
    while (!tables_.empty()) tables_.pop_back();
}

Table& TableSet::table(int number) {
    if (number < 1 || number > static_cast<int>(tables_.size()))
        throw valueFault(Fault::NoTableObject, "Table" + std::to_string(number));
    return *tables_[static_cast<size_t>(number - 1)];
}

int TableSet::numberOf(const Table& t) const {
    for (size_t i = 0; i < tables_.size(); ++i)
        if (tables_[i].get() == &t) return static_cast<int>(i + 1);
    return 0;
}

}  // namespace zelt::store
