// The table tree: which file every table object is bound to, master links, indexes, note-file
// names, batch-append pairs, and finding those files in a data directory whatever their case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::store {

// The password every table file of the registry carries: the program supplies it when it opens
// them, so the clerk is never asked for it.
inline constexpr const char* kTablePassword = "581306";

// Copies of a register, told apart by a directory prefix.
enum class Copy { Live, Archive, Transfer, TransferArchive };

// One table object of the main window (Table1 ... Table48).
struct TableObjectDef {
    int number;                             // 1..48: TableN, bound to DataSourceN
    Copy copy;
    const char* table;                      // layout and directory name: ZELT, PNU, ..., PKOU
    int masterSource;                       // number of the master data source, 0 for a master
    std::vector<const char*> masterFields;  // master fields of the link, in index order
    const char* index;                      // index in use: "" (primary), "Sv1" or "SvNaim"
};

const std::vector<TableObjectDef>& tableObjects();
const TableObjectDef& tableObject(int number);  // throws EngineError for a number outside 1..48

// Directory prefix of a copy with the Windows separator: "", "Arxiv\", "Perenos\", "Perenos\Arxiv\".
const char* copyPrefix(Copy copy);
// prefix + T + "\" + T + ext, ext ".DB" for Prochie, Uch and PKOU and ".db" for the others.
std::string tableFileName(Copy copy, std::string_view table);
// prefix + T + "\": the directory of the table, where its note files live.
std::string tableDirName(Copy copy, std::string_view table);
// The note file of a master record: table directory + Sv as a whole number + ".vrk".
std::string noteFileName(Copy copy, std::string_view table, long long sv);

// A stored name such as "Arxiv\PNU\PNU.db" as a path under `dataDir`, each component matched
// case-insensitively against what exists (another installation's files may arrive as PROCHIE.DB).
// Components that do not exist yet keep their spelling.
std::filesystem::path resolvePath(const std::filesystem::path& dataDir, std::string_view storedName);
// Tells the name lookup that this program has just created `path`, so the directory it lies in
// need not be read again.
void noteCreatedFile(const std::filesystem::path& path);

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
};
// The secondary indexes the table file of that copy and table carries.
std::vector<IndexDef> indexesOf(Copy copy, std::string_view table);
// The store's own lookup indexes of a table, in every copy: not index names of the registry (no
// order can be chosen by them), and added to an existing file that lacks them when it opens.
std::vector<IndexDef> lookupIndexesOf(std::string_view table);
// Whether `name` is one of the store's own lookup index names.
bool isLookupIndexName(std::string_view name);

// Batch-append objects BatchMove1..10: each moves records of a live table into its archive.
struct BatchPair {
    int number;
    int source;
    int destination;
};
const std::vector<BatchPair>& batchPairs();

// The home-telephone fields and the digit count written into them at start.
struct FieldLimit {
    const char* table;
    const char* field;
    int limit;
};
const std::vector<FieldLimit>& initialPhoneLimits();

// The layouts that are masters of a register, and whether a layout's note files are plain text.
bool isMasterTable(std::string_view table);
bool hasPlainTextNotes(std::string_view table);

}  // namespace zelt::store
