// Note files of the operational information: reading what a rich-text box shows from a note of any
// word processor, and writing a box's text as rich text in the default font or as plain cp1251 text.
#pragma once

#include <string>
#include <string_view>

namespace zelt::editing {

struct NoteText {
    std::string text;   // UTF-8, paragraphs separated by CR LF
    bool wasRichText;   // false: the file was read as plain cp1251 text
};

// Nesting of groups beyond this depth is damage.
inline constexpr int kMaxGroupDepth = 1000;

// The text a rich-text box shows for the note file's bytes.
//
// Rich text is a file that starts with "{\rtf" after optional blanks, line ends and a UTF-8 byte
// order mark; anything else (an empty file included) is plain cp1251 text whose line ends of every
// kind (CR LF, CR, LF) become CR LF.
//
// Rich text: font and colour tables, style sheets, document information, pictures, objects,
// headers and footers, field instructions, hidden text and every {\* ...} group are not shown.
// \'xx is a byte of the document code page (\ansicpg1252 gives cp1252, anything else or none
// cp1251), except in a font whose \fcharset is 204, which is always cp1251. \uN shows the Unicode
// character and skips the \ucN fallback characters after it (UTF-16 surrogate pairs are joined);
// a \uN outside -32768..65535 shows its fallback instead. \par, \page, \sect and \row end a
// paragraph, but the mark that closes the last paragraph is not part of the text, as in a
// rich-text box; \line and a CR or LF given as \'0d, \'0a or \uN break the line; \cell is a tab.
// Unknown control words are ignored.
//
// Rich text the reader cannot follow to its end is damaged, and the whole file is then read as
// plain cp1251 text, so that every character of it is shown and a save keeps it: the end of the
// file inside a group or an escape, groups nested deeper than kMaxGroupDepth, a \binN longer than
// the rest of the file, or anything but blanks, line ends and NUL bytes after the brace that closes
// the document. A \' that is not followed by two hex digits is dropped and reading goes on. Never
// throws; time and memory are linear in the size of the file.
NoteText readNote(std::string_view fileBytes);

// The note's bytes for `text` (UTF-8, lines separated by CR LF, LF or CR) as rich text in the
// default font "Microsoft Sans Serif", 12 pixels, Cyrillic character set; characters outside
// cp1251 are written as \uN with a '?' fallback (UTF-16 surrogate pairs beyond U+FFFF), so that
// readNote gives the text back with its line ends as CR LF.
std::string richTextFromPlain(std::string_view text);

// An institution's note: `utf8` as cp1251 bytes ('?' for what cp1251 cannot hold) with every line
// end written as CR LF. Such a note is read back with utf8FromCp1251.
std::string plainNoteBytes(std::string_view utf8);

}  // namespace zelt::editing
