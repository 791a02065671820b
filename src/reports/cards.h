// The personal cards: everything the register holds on one minor or one family, typed as bold
// labels with plain values, a section per kind of detail record, and the operational information.
#pragma once

#include "reports/document.h"
#include "store/table_set.h"

#include <string>

namespace zelt::reports {

enum class Card { Minor, ArchivedMinor, Family, ArchivedFamily };

// Types the card of the current record of its master table into `doc` (a new document), ending
// with `note`, the record's operational information as plain text. Every detail table is walked
// and left on its last record; the master stays where it is and no data changes.
void personalCard(store::TableSet& tables, Card card, const std::string& note, Document& doc);

}  // namespace zelt::reports
