// Any bytes as the sayings file, plain or scrambled.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "game/BaseFiles.h"

// The file as the game names it.
static const std::string kPath = "dat\\" + std::string(basefiles::kSayings);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const bool scrambled = (in.Byte() & 1) != 0;
  fuzz::MemoryHost host;
  host.files[kPath] = in.Rest();
  std::vector<std::string> list;
  // Never throws: an unreadable file is a false result.
  LoadSayings(host, kPath, list, scrambled);
  return 0;
}
