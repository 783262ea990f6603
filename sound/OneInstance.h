// The players allow one live instance each; a second one is refused.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

// Takes the instance `flag` guards: true when it was free (it is taken now);
// false, after the system's beep, when another instance holds it.
inline bool TakeInstance(std::uint8_t& flag, platform::Platform& platform) {
  if (flag == 1) {
    platform.Beep();
    return false;
  }
  flag = 1;
  return true;
}
