// What the machine-independent services of platform/ take from SDL, kept
// here with the rest of the SDL code: its bitmap reader. (The program's
// folder, platform::ProgramFolder, comes from SDL too.)
#pragma once

#include <optional>
#include <string_view>

#include "platform/ImageFile.h"

namespace platform {

// The bytes of a Windows bitmap file read by SDL and converted to 24-bit
// blue, green, red rows; nothing when SDL cannot read them. The caller
// checks the size limits of platform/ImageFile.h.
std::optional<Picture> DecodeBitmapWithSdl(std::string_view bytes);

}  // namespace platform
