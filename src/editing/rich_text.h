// Rich text of the operational-information notes: writing plain text in the boxes' default font.
#pragma once

#include <string>
#include <string_view>

namespace zelt::editing {

// The note's bytes for `text` (UTF-8, lines separated by CR LF or LF) as rich text in the default
// font "Microsoft Sans Serif", 12 pixels, Cyrillic character set; characters outside cp1251 are
// written as \uN with a '?' fallback.
std::string richTextFromPlain(std::string_view text);

}  // namespace zelt::editing
