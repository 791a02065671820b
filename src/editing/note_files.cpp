#include "editing/note_files.h"

#include "base/error.h"
#include "store/tree.h"

#include <cmath>
#include <fstream>
#include <system_error>

namespace zelt::editing {

std::string noteFileOf(store::TableSet& tables, int number) {
    store::Table& t = tables.table(number);
    const store::TableObjectDef& d = tables.def(number);
    const long long sv = static_cast<long long>(std::trunc(t.asNumber("Sv")));
    return store::noteFileName(d.copy, d.table, sv);
}

std::filesystem::path ensureNoteFile(const std::filesystem::path& dataDir, const std::string& storedName) {
    const std::filesystem::path path = store::resolvePath(dataDir, storedName);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    if (!out) throw EngineError("Не удаётся создать файл " + storedName);
    store::noteCreatedFile(path);
    return path;
}

}  // namespace zelt::editing
