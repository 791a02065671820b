#include "store/table_file.h"

#include "base/error.h"
#include "base/text.h"

#include <cstdio>
#include <system_error>

namespace zelt::store {

std::string passwordCheck(const std::string& password) {
    // FNV-1a over a fixed prefix and the password, written as 16 hex digits.
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : std::string("zelt-table-password:") + password) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

const char* columnType(FieldType t) {
    switch (t) {
        case FieldType::AutoInc: return "INTEGER";
        case FieldType::Number: return "REAL";
        default: return "TEXT";
    }
}

void createTableFile(const std::filesystem::path& path, const std::string& displayName, const Layout& layout,
                     const std::vector<IndexDef>& indexes, const std::string& password) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) throw fileFault(Fault::FileExists, displayName, layout.name);
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) throw fileFault(Fault::CannotCreateFolder, displayName, layout.name);

    sql::Connection db(path.string(), true, displayName);
    db.exec("PRAGMA journal_mode=WAL");
    std::string ddl = "BEGIN; CREATE TABLE " + sql::quoted(layout.name) + " (";
    for (size_t i = 0; i < layout.fields.size(); ++i) {
        const FieldDef& f = layout.fields[i];
        if (i) ddl += ", ";
        ddl += sql::quoted(f.name) + " " + columnType(f.type);
        if (f.type == FieldType::AutoInc) ddl += " PRIMARY KEY AUTOINCREMENT";
    }
    ddl += ");";
    for (const IndexDef& ix : indexes) {
        ddl += "CREATE INDEX " + sql::quoted(ix.name) + " ON " + sql::quoted(layout.name) + " (";
        for (size_t i = 0; i < ix.fields.size(); ++i) ddl += (i ? ", " : "") + sql::quoted(ix.fields[i]);
        ddl += ");";
    }
    ddl += "CREATE TABLE zelt_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);";
    ddl += "INSERT INTO zelt_meta VALUES ('format', '" + std::to_string(kFormatVersion) + "');";
    ddl += "INSERT INTO zelt_meta VALUES ('layout', '" + std::string(layout.name) + "');";
    ddl += "INSERT INTO zelt_meta VALUES ('password', '" + passwordCheck(password) + "');";
    ddl += "COMMIT;";
    db.exec(ddl.c_str());
}

namespace {

// The file must be there as a file; an error of the folder on the way (no access) is its own cause.
void requireFile(const std::filesystem::path& path, const std::string& displayName) {
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    if (std::filesystem::is_regular_file(st)) return;
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        throw sql::Failure(SQLITE_CANTOPEN, sql::causeOf(SQLITE_CANTOPEN, ec.value()), displayName);
    throw fileFault(Fault::FileMissing, displayName);
}

// A failure reading the file that says it is not one of ours, as opposed to one that keeps an
// intact file from being read (a lock, a read-only folder, no space for the journal).
bool saysForeign(const sql::Failure& f) {
    return f.cause() == Fault::FileDamaged || (f.code() & 0xFF) == SQLITE_ERROR;
}

void checkMetadata(const sql::Connection& db, const Layout& layout, std::string& storedPasswordCheck) {
    sql::Statement meta(db, "SELECT key, value FROM zelt_meta");
    std::string format, layoutName;
    while (meta.step()) {
        const std::string_view key = meta.columnText(0);
        if (key == "format") format = std::string(meta.columnText(1));
        else if (key == "layout") layoutName = std::string(meta.columnText(1));
        else if (key == "password") storedPasswordCheck = std::string(meta.columnText(1));
    }
    if (format != std::to_string(kFormatVersion) || !equalsIgnoreCaseAscii(layoutName, layout.name))
        throw sql::Failure(SQLITE_NOTADB, Fault::FileDamaged, db.displayName());
}

[[noreturn]] void structureDiffers(const sql::Connection& db, Fault kind, const Layout& layout, const std::string& field,
                                   const std::string& value = {}) {
    throw fileFault(kind, db.displayName(), layout.name, field, value);
}

// The counter must be the table's own key, numbered by the file and never reused; any other field
// must be an ordinary column that takes blanks.
void checkConstraints(const sql::Connection& db, const Layout& layout, size_t i) {
    const FieldDef& f = layout.fields[i];
    int notNull = 0, primaryKey = 0, autoIncrement = 0;
    if (sqlite3_table_column_metadata(db.handle(), "main", layout.name, f.name, nullptr, nullptr, &notNull,
                                      &primaryKey, &autoIncrement) != SQLITE_OK)
        db.fail(sqlite3_errcode(db.handle()));
    const bool counter = f.type == FieldType::AutoInc;
    if (counter && !(primaryKey && autoIncrement))
        structureDiffers(db, Fault::StructureNotCounter, layout, f.name);
    if (!counter && (primaryKey || notNull))
        structureDiffers(db, Fault::StructureFieldConstrained, layout, f.name);
}

void checkFields(const sql::Connection& db, const Layout& layout) {
    sql::Statement kind(db, "SELECT type FROM sqlite_master WHERE name = ?1 COLLATE NOCASE");
    kind.bind(1, std::string_view(layout.name));
    if (!kind.step() || kind.columnText(0) != "table") structureDiffers(db, Fault::StructureNoDataTable, layout, {});
    kind.reset();

    sql::Statement info(db, "PRAGMA table_info(" + sql::quoted(layout.name) + ")");
    size_t i = 0;
    while (info.step()) {
        if (i >= layout.fields.size()) {
            ++i;
            continue;  // trailing fields of a newer layout are kept but not used
        }
        const FieldDef& f = layout.fields[i];
        if (!equalsIgnoreCaseAscii(info.columnText(1), f.name))
            structureDiffers(db, Fault::StructureFieldOrder, layout, f.name, std::to_string(i + 1));
        if (!equalsIgnoreCaseAscii(info.columnText(2), columnType(f.type)))
            structureDiffers(db, Fault::StructureFieldType, layout, f.name);
        checkConstraints(db, layout, i);
        ++i;
    }
    if (i < layout.fields.size()) structureDiffers(db, Fault::StructureFieldMissing, layout, layout.fields[i].name);
}

}  // namespace

sql::Connection openTableFile(const std::filesystem::path& path, const std::string& displayName, const Layout& layout,
                              std::string& storedPasswordCheck, bool readOnly) {
    requireFile(path, displayName);
    sql::Connection db(path.string(), false, displayName, readOnly);
    // Nothing below writes: a file refused here is left as it was.
    try {
        try {
            checkMetadata(db, layout, storedPasswordCheck);
        } catch (const sql::Failure& f) {
            // A file in a folder nobody may write (copied from a disc) cannot get the shared-memory
            // file its journal needs even for reading; read only, it is read as it lies.
            if (!readOnly || (f.cause() != sql::Cause::FileReadOnly && f.cause() != sql::Cause::CannotOpen)) throw;
            db = sql::Connection(path.string(), false, displayName, true, true);
            checkMetadata(db, layout, storedPasswordCheck);
        }
        checkFields(db, layout);
    } catch (const sql::Failure& f) {
        if (saysForeign(f)) throw sql::Failure(SQLITE_NOTADB, Fault::FileDamaged, displayName);
        throw;
    }
    // Memory-mapped reads spare a system call per page on the point lookups of a walk; the window
    // is kept small, since walks read their records in windows and every mapped page a walk has
    // touched stays resident.
    if (readOnly) db.exec("PRAGMA query_only=1; PRAGMA mmap_size=33554432; PRAGMA cache_size=-8192;");
    else db.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA mmap_size=33554432; PRAGMA cache_size=-8192;");
    return db;
}

void addMissingIndexes(sql::Connection& db, const Layout& layout, const std::vector<IndexDef>& indexes) {
    for (const IndexDef& ix : indexes) {
        sql::Statement has(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE");
        has.bind(1, std::string_view(ix.name));
        if (has.step() && has.columnInt(0) > 0) continue;
        has = sql::Statement();
        std::string ddl = "CREATE INDEX IF NOT EXISTS " + sql::quoted(ix.name) + " ON " + sql::quoted(layout.name) + " (";
        for (size_t i = 0; i < ix.fields.size(); ++i) ddl += (i ? ", " : "") + sql::quoted(ix.fields[i]);
        ddl += ")";
        // A failed statement leaves the file as it was; the index is tried again at the next open.
        sqlite3_exec(db.handle(), ddl.c_str(), nullptr, nullptr, nullptr);
    }
}

}  // namespace zelt::store
