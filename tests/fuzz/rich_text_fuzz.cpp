// Fuzz target of the note reader: any bytes must read without a crash, hang or leak, give valid
// UTF-8 with CR only before LF, and lose no visible character of the input through load + save:
// a file read as plain text shows every byte of it, a file read as rich text was followed to its
// closing brace (without that brace it is damaged and shown whole), and what a load shows reads
// back unchanged after being written in the default font.
#include "base/text.h"
#include "editing/rich_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isValidUtf8(std::string_view s) {
    std::string again;
    again.reserve(s.size());
    for (size_t pos = 0; pos < s.size();) zelt::appendUtf8(again, zelt::nextCodePoint(s, pos));
    return again == s;
}

bool crOnlyBeforeLf(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return false;
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
    }
    return true;
}

// Every byte of the file as a character, written here independently of the reader: cp1251, each
// CR LF, lone CR and lone LF one line end.
std::string everyCharacterOf(std::string_view bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            out += "\r\n";
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            zelt::appendUtf8(out, zelt::unicodeFromCp1251(b));
        }
    }
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

void require(bool ok) {
    if (!ok) std::abort();
}

// Load + save: what the box shows is written in the default font and must load back unchanged.
void requireSurvivesSave(const std::string& shown) {
    const zelt::editing::NoteText again = zelt::editing::readNote(zelt::editing::richTextFromPlain(shown));
    require(again.wasRichText && again.text == shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const zelt::editing::NoteText note = zelt::editing::readNote(bytes);
    require(isValidUtf8(note.text) && crOnlyBeforeLf(note.text));
    requireSurvivesSave(note.text);
    if (!note.wasRichText) {
        require(note.text == everyCharacterOf(bytes));
        return 0;
    }
    // Rich text ends with the brace that closes the document; cut there, the document is left open.
    size_t end = bytes.size();
    while (end > 0 && isBlank(bytes[end - 1])) --end;
    require(end > 0 && bytes[end - 1] == '}');
    const std::string_view open = bytes.substr(0, end - 1);
    const zelt::editing::NoteText cut = zelt::editing::readNote(open);
    require(!cut.wasRichText && cut.text == everyCharacterOf(open));
    return 0;
}
