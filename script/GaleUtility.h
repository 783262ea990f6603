// Text routines shared by the script engine and the game: character-aware
// searches over CP932 (Shift-JIS) bytes, line reading, and the checked number
// handling that script commands use.
//
// Character model: a byte 0x81-0x9F or 0xE0-0xFC is a lead byte; together with
// the byte after it, when that byte is a valid second byte (0x40-0x7E or
// 0x80-0xFC), it forms one two-byte character. Every other byte is a character
// of its own (a lead byte before an invalid second byte or at the very end
// stands alone). Second bytes include look-alikes of ASCII such as "@" (0x40)
// and "\" (0x5C); searches never match from such a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// True for the bytes that begin a two-byte CP932 character.
inline bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for the bytes that may stand second in a two-byte CP932 character.
inline bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Length in bytes (1 or 2) of the character that starts at `pos` of `text`.
// `pos` must be below text.size(). Inline: every character-aware scan calls
// it once a character.
inline std::size_t CharLength(const std::string& text, std::size_t pos) {
  return pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
                 IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
             ? 2
             : 1;
}

// Character-aware search: the byte offset of the first occurrence of `pattern`
// at or after `from` that starts and ends on character boundaries, or npos.
// `from` must stand on a character boundary. An empty pattern matches at
// `from` (when from <= text.size()).
std::size_t FindText(const std::string& text, const std::string& pattern, std::size_t from = 0);

// Character-aware replacement of every occurrence of `pattern`, left to right
// without overlap. An empty pattern changes nothing.
std::string ReplaceText(const std::string& text, const std::string& pattern,
                        const std::string& replacement);

// Fills `parts` with the pieces of `text` between occurrences of `separator`
// (found character-aware): k occurrences give k + 1 pieces, empty ones
// included. With an empty separator nothing happens and `parts` is untouched.
void SplitBy(const std::string& text, const std::string& separator,
             std::vector<std::string>& parts);

// True when `a` and `b` are the same text, ASCII letters compared without
// regard to case. Two-byte characters compare exactly (their second bytes are
// never folded).
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// The lines of a line file's bytes: a line ends at LF or CR LF; a CR not
// followed by LF is dropped from the line; a last line without a break is
// still a line; a file ending with a break has no empty line after it; byte
// 0x1A ends the file (it and everything after it are not read). No length
// limit.
std::vector<std::string> ReadLines(const std::string& bytes);

// The text shown for a piece of CP932 text inside a UTF-8 error message:
// printable single-byte characters as they are, every other byte
// (both bytes of a two-byte character) as \xHH. Keeps messages valid
// UTF-8 without a code page conversion.
std::string QuoteForMessage(const std::string& text);

// A script command's number argument: decimal, with an optional "+" or "-",
// the whole word a number, within 32 bits. Anything else raises
// std::runtime_error ("'abc' は整数ではありません", or the range error).
std::int32_t StrToInt(const std::string& word);

// Script-driven arithmetic: the exact 32-bit sum and product, or
// std::overflow_error (a std::runtime_error) when the result does not fit.
std::int32_t CheckedAdd(std::int32_t a, std::int32_t b);
std::int32_t CheckedMul(std::int32_t a, std::int32_t b);
