// Taking records off the register into the archive and back: the move of a record with its
// detail records and note file, archiving one parent of a family, restoring an archived record as
// a new live one, and deleting an archived record.
#pragma once

#include "store/table_set.h"

namespace zelt::archive {

enum class Register { Minors, Parents, Others };
enum class Parent { Mother, Father };

// Moves the current record of the register's live master table, with its detail records, into
// the archive and its note file into the archive directory. The copies are made before anything
// is deleted, so a failure at any step leaves every record live or archived, never lost.
void moveToArchive(store::TableSet& tables, Register reg);

// Copies the whole current family into the archive and blanks one parent's block in the live record.
void archiveParent(store::TableSet& tables, Parent parent);

// Appends the current archived record (minors or parents) to the live tables as a new record with
// a new link key, with its detail records and a copy of its note file. The archive stays as it was.
void restoreFromArchive(store::TableSet& tables, Register reg);

// Deletes the current archived record and its archived detail records; its note file stays.
void deleteFromArchive(store::TableSet& tables, Register reg);

}  // namespace zelt::archive
