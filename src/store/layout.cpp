// Field and layout look-up by name over the fixed record layouts.
#include "store/layout.h"

#include "base/error.h"
#include "store/store_error.h"

namespace zelt::store {

namespace {

// Field and table names are ASCII; the engine treats them case-insensitively, so we do too.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

int Layout::indexOf(std::string_view fieldName) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (sameName(fields[i].name, fieldName)) return static_cast<int>(i);
    }
    return -1;
}

const FieldDef& Layout::field(std::string_view fieldName) const {
    const int i = indexOf(fieldName);
    if (i < 0) throw fileFault(Fault::LayoutFieldMissing, {}, name, {}, std::string(fieldName));
    return fields[static_cast<std::size_t>(i)];
}

std::string Layout::titleOf(const FieldDef& f) {
    return std::string(f.label[0] != '\0' ? f.label : f.name);
}

const Layout& layoutNamed(std::string_view name) {
    for (const Layout& layout : allLayouts()) {
        if (sameName(layout.name, name)) return layout;
    }
    throw valueFault(Fault::UnknownLayout, std::string(name));
}

}  // namespace zelt::store
