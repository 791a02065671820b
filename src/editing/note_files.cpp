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
    // The spelling this program writes is found with one look; other spellings need the lookup.
    std::string direct = storedName;
    for (char& c : direct)
        if (c == '\\') c = '/';
    std::error_code ec;
    if (std::filesystem::exists(dataDir / direct, ec)) return dataDir / direct;
    const std::filesystem::path path = store::resolvePath(dataDir, storedName);
    if (std::filesystem::exists(path, ec)) return path;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    if (!out) throw EngineError("Не удаётся создать файл " + storedName);
    store::noteCreatedFile(path);
    return path;
}

}  // namespace zelt::editing
