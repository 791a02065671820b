#include "store/tree_init.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/store_error.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <algorithm>
#include <system_error>

namespace zelt::store {

std::vector<std::string> treeFileNames() {
    std::vector<std::string> names;
    for (const TableObjectDef& d : tableObjects()) {
        std::string n = tableFileName(d.copy, d.table);
        if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(std::move(n));
    }
    return names;
}

void createTableTree(const std::filesystem::path& dataDir, const std::string& password) {
    for (const std::string& n : treeFileNames()) {
        std::error_code ec;
        if (std::filesystem::exists(resolvePath(dataDir, n), ec))
            throw fileFault(Fault::TreeFileExists, n);
    }
    for (const TableObjectDef& d : tableObjects()) {
        const std::string n = tableFileName(d.copy, d.table);
        const auto path = resolvePath(dataDir, n);
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) continue;  // shared by two objects
        createTableFile(path, n, layoutNamed(d.table), indexesOf(d.copy, d.table), password);
    }
}

}  // namespace zelt::store
