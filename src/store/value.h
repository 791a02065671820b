// One stored field value as the engine holds it in memory, between the store and the cursor.
#pragma once

#include <string>

namespace zelt::store {

// Dates and numbers are in `number` (dates as day serials), texts in `text`.
struct Value {
    bool null = true;
    double number = 0;
    std::string text;
};

}  // namespace zelt::store
