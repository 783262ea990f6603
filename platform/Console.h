// The standard streams of the command-line tools.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Makes standard output and error carry the tools' UTF-8 bytes unchanged:
// on Windows they are switched to binary mode (no carriage returns added)
// and a console window shows UTF-8. On Linux a closed pipe makes writes fail
// instead of ending the program. Call first thing in main.
void PrepareConsole();

// The words of the command line after the program's name, in UTF-8: on
// Windows taken from the system's UTF-16 command line (the C library's argv
// holds the ANSI code page), on Linux argv as it is.
std::vector<std::string> Arguments(int argc, char** argv);

}  // namespace platform
