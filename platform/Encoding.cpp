#include "platform/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace platform {
namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr const char* kUtf32 = "UTF-32LE";
#else
constexpr const char* kUtf32 = "UTF-32BE";
#endif

// One converter per direction and thread, opened on first use. "CP932", not
// "SHIFT_JIS": the latter turns 0x5C into a yen sign and lacks the Windows
// additions such as the circled digits.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("no iconv conversion from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  enum class Result { Done, BadInput };

  // Converts as much of [in, in + inLeft) as it can into `out`, advancing
  // `in`. Stops at the end or at the first byte that does not convert.
  Result Run(const char*& in, std::size_t& inLeft, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    while (inLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      char* src = const_cast<char*>(in);
      std::size_t rc = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
      int err = errno;
      in = src;
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc != static_cast<std::size_t>(-1)) continue;
      if (err == E2BIG) continue;
      return Result::BadInput;  // EILSEQ, or EINVAL for a cut-off character at the end
    }
    return Result::Done;
  }

 private:
  iconv_t cd_;
};

Converter& ToUtf32() {
  thread_local Converter c(kUtf32, "CP932");
  return c;
}
Converter& ToUtf8() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& FromUtf8() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

}  // namespace

std::u32string Cp932ToUtf32(std::string_view text) {
  std::string bytes;
  const char* in = text.data();
  std::size_t left = text.size();
  while (ToUtf32().Run(in, left, bytes) == Converter::Result::BadInput) {
    ++in;  // skip the byte that does not decode
    --left;
  }
  std::u32string result(bytes.size() / 4, U'\0');
  for (std::size_t i = 0; i < result.size(); ++i) {
    char32_t c;
    __builtin_memcpy(&c, bytes.data() + 4 * i, 4);
    result[i] = c;
  }
  return result;
}

std::string Cp932ToUtf8(std::string_view text) {
  std::string result;
  const char* in = text.data();
  std::size_t left = text.size();
  while (ToUtf8().Run(in, left, result) == Converter::Result::BadInput) {
    result += "\xEF\xBF\xBD";
    ++in;
    --left;
  }
  return result;
}

bool Utf8ToCp932(std::string_view text, std::string& out, std::size_t& badOffset) {
  out.clear();
  const char* in = text.data();
  std::size_t left = text.size();
  if (FromUtf8().Run(in, left, out) == Converter::Result::BadInput) {
    badOffset = static_cast<std::size_t>(in - text.data());
    return false;
  }
  return true;
}

}  // namespace platform
