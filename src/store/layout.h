// Record layouts: the fields of every table layout of the registry, in record order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelt::store {

enum class FieldType { Alpha, Number, Date, AutoInc, Memo };

// One field of a layout. `size` is the alpha width in characters (0 for other types); `label` is the
// grid column title (empty: the grid shows the field name); `width` is the grid column width in
// characters where it differs from the field size (0: not given).
struct FieldDef {
    const char* name;
    FieldType type;
    int size;
    const char* label;
    bool grid;
    int width;
};

// A table layout (ZELT, PNU, ..., PKOU): the same in all four copies of a register.
struct Layout {
    const char* name;
    std::vector<FieldDef> fields;

    // 0-based position of the field, or -1. Field names compare case-insensitively.
    int indexOf(std::string_view fieldName) const;
    const FieldDef& field(std::string_view fieldName) const;  // throws EngineError when absent
    // The label a grid shows as column title: the label, or the name when the layout gives none.
    static std::string titleOf(const FieldDef& f);
};

// The twelve layouts, in the order ZELT, PNU, PKO, PIR, BDS, SD, PKOR, PR, Prochie, PKOP, Uch, PKOU.
const std::vector<Layout>& allLayouts();
// The layout of that name (case-insensitive); throws EngineError when there is none.
const Layout& layoutNamed(std::string_view name);

}  // namespace zelt::store
