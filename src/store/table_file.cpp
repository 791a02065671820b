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
    if (std::filesystem::exists(path, ec)) throw EngineError("Таблица " + displayName + " уже существует");
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) throw EngineError("Не удаётся создать папку для таблицы " + displayName + ": " + ec.message());

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

sql::Connection openTableFile(const std::filesystem::path& path, const std::string& displayName, const Layout& layout,
                              std::string& storedPasswordCheck) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw EngineError("Не найден файл таблицы " + displayName);
    sql::Connection db(path.string(), false, displayName);
    const auto foreign = [&displayName]() {
        return EngineError("Файл " + displayName + " повреждён или не является таблицей банка данных");
    };
    try {
        sql::Statement meta(db, "SELECT key, value FROM zelt_meta");
        std::string format, layoutName;
        while (meta.step()) {
            const std::string_view key = meta.columnText(0);
            if (key == "format") format = std::string(meta.columnText(1));
            else if (key == "layout") layoutName = std::string(meta.columnText(1));
            else if (key == "password") storedPasswordCheck = std::string(meta.columnText(1));
        }
        if (format != std::to_string(kFormatVersion) || !equalsIgnoreCaseAscii(layoutName, layout.name)) throw foreign();
    } catch (const EngineError&) {
        throw foreign();
    }

    sql::Statement info(db, "PRAGMA table_info(" + sql::quoted(layout.name) + ")");
    size_t i = 0;
    while (info.step()) {
        if (i >= layout.fields.size()) {
            ++i;
            continue;  // trailing fields of a newer layout are kept but not used
        }
        const FieldDef& f = layout.fields[i];
        if (!equalsIgnoreCaseAscii(info.columnText(1), f.name) ||
            !equalsIgnoreCaseAscii(info.columnText(2), columnType(f.type)))
            throw EngineError("Структура таблицы " + displayName + " не совпадает с ожидаемой: поле " +
                              std::to_string(i + 1) + " должно быть " + f.name);
        ++i;
    }
    if (i < layout.fields.size())
        throw EngineError("Структура таблицы " + displayName + " не совпадает с ожидаемой: нет поля " +
                          layout.fields[i].name);
    // Memory-mapped reads spare a system call per page on the point lookups of a walk.
    db.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA mmap_size=67108864; PRAGMA cache_size=-8192;");
    return db;
}

}  // namespace zelt::store
