// Entering records on the cards: pick lists in the combo boxes, list files opened from their
// labels, capitalisation and posting on leaving a control, address copies, phrase menus, and the
// operational-information boxes loaded from and saved to the note files.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zelt::app {

class MainWindow;

class RecordEditing {
public:
    explicit RecordEditing(MainWindow& w);

    // Adds the phrase menus and registers every handler of this unit.
    void install();
    // Start-up: fills the combo boxes from the list files; a file that cannot be read is an
    // EngineError raised after the lists read before it are in place.
    void fillPickLists();
    // Master table object `number` shows a record whose note file is `path` (empty: the file could
    // not be created): its boxes load it when the event is over (a walk loads only the last
    // record's file).
    void noteShown(int number, const std::filesystem::path& path);
    // Loads the notes shown since the last event into their boxes. A note that cannot be read
    // leaves its boxes empty and read-only, so that nothing typed or left there is saved over
    // that note or another record's, until a load of the table succeeds; the first failure is
    // then thrown as the file error.
    void flushNotes();

private:
    void capitaliseOnExit(const std::string& control, bool comboBox);
    void copyAddress(const std::string& groupBox);
    void openPhraseMenu(const std::string& menu);
    void choosePhrase(const std::string& menu, const std::string& phrase);
    void showNote(const std::vector<std::string>& boxes, const std::optional<std::string>& text);
    void noteTyped(const std::string& box, const std::string& text);
    void saveBox(const std::string& box);

    MainWindow& w_;
    std::map<int, std::filesystem::path> pendingNotes_;
};

}  // namespace zelt::app
