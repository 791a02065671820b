// The names of the main window's 48 table objects: TableN is the Nth, named after its layout and
// the directory prefix of its copy (Arxiv, Perenos, PerenosArxiv).
#pragma once

#include <string>
#include <vector>

namespace zelt::store {

// The enumerator's value is N of the object TableN and of its data source DataSourceN: this is
// the one place the names meet the numbers.
enum class TableId : int {
    ZELT = 1, PNU, PKO, PIR,
    ArxivZELT, ArxivPNU, ArxivPKO, ArxivPIR,
    BDS, SD, PKOR, PR,
    ArxivBDS, ArxivSD, ArxivPKOR, ArxivPR,
    PerenosZELT, PerenosPNU, PerenosPKO, PerenosPIR,
    PerenosBDS, PerenosSD, PerenosPKOR, PerenosPR,
    PerenosArxivZELT, PerenosArxivPNU, PerenosArxivPKO, PerenosArxivPIR,
    PerenosArxivBDS, PerenosArxivSD, PerenosArxivPKOR, PerenosArxivPR,
    Prochie, PKOP, ArxivProchie, ArxivPKOP,
    PerenosProchie, PerenosPKOP, PerenosArxivProchie, PerenosArxivPKOP,
    Uch, ArxivUch, PKOU, PerenosUch, PerenosArxivUch, ArxivPKOU, PerenosPKOU, PerenosArxivPKOU,
};

inline constexpr int kTableObjectCount = 48;
static_assert(static_cast<int>(TableId::PerenosArxivPKOU) == kTableObjectCount);

constexpr int tableNumber(TableId id) { return static_cast<int>(id); }
// The object name: "Table1" ... "Table48".
inline std::string tableObjectName(TableId id) { return "Table" + std::to_string(tableNumber(id)); }

// The objects from `first` to `last` in number order, both included.
inline std::vector<TableId> tableRange(TableId first, TableId last) {
    std::vector<TableId> out;
    for (int n = tableNumber(first); n <= tableNumber(last); ++n) out.push_back(static_cast<TableId>(n));
    return out;
}
// Every table object, Table1 to Table48.
inline std::vector<TableId> allTableIds() { return tableRange(TableId::ZELT, TableId::PerenosArxivPKOU); }

}  // namespace zelt::store
