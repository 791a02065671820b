// Text helpers at the boundary between UTF-8 inside the program and cp1251 on disk and in fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

// Decodes one code point from UTF-8 at `pos` and advances it; malformed bytes, overlong forms,
// surrogates and values past U+10FFFF give U+FFFD.
char32_t nextCodePoint(std::string_view s, size_t& pos);
void appendUtf8(std::string& out, char32_t cp);
size_t codePointCount(std::string_view s);

// cp1251 byte for a code point, or -1 when cp1251 has no such character.
int cp1251FromUnicode(char32_t cp);
// Code point for a cp1251 byte; the one unassigned byte (0x98) gives U+FFFD.
char32_t unicodeFromCp1251(unsigned char byte);

std::string utf8FromCp1251(std::string_view bytes);
// Characters cp1251 cannot hold become '?', as the system's ANSI conversion does.
std::string cp1251FromUtf8(std::string_view text);

// What an alpha field of `size` characters stores of `text`: characters cp1251 cannot hold become
// '?', and the text is cut to `size` characters. size <= 0 keeps the length (memo fields).
std::string fitToField(std::string_view text, int size);

// Upper case of the first character by the Russian rules (Latin, Cyrillic, ё, й), rest unchanged.
std::string capitalizeFirst(std::string_view text);

bool equalsIgnoreCaseAscii(std::string_view a, std::string_view b);

// Alphabetical order as a sorted drop-down list shows it: letters compared without regard to case,
// ё right after е, Latin before Cyrillic; texts that differ only in case keep a fixed order (upper
// case first) so that the sort is total.
bool collatesBefore(std::string_view a, std::string_view b);

}  // namespace zelt
