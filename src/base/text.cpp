#include "base/text.h"

namespace zelt {
namespace {

// cp1251 bytes 0x80..0xBF; 0xC0..0xFF map to U+0410..U+044F.
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

}  // namespace

char32_t nextCodePoint(std::string_view s, size_t& pos) {
    const unsigned char c = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t cp;
    if (c < 0x80) { ++pos; return c; }
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
    else { ++pos; return 0xFFFD; }
    for (int i = 1; i <= extra; ++i) {
        if (pos + i >= s.size()) { pos = s.size(); return 0xFFFD; }
        const unsigned char cc = static_cast<unsigned char>(s[pos + i]);
        if ((cc & 0xC0) != 0x80) { pos += i; return 0xFFFD; }
        cp = (cp << 6) | (cc & 0x3F);
    }
    pos += extra + 1;
    // An overlong form, a surrogate or a value past U+10FFFF is not a character: taking it would
    // let two byte sequences stand for the same text (or for none), so it reads as one U+FFFD.
    static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0xFFFD;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t codePointCount(std::string_view s) {
    size_t n = 0;
    for (size_t pos = 0; pos < s.size(); ++n) nextCodePoint(s, pos);
    return n;
}

int cp1251FromUnicode(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == cp && cp != 0xFFFD) return 0x80 + i;
    return -1;
}

char32_t unicodeFromCp1251(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
    return kHigh[byte - 0x80];
}

std::string utf8FromCp1251(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) appendUtf8(out, unicodeFromCp1251(b));
    return out;
}

std::string cp1251FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const int b = cp1251FromUnicode(nextCodePoint(text, pos));
        out += static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

std::string fitToField(std::string_view text, int size) {
    std::string out;
    out.reserve(text.size());
    int count = 0;
    for (size_t pos = 0; pos < text.size();) {
        if (size > 0 && count == size) break;
        const char32_t cp = nextCodePoint(text, pos);
        appendUtf8(out, cp1251FromUnicode(cp) < 0 ? U'?' : cp);
        ++count;
    }
    return out;
}

std::string capitalizeFirst(std::string_view text) {
    if (text.empty()) return std::string();
    size_t pos = 0;
    char32_t cp = nextCodePoint(text, pos);
    if (cp >= U'a' && cp <= U'z') cp -= 32;
    else if (cp >= 0x0430 && cp <= 0x044F) cp -= 0x20;    // а..я, й included
    else if (cp >= 0x0450 && cp <= 0x045F) cp -= 0x50;    // ё and the other Cyrillic letters of that row
    else if (cp == 0x0491) cp = 0x0490;
    std::string out;
    appendUtf8(out, cp);
    out.append(text.substr(pos));
    return out;
}

bool equalsIgnoreCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

namespace {

// Lower case of a letter, with ё moved between е and ж so that plain code point order is the
// alphabet's order.
uint32_t collationKey(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') cp += 32;
    else if (cp >= 0x0410 && cp <= 0x042F) cp += 0x20;  // А..Я
    else if (cp == 0x0401) cp = 0x0451;                 // Ё
    if (cp == 0x0451) return (0x0435u << 1) | 1u;       // after е, before ж
    return static_cast<uint32_t>(cp) << 1;
}

}  // namespace

bool collatesBefore(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = collationKey(nextCodePoint(a, i));
        const uint32_t y = collationKey(nextCodePoint(b, j));
        if (x != y) return x < y;
    }
    if ((i < a.size()) != (j < b.size())) return j < b.size();
    return a < b;  // the same letters: upper case (smaller code points) first
}

}  // namespace zelt
