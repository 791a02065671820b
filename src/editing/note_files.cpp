#include "editing/note_files.h"

#include "base/error.h"
#include "base/text.h"
#include "editing/rich_text.h"
#include "store/tree.h"

#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

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
    // Created only if it is still not there (another spelling may have been found above): one
    // system call decides, a walk over many records without notes creates each with one more.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ENOENT) {
        std::filesystem::create_directories(path.parent_path(), ec);
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) {
        if (errno == EEXIST) return path;
        throw EngineError("Не удаётся создать файл " + storedName);
    }
    ::close(fd);
    store::noteCreatedFile(path);
    return path;
}

std::string notePlainText(store::TableSet& tables, int number) {
    const std::filesystem::path path = store::resolvePath(tables.session().dataDir(), noteFileOf(tables, number));
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (store::hasPlainTextNotes(tables.def(number).table)) return utf8FromCp1251(bytes.str());
    return readNote(bytes.str()).text;
}

}  // namespace zelt::editing
