#include "app/store_messages.h"

#include "app/main_window_layout.h"
#include "base/text.h"
#include "store/layout.h"
#include "store/store_error.h"
#include "store/tree.h"

#include <cstdlib>

namespace zelt::app {
namespace {

using store::Copy;
using store::Fault;
using store::FaultInfo;

// Each layout's tables in words, one per copy: live, archive, transfer, transfer archive.
struct TableWords {
    const char* layout;
    const char* copies[4];
};

const TableWords kTableWords[] = {
    {"ZELT", {"таблица несовершеннолетних", "архив несовершеннолетних", "перенос несовершеннолетних", "архив переноса несовершеннолетних"}},
    {"PNU", {"суд несовершеннолетних", "суд несовершеннолетних, архив", "суд несовершеннолетних, перенос", "суд несовершеннолетних, архив переноса"}},
    {"PKO", {"комиссия несовершеннолетних", "комиссия несовершеннолетних, архив", "комиссия несовершеннолетних, перенос", "комиссия несовершеннолетних, архив переноса"}},
    {"PIR", {"индивидуальная работа несовершеннолетних", "индивидуальная работа несовершеннолетних, архив", "индивидуальная работа несовершеннолетних, перенос", "индивидуальная работа несовершеннолетних, архив переноса"}},
    {"BDS", {"таблица родителей", "архив родителей", "перенос родителей", "архив переноса родителей"}},
    {"SD", {"сведения о детях", "сведения о детях, архив", "сведения о детях, перенос", "сведения о детях, архив переноса"}},
    {"PKOR", {"ответственность родителей", "ответственность родителей, архив", "ответственность родителей, перенос", "ответственность родителей, архив переноса"}},
    {"PR", {"профработа родителей", "профработа родителей, архив", "профработа родителей, перенос", "профработа родителей, архив переноса"}},
    {"Prochie", {"таблица прочих", "архив прочих", "перенос прочих", "архив переноса прочих"}},
    {"PKOP", {"ответственность прочих", "ответственность прочих, архив", "ответственность прочих, перенос", "ответственность прочих, архив переноса"}},
    {"Uch", {"таблица учреждений", "архив учреждений", "перенос учреждений", "архив переноса учреждений"}},
    {"PKOU", {"дела учреждений", "дела учреждений, архив", "дела учреждений, перенос", "дела учреждений, архив переноса"}},
};

std::string wordsFor(Copy copy, const char* layout) {
    for (const TableWords& w : kTableWords)
        if (equalsIgnoreCaseAscii(w.layout, layout)) return w.copies[static_cast<int>(copy)];
    return {};
}

// The engine's wording of each failure. In the texts: {file} is the table file with its table in
// words, {Table} the table in words (the object's name when it has none), {table} the same in
// lower case, {fileName} the file's name alone, {field} the field's caption in quotes, {value} the value or name, {code} SQLite's
// result code, {detail} the system's text, {toFile} and {toField} the destination of a copy.
struct Wording {
    Fault kind;
    const char* text;
};

const Wording kWordings[] = {
    {Fault::FileMissing, "Не найден файл таблицы {file}"},
    {Fault::FileLocked, "Файл {file} занят другой программой"},
    {Fault::FileReadOnly, "Файл {file} недоступен для записи: файл или его папка только для чтения"},
    {Fault::FileNoAccess, "Нет доступа к файлу {file}"},
    {Fault::DiskFull, "Нет места на диске для записи файла {file}"},
    {Fault::FileDamaged, "Файл {file} повреждён или не является таблицей банка данных"},
    {Fault::KeyViolation, "Нарушение ключа в таблице {file}"},
    {Fault::NoMemory, "Недостаточно памяти для работы с таблицей {file}"},
    {Fault::CannotOpen, "Не удаётся открыть файл таблицы {file}"},
    {Fault::InputOutput, "Ошибка ввода-вывода при работе с файлом {file}"},
    {Fault::FileOther, "Ошибка таблицы {file} (код {code})"},
    {Fault::WrongPassword, "Неверный пароль таблицы {file}"},
    {Fault::FileExists, "Таблица {file} уже существует"},
    {Fault::TreeFileExists, "Таблица {file} уже существует; существующие таблицы не перезаписываются"},
    {Fault::CannotCreateFolder, "Не удаётся создать папку для таблицы {file}"},
    {Fault::StructureNoDataTable, "Структура таблицы {file} не совпадает с ожидаемой: нет таблицы данных"},
    {Fault::StructureFieldOrder, "Структура таблицы {file} не совпадает с ожидаемой: поле {value} должно быть полем {field}"},
    {Fault::StructureFieldType, "Структура таблицы {file} не совпадает с ожидаемой: поле {field} другого типа"},
    {Fault::StructureNotCounter, "Структура таблицы {file} не совпадает с ожидаемой: поле {field} не является счётчиком"},
    {Fault::StructureFieldConstrained, "Структура таблицы {file} не совпадает с ожидаемой: поле {field} не допускает пустых значений или повторов"},
    {Fault::StructureFieldMissing, "Структура таблицы {file} не совпадает с ожидаемой: нет поля {field}"},
    {Fault::IndexMissing, "Индекс \"{value}\" не найден в таблице {file}"},
    {Fault::NetworkDirMissing, "Папка управления сетью не найдена: {value}"},
    {Fault::UnknownLayout, "Неизвестная структура таблицы \"{value}\""},
    {Fault::NoTableObject, "Нет объекта таблицы {value}"},
    {Fault::LayoutFieldMissing, "Поле \"{value}\" не найдено"},
    {Fault::TableClosed, "{Table}: операция невозможна на закрытой таблице"},
    {Fault::NotEditing, "{Table}: таблица не находится в режиме редактирования или вставки"},
    {Fault::CounterField, "{Table}: поле {field} заполняется автоматически и не может быть изменено"},
    {Fault::FieldMissing, "{Table}: поле \"{value}\" не найдено"},
    {Fault::LinkFieldMissing, "{Table}: поле связи \"{value}\" не найдено"},
    {Fault::RecordNotFound, "{Table}: запись не найдена"},
    {Fault::NoRecordAt, "{Table}: нет записи {value}"},
    {Fault::NothingToDelete, "{Table}: нет записей для удаления"},
    {Fault::RecordDeletedElsewhere, "{Table}: запись была удалена другим пользователем"},
    {Fault::NotANumber, "\"{value}\" не является числом (поле {field}, {table})"},
    {Fault::NotADate, "\"{value}\" не является датой (поле {field}, {table})"},
    {Fault::ValueDoesNotFit, "Значение поля {field} таблицы {file} не помещается в поле {toField} таблицы {toFile}"},
    {Fault::JournalSystem, "Журнал команды {fileName}: {detail}"},
    {Fault::JournalUnreadable, "Журнал команды {fileName}: не удаётся прочитать"},
    {Fault::JournalUnknownFormat, "Журнал команды {fileName}: неизвестный формат"},
    {Fault::JournalUnknownStep, "Журнал команды {fileName}: неизвестный шаг {value}"},
    {Fault::JournalBadLine, "Журнал команды {fileName}: непонятная строка {value}"},
    {Fault::JournalTruncated, "Журнал команды {fileName}: файл обрезан"},
    {Fault::JournalStepShort, "Журнал команды {fileName}: у шага недостаточно данных"},
    {Fault::SafetyCopyNotWritten, "Страховая копия перед командой \"{value}\" не записана, команда не выполнена: {inner}"},
    {Fault::SafetyCopyNoList, "Папка {value} не является целой страховой копией: нет списка {fileName}"},
    {Fault::SafetyCopyListUnreadable, "Папка {value} не является целой страховой копией: список не читается"},
    {Fault::SafetyCopyListCut, "Папка {value} не является целой страховой копией: список оборван"},
    {Fault::SafetyCopyFileMissing, "Папка {value} не является целой страховой копией: нет файла {fileName}"},
    {Fault::SafetyCopyFolderMissing, "Папка {value} не является целой страховой копией: нет папки {fileName}"},
    {Fault::CommandPending, "В папке данных осталась незавершённая команда ({fileName}): запустите программу, чтобы она её завершила, закройте её и повторите"},
};

// The caption a field is shown under, in quotes; a field no card shows goes by its grid title.
std::string fieldInWords(const std::string& layout, const std::string& field) {
    std::string caption = fieldCaption(layout, field);
    if (caption.empty()) {
        try {
            caption = store::Layout::titleOf(store::layoutNamed(layout).field(field));
        } catch (const EngineError&) {
            caption = field;
        }
    }
    return "\"" + caption + "\"";
}

// A file name followed by its table in words, when it is a file of the table tree.
std::string fileInWords(const std::string& file) {
    const std::string words = tableFileInWords(file);
    return words.empty() ? file : file + " (" + words + ")";
}

std::string worded(const FaultInfo& f);

std::string expand(const char* text, const FaultInfo& f) {
    const std::string objectWords = !f.object.empty() ? tableInWords(f.object) : tableFileInWords(f.file);
    const std::string table = objectWords.empty() ? (f.object.empty() ? f.file : f.object) : objectWords;
    std::string out;
    for (const char* p = text; *p;) {
        if (*p != '{') {
            out += *p++;
            continue;
        }
        const char* end = p;
        while (*end && *end != '}') ++end;
        const std::string key(p + 1, end);
        p = *end ? end + 1 : end;
        if (key == "file") out += fileInWords(f.file);
        else if (key == "fileName") out += f.file;
        else if (key == "Table") out += capitalizeFirst(table);
        else if (key == "table") out += table;
        else if (key == "field") out += fieldInWords(f.layout, f.field);
        else if (key == "value") out += f.value;
        else if (key == "detail") out += f.detail;
        else if (key == "inner") out += f.inner ? worded(*f.inner) : f.detail;
        else if (key == "code") out += std::to_string(f.code);
        else if (key == "toFile") out += fileInWords(f.otherFile);
        else if (key == "toField") out += fieldInWords(f.otherLayout, f.otherField);
    }
    return out;
}

}  // namespace

std::string tableInWords(const std::string& object) {
    if (object.rfind("Table", 0) != 0 || object.size() <= 5) return {};
    char* end = nullptr;
    const long n = std::strtol(object.c_str() + 5, &end, 10);
    if (*end || n < 1 || n > static_cast<long>(store::tableObjects().size())) return {};
    const store::TableObjectDef& d = store::tableObject(static_cast<int>(n));
    return wordsFor(d.copy, d.table);
}

std::string tableFileInWords(const std::string& file) {
    if (file.empty()) return {};
    for (const store::TableObjectDef& d : store::tableObjects())
        if (equalsIgnoreCaseAscii(store::tableFileName(d.copy, d.table), file)) return wordsFor(d.copy, d.table);
    return {};
}

namespace {

std::string worded(const FaultInfo& f) {
    for (const Wording& w : kWordings)
        if (w.kind == f.kind) return expand(w.text, f);
    return store::faultName(f.kind);
}

}  // namespace

std::string clerkMessage(const std::exception& e) {
    const auto* failure = dynamic_cast<const store::StoreError*>(&e);
    return failure ? worded(failure->info()) : e.what();
}

}  // namespace zelt::app
