// Compiled, never run, by the SeamGuard tests (tests/CMakeLists.txt) with
// platform/SeamGuard.h read first, as in the game's layers. With
// ALL_HEADERS every standard header, and those of the C library and the
// compiler the layers read, must still compile after the guard; with a
// USE_... macro the marked use must be refused as poisoned (the guard has
// read every header such a use needs).
#if defined(ALL_HEADERS)
#include <algorithm>
#include <any>
#include <array>
#include <atomic>
#include <barrier>
#include <bit>
#include <bitset>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cfenv>
#include <cfloat>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <clocale>
#include <cmath>
#include <codecvt>
#include <compare>
#include <complex>
#include <concepts>
#include <condition_variable>
#include <coroutine>
#include <csetjmp>
#include <csignal>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cuchar>
#include <cwchar>
#include <cwctype>
#include <deque>
#include <exception>
#include <execution>
#include <filesystem>
#include <forward_list>
#include <fstream>
#include <functional>
#include <future>
#include <initializer_list>
#include <iomanip>
#include <ios>
#include <iosfwd>
#include <iostream>
#include <istream>
#include <iterator>
#include <latch>
#include <limits>
#include <list>
#include <locale>
#include <map>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <new>
#include <numbers>
#include <numeric>
#include <optional>
#include <ostream>
#include <queue>
#include <random>
#include <ranges>
#include <ratio>
#include <regex>
#include <scoped_allocator>
#include <semaphore>
#include <set>
#include <shared_mutex>
#include <source_location>
#include <span>
#include <sstream>
#include <stack>
#include <stdexcept>
#include <stop_token>
#include <streambuf>
#include <string>
#include <string_view>
#include <syncstream>
#include <system_error>
#include <thread>
#include <tuple>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <valarray>
#include <variant>
#include <vector>
#include <version>

#include <cxxabi.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#endif

int Use() {
#if defined(USE_fopen)
  return std::fopen("story.txt", "rb") != nullptr;
#elif defined(USE_ifstream)
  return std::ifstream("story.txt").good();
#elif defined(USE_ofstream)
  return std::ofstream("story.dat").good();
#elif defined(USE_filesystem)
  return std::filesystem::exists("dat");
#elif defined(USE_getenv)
  return std::getenv("HOME") != nullptr;
#elif defined(USE_system)
  return std::system("true");
#elif defined(USE_time)
  return static_cast<int>(std::time(nullptr));
#elif defined(USE_clock)
  return static_cast<int>(std::clock());
#elif defined(USE_system_clock)
  return std::chrono::system_clock::now().time_since_epoch().count() > 0;
#elif defined(USE_steady_clock)
  return std::chrono::steady_clock::now().time_since_epoch().count() > 0;
#else
  // What the layers may do: durations, streams in memory, the algorithms.
  std::vector<int> values{3, 1, 2};
  values.erase(std::remove(values.begin(), values.end(), 1), values.end());
  std::ostringstream out;
  out << std::chrono::milliseconds(50).count() << values.size();
  return static_cast<int>(out.str().size());
#endif
}
