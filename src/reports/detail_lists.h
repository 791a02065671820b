// Detail lists written into one cell: one entry per record of a detail table, in its order,
// joined by paragraph marks with none after the last.
#pragma once

#include "store/table.h"

#include <string>

namespace zelt::reports {

// The pieces of one entry: field texts of the detail record and the literal texts between them.
struct EntryPart {
    bool isField;
    const char* text;  // the field's name, or the literal text
};

// Walks the detail table from its first record (it is left past its last) and joins the entries.
template <size_t N>
std::string detailList(store::Table& details, const EntryPart (&entry)[N]);

std::string detailList(store::Table& details, const EntryPart* entry, size_t parts);

template <size_t N>
std::string detailList(store::Table& details, const EntryPart (&entry)[N]) {
    return detailList(details, entry, N);
}

}  // namespace zelt::reports
