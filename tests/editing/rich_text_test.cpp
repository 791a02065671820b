// Notes as other word processors and installations write them, the default-font writer read back
// unchanged, institutions' plain notes, and damaged rich text that is shown whole as plain text.
#include "base/text.h"
#include "editing/rich_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zelt {
namespace {

using editing::kMaxGroupDepth;
using editing::plainNoteBytes;
using editing::readNote;
using editing::richTextFromPlain;

struct ReadCase {
    const char* what;
    std::string bytes;
    std::string text;
    bool richText;
};

void expectReads(const ReadCase& c) {
    SCOPED_TRACE(c.what);
    const editing::NoteText note = readNote(c.bytes);
    EXPECT_EQ(note.text, c.text);
    EXPECT_EQ(note.wasRichText, c.richText);
}

std::string repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(ReadNote, DocumentsOfOtherWordProcessors) {
    const ReadCase cases[] = {
        {"WordPad on a Russian system, closing NUL after the document",
         std::string(R"rtf({\rtf1\ansi\ansicpg1251\deff0\deflang1049{\fonttbl{\f0\fswiss\fcharset204{\*\fname Arial;}Arial CYR;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red255\green0\blue0;}
{\*\generator Riched20 10.0.19041;}\viewkind4\uc1\pard\lang1049\f0\fs17\'c8\'e2\'e0\'ed\'ee\'e2 \'e8\'e2\'e0\'ed\'ee\'e2\par
\cf1\'f1\'ee\'f1\'f2\'ee\'e8\'f2 \'ed\'e0 \'f3\'f7\'b8\'f2\'e5\cf0\par
}
)rtf") + std::string(1, '\0'),
         "Иванов иванов\r\nсостоит на учёте", true},
        {"LibreOffice: \\uN with cp1251 fallbacks, no \\ansicpg, generator and page styles",
         R"rtf({\rtf1\ansi\deff3\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f1\froman\fprq2\fcharset2 Symbol;}{\f3\fswiss\fprq2\fcharset204 Liberation Sans;}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;}
{\stylesheet{\s0\snext0\hich\af3\dbch\af5\afs24\loch\f3\fs24\lang1049 Default Paragraph Style;}
}{\*\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}{\info{\creatim\yr2024\mo2\dy5\hr9\min30}{\author \u1040\'c0}}\deftab709
\viewkind1\paperh16838\paperw11906\margl1134\margr1134\sectd\sbknone
{\*\ftnsep\chftnsep}{\*\pgdsctbl{\pgdsc0\pgdscuse451 Default Page Style;}}\pgndec\pard\plain \s0\hich\af3\dbch\af5\afs24\loch\f3\fs24\lang1049{\rtlch \ltrch\loch
\u1055\'cf\u1077\'e5\u1090\'f2\u1088\'f0\u1086\'ee\u1074\'e2 \u1055\'cf.}
\par \pard\plain \s0\loch\f3\fs24{\rtlch \ltrch\loch
\u1047\'c7\u1072\'e0\u1084\'ec\u1077\'e5\u1095\'f7\u1072\'e0\u1085\'ed\u1080\'e8\u1077\'e5 \u8212\'97 \u1085\'ed\u1077\'e5\u1090\'f2}
\par })rtf",
         "Петров П.\r\nЗамечание — нет", true},
        {"cp1251 when the header names no code page",
         R"({\rtf1\ansi \'cf\'f0\'e8\'e2\'e5\'f2\par})", "Привет", true},
        {"a program that gives its fonts no character set",
         R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0 Times New Roman;}}\f0 \'c4\'e0})", "Да", true},
        {"cp1252 document with a Cyrillic font, fonts restored with their groups",
         R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\fswiss\fcharset204 Arial;}}\f0 caf\'e9 {\f1 \'e4\'e0} \'e4\plain  \'e4\par})",
         "café да ä ä", true},
        {"pictures, shapes and objects are not text",
         R"rtf({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fnil\fcharset204 Arial;}}\f0 \'f4\'ee\'f2\'ee: {\pict\wmetafile8\picw2117\pich2117\picwgoal1200\pichgoal1200
0100090000036e0000000000450000000000
0500000009020000000005000000010200000000}{\*\shppict{\pict\pngblip 89504e47}}{\nonshppict{\pict\wmetafile8 0100}}{\object\objemb{\*\objclass Paint.Picture}\objw100{\*\objdata 0105}{\result{\pict\wmetafile8 00}}}\'ea\'ee\'ed\'e5\'f6\par})rtf",
         "фото: конец", true},
        {"binary picture data holding braces and backslashes",
         "{\\rtf1 a{\\pict\\bin6 " + std::string("}{\\'\0z", 6) + "}b}", "ab", true},
        {"nested groups with bold and italic, \\line and \\tab",
         R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fnil\fcharset204 Arial;}}\pard\f0 \'ce\'e1\'fb\'f7\'ed\'fb\'e9 {\b \'e6\'e8\'f0\'ed\'fb\'e9 {\i \'ea\'f3\'f0\'f1\'e8\'e2}\b0  \'f2\'e5\'ea\'f1\'f2}\line \'f1\'f2\'f0\'ee\'ea\'e0\tab\'ea\'ee\'eb\'ee\'ed\'ea\'e0\par})",
         "Обычный жирный курсив текст\r\nстрока\tколонка", true},
        {"field result shown, its instruction not",
         R"({\rtf1 {\field{\*\fldinst HYPERLINK "http://example.org"}{\fldrslt \'f1\'e0\'e9\'f2}}\par})", "сайт", true},
        {"headers, footers and footnotes are not in the box",
         R"({\rtf1 {\header \'e2\'e5\'f0\'f5}{\footer x}\'f2\'e5\'ea\'f1\'f2{\footnote note}\par})", "текст", true},
        {"hidden text, restored with its group",
         R"({\rtf1 a{\v hidden}b\v c\v0 d})", "abd", true},
        {"bullet text of a list", R"({\rtf1{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'b7}}\'ef\'f3\'ed\'ea\'f2\par})",
         "·\tпункт", true},
        {"table cells", R"({\rtf1 \trowd\cellx1000\cellx2000 \intbl a\cell b\cell\row})", "a\tb\t", true},
        {"raw cp1251 bytes in the text", "{\\rtf1 \xa8\xe6}", "Ёж", true},
        {"UTF-8 byte order mark and line ends before the header", "\xEF\xBB\xBF\r\n {\\rtf1 ok}", "ok", true},
        {"empty document", "{\\rtf1}", "", true},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, ControlSymbolsAndSpecialCharacters) {
    const ReadCase cases[] = {
        {"escaped backslash and braces", R"({\rtf1 a\\b\{c\}d})", "a\\b{c}d", true},
        {"non-breaking space, optional and non-breaking hyphen", R"({\rtf1 a\~b\-c\_d})",
         "a\u00a0bc\u2011d", true},
        {"dashes, quotes and bullet by name", R"({\rtf1 \emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet})",
         "—–‘’“”•", true},
        {"backslash before a line end is a paragraph", "{\\rtf1 a\\\r\nb}", "a\r\nb", true},
        {"raw line ends are not text, a raw tab is", "{\\rtf1 a\r\nb\tc}", "ab\tc", true},
        {"CR and LF given as bytes or code points break the line", R"({\rtf1 a\'0db\u10?c})", "a\r\nb\r\nc", true},
        {"unknown control words and ignorable destinations",
         R"({\rtf1 a\unknownword123 b{\*\unknowndest text {nested} more}c\par})", "abc", true},
        {"control word delimiter is one space", R"({\rtf1 \b   x})", "  x", true},
        {"control word parameter ends at a non-digit", R"({\rtf1 \fs24x\cf-1y})", "xy", true},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, UnicodeEscapesAndTheirFallbacks) {
    const ReadCase cases[] = {
        {"default one fallback character", R"({\rtf1 \u1044?\u1072?})", "Да", true},
        {"\\uc0: no fallback", R"({\rtf1\uc0 \u1044\u1072})", "Да", true},
        {"\\uc2 fallback of two, restored to 1 after the group", R"({\rtf1 {\uc2 \u1044 xy}\u1044 zw})", "ДДw", true},
        {"fallback of hex escapes and control words", R"({\rtf1\uc3 \u1044\'c4\par\'e4b})", "Дb", true},
        {"fallback ends at a group boundary", R"({\rtf1\uc5 \u1044{\b x}y})", "Дxy", true},
        {"negative numbers above 32767", R"({\rtf1 \u-3?\u-257?})", "\ufffd\ufeff", true},
        {"surrogate pair", R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600", true},
        {"lone surrogates", R"({\rtf1 \u-10179?x\u-8704?})", "\ufffdx\ufffd", true},
        {"\\u without a number is ignored", R"({\rtf1 a\u b})", "ab", true},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, LastParagraphMarkIsNotText) {
    const ReadCase cases[] = {
        {"one closing mark", R"({\rtf1 a\par})", "a", true},
        {"an empty last paragraph stays", R"({\rtf1 a\par\par})", "a\r\n", true},
        {"mark inside the text", R"({\rtf1 a\par b})", "a\r\nb", true},
        {"a line break is not a paragraph mark", R"({\rtf1 a\line})", "a\r\n", true},
        {"only the mark", R"({\rtf1 \pard\par})", "", true},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, FilesThatAreNotRichTextArePlainCp1251) {
    const ReadCase cases[] = {
        {"empty file", "", "", false},
        {"blanks only", " \r\n", " \r\n", false},
        {"Cyrillic lines", cp1251FromUtf8("Просто текст\r\nвторая строка"), "Просто текст\r\nвторая строка", false},
        {"line ends of every kind become CR LF", "a\nb\rc\r\n\r\nd", "a\r\nb\r\nc\r\n\r\nd", false},
        {"backslashes and braces are text", "{\\rtx1 \\par}", "{\\rtx1 \\par}", false},
        {"the header must start the file", "x{\\rtf1 a}", "x{\\rtf1 a}", false},
        {"the unassigned byte", "\x98", "\ufffd", false},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, OddButReadableRichTextStaysRichText) {
    const int depth = kMaxGroupDepth;
    const ReadCase cases[] = {
        {"hex escape without hex digits is dropped", "{\\rtf1 a\\'zzb}", "azzb", true},
        {"hex escape with one hex digit is dropped", "{\\rtf1 a\\'ezb}", "azb", true},
        {"\\u beyond every code point shows its fallback", "{\\rtf1 a\\u99999999999?b}", "a?b", true},
        {"huge \\uc skips to the group's end", "{\\rtf1 {\\uc99999999999 \\u1044 abc}d}", "Дd", true},
        {"negative \\bin", "{\\rtf1 a\\bin-5 b}", "ab", true},
        {"huge and negative font numbers", "{\\rtf1\\deff99999999999\\f-99999999999 \\'c0}", "А", true},
        {"very long control word", "{\\rtf1 a\\" + std::string(100000, 'x') + " b}", "ab", true},
        {"nesting up to the limit is read", "{\\rtf1 a" + repeated("{", depth - 1) + "b" + repeated("}", depth - 1) + "c}",
         "abc", true},
        {"a million empty groups", "{\\rtf1 a" + repeated("{}", 1000000) + "b}", "ab", true},
        {"NUL bytes", std::string("{\\rtf1 a\0b}", 11), std::string("a\0b", 3), true},
        {"line ends after the closing brace", "{\\rtf1 abc}\r\n\r\n", "abc", true},
        {"NUL bytes after the closing brace", std::string("{\\rtf1 abc}\0\0", 13), "abc", true},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, DamagedRichTextIsShownWholeAsPlainText) {
    const int depth = kMaxGroupDepth;
    const std::string deep = "{\\rtf1 a" + repeated("{", 100000) + "b" + repeated("}", 100000) + "c}";
    const std::string tooDeep = "{\\rtf1 a" + repeated("{", depth) + "b" + repeated("}", depth) + "c}";
    const ReadCase cases[] = {
        {"\\bin running past the end", "{\\rtf1\\ansi first part \\bin99999999 second part that matters\\par}",
         "{\\rtf1\\ansi first part \\bin99999999 second part that matters\\par}", false},
        {"\\bin longer than the file", "{\\rtf1 a\\bin99999999999 b}", "{\\rtf1 a\\bin99999999999 b}", false},
        {"groups left open", "{\\rtf1 abc{\\b def", "{\\rtf1 abc{\\b def", false},
        {"document left open", cp1251FromUtf8("{\\rtf1 первая\\par\r\nвторая"), "{\\rtf1 первая\\par\r\nвторая", false},
        {"text after the closing brace", "{\\rtf1 abc}}}xyz", "{\\rtf1 abc}}}xyz", false},
        {"a second document after the first", "{\\rtf1 a}{\\rtf1 b}", "{\\rtf1 a}{\\rtf1 b}", false},
        {"hex escape cut after one digit", "{\\rtf1 abc\\'e", "{\\rtf1 abc\\'e", false},
        {"hex escape cut at once", "{\\rtf1 abc\\'", "{\\rtf1 abc\\'", false},
        {"backslash at the end", "{\\rtf1 abc\\", "{\\rtf1 abc\\", false},
        {"\"{\\rtf1\" alone", "{\\rtf1", "{\\rtf1", false},
        {"100000 nested groups", deep, deep, false},
        {"one group deeper than the limit", tooDeep, tooDeep, false},
        {"byte order mark and blanks are shown too", "\xEF\xBB\xBF \r\n{\\rtf1 a", "\u043f\u00bb\u0457 \r\n{\\rtf1 a", false},
    };
    for (const ReadCase& c : cases) expectReads(c);
}

TEST(ReadNote, DamagedRichTextSurvivesASave) {
    const std::string damaged = cp1251FromUtf8("{\\rtf1\\ansi первая часть \\bin99999999 вторая часть\\par}");
    const std::string shown = readNote(damaged).text;
    const editing::NoteText saved = readNote(richTextFromPlain(shown));
    EXPECT_TRUE(saved.wasRichText);
    EXPECT_EQ(saved.text, "{\\rtf1\\ansi первая часть \\bin99999999 вторая часть\\par}");
}

TEST(RichTextFromPlain, WritesTheDefaultFontAndCp1251) {
    const std::string rtf = richTextFromPlain("И\u2713");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset204 Microsoft Sans Serif;}}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\f0\\fs18 "), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\'c8"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\u10003?"), std::string::npos) << rtf;
}

TEST(RichTextFromPlain, ReadsBackAsWritten) {
    const char* const texts[] = {
        "",
        "Иванов Иван Иванович",
        "C:\\Путь\\к\\файлу {скобки} и }{ \\par \\'e8 \\u1044?",
        "a\tb\t\tc\t",
        "строка 1\r\nстрока 2\r\n\r\nстрока 4",
        "\r\nс пустой строки и пустой в конце\r\n",
        "\r\n\r\n",
        "   пробелы в начале и в конце   ",
        "123 после заголовка цифры",
        "Ёё № € ‰ «кавычки» — тире\u00a0и\u00ad",
        "漢字 ✓? и \U0001F600 вне cp1251",
        "\ufffd замена",
        "управляющие \x01\x1f\x7f символы",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const editing::NoteText note = readNote(richTextFromPlain(text));
        EXPECT_EQ(note.text, text);
        EXPECT_TRUE(note.wasRichText);
    }
}

TEST(RichTextFromPlain, EveryLineEndBecomesOneParagraph) {
    EXPECT_EQ(readNote(richTextFromPlain("a\nb\rc\r\nd\n")).text, "a\r\nb\r\nc\r\nd\r\n");
}

TEST(PlainNoteBytes, Cp1251WithCrLfLines) {
    struct Case {
        const char* what;
        const char* text;
        std::string bytes;
    } const cases[] = {
        {"Cyrillic", "Школа № 5", "\xd8\xea\xee\xeb\xe0 \xb9 5"},
        {"line ends of every kind", "a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"characters outside cp1251", "€ ✓", "\x88 ?"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plainNoteBytes(c.text), c.bytes);
    }
    const std::string text = "Учреждение\r\nзаведующий: Петрова\r\n";
    EXPECT_EQ(utf8FromCp1251(plainNoteBytes(text)), text);
}

}  // namespace
}  // namespace zelt
