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
#include <unordered_set>

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

namespace {

std::string slashed(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

}  // namespace

size_t ensureNoteFiles(const std::filesystem::path& dataDir, const std::string& tableDir,
                       const std::vector<std::string>& storedNames, size_t from) {
    // The directory as this program spells it; when it is spelt otherwise on disk, or cannot be
    // read, every file takes the one-file path.
    const std::filesystem::path dir = dataDir / slashed(tableDir);
    std::unordered_set<std::string> names, lowerNames;
    std::error_code ec;
    bool listed = false;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec; it.increment(ec)) {
        if (it == end) {
            listed = true;
            break;
        }
        const std::string name = it->path().filename().string();
        lowerNames.insert(lowerAscii(name));
        names.insert(name);
    }
    for (size_t i = from; i < storedNames.size(); ++i) {
        const std::string& stored = storedNames[i];
        const std::string name = stored.substr(stored.find_last_of('\\') + 1);
        const bool inDir = listed && stored.size() == tableDir.size() + name.size() &&
                           stored.compare(0, tableDir.size(), tableDir) == 0;
        if (inDir && names.count(name)) continue;
        if (inDir && !lowerNames.count(lowerAscii(name))) {
            // No spelling of it is there: it is made right here, as the one-file path would.
            const std::filesystem::path path = dir / name;
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                store::noteCreatedFile(path);
                names.insert(name);
                lowerNames.insert(lowerAscii(name));
                continue;
            }
            if (errno == EEXIST) continue;
        }
        try {
            ensureNoteFile(dataDir, stored);
        } catch (const EngineError&) {
            return i;
        }
    }
    return storedNames.size();
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
