// The journal of intent: a small file in the data directory that names, before a command changes
// anything, how to undo it and how to finish it, so that a command over several table files is all
// or nothing across a crash or a power loss.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zelt::store {

// One step of an undo or finish list. Every action is idempotent: running it twice, or after a
// crash in the middle of running it, leaves what running it once leaves.
struct IntentAction {
    enum class Kind {
        // file, minCounter, [field, value]: removes the records of table file `file` whose counter N
        // is above `minCounter` (and whose `field` equals the number `value`, when given): what the
        // command had appended. `minCounter` "-" says the file could not be opened before the
        // command, so the command appended nothing to it.
        DropAppended,
        // file, field, value, [maxCounter]: removes the records whose `field` equals the number
        // `value` (and whose counter N is at most `maxCounter`, when given: the records a merge
        // replaced, not the ones it added).
        Delete,
        // file, field, value, blanked fields...: blanks those fields of the records whose `field`
        // equals `value`.
        Blank,
        // from, to (stored note names): the note moves; an empty note at `to` gives way, one with
        // text does not, and a missing `from` means the move has happened.
        MoveNote,
        // from, to: the note is copied unless `to` already holds one with text.
        CopyNote,
        // note, [original]: the note is removed when it is empty (created empty when its record was
        // shown) or, with `original`, when it holds the same bytes (a copy the command made).
        DropNoteCopy,
        // file: removes every record of the table file; its counter, indexes and password stay.
        Empty,
        // file, counter, then field and value pairs: puts back the stored values of the record with
        // that counter, as restoreActions() read them. A record no longer there is left alone.
        Restore,
        // from, to: `to` takes the bytes of `from` when `from` exists; a missing `from` leaves `to`
        // as it is.
        ReplaceNote,
    };
    Kind kind;
    std::vector<std::string> args;
};

// What a command means to do. Until it is marked committed, the undo list puts every person back
// where he was; once committed (all the records the command adds are durably stored), the finish
// list completes the command.
struct Intent {
    std::string command;  // what the command was, for messages
    bool committed = false;
    std::vector<IntentAction> undo;
    std::vector<IntentAction> finish;
};

// The journal file of a data directory. Writing and removing it are durable on return (file and
// directory synced), so the journal on disk always tells the state of the tables.
class IntentJournal {
public:
    explicit IntentJournal(std::filesystem::path dataDir);

    static const char* fileName();  // relative to the data directory
    bool pending() const;
    // The journal on disk; nothing when there is none. A journal that cannot be read is an engine
    // error naming the file.
    std::optional<Intent> read() const;
    void write(const Intent& intent);
    void remove();

private:
    std::filesystem::path path_;
};

}  // namespace zelt::store
