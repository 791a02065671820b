// The card tabs: finding the data-aware control of a card that edits a field of a table.
#pragma once

#include "app/form/form_model.h"

#include <string>

namespace zelt::app {

// The name of the control on a card tab ("БД несовершеннолетних", "БД родителей", "БД прочие",
// "БД учреждения") bound to `field` of table object `table`; "" when no card shows it.
std::string cardControl(const FormModel& model, int table, const std::string& field);

}  // namespace zelt::app
