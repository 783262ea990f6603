// The standard streams of the command-line tools.
#pragma once

namespace platform {

// Makes standard output and error carry the tools' UTF-8 bytes unchanged:
// on Windows they are switched to binary mode (no carriage returns added)
// and a console window shows UTF-8. Nothing to do on Linux. Call first thing
// in main.
void PrepareConsole();

}  // namespace platform
