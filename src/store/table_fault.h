// The store's failures of one table object's operations, told with the object, file and layout.
#pragma once

#include "store/store_error.h"

#include <string>

namespace zelt::store {

class Table;

// A failure of an operation of table object `t`, concerning `field` and `value` where given.
StoreError tableFault(const Table& t, Fault kind, const std::string& field = {}, const std::string& value = {});

}  // namespace zelt::store
