// Any bytes as the sayings file, plain or scrambled.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const bool scrambled = (in.Byte() & 1) != 0;
  fuzz::MemoryHost host;
  host.files["dat\\saying.dat"] = in.Rest();
  std::vector<std::string> list;
  // Never throws: an unreadable file is a false result.
  LoadSayings(host, "dat\\saying.dat", list, scrambled);
  return 0;
}
