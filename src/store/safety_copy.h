// Safety copies: a consistent copy of the table files (and the note folders of their masters) that a
// command over many records is about to change, kept in Backup\ of the data directory, so that the
// command can be undone by putting the copy back with the program closed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::store {

// The folder of the data directory that holds the copies, one folder each: "<stamp> <command>".
inline constexpr const char* kSafetyCopyFolder = "Backup";
// How many copies are kept; writing one more removes the oldest beyond this.
inline constexpr int kKeptSafetyCopies = 10;
// The list of what a copy holds, written last: a folder without a whole one is no copy.
inline constexpr const char* kSafetyCopyManifest = "copy.lst";

// Writes a copy of the table files of `tableObjects` (TableN numbers) and the note folders of the
// masters among them into Backup\<stamp> <command>\ laid out as the table tree
// (Backup\2026-12-10 14-03-22 Перенести данные\ZELT\ZELT.db), each table file through SQLite's
// online backup, so a live file is copied as one consistent state. The copy is written under a
// temporary name and renamed when whole; then only the ten newest copies are kept. A table file
// that does not exist has nothing to keep and is left out. On any failure (no space, no
// permission, a file that cannot be read) throws EngineError with the reason, and what was written
// is removed: no half-written copy ever counts as one. Returns the copy's folder.
std::filesystem::path writeSafetyCopy(const std::filesystem::path& dataDir, const std::string& stamp,
                                      const std::string& command, const std::vector<int>& tableObjects);

// What a whole copy holds: its stored table file names and note folders, as the table tree names them.
struct SafetyCopy {
    std::filesystem::path dir;
    std::string stamp;
    std::string command;
    std::vector<std::string> tableFiles;  // "ZELT\ZELT.db"
    std::vector<std::string> noteFolders; // "ZELT\"
};

// Reads the copy in `copyDir`; EngineError when it is not a whole copy (no list, a list cut short,
// a table file it names missing).
SafetyCopy readSafetyCopy(const std::filesystem::path& copyDir);

// The whole copies of the data directory, oldest first.
std::vector<SafetyCopy> safetyCopies(const std::filesystem::path& dataDir);

// Puts the copy back into the data directory: each table file written over through the backup
// API (its records, counter, indexes and password as they were), each note folder made to hold
// exactly the notes of the copy. Refuses (EngineError) while a journal of intent is pending (the
// program must settle it first), and when the copy is not whole or one of its table files is not
// a table of its layout. Must run with the program closed.
void restoreSafetyCopy(const std::filesystem::path& dataDir, const std::filesystem::path& copyDir);

}  // namespace zelt::store
