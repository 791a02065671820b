// Fuzz target of the note reader: any bytes must read without a crash, hang or leak, give valid
// UTF-8 with CR only before LF, and read back unchanged after being written in the default font.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const zelt::editing::NoteText note = zelt::editing::readNote(bytes);
    if (!isValidUtf8(note.text) || !crOnlyBeforeLf(note.text)) std::abort();
    const zelt::editing::NoteText again = zelt::editing::readNote(zelt::editing::richTextFromPlain(note.text));
    if (!again.wasRichText || again.text != note.text) std::abort();
    return 0;
}
