#include "editing/rich_text.h"

#include "base/text.h"

#include <cstdio>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zelt::editing {
namespace {

// cp1252 bytes 0x80..0x9F; 0xA0..0xFF are the Latin-1 code points themselves.
const char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

char32_t unicodeFromCp1252(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    return kCp1252High[byte - 0x80];
}

// Where the text of a group goes: into the box, into the font table, or nowhere.
enum class Dest : unsigned char { Text, FontTable, Skip };

// Character and destination state that a group saves on '{' and restores on '}'.
struct GroupState {
    Dest dest = Dest::Text;
    bool hidden = false;  // \v
    int uc = 1;           // fallback characters after \uN
    int font = -1;        // -1: the document's default font
};

enum class Kind : unsigned char {
    Paragraph, Line, Tab, Char, U, Uc, AnsiCpg, Deff, Font, FontCharset, Plain, Hidden, Bin, FontTable, Skip
};

struct WordInfo {
    Kind kind;
    char32_t ch = 0;
};

const std::unordered_map<std::string_view, WordInfo>& controlWords() {
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> w;
        for (const char* name : {"par", "sect", "page", "row"}) w[name] = {Kind::Paragraph};
        w["line"] = {Kind::Line};
        for (const char* name : {"tab", "cell", "nestcell"}) w[name] = {Kind::Tab};
        const std::pair<const char*, char32_t> chars[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
            {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
        };
        for (const auto& [name, ch] : chars) w[name] = {Kind::Char, ch};
        w["u"] = {Kind::U};
        w["uc"] = {Kind::Uc};
        w["ansicpg"] = {Kind::AnsiCpg};
        w["deff"] = {Kind::Deff};
        w["f"] = {Kind::Font};
        w["fcharset"] = {Kind::FontCharset};
        w["plain"] = {Kind::Plain};
        w["v"] = {Kind::Hidden};
        w["bin"] = {Kind::Bin};
        w["fonttbl"] = {Kind::FontTable};
        // Destinations whose text a rich-text box does not show. Text-only fallbacks (\pntext,
        // \listtext, \fldrslt) are shown.
        for (const char* name :
             {"colortbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
              "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst", "listtable",
              "listoverridetable", "revtbl", "rsidtbl", "filetbl", "xmlnstbl", "pgdsctbl", "themedata",
              "colorschememapping", "datastore", "latentstyles", "shp", "shppict", "nonshppict", "xe", "tc",
              "tcn", "txe", "bkmkstart", "bkmkend", "atnid", "atnauthor", "atrfstart", "atrfend", "generator",
              "userprops", "docvar", "template", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc",
              "aftncn", "mmathPr", "fchars", "lchars", "pn", "listpicture", "passwordhash", "wgrffmtfilter"})
            w[name] = {Kind::Skip};
        return w;
    }();
    return words;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Numbers are cut here: enough to tell every meaningful value from an absurd one without overflow.
constexpr long long kNumberCap = 100000000000LL;
// Fonts numbered beyond this are read in the document code page.
constexpr int kFontLimit = 4096;

int clampToInt(long long v, int low, int high) { return v < low ? low : v > high ? high : static_cast<int>(v); }

// One pass over the rich text: every byte is looked at a bounded number of times and the groups
// live on an explicit stack capped at kMaxGroupDepth.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in), cyrillicFonts_(kFontLimit, false) {}

    // The text of the document, or nothing when the reader cannot follow the file to its end.
    std::optional<std::string> read(size_t start) {
        pos_ = start;
        while (pos_ < in_.size() && step()) {}
        if (!closed_ || !onlyBlanksFrom(pos_)) return std::nullopt;
        flushSurrogate();
        if (endsWithParagraph_) out_.resize(out_.size() - 2);  // the last paragraph's own mark
        return std::move(out_);
    }

private:
    // Word processors end the file with a line end or NUL bytes after the closing brace.
    bool onlyBlanksFrom(size_t pos) const {
        for (; pos < in_.size(); ++pos)
            if (in_[pos] != ' ' && in_[pos] != '\t' && in_[pos] != '\r' && in_[pos] != '\n' && in_[pos] != '\0')
                return false;
        return true;
    }

    // Reads one element; false when reading ends: the document closed (closed_) or damage.
    bool step() {
        const char c = in_[pos_++];
        switch (c) {
        case '{':
            skip_ = 0;
            if (stack_.size() >= static_cast<size_t>(kMaxGroupDepth)) return false;
            stack_.push_back(state_);
            return true;
        case '}':
            skip_ = 0;
            if (stack_.empty()) return false;
            state_ = stack_.back();
            stack_.pop_back();
            closed_ = stack_.empty();
            return !closed_;
        case '\\':
            return control();
        case '\r':
        case '\n':
            return true;
        default:
            if (skip_ > 0) {
                --skip_;
                return true;
            }
            if (shown()) emit(c == '\t' ? U'\t' : decode(static_cast<unsigned char>(c)));
            return true;
        }
    }

    // After a backslash.
    bool control() {
        if (pos_ >= in_.size()) return false;
        const char c = in_[pos_];
        if (!isLetter(c)) {
            ++pos_;
            return symbol(c);
        }
        const size_t start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_])) ++pos_;
        const std::string_view name = in_.substr(start, pos_ - start);
        bool hasNumber = false;
        bool negative = false;
        long long number = 0;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && isDigit(in_[pos_])) {
            hasNumber = true;
            if (number < kNumberCap) number = number * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative) number = -number;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        return word(name, hasNumber, number);
    }

    bool symbol(char c) {
        if (c == '\'') return hexByte();
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (shown()) emit(static_cast<unsigned char>(c));
            break;
        case '~':
            if (shown()) emit(0x00A0);
            break;
        case '_':
            if (shown()) emit(0x2011);
            break;
        case '\t':
            if (shown()) emit(U'\t');
            break;
        case '\r':
        case '\n':
            if (shown()) paragraph();
            break;
        case '*':
            state_.dest = Dest::Skip;
            break;
        default:  // \- (optional hyphen), \| and \: show nothing
            break;
        }
        return true;
    }

    bool hexByte() {
        if (pos_ >= in_.size()) return false;
        const int high = hexValue(in_[pos_]);
        if (high < 0) return true;  // a broken escape is dropped
        if (++pos_ >= in_.size()) return false;
        const int low = hexValue(in_[pos_]);
        if (low < 0) return true;
        ++pos_;
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        if (shown()) emit(decode(static_cast<unsigned char>(high * 16 + low)));
        return true;
    }

    bool word(std::string_view name, bool hasNumber, long long number) {
        const auto& words = controlWords();
        const auto it = words.find(name);
        if (it == words.end()) {
            if (skip_ > 0) --skip_;
            return true;
        }
        const WordInfo info = it->second;
        if (info.kind == Kind::Bin) {
            const long long length = hasNumber && number > 0 ? number : 0;
            if (length > static_cast<long long>(in_.size() - pos_)) return false;
            pos_ += static_cast<size_t>(length);
            if (skip_ > 0) --skip_;
            return true;
        }
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        switch (info.kind) {
        case Kind::Paragraph:
            if (shown()) paragraph();
            break;
        case Kind::Line:
            if (shown()) emit(U'\n');
            break;
        case Kind::Tab:
            if (shown()) emit(U'\t');
            break;
        case Kind::Char:
            if (shown()) emit(info.ch);
            break;
        case Kind::U:
            if (hasNumber && number >= -32768 && number <= 65535) {
                if (shown()) emit(static_cast<char32_t>(number < 0 ? number + 65536 : number));
                skip_ = state_.uc;
            }  // out of range: the fallback characters are shown instead
            break;
        case Kind::Uc:
            state_.uc = hasNumber ? clampToInt(number, 0, 1 << 30) : 1;
            break;
        case Kind::AnsiCpg:
            codePage_ = number == 1252 ? 1252 : 1251;
            break;
        case Kind::Deff:
            defaultFont_ = clampToInt(number, -1, kFontLimit);
            break;
        case Kind::Font:
            if (state_.dest == Dest::FontTable) fontEntry_ = clampToInt(number, -1, kFontLimit);
            else state_.font = clampToInt(number, -1, kFontLimit);
            break;
        case Kind::FontCharset:
            if (state_.dest == Dest::FontTable && fontEntry_ >= 0 && fontEntry_ < kFontLimit)
                cyrillicFonts_[fontEntry_] = number == 204;
            break;
        case Kind::Plain:
            state_.font = -1;
            state_.hidden = false;
            break;
        case Kind::Hidden:
            state_.hidden = !hasNumber || number != 0;
            break;
        case Kind::FontTable:
            if (state_.dest == Dest::Text) state_.dest = Dest::FontTable;
            break;
        case Kind::Skip:
            state_.dest = Dest::Skip;
            break;
        case Kind::Bin:
            break;
        }
        return true;
    }

    bool shown() const { return state_.dest == Dest::Text && !state_.hidden; }

    char32_t decode(unsigned char byte) const {
        if (byte < 0x80) return byte;
        const int font = state_.font < 0 ? defaultFont_ : state_.font;
        const bool cyrillic = font >= 0 && font < kFontLimit && cyrillicFonts_[font];
        return codePage_ == 1252 && !cyrillic ? unicodeFromCp1252(byte) : unicodeFromCp1251(byte);
    }

    void emit(char32_t cp) {
        if (highSurrogate_ != 0) {
            const char32_t high = highSurrogate_;
            highSurrogate_ = 0;
            if (cp >= 0xDC00 && cp <= 0xDFFF) {
                put(0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00));
                return;
            }
            put(0xFFFD);
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            highSurrogate_ = cp;
            return;
        }
        if (cp >= 0xDC00 && cp <= 0xDFFF) cp = 0xFFFD;
        if (cp == U'\r' || cp == U'\n') {
            out_ += "\r\n";
            endsWithParagraph_ = false;
            return;
        }
        put(cp);
    }

    void paragraph() {
        flushSurrogate();
        out_ += "\r\n";
        endsWithParagraph_ = true;
    }

    void flushSurrogate() {
        if (highSurrogate_ == 0) return;
        highSurrogate_ = 0;
        put(0xFFFD);
    }

    void put(char32_t cp) {
        appendUtf8(out_, cp);
        endsWithParagraph_ = false;
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    GroupState state_;
    long long skip_ = 0;  // fallback characters of the last \uN still to skip
    int codePage_ = 1251;
    int defaultFont_ = 0;
    int fontEntry_ = -1;  // the font the font table is describing
    std::vector<bool> cyrillicFonts_;
    char32_t highSurrogate_ = 0;
    bool endsWithParagraph_ = false;
    bool closed_ = false;  // the brace that closes the document was read
    std::string out_;
};

// Where the rich text starts, or npos for plain text.
size_t richTextStart(std::string_view bytes) {
    size_t pos = 0;
    for (;;) {
        if (bytes.substr(pos, 3) == "\xEF\xBB\xBF") pos += 3;
        else if (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\t' || bytes[pos] == '\r' || bytes[pos] == '\n')) ++pos;
        else break;
    }
    return bytes.substr(pos, 5) == "{\\rtf" ? pos : std::string_view::npos;
}

std::string plainText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            out += "\r\n";
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            appendUtf8(out, unicodeFromCp1251(b));
        }
    }
    return out;
}

void appendUnicodeEscape(std::string& out, char32_t unit) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\u%d?", unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit));
    out += buf;
}

}  // namespace

NoteText readNote(std::string_view fileBytes) {
    const size_t start = richTextStart(fileBytes);
    if (start == std::string_view::npos) return {plainText(fileBytes), false};
    std::optional<std::string> text = Reader(fileBytes).read(start);
    // Damaged rich text is shown whole as plain text, so that no word of it is lost.
    if (!text) return {plainText(fileBytes), false};
    return {std::move(*text), true};
}

std::string richTextFromPlain(std::string_view text) {
    // 12 pixels at 96 dpi is 9 points: \fs18 in half-points.
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Microsoft Sans Serif;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs18 ";
    for (size_t pos = 0; pos < text.size();) {
        char32_t cp = nextCodePoint(text, pos);
        if (cp == U'\r' || cp == U'\n') {
            if (cp == U'\r' && pos < text.size() && text[pos] == '\n') ++pos;
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
        if (cp >= 0x20 && cp < 0x7F) {
            out += static_cast<char>(cp);
            continue;
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        const int b = cp1251FromUnicode(cp);
        if (b >= 0) {
            // Control characters are escaped as well: some readers drop them when they come raw.
            static const char kHex[] = "0123456789abcdef";
            out += "\\'";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else if (cp > 0xFFFF) {
            appendUnicodeEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendUnicodeEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnicodeEscape(out, cp);
        }
    }
    out += "\\par\r\n}\r\n";
    return out;
}

std::string plainNoteBytes(std::string_view utf8) {
    std::string lines;
    lines.reserve(utf8.size() + utf8.size() / 8);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            lines += "\r\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            lines += c;
        }
    }
    return cp1251FromUtf8(lines);
}

}  // namespace zelt::editing
