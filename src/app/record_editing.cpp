#include "app/record_editing.h"

#include "base/age.h"
#include "app/cards.h"
#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "base/error.h"
#include "base/text.h"
#include "editing/entry_rules.h"
#include "editing/list_file.h"
#include "editing/note_files.h"
#include "editing/pick_lists.h"
#include "editing/rich_text.h"
#include "store/tree.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <system_error>

namespace zelt::app {
namespace {

// The operational-information boxes of each master table object, in loading order.
const std::map<int, std::vector<std::string>>& boxesByTable() {
    static const std::map<int, std::vector<std::string>> boxes = noteBoxes();
    return boxes;
}

int boxTable(const std::string& box) {
    for (const auto& [table, names] : boxesByTable())
        for (const std::string& n : names)
            if (box == n) return table;
    return 0;
}

// The card field whose phrase menu is `menu`.
const CardField& phraseField(const std::string& menu) {
    const CardField* found = nullptr;
    forEachCardField([&](const CardGroup&, const CardField& f) {
        if (f.phrases.menu && menu == f.phrases.menu) found = &f;
    });
    if (!found) throw EngineError("нет элемента " + menu);
    return *found;
}

std::string readBytes(const std::filesystem::path& p) {
    const EngineError unreadable("Не удаётся прочитать файл " + p.filename().string());
    // A folder or device in the note's place opens on some systems and reads as nothing.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) throw unreadable;
    std::ifstream in(p, std::ios::binary);
    if (!in) throw unreadable;
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) bytes.append(buffer, static_cast<size_t>(in.gcount()));
    if (in.bad()) throw unreadable;
    return bytes;
}

// The rename below would replace a note whatever its own permissions say; a note the user may not
// write must stay as it is.
void requireWritable(const std::filesystem::path& p, const EngineError& failure) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) throw failure;
    const int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw failure;
    ::close(fd);
}

// Replaces a note file through a temporary file in the same folder, so a crash never leaves half a
// note; the note keeps its permissions.
void writeAtomically(const std::filesystem::path& p, const std::string& bytes) {
    const EngineError failure("Не удаётся записать файл " + p.filename().string());
    requireWritable(p, failure);
    const std::filesystem::path temp = p.string() + ".~tmp";
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        if (!out) {
            std::filesystem::remove(temp, ec);
            throw failure;
        }
    }
    std::filesystem::permissions(temp, std::filesystem::status(p, ec).permissions(), ec);
    std::filesystem::rename(temp, p, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw failure;
    }
}

}  // namespace

RecordEditing::RecordEditing(MainWindow& w) : w_(w) {}

void RecordEditing::install() {
    FormModel& m = w_.model();
    DataBinder& b = w_.binder();

    forEachCardField([this, &m](const CardGroup&, const CardField& f) {
        if (f.list && f.click != LabelClick::None) {
            const std::string file = f.list;
            m.on(f.label, f.click == LabelClick::Single ? "Click" : "DblClick",
                 [this, file](const EventArgs&) { w_.ui().startEditor(file); });
        }
        if (f.capitalise) {
            const std::string name = f.control;
            const bool combo = f.entry == Entry::ComboBox;
            m.on(name, "Exit", [this, name, combo](const EventArgs&) { capitaliseOnExit(name, combo); });
        }
        if (f.phrases.menu) {
            const std::string menu = f.phrases.menu;
            m.add(menu, ControlKind::PopupMenu, "TForm1");
            m.on(menu, "Popup", [this, menu](const EventArgs&) { openPhraseMenu(menu); });
        }
    });
    for (const CardTab& card : cardTabs())
        for (const CardGroup& g : card.groups) {
            if (!g.copiesFrom) continue;
            const std::string box = g.name;
            m.on(box, "DblClick", [this, box](const EventArgs&) { copyAddress(box); });
        }
    // The minor's date of birth stores his age at once; the leisure memo is stored when not empty.
    const std::string birth = cardControl(1, "DR");
    m.on(birth, "Exit", [this, &b, birth](const EventArgs&) {
        b.writeBack(birth);
        store::Table& t = w_.table(store::TableId::ZELT);
        t.edit();
        t.post();
        t.edit();
        t.setNumber("L", ageInYears(w_.clock().today(), t.asDate("DR")));
        t.post();
    });
    const std::string leisure = cardControl(1, "Dosug");
    m.on(leisure, "Exit", [this, &b, leisure](const EventArgs&) {
        b.writeBack(leisure);
        if (b.shownText(leisure).empty()) return;
        store::Table& t = w_.table(store::TableId::ZELT);
        t.edit();
        t.post();
    });

    for (const auto& [table, boxes] : boxesByTable()) {
        for (const std::string& name : boxes) {
            m.on(name, "Change", [this, name](const EventArgs& a) { noteTyped(name, a.text); });
            m.on(name, "Exit", [this, name](const EventArgs&) { saveBox(name); });
        }
    }
}

void RecordEditing::fillPickLists() {
    FormModel& m = w_.model();
    const editing::LoadedPickLists loaded = editing::loadPickLists(w_.session().dataDir(), pickListRows());
    for (const auto& [combo, items] : loaded.values) {
        Control& c = m.get(combo);
        c.items.insert(c.items.end(), items.begin(), items.end());
        if (holdsListSorted(combo))
            std::stable_sort(c.items.begin(), c.items.end(),
                             [](const std::string& a, const std::string& b) { return collatesBefore(a, b); });
        m.changed(c);
    }
    // Shown only now, so that the lists read before the failing file are kept.
    if (!loaded.readError.empty()) throw EngineError(loaded.readError);
}

void RecordEditing::capitaliseOnExit(const std::string& name, bool comboBox) {
    DataBinder& b = w_.binder();
    b.writeBack(name);  // leaving a data-aware control stores its text in the field first
    const std::string text = b.shownText(name);
    if (text.empty()) return;
    Control& c = w_.model().get(name);
    store::Table& t = w_.table(c.dataSource);
    t.edit();
    const std::string upper = editing::capitalised(text);
    if (comboBox) {
        t.setText(c.field, upper);
    } else {
        c.text = upper;
        c.modified = true;
        w_.model().changed(c);
    }
    t.post();
}

void RecordEditing::copyAddress(const std::string& groupBox) {
    const CardGroup* into = cardGroup(groupBox);
    const CardGroup* from = into ? cardGroup(into->copiesFrom) : nullptr;
    if (!from) return;
    DataBinder& b = w_.binder();
    const size_t n = std::min(from->fields.size(), into->fields.size());
    // The texts the source controls show, typed changes and empty values included.
    std::vector<std::string> texts;
    for (size_t i = 0; i < n; ++i) texts.push_back(b.shownText(from->fields[i].control));
    store::Table& t = w_.table(into->source);
    t.edit();
    for (size_t i = 0; i < n; ++i) {
        b.discardTyping(into->fields[i].control);
        t.setText(into->fields[i].field, texts[i]);
    }
    t.post();
}

void RecordEditing::openPhraseMenu(const std::string& menuName) {
    FormModel& m = w_.model();
    if (!m.childrenOf(menuName).empty()) return;  // read once per run
    const std::vector<std::string> lines =
        editing::readListFile(store::resolvePath(w_.session().dataDir(), phraseField(menuName).phrases.file));
    // Each line goes to the top of the menu, so the last line of the file comes first.
    for (size_t i = lines.size(); i-- > 0;) {
        const std::string phrase = lines[i];
        m.add(menuName + ".Item" + std::to_string(i + 1), phrase == "-" ? ControlKind::Separator : ControlKind::MenuItem,
              menuName, phrase);
        if (phrase != "-")
            m.on(menuName + ".Item" + std::to_string(i + 1), "Click",
                 [this, menuName, phrase](const EventArgs&) { choosePhrase(menuName, phrase); });
    }
    m.changed(m.get(menuName));
}

void RecordEditing::choosePhrase(const std::string& menuName, const std::string& phrase) {
    const CardField& field = phraseField(menuName);
    const std::string control = field.control;
    FormModel& m = w_.model();
    DataBinder& b = w_.binder();
    Control& c = m.get(control);
    store::Table& t = w_.table(c.dataSource);
    t.edit();  // an empty detail inserts; an unposted master is stored first
    const std::string shown = b.shownText(control);
    c.text = field.entry == Entry::Edit ? fitToField(phrase, editing::kPhraseEditLength)
                                        : editing::withPhraseAdded(shown, phrase);
    c.modified = true;
    m.changed(c);
    t.post();
}

void RecordEditing::noteShown(int number, const std::filesystem::path& path) { pendingNotes_[number] = path; }

void RecordEditing::flushNotes() {
    std::map<int, std::filesystem::path> pending;
    pending.swap(pendingNotes_);
    std::string failure;
    for (const auto& [table, path] : pending) {
        const auto boxes = boxesByTable().find(table);
        if (boxes == boxesByTable().end()) continue;
        std::optional<std::string> text;
        if (!path.empty()) {  // empty: the file could not be created, and the hook has said so
            try {
                const std::string bytes = readBytes(path);
                const bool plain = store::hasPlainTextNotes(w_.tables().def(table).table);
                text = plain ? utf8FromCp1251(bytes) : editing::readNote(bytes).text;
            } catch (const EngineError& e) {
                if (failure.empty()) failure = e.what();
            }
        }
        showNote(boxes->second, text);
    }
    if (!failure.empty()) throw EngineError(failure);
}

void RecordEditing::showNote(const std::vector<std::string>& boxes, const std::optional<std::string>& text) {
    FormModel& m = w_.model();
    for (const std::string& box : boxes) {
        Control& c = m.get(box);
        const std::string& shown = text ? *text : std::string();
        if (c.text == shown && c.readOnly == !text) continue;
        c.text = shown;
        c.readOnly = !text;
        m.changed(c);
    }
}

void RecordEditing::noteTyped(const std::string& box, const std::string& text) {
    Control& c = w_.model().get(box);
    if (c.readOnly) return;  // a box that shows no note takes no typing
    c.text = text;
    w_.model().changed(c);
    w_.ui().reduceClipboard();
}

void RecordEditing::saveBox(const std::string& box) {
    const int table = boxTable(box);
    if (!w_.table(table).active()) return;  // no record to keep a note for
    // The note of the current record could not be read: what the box holds is not that note and
    // must replace no file.
    if (w_.model().get(box).readOnly) return;
    const std::string name = editing::noteFileOf(w_.tables(), table);
    const std::filesystem::path path = editing::ensureNoteFile(w_.session().dataDir(), name);
    const std::string& text = w_.model().get(box).text;
    const bool plain = store::hasPlainTextNotes(w_.tables().def(table).table);
    // Whatever was typed or pasted is stored in the box's default font.
    writeAtomically(path, plain ? editing::plainNoteBytes(text) : editing::richTextFromPlain(text));
}

}  // namespace zelt::app
