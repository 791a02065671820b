#include "editing/list_file.h"

#include "base/error.h"
#include "base/text.h"
#include "store/tree.h"

#include <cstdio>
#include <memory>
#include <system_error>

namespace zelt::editing {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string nameOf(const std::filesystem::path& path) { return path.filename().string(); }

void createIfMissing(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return;
    // "ab" never truncates, so a file that appeared meanwhile keeps its content.
    File f(std::fopen(path.c_str(), "ab"));
    if (!f) throw EngineError("Не удаётся создать файл " + nameOf(path));
    store::noteCreatedFile(path);
}

std::string readBytes(const std::filesystem::path& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) throw EngineError("Ошибка ввода-вывода: не удаётся открыть файл " + nameOf(path));
    std::string bytes;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) bytes.append(buf, n);
    // A directory opens on some systems and fails only here.
    if (std::ferror(f.get())) throw EngineError("Ошибка ввода-вывода: не удаётся прочитать файл " + nameOf(path));
    return bytes;
}

}  // namespace

std::vector<std::string> readListFile(const std::filesystem::path& path) {
    createIfMissing(path);
    return readExistingListFile(path);
}

std::vector<std::string> readExistingListFile(const std::filesystem::path& path) {
    const std::string bytes = readBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(utf8FromCp1251(std::string_view(bytes).substr(start)));
            break;
        }
        lines.push_back(utf8FromCp1251(std::string_view(bytes).substr(start, end - start)));
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string firstLine(const std::filesystem::path& path) {
    const std::vector<std::string> lines = readListFile(path);
    return lines.empty() ? std::string() : lines.front();
}

void writeListFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += cp1251FromUtf8(line);
        bytes += "\r\n";
    }
    std::filesystem::path temp = path;
    temp += ".~tmp";
    const std::string failure = "Ошибка ввода-вывода: не удаётся записать файл " + nameOf(path);
    std::error_code ec;
    {
        File f(std::fopen(temp.c_str(), "wb"));
        if (!f) throw EngineError(failure);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() &&
                             std::fflush(f.get()) == 0;
        if (std::fclose(f.release()) != 0 || !written) {
            std::filesystem::remove(temp, ec);
            throw EngineError(failure);
        }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw EngineError(failure);
    }
    store::noteCreatedFile(path);
}

}  // namespace zelt::editing
