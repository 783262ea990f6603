// The scrambling of the game's line files (story and sayings).
#pragma once

#include <string>

// The one mask of every scrambled file. It only touches the five low bits, so a
// byte from 0x20 upward stays from 0x20 upward and control bytes never appear
// or vanish.
inline constexpr unsigned char kScrambleMask = 0x15;

// The scrambled form of one line: bytes below 0x20 are kept, every other byte
// is XORed with kScrambleMask. The routine is its own inverse, so the same
// call unscrambles. Works on bytes, not characters.
std::string ScrambleLine(const std::string& line);
