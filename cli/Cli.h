// Shared manners of merovask-cli's commands: exit codes, messages and help.
#pragma once

#include <string>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitNoSymbol = 4;  // decode: some file held no symbol

// "merovask-cli: MESSAGE" on stderr.
void printError(const std::string& message);
// printError, then "Try 'merovask-cli --help' for more information."; returns kExitFailure.
int usageError(const std::string& message);

// Reads all of standard input, byte for byte. Returns false on a read error.
bool readStandardInput(std::string& bytes);
// Writes all of `bytes` to standard output. Returns false on a write error.
bool writeStandardOutput(const std::string& bytes);

}  // namespace cli
