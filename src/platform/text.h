// Windows-1251 text: the encoding of every byte string the engine reads, keeps and writes.
// Conversion to UTF-8 or QString happens only at the edges (file names on disk, widgets).
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Windows-1251 bytes to UTF-8. Every byte maps (the one unassigned byte 0x98 maps to U+0098),
// so the conversion is lossless.
std::string cp1251ToUtf8(std::string_view cp1251);

// UTF-8 to Windows-1251. Characters without a Windows-1251 byte become '?'. When ok is given it
// is set to false if the input was not well-formed UTF-8 (bad sequences also become '?').
std::string utf8ToCp1251(std::string_view utf8, bool* ok = nullptr);

bool isValidUtf8(std::string_view bytes);

QString toQString(std::string_view cp1251);
std::string fromQString(const QString& text);

// Case by Windows-1251 rules: Latin A..Z/a..z, Cyrillic А..Я/а..я, Ё (0xA8) / ё (0xB8);
// every other byte is unchanged.
unsigned char upperCp1251(unsigned char c);
unsigned char lowerCp1251(unsigned char c);
std::string upperCp1251(std::string_view s);
std::string lowerCp1251(std::string_view s);

// Decimal text to integer as the reader reads numbers everywhere: leading blanks and one sign
// allowed, reading stops at the first character that is not a digit, no digits give 0.
// Values beyond the int range are clamped to it.
int readDecimal(std::string_view s);

// The one word rule shared by the indexer, the word search and the highlighter: a word letter
// is a Cyrillic letter of Windows-1251, 0xC0..0xFF, and also Ё/ё (0xA8, 0xB8) so that words
// printed with ё are found.
inline bool isWordLetter(unsigned char c) { return c >= 0xC0 || c == 0xA8 || c == 0xB8; }

// A line of a data file without its surrounding spaces and tabs and a trailing CR.
inline std::string_view trimLine(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Ё/ё folded to Е/е; used wherever two spellings of one word must compare equal.
inline unsigned char foldYo(unsigned char c) { return c == 0xA8 ? 0xC5 : c == 0xB8 ? 0xE5 : c; }

// A text written in the source code (UTF-8) as the reader's Windows-1251 bytes:
// messageBox(w1251("Отсутствует диск"), ...).
inline std::string w1251(std::string_view utf8) { return utf8ToCp1251(utf8); }
