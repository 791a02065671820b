#include "editing/rich_text.h"

#include "base/text.h"

#include <cstdio>

namespace zelt::editing {

std::string richTextFromPlain(std::string_view text) {
    // 12 pixels at 96 dpi is 9 points: \fs18 in half-points.
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Microsoft Sans Serif;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs18 ";
    for (size_t pos = 0; pos < text.size();) {
        const char32_t cp = nextCodePoint(text, pos);
        if (cp == U'\r') continue;
        if (cp == U'\n') {
            out += "\\par\r\n";
            continue;
        }
        if (cp == U'\\' || cp == U'{' || cp == U'}') {
            out += '\\';
            out += static_cast<char>(cp);
            continue;
        }
        if (cp == U'\t') {
            out += "\\tab ";
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        char buf[24];
        const int b = cp1251FromUnicode(cp);
        if (b >= 0) std::snprintf(buf, sizeof buf, "\\'%02x", b);
        else if (cp > 0xFFFF) std::snprintf(buf, sizeof buf, "?");
        else std::snprintf(buf, sizeof buf, "\\u%d?", static_cast<int>(cp > 0x7FFF ? static_cast<long>(cp) - 0x10000 : static_cast<long>(cp)));
        out += buf;
    }
    out += "\\par\r\n}\r\n";
    return out;
}

}  // namespace zelt::editing
