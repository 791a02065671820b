#include "init/demo_writer.h"

#include "base/error.h"
#include "base/text.h"
#include "editing/rich_text.h"
#include "store/table_set.h"
#include "store/tree.h"

#include <fstream>
#include <map>

namespace zelt::init {
namespace {

// Where one register's masters and details go, live and archived.
struct RegisterTables {
    int liveMaster;
    int archiveMaster;  // 0: the register has no archive
    std::map<std::string, std::pair<int, int>> details;  // layout -> live, archive table object
};

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw EngineError("Не удаётся записать файл " + path.string());
    store::noteCreatedFile(path);
}

void setFields(store::Table& t, const demo::Record& r) {
    for (const auto& [name, value] : r.fields) t.setText(name, value);
}

class Writer {
public:
    Writer(const std::filesystem::path& dir, store::TableSet& tables, WriteCounts& counts)
        : dir_(dir), tables_(tables), counts_(counts) {}

    void write(const RegisterTables& reg, const std::vector<demo::Master>& masters) {
        store::Table& live = tables_.table(reg.liveMaster);
        for (const demo::Master& m : masters) {
            live.append();
            setFields(live, m.record);
            live.post();
            const double sv = live.asNumber("N");
            live.edit();
            live.setNumber("Sv", sv);
            live.post();
            int masterNo = reg.liveMaster;
            if (m.archived && reg.archiveMaster) {
                // Taken off the register: the archive keeps the Sv the live table gave.
                store::Table& arch = tables_.table(reg.archiveMaster);
                arch.append();
                setFields(arch, m.record);
                arch.setNumber("Sv", sv);
                arch.post();
                live.deleteRecord();
                masterNo = reg.archiveMaster;
                ++counts_.archived;
            } else {
                ++counts_.live;
            }
            for (const auto& [layout, rec] : m.details) {
                const auto it = reg.details.find(layout);
                if (it == reg.details.end()) continue;
                store::Table& d = tables_.table(masterNo == reg.liveMaster ? it->second.first : it->second.second);
                d.append();
                setFields(d, rec);
                d.setNumber("Sv", sv);
                d.post();
                ++counts_.details;
            }
            if (!m.note.empty()) {
                const store::TableObjectDef& def = tables_.def(masterNo);
                const std::string name = store::noteFileName(def.copy, def.table, static_cast<long long>(sv));
                const std::string bytes = store::hasPlainTextNotes(def.table) ? cp1251FromUtf8(m.note)
                                                                               : editing::richTextFromPlain(m.note);
                writeFile(store::resolvePath(dir_, name), bytes);
                ++counts_.notes;
            }
        }
    }

private:
    const std::filesystem::path& dir_;
    store::TableSet& tables_;
    WriteCounts& counts_;
};

}  // namespace

WriteCounts writeDemo(const std::filesystem::path& dataDir, const std::string& password, const demo::DemoData& data) {
    WriteCounts counts;
    store::Session session(dataDir);
    session.addPassword(password);
    store::TableSet tables(session);
    const RegisterTables minors{1, 5, {{"PNU", {2, 6}}, {"PKO", {3, 7}}, {"PIR", {4, 8}}}};
    const RegisterTables families{9, 13, {{"SD", {10, 14}}, {"PKOR", {11, 15}}, {"PR", {12, 16}}}};
    const RegisterTables others{33, 35, {{"PKOP", {34, 36}}}};
    const RegisterTables institutions{41, 0, {{"PKOU", {43, 43}}}};
    {
        store::Session::Batch batch(session);
        for (const RegisterTables* reg : {&minors, &families, &others, &institutions}) {
            // Details are written with their Sv given, so their master links are lifted.
            tables.dataSource(reg->liveMaster).setEnabled(false);
            if (reg->archiveMaster) tables.dataSource(reg->archiveMaster).setEnabled(false);
            tables.table(reg->liveMaster).open();
            if (reg->archiveMaster) tables.table(reg->archiveMaster).open();
            for (const auto& [layout, pair] : reg->details) {
                tables.table(pair.first).open();
                tables.table(pair.second).open();
            }
        }
        Writer w(dataDir, tables, counts);
        w.write(minors, data.minors);
        w.write(families, data.families);
        w.write(others, data.others);
        w.write(institutions, data.institutions);
        batch.commit();
    }
    for (const auto& [name, lines] : data.listFiles) {
        std::string bytes;
        for (const std::string& l : lines) bytes += cp1251FromUtf8(l) + "\r\n";
        writeFile(dataDir / name, bytes);
        ++counts.listFiles;
    }
    for (store::TableId id : store::allTableIds()) tables.table(id).close();
    return counts;
}

}  // namespace zelt::init
