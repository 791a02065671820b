// What went wrong in the table store, told as a kind of failure and the things it concerns (table
// object, file, field, value), so that the layer above can word it for the user.
#pragma once

#include "base/error.h"

#include <memory>
#include <string>

namespace zelt::store {

enum class Fault {
    // A table file that cannot be opened, read or written: `file`; `code` is SQLite's result.
    FileMissing, FileLocked, FileReadOnly, FileNoAccess, DiskFull, FileDamaged, KeyViolation, NoMemory,
    CannotOpen, InputOutput, FileOther,
    // A table file refused or not made: `file`.
    WrongPassword, FileExists, TreeFileExists, CannotCreateFolder,
    StructureNoDataTable,     // `layout` is not a data table of the file
    StructureFieldOrder,      // the column at position `value` should be `field`
    StructureFieldType,       // `field` has another type
    StructureNotCounter,      // `field` is not the file's own counter
    StructureFieldConstrained,  // `field` takes no blank or repeated values
    StructureFieldMissing,    // `field` is not in the file
    IndexMissing,             // index `value` is not in `file`
    // The tree and layouts: `value` names what is missing.
    NetworkDirMissing, UnknownLayout, NoTableObject, LayoutFieldMissing,
    // An operation of table object `object` (on `file`, layout `layout`).
    TableClosed, NotEditing, CounterField, FieldMissing, LinkFieldMissing, RecordNotFound, NoRecordAt,
    NothingToDelete, RecordDeletedElsewhere,
    // A value `value` that field `field` cannot take.
    NotANumber, NotADate,
    // A batch append: `field` of `file` does not fit into `otherField` of `otherFile`.
    ValueDoesNotFit,
    // The journal of a command (`file`): `detail` is the system's own text where there is one.
    JournalSystem, JournalUnreadable, JournalUnknownFormat, JournalUnknownStep, JournalBadLine, JournalTruncated,
    JournalStepShort,
    // A safety copy before command `value` could not be written; `inner` tells why.
    SafetyCopyNotWritten,
    // Folder `value` is not a whole safety copy: its list (`file`) is missing, unreadable or cut
    // short, or the table file or note folder `file` it lists is missing.
    SafetyCopyNoList, SafetyCopyListUnreadable, SafetyCopyListCut, SafetyCopyFileMissing, SafetyCopyFolderMissing,
    // The data directory still holds the journal `file` of a command a crash cut short.
    CommandPending,
};

struct FaultInfo {
    Fault kind = Fault::FileOther;
    std::string object;  // table object (Table1), or "" when the failure is the file's
    std::string file;    // stored file name (ZELT\ZELT.db)
    std::string layout;  // layout of `file` (ZELT), or ""
    std::string field;   // field name of `layout`
    std::string value;   // the value, name or position concerned
    std::string otherFile, otherLayout, otherField;
    std::string detail;  // the operating system's text
    int code = 0;        // SQLite's result code
    std::shared_ptr<const FaultInfo> inner;  // the failure behind this one, or none
};

// The store's failure. `what()` is a technical description for logs and developers; what the user
// reads is worded above the store from `info()`.
class StoreError : public EngineError {
public:
    explicit StoreError(FaultInfo info);
    const FaultInfo& info() const { return info_; }

private:
    FaultInfo info_;
};

// A failure of table file `file` (layout `layout`), concerning `field` and `value` where given.
StoreError fileFault(Fault kind, const std::string& file, const std::string& layout = {}, const std::string& field = {},
                     const std::string& value = {});
// A failure that concerns no table file: `value` names what is missing or wrong.
StoreError valueFault(Fault kind, const std::string& value);

// The name of a kind of failure, as `what()` writes it.
const char* faultName(Fault kind);

}  // namespace zelt::store
