#include "store/store_error.h"

#include <utility>

namespace zelt::store {
namespace {

struct FaultName {
    Fault kind;
    const char* name;
};

const FaultName kNames[] = {
    {Fault::FileMissing, "file missing"},
    {Fault::FileLocked, "file locked"},
    {Fault::FileReadOnly, "file read-only"},
    {Fault::FileNoAccess, "no access to file"},
    {Fault::DiskFull, "disk full"},
    {Fault::FileDamaged, "file damaged or foreign"},
    {Fault::KeyViolation, "key violation"},
    {Fault::NoMemory, "out of memory"},
    {Fault::CannotOpen, "cannot open file"},
    {Fault::InputOutput, "input/output error"},
    {Fault::FileOther, "table file error"},
    {Fault::WrongPassword, "wrong password"},
    {Fault::FileExists, "table file exists"},
    {Fault::TreeFileExists, "table tree file exists"},
    {Fault::CannotCreateFolder, "cannot create folder"},
    {Fault::StructureNoDataTable, "structure: no data table"},
    {Fault::StructureFieldOrder, "structure: field out of order"},
    {Fault::StructureFieldType, "structure: field of another type"},
    {Fault::StructureNotCounter, "structure: not a counter"},
    {Fault::StructureFieldConstrained, "structure: field constrained"},
    {Fault::StructureFieldMissing, "structure: field missing"},
    {Fault::IndexMissing, "index missing"},
    {Fault::NetworkDirMissing, "network control directory missing"},
    {Fault::UnknownLayout, "unknown layout"},
    {Fault::NoTableObject, "no table object"},
    {Fault::LayoutFieldMissing, "no such field in layout"},
    {Fault::TableClosed, "table closed"},
    {Fault::NotEditing, "table not in edit or insert mode"},
    {Fault::CounterField, "counter field is read-only"},
    {Fault::FieldMissing, "no such field"},
    {Fault::LinkFieldMissing, "no such link field"},
    {Fault::RecordNotFound, "record not found"},
    {Fault::NoRecordAt, "no record at row"},
    {Fault::NothingToDelete, "no record to delete"},
    {Fault::RecordDeletedElsewhere, "record deleted by another user"},
    {Fault::NotANumber, "not a number"},
    {Fault::NotADate, "not a date"},
    {Fault::ValueDoesNotFit, "value does not fit"},
    {Fault::JournalSystem, "journal: system error"},
    {Fault::JournalUnreadable, "journal unreadable"},
    {Fault::JournalUnknownFormat, "journal of unknown format"},
    {Fault::JournalUnknownStep, "journal: unknown step"},
    {Fault::JournalBadLine, "journal: bad line"},
    {Fault::JournalTruncated, "journal truncated"},
    {Fault::JournalStepShort, "journal: step lacks data"},
    {Fault::SafetyCopyNotWritten, "safety copy not written"},
    {Fault::SafetyCopyNoList, "safety copy: no list"},
    {Fault::SafetyCopyListUnreadable, "safety copy: list unreadable"},
    {Fault::SafetyCopyListCut, "safety copy: list cut short"},
    {Fault::SafetyCopyFileMissing, "safety copy: file missing"},
    {Fault::SafetyCopyFolderMissing, "safety copy: folder missing"},
    {Fault::CommandPending, "a command cut short is pending"},
};

void append(std::string& out, const char* key, const std::string& v) {
    if (!v.empty()) out += std::string(" ") + key + "=" + v;
}

std::string describe(const FaultInfo& f) {
    std::string out = faultName(f.kind);
    append(out, "object", f.object);
    append(out, "file", f.file);
    append(out, "field", f.field);
    append(out, "value", f.value);
    append(out, "to-file", f.otherFile);
    append(out, "to-field", f.otherField);
    append(out, "detail", f.detail);
    if (f.code) out += " code=" + std::to_string(f.code);
    if (f.inner) out += " (" + describe(*f.inner) + ")";
    return out;
}

}  // namespace

const char* faultName(Fault kind) {
    for (const FaultName& n : kNames)
        if (n.kind == kind) return n.name;
    return "store error";
}

StoreError fileFault(Fault kind, const std::string& file, const std::string& layout, const std::string& field,
                     const std::string& value) {
    FaultInfo f;
    f.kind = kind;
    f.file = file;
    f.layout = layout;
    f.field = field;
    f.value = value;
    return StoreError(std::move(f));
}

StoreError valueFault(Fault kind, const std::string& value) {
    FaultInfo f;
    f.kind = kind;
    f.value = value;
    return StoreError(std::move(f));
}

StoreError::StoreError(FaultInfo info) : EngineError(describe(info)), info_(std::move(info)) {}

}  // namespace zelt::store
