// How a table file that cannot be used is reported: each cause of a failed open or write in Russian
// naming the file and its table in words, and a file whose structure is not the layout's refused
// and left as it was.
#include "fixture.h"

#include "app/store_messages.h"
#include "base/error.h"
#include "store/layout.h"
#include "store/sqlite.h"
#include "store/table_file.h"
#include "support/full_disk.h"

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>

namespace zelt::store::testing {
namespace {

std::string bytesOf(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

template <class F>
std::string errorOf(F f) {
    try {
        f();
    } catch (const EngineError& e) {
        return app::clerkMessage(e);
    }
    return "(no error)";
}

// ---------------------------------------------------------------------------------------------
// Wording

TEST(FailureWording, EachCauseIsToldInRussianNamingTheFileAndItsTable) {
    struct Case {
        int code;
        int sysErrno;
        const char* text;
    };
    const Case cases[] = {
        {SQLITE_BUSY, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой"},
        {SQLITE_BUSY_SNAPSHOT, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой"},
        {SQLITE_LOCKED, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой"},
        {SQLITE_READONLY, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения"},
        {SQLITE_READONLY_DIRECTORY, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения"},
        {SQLITE_IOERR_WRITE, EROFS, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения"},
        {SQLITE_IOERR_WRITE, EACCES, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) недоступен для записи: файл или его папка только для чтения"},
        {SQLITE_CANTOPEN, EACCES, "Нет доступа к файлу ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_FULL, 0, "Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_IOERR_WRITE, ENOSPC, "Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_IOERR_SHMSIZE, EDQUOT, "Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_IOERR_WRITE, EFBIG, "Нет места на диске для записи файла ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_CORRUPT, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) повреждён или не является таблицей банка данных"},
        {SQLITE_CORRUPT_INDEX, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) повреждён или не является таблицей банка данных"},
        {SQLITE_NOTADB, 0, "Файл ZELT\\ZELT.db (таблица несовершеннолетних) повреждён или не является таблицей банка данных"},
        {SQLITE_CANTOPEN, ENOENT, "Не найден файл таблицы ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_CANTOPEN, 0, "Не удаётся открыть файл таблицы ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_CONSTRAINT_UNIQUE, 0, "Нарушение ключа в таблице ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_NOMEM, 0, "Недостаточно памяти для работы с таблицей ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_IOERR_NOMEM, 0, "Недостаточно памяти для работы с таблицей ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_IOERR_READ, EIO, "Ошибка ввода-вывода при работе с файлом ZELT\\ZELT.db (таблица несовершеннолетних)"},
        {SQLITE_MISUSE, 0, "Ошибка таблицы ZELT\\ZELT.db (таблица несовершеннолетних) (код 21)"},
    };
    for (const Case& c : cases) {
        const sql::Failure f(c.code, sql::causeOf(c.code, c.sysErrno), "ZELT\\ZELT.db");
        EXPECT_EQ(app::clerkMessage(f), c.text) << c.code << " errno " << c.sysErrno;
    }
}

// ---------------------------------------------------------------------------------------------
// Foreign structures

// The minors' data table rebuilt with the records it holds, one column declared otherwise.
void rebuildMinors(const std::filesystem::path& p, const std::string& field, const std::string& declaration) {
    const Layout& l = layoutNamed("ZELT");
    std::string columns;
    for (size_t i = 0; i < l.fields.size(); ++i) {
        const FieldDef& f = l.fields[i];
        columns += (i ? ", \"" : "\"") + std::string(f.name) + "\" ";
        if (f.name == field) columns += declaration;
        else columns += std::string(columnType(f.type)) + (f.type == FieldType::AutoInc ? " PRIMARY KEY AUTOINCREMENT" : "");
    }
    RawFile(p).exec("BEGIN; ALTER TABLE ZELT RENAME TO Old; CREATE TABLE ZELT (" + columns +
                    "); INSERT INTO ZELT SELECT * FROM Old; DROP TABLE Old; COMMIT; PRAGMA wal_checkpoint(TRUNCATE)");
}

struct StructureCase {
    const char* name;
    std::function<void(const std::filesystem::path&)> spoil;
    const char* error;
};

const StructureCase kStructures[] = {
    {"CounterWithoutAutoincrement", [](const auto& p) { rebuildMinors(p, "N", "INTEGER PRIMARY KEY"); },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"N\" не является счётчиком"},
    {"CounterAsPlainInteger", [](const auto& p) { rebuildMinors(p, "N", "INTEGER"); },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"N\" не является счётчиком"},
    {"DateOfAnotherType", [](const auto& p) { rebuildMinors(p, "DR", "REAL"); },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"Дата рождения\" другого типа"},
    {"NumberOfAnotherType", [](const auto& p) { rebuildMinors(p, "Sv", "INTEGER"); },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"Sv\" другого типа"},
    {"FieldThatTakesNoBlank", [](const auto& p) { rebuildMinors(p, "F", "TEXT NOT NULL DEFAULT ''"); },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: поле \"Фамилия\" не допускает пустых значений или повторов"},
    {"ViewInPlaceOfTheTable",
     [](const auto& p) {
         RawFile(p).exec("ALTER TABLE ZELT RENAME TO Rows; CREATE VIEW ZELT AS SELECT * FROM Rows;"
                         "PRAGMA wal_checkpoint(TRUNCATE)");
     },
     "Структура таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не совпадает с ожидаемой: нет таблицы данных"},
};

void PrintTo(const StructureCase& c, std::ostream* os) { *os << c.name; }

using ForeignStructure = StoreCaseTest<StructureCase>;

TEST_P(ForeignStructure, IsRefusedNamingTheFileAndLeftAsItWas) {
    const auto file = fileOf(1);
    {
        Table& z = t(1);
        z.open();
        add(z, {{"F", "Первый"}});
        add(z, {{"F", "Второй"}});
        z.close();
    }
    GetParam().spoil(file);
    const std::string before = bytesOf(file);
    Table& z = t(1);
    EXPECT_EQ(errorOf([&] { z.open(); }), GetParam().error);
    EXPECT_FALSE(z.active());
    EXPECT_EQ(errorOf([&] { z.emptyTable(); }), GetParam().error);
    EXPECT_EQ(bytesOf(file), before);
    EXPECT_EQ(RawFile(file).scalar("SELECT COUNT(*) FROM ZELT"), "2");
}

INSTANTIATE_TEST_SUITE_P(Cases, ForeignStructure, ::testing::ValuesIn(kStructures), CaseName());

// ---------------------------------------------------------------------------------------------
// Failed writes

// What keeps a write from reaching the file: another program holding it, or a full disk.
struct Fault {
    const char* name;
    const char* error;  // with %s for the file
    bool lock;          // held by another connection; otherwise the disk is full
};

const Fault kFaults[] = {
    {"Locked", "Файл %s занят другой программой", true},
    {"DiskFull", "Нет места на диске для записи файла %s", false},
};

// One write path of the engine, run on the live minors (Table1, two records) and their archive
// (Table5); `target` is the table whose file it writes, `file` that file as the message names it.
struct WritePath {
    const char* name;
    int target;
    const char* file;
    std::function<void(Table& minors, Table& archive)> run;
};

const char* const kLive = "ZELT\\ZELT.db (таблица несовершеннолетних)";
const char* const kArchive = "Arxiv\\ZELT\\ZELT.db (архив несовершеннолетних)";

const WritePath kWrites[] = {
    {"Post", 1, kLive, [](Table& m, Table&) { add(m, {{"F", "Третий"}}); }},
    {"Edit", 1, kLive,
     [](Table& m, Table&) {
         m.edit();
         m.setText("F", "Иной");
         m.post();
     }},
    {"Delete", 1, kLive, [](Table& m, Table&) { m.deleteRecord(); }},
    {"EmptyOpenTable", 1, kLive, [](Table& m, Table&) { m.emptyTable(); }},
    {"EmptyClosedTable", 1, kLive,
     [](Table& m, Table&) {
         m.close();
         m.emptyTable();
     }},
    {"BatchAppendIntoAClosedTable", 5, kArchive, [](Table& m, Table& a) { a.batchAppendFrom(m); }},
    {"BatchAppendIntoAnOpenTable", 5, kArchive,
     [](Table& m, Table& a) {
         a.open();
         a.batchAppendFrom(m);
     }},
};

struct WriteCase {
    Fault fault;
    WritePath write;
};

std::vector<WriteCase> writeCases() {
    std::vector<WriteCase> v;
    for (const Fault& f : kFaults)
        for (const WritePath& w : kWrites) v.push_back({f, w});
    return v;
}

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.fault.name << c.write.name; }

class FailedWrite : public StoreTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(FailedWrite, IsToldByItsCauseAndChangesNothing) {
    const WriteCase& c = GetParam();
    zelt::testing::FullDisk disk;  // every connection from here on writes through it
    Table& minors = t(1);
    Table& archive = t(5);
    minors.open();
    add(minors, {{"F", "Первый"}});
    add(minors, {{"F", "Второй"}});
    const std::filesystem::path file = fileOf(c.write.target);
    // Both files hold the minors' layout.
    const std::string countSql = "SELECT COUNT(*) || ' ' || ifnull(group_concat(F, ','), '') FROM ZELT";
    const std::string before = RawFile(file).scalar(countSql);

    std::unique_ptr<RawFile> holder;
    if (c.fault.lock) {
        holder = std::make_unique<RawFile>(file);
        holder->exec("BEGIN IMMEDIATE; INSERT INTO ZELT (F) VALUES ('чужая'); DELETE FROM ZELT WHERE F = 'чужая'");
    } else {
        disk.fill();
    }
    char expected[400];
    std::snprintf(expected, sizeof expected, c.fault.error, c.write.file);
    EXPECT_EQ(errorOf([&] { c.write.run(minors, archive); }), expected);
    holder.reset();  // the other program lets go without storing anything
    disk.clear();
    EXPECT_EQ(RawFile(file).scalar(countSql), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedWrite, ::testing::ValuesIn(writeCases()),
                         [](const ::testing::TestParamInfo<WriteCase>& i) {
                             return std::string(i.param.fault.name) + i.param.write.name;
                         });

TEST_F(StoreTest, FileHeldByAnotherProgramDoesNotOpen) {
    const auto file = fileOf(1);
    RawFile holder(file);
    holder.exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE");
    holder.scalar("SELECT COUNT(*) FROM ZELT");
    const std::string before = bytesOf(file);
    EXPECT_EQ(errorOf([&] { t(1).open(); }), "Файл ZELT\\ZELT.db (таблица несовершеннолетних) занят другой программой");
    EXPECT_FALSE(t(1).active());
    EXPECT_EQ(bytesOf(file), before);
}

}  // namespace
}  // namespace zelt::store::testing
