// Data-aware controls: edits, combo boxes and memo boxes that show a field of their data source's
// current record and write typed text back into it, as the engine's data-aware controls do.
#pragma once

#include "app/form/form_model.h"
#include "store/table_set.h"

#include <memory>
#include <string>
#include <vector>

namespace zelt::app {

class DataBinder {
public:
    DataBinder(FormModel& model, store::TableSet& tables);
    ~DataBinder();
    DataBinder(const DataBinder&) = delete;
    DataBinder& operator=(const DataBinder&) = delete;

    // Binds every Edit, ComboBox and Memo of the model that names a data source and field.
    void bindAll();

    // The user typed: the control shows `text` and its table is put into editing (an empty table
    // inserts; a refused insert leaves the control showing the field).
    void typed(const std::string& control, const std::string& text);
    // The control is left, or its record is about to be stored: typed text goes into the field.
    void writeBack(const std::string& control);
    // Drops what was typed into the control (its field was just set by the program).
    void discardTyping(const std::string& control);
    // The text a control shows now (brought up to date first).
    const std::string& shownText(const std::string& control);
    // Brings every control whose record changed up to date. The controls are refreshed lazily,
    // so a walk over a table inside one handler does not update the view for every record.
    void flush();

private:
    void refresh(Control& c);

    class Link;
    FormModel& model_;
    store::TableSet& tables_;
    std::vector<std::unique_ptr<Link>> links_;
};

}  // namespace zelt::app
