// The JSON the tools print: strings of UTF-8 text and of the game's CP932.
#pragma once

#include <string>
#include <string_view>

#include "script/GaleScript.h"

namespace storyjson {

// A JSON string literal (quotes included) of UTF-8 text.
std::string String(std::string_view utf8);

// A JSON string literal of CP932 text, converted to UTF-8.
std::string Cp932(const std::string& cp932);

// A JSON array of CP932 words, each converted to UTF-8.
std::string Words(const TWordList& words);

}  // namespace storyjson
