#include "store/table.h"

#include "base/text.h"
#include "store/store_error.h"

namespace zelt::store {

namespace {

// The fault of a value of `sf` in `source` that field `df` of `dest` cannot hold.
StoreError doesNotFit(const Table& source, const FieldDef& sf, const Table& dest, const FieldDef& df) {
    FaultInfo fault;
    fault.kind = Fault::ValueDoesNotFit;
    fault.file = source.fileName();
    fault.layout = source.layout().name;
    fault.field = sf.name;
    fault.otherFile = dest.fileName();
    fault.otherLayout = dest.layout().name;
    fault.otherField = df.name;
    return StoreError(std::move(fault));
}

}  // namespace

void Table::batchAppendFrom(Table& source) {
    source.requireActive();
    source.checkBrowseMode();
    source.ensureList();
    const std::vector<int64_t> ids = source.list_.ids;

    // A closed destination is written through a store of its own.
    std::unique_ptr<RecordStore> temp;
    RecordStore* store = store_.get();
    if (!active()) {
        temp = openRecordStore(session_, fileName_, layout_, StoreOptions{false, false});
        store = temp.get();
    } else {
        checkBrowseMode();
    }
    const size_t n = std::min(layout_.fields.size(), source.layout_.fields.size());

    store->atomically([&] {
        for (const int64_t id : ids) {
            bool found = false;
            const std::vector<Value> rec = source.readRow(id, found);
            if (!found) continue;
            std::vector<Value> out(layout_.fields.size());
            for (size_t i = 1; i < n; ++i) {
                const FieldDef& df = layout_.fields[i];
                const FieldDef& sf = source.layout_.fields[i];
                out[i] = convertForField(df, rec[i], sf);
                const Value& v = out[i];
                const bool lost = !rec[i].null && v.null;
                const bool cut = !v.null && (df.type == FieldType::Alpha) &&
                                 codePointCount(v.text) < codePointCount(sf.type == FieldType::Alpha || sf.type == FieldType::Memo
                                                                             ? rec[i].text
                                                                             : std::string(v.text));
                if (lost || cut) throw doesNotFit(source, sf, *this, df);
            }
            store->insert(out);
        }
    });
    noteWrite();
    temp.reset();
    if (active()) refresh();
}

void Table::emptyTable() {
    if (active()) {
        checkBrowseMode();
        store_->removeAll();
        noteWrite();
        list_.valid = false;
        first();
        return;
    }
    // The counter is not reset: a later record must never take the number, and so the note
    // file, of a removed one.
    openRecordStore(session_, fileName_, layout_, StoreOptions{false, false})->removeAll();
    noteWrite();
}

}  // namespace zelt::store
