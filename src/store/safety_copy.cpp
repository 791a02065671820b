#include "store/safety_copy.h"

#include "base/error.h"
#include "store/intent_journal.h"
#include "store/layout.h"
#include "store/sqlite.h"
#include "store/table_file.h"
#include "store/tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace zelt::store {
namespace fs = std::filesystem;

namespace {

const char* const kManifestHeader = "zelt-safety-copy 1";
const char* const kTempSuffix = ".~tmp";

// A stored name ("Arxiv\ZELT\ZELT.db") as a relative path of this platform.
fs::path relativeOf(const std::string& stored) {
    std::string s = stored;
    std::replace(s.begin(), s.end(), '\\', '/');
    return fs::path(s);
}

// The name of a copy's file as the messages show it: Backup\<copy>\<stored name>.
std::string shownName(const std::string& copyName, const std::string& stored) {
    return std::string(kSafetyCopyFolder) + "\\" + copyName + "\\" + stored;
}
std::string shownName(const fs::path& copyDir, const std::string& stored) {
    return shownName(copyDir.filename().string(), stored);
}

// A file operation's failure worded as the table files' failures are; reading and writing differ
// in what a refused access means.
[[noreturn]] void fileFailure(int err, const std::string& name, bool reading) {
    const int code = reading ? SQLITE_CANTOPEN : SQLITE_IOERR;
    throw sql::Failure(code, sql::causeOf(code, err), name);
}

void syncPath(const fs::path& p, bool directory, const std::string& name) {
    const int fd = ::open(p.c_str(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0) fileFailure(errno, name, false);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) fileFailure(err, name, false);
}

void makeDirs(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) fileFailure(ec.value(), name, false);
}

// Copies one database into another page by page in one read transaction of the source, so the
// copy is one consistent state of it even while the program has the file open.
void backupDatabase(sql::Connection& from, sql::Connection& to) {
    sqlite3_backup* b = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!b) to.fail(sqlite3_errcode(to.handle()));
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc == SQLITE_DONE) return;
    // A failure to read is the source's, one to write the destination's.
    switch (rc & 0xFF) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_BUSY:
        case SQLITE_LOCKED: throw sql::Failure(rc, sql::causeOf(rc, 0), from.displayName());
        default: throw sql::Failure(rc, sql::causeOf(rc, sqlite3_system_errno(to.handle())), to.displayName());
    }
}

// Whether a file of a note folder is a note (N.vrk), not the table file or a temporary file.
bool isNote(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".vrk";
}

std::vector<fs::path> notesIn(const fs::path& dir, const std::string& name) {
    std::vector<fs::path> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return out;
    fs::directory_iterator it(dir, ec), end;
    if (ec) fileFailure(ec.value(), name, true);
    for (; it != end; it.increment(ec)) {
        if (ec) fileFailure(ec.value(), name, true);
        if (isNote(it->path()) && it->is_regular_file(ec)) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Copies a file beside `to` and renames it into place, synced: a crash never leaves half a note.
void copyFileWhole(const fs::path& from, const std::string& fromName, const fs::path& to, const std::string& toName) {
    std::ifstream in(from, std::ios::binary);
    if (!in) fileFailure(errno, fromName, true);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) fileFailure(errno, fromName, true);
    fs::path tmp = to;
    tmp += kTempSuffix;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) fileFailure(errno, toName, false);
        const std::string data = bytes.str();
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            const int err = errno;
            std::error_code ignored;
            fs::remove(tmp, ignored);
            fileFailure(err, toName, false);
        }
    }
    syncPath(tmp, false, toName);
    std::error_code ec;
    fs::rename(tmp, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        fileFailure(ec.value(), toName, false);
    }
}

// Copies a file into a copy folder that is itself still under its temporary name: a crash leaves
// only that folder, which is never taken for a copy, so the file needs neither a name of its own
// nor a sync of its own (the whole folder is synced once, syncCopy).
void copyFileInto(const fs::path& from, const std::string& fromName, const fs::path& to, const std::string& toName) {
    std::ifstream in(from, std::ios::binary);
    if (!in) fileFailure(errno, fromName, true);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out) fileFailure(errno, toName, false);
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        out.write(buffer, in.gcount());
        if (!out) fileFailure(errno, toName, false);
    }
    if (in.bad()) fileFailure(errno, fromName, true);
    out.close();
    if (!out) fileFailure(errno, toName, false);
}

// Everything written into the copy folder reaches the disk before the rename that makes the copy
// whole: one sync of the file system that holds it (a failed write-back is reported by it too),
// then every folder of the copy.
void syncCopy(const fs::path& root, const std::string& name) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) fileFailure(errno, name, false);
    const int rc = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) fileFailure(err, name, false);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) syncPath(it->path(), true, name);
    syncPath(root, true, name);
}

struct Contents {
    std::vector<std::string> tableFiles;
    std::vector<std::string> noteFolders;
};

// The table files and the note folders of the masters of a list of table objects, each once.
Contents contentsOf(const std::vector<int>& tableObjects) {
    Contents c;
    std::set<int> seen;
    for (int n : tableObjects) {
        if (!seen.insert(n).second) continue;
        const TableObjectDef& def = tableObject(n);
        c.tableFiles.push_back(tableFileName(def.copy, def.table));
        if (isMasterTable(def.table)) c.noteFolders.push_back(tableDirName(def.copy, def.table));
    }
    return c;
}

void writeManifest(const fs::path& dir, const std::string& stamp, const std::string& command, const Contents& c,
                   const std::string& name) {
    std::ostringstream text;
    text << kManifestHeader << "\n" << "stamp\t" << stamp << "\n" << "command\t" << command << "\n";
    for (const std::string& f : c.tableFiles) text << "table\t" << f << "\n";
    for (const std::string& f : c.noteFolders) text << "notes\t" << f << "\n";
    text << "end\n";
    const fs::path path = dir / kSafetyCopyManifest;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) fileFailure(errno, name, false);
    const std::string data = text.str();
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.flush();
    if (!out) fileFailure(errno, name, false);
    out.close();
    syncPath(path, false, name);
}

// `copyName` is the name the copy will have once whole, the one the user is told.
void copyTableFile(const fs::path& dataDir, const fs::path& copyDir, const std::string& copyName,
                   const std::string& stored, Contents& written) {
    const fs::path source = resolvePath(dataDir, stored);
    std::error_code ec;
    if (!fs::exists(source, ec)) return;  // nothing to keep; the command reports the missing file
    const std::string destName = shownName(copyName, stored);
    const fs::path dest = copyDir / relativeOf(stored);
    makeDirs(dest.parent_path(), destName);
    sql::Connection from(source.string(), false, stored);
    sql::Connection to(dest.string(), true, destName);
    backupDatabase(from, to);
    to.close();
    written.tableFiles.push_back(stored);
}

void copyNoteFolder(const fs::path& dataDir, const fs::path& copyDir, const std::string& copyName,
                    const std::string& folder, Contents& written) {
    const fs::path source = resolvePath(dataDir, folder);
    const fs::path dest = copyDir / relativeOf(folder);
    makeDirs(dest, shownName(copyName, folder));
    for (const fs::path& note : notesIn(source, folder)) {
        const std::string file = note.filename().string();
        copyFileInto(note, folder + file, dest / file, shownName(copyName, folder + file));
    }
    written.noteFolders.push_back(folder);
}

// Removes what a copy cut short by a crash left behind. Best effort: a folder that cannot be
// removed now is removed next time, and is never taken for a copy meanwhile.
void removeUnfinishedCopies(const fs::path& backupDir) {
    std::error_code ec;
    for (fs::directory_iterator it(backupDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 5 && name.compare(name.size() - 5, 5, kTempSuffix) == 0) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
}

fs::path uniqueCopyDir(const fs::path& backupDir, const std::string& base) {
    fs::path dir = backupDir / base;
    std::error_code ec;
    for (int i = 2; fs::exists(dir, ec) || fs::exists(fs::path(dir.string() + kTempSuffix), ec); ++i)
        dir = backupDir / (base + " (" + std::to_string(i) + ")");
    return dir;
}

std::vector<std::string> splitTab(const std::string& line) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return {line};
    return {line.substr(0, tab), line.substr(tab + 1)};
}

}  // namespace

fs::path writeSafetyCopy(const fs::path& dataDir, const std::string& stamp, const std::string& command,
                         const std::vector<int>& tableObjects) {
    const Contents wanted = contentsOf(tableObjects);
    const fs::path backupDir = resolvePath(dataDir, kSafetyCopyFolder);
    removeUnfinishedCopies(backupDir);
    const fs::path finalDir = uniqueCopyDir(backupDir, stamp + " " + command);
    const fs::path tmpDir = fs::path(finalDir.string() + kTempSuffix);
    const std::string shown = std::string(kSafetyCopyFolder) + "\\" + finalDir.filename().string();
    try {
        makeDirs(tmpDir, shown);
        Contents written;
        const std::string copyName = finalDir.filename().string();
        for (const std::string& f : wanted.tableFiles) copyTableFile(dataDir, tmpDir, copyName, f, written);
        for (const std::string& f : wanted.noteFolders) copyNoteFolder(dataDir, tmpDir, copyName, f, written);
        writeManifest(tmpDir, stamp, command, written, shown);
        syncCopy(tmpDir, shown);
        std::error_code ec;
        fs::rename(tmpDir, finalDir, ec);
        if (ec) fileFailure(ec.value(), shown, false);
        syncPath(backupDir, true, kSafetyCopyFolder);
    } catch (const EngineError& e) {
        std::error_code ignored;
        fs::remove_all(tmpDir, ignored);
        FaultInfo f;
        f.kind = Fault::SafetyCopyNotWritten;
        f.value = command;
        if (const auto* cause = dynamic_cast<const StoreError*>(&e)) f.inner = std::make_shared<FaultInfo>(cause->info());
        else f.detail = e.what();
        throw StoreError(std::move(f));
    }
    // The newest copies are kept; the order is the stamp's, and among copies of one second the
    // order in which they were written.
    std::vector<SafetyCopy> copies = safetyCopies(dataDir);
    for (size_t i = 0; i + kKeptSafetyCopies < copies.size(); ++i) {
        std::error_code ignored;
        fs::remove_all(copies[i].dir, ignored);
    }
    return finalDir;
}

SafetyCopy readSafetyCopy(const fs::path& copyDir) {
    const std::string name = copyDir.filename().string();
    const auto notWhole = [&](Fault kind, const std::string& what) {
        return fileFault(kind, what, {}, {}, copyDir.string());
    };
    std::ifstream in(copyDir / kSafetyCopyManifest, std::ios::binary);
    if (!in) throw notWhole(Fault::SafetyCopyNoList, kSafetyCopyManifest);
    SafetyCopy copy;
    copy.dir = copyDir;
    std::string line;
    if (!std::getline(in, line) || line != kManifestHeader) throw notWhole(Fault::SafetyCopyListUnreadable, kSafetyCopyManifest);
    bool ended = false;
    while (std::getline(in, line)) {
        if (line == "end") {
            ended = true;
            break;
        }
        const std::vector<std::string> parts = splitTab(line);
        if (parts.size() != 2) throw notWhole(Fault::SafetyCopyListUnreadable, kSafetyCopyManifest);
        if (parts[0] == "stamp") copy.stamp = parts[1];
        else if (parts[0] == "command") copy.command = parts[1];
        else if (parts[0] == "table") copy.tableFiles.push_back(parts[1]);
        else if (parts[0] == "notes") copy.noteFolders.push_back(parts[1]);
        else throw notWhole(Fault::SafetyCopyListUnreadable, kSafetyCopyManifest);
    }
    if (!ended) throw notWhole(Fault::SafetyCopyListCut, kSafetyCopyManifest);
    std::error_code ec;
    for (const std::string& f : copy.tableFiles)
        if (!fs::is_regular_file(copyDir / relativeOf(f), ec)) throw notWhole(Fault::SafetyCopyFileMissing, f);
    for (const std::string& f : copy.noteFolders)
        if (!fs::is_directory(copyDir / relativeOf(f), ec)) throw notWhole(Fault::SafetyCopyFolderMissing, f);
    return copy;
}

std::vector<SafetyCopy> safetyCopies(const fs::path& dataDir) {
    struct Found {
        SafetyCopy copy;
        fs::file_time_type written;
    };
    std::vector<Found> found;
    const fs::path backupDir = resolvePath(dataDir, kSafetyCopyFolder);
    std::error_code ec;
    for (fs::directory_iterator it(backupDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 5 && name.compare(name.size() - 5, 5, kTempSuffix) == 0) continue;
        try {
            SafetyCopy c = readSafetyCopy(it->path());
            std::error_code timeError;
            const auto written = fs::last_write_time(it->path() / kSafetyCopyManifest, timeError);
            found.push_back({std::move(c), written});
        } catch (const EngineError&) {
            // not a copy: left alone
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.copy.stamp != b.copy.stamp) return a.copy.stamp < b.copy.stamp;
        return a.written < b.written;
    });
    std::vector<SafetyCopy> out;
    for (Found& f : found) out.push_back(std::move(f.copy));
    return out;
}

void restoreSafetyCopy(const fs::path& dataDir, const fs::path& copyDir) {
    if (IntentJournal(dataDir).pending())
        throw fileFault(Fault::CommandPending, IntentJournal::fileName());
    const SafetyCopy copy = readSafetyCopy(copyDir);
    // Every table file of the copy is checked before any is written back.
    std::vector<sql::Connection> sources;
    for (const std::string& f : copy.tableFiles) {
        std::string check;
        const std::string stem = relativeOf(f).stem().string();
        sources.push_back(openTableFile(copyDir / relativeOf(f), shownName(copyDir, f), layoutNamed(stem), check));
    }
    for (size_t i = 0; i < copy.tableFiles.size(); ++i) {
        const std::string& f = copy.tableFiles[i];
        const fs::path dest = resolvePath(dataDir, f);
        std::error_code ec;
        const bool exists = fs::exists(dest, ec);
        if (!exists) makeDirs(dest.parent_path(), f);
        sql::Connection to(dest.string(), !exists, f);
        backupDatabase(sources[i], to);
        to.close();
    }
    for (const std::string& folder : copy.noteFolders) {
        const fs::path from = copyDir / relativeOf(folder);
        const fs::path to = resolvePath(dataDir, folder);
        makeDirs(to, folder);
        std::set<std::string> kept;
        for (const fs::path& note : notesIn(from, shownName(copyDir, folder))) {
            const std::string file = note.filename().string();
            kept.insert(file);
            copyFileWhole(note, shownName(copyDir, folder + file), to / file, folder + file);
        }
        // A note the copy does not hold belongs to a record the copy does not hold either; left in
        // place it would show under the next record given that counter again.
        for (const fs::path& note : notesIn(to, folder)) {
            if (kept.count(note.filename().string())) continue;
            std::error_code removeError;
            fs::remove(note, removeError);
            if (removeError) fileFailure(removeError.value(), folder + note.filename().string(), false);
        }
        syncPath(to, true, folder);
    }
}

}  // namespace zelt::store
