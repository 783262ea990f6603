// The seam, enforced by the compiler. The build reads this header first in
// every source of script/, gfx/, sound/, game/ and app/ (the root
// CMakeLists.txt puts it before their first line with -include); platform/,
// tools/ and the tests do not get it. After it, naming a way to the files,
// the clocks, the environment or other programs that bypasses
// platform::Platform and platform/'s file functions stops the build with
// "attempt to use poisoned ...".
//
// Every standard header that names one of these itself is read here first,
// before the names are poisoned: its include guard keeps it from being read
// again, so such headers stay usable after this one (tests/seam checks that
// every standard header still compiles after it, and that a use of each
// kind below is refused). Comments and strings may still name them.
//
// Not poisoned, being names of other things too: std::remove (also an
// algorithm) and the POSIX calls open, read, write, stat and access (also
// member names). The POSIX and Windows headers that declare those
// (<unistd.h>, <fcntl.h>, <sys/...>, <windows.h>) are refused in these
// layers by scripts/check-seam instead.
#pragma once

#include <barrier>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <latch>
#include <mutex>
#include <random>
#include <semaphore>
#include <shared_mutex>
// (The web build's C++ library, libc++ 13, has no <stop_token> yet.)
#if __has_include(<stop_token>)
#include <stop_token>
#endif
#include <thread>
// The C library's own headers, which the compiler's intrinsics headers read.
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

// Files: platform::Platform::ReadFile for game files, platform/NativeFiles.h
// for the few native files the shell writes.
#pragma GCC poison fopen freopen fdopen _wfopen tmpfile tmpnam rename
#pragma GCC poison filesystem filebuf wfilebuf basic_filebuf
#pragma GCC poison fstream ifstream ofstream wfstream wifstream wofstream
#pragma GCC poison basic_fstream basic_ifstream basic_ofstream

// Clocks: platform::Platform::Milliseconds and MillisecondsSinceMidnightUtc.
#pragma GCC poison time clock difftime mktime localtime gmtime strftime asctime ctime
#pragma GCC poison timespec_get gettimeofday clock_gettime
#pragma GCC poison system_clock steady_clock high_resolution_clock file_clock
#pragma GCC poison utc_clock tai_clock gps_clock sleep_for sleep_until

// The environment and other programs: none of the game's business. (The
// Windows C library makes three of these macros for its underscored
// functions: the macros go, and the names are poisoned with the rest.)
#undef environ
#undef popen
#undef pclose
#pragma GCC poison getenv secure_getenv _wgetenv setenv putenv unsetenv environ
#pragma GCC poison system _wsystem popen _popen _wpopen pclose

// The machine's entropy: the game's random numbers come from its own seeded
// generator, so that replays repeat.
#pragma GCC poison random_device
