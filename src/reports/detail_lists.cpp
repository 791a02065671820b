#include "reports/detail_lists.h"

#include "reports/skeleton.h"

namespace zelt::reports {

std::string detailList(store::Table& details, const EntryPart* entry, size_t parts) {
    std::string text;
    details.first();
    while (!details.eof()) {
        for (size_t i = 0; i < parts; ++i) text += entry[i].isField ? fieldText(details, entry[i].text) : entry[i].text;
        details.next();
        if (!details.eof()) text += "\r";
    }
    return text;
}

}  // namespace zelt::reports
