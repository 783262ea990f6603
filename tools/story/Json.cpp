#include "tools/story/Json.h"

#include "platform/Encoding.h"

namespace storyjson {

std::string String(std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 0x0F];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string Cp932(const std::string& cp932) {
  return String(platform::Cp932ToUtf8(cp932));
}

std::string Words(const TWordList& words) {
  std::string out = "[";
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i != 0) out += ',';
    out += Cp932(words[i]);
  }
  return out + "]";
}

}  // namespace storyjson
