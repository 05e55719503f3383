#include "cli/Cli.h"

#include <cstdio>

namespace cli {

void printError(const std::string& message) { std::fprintf(stderr, "merovask-cli: %s\n", message.c_str()); }

int usageError(const std::string& message) {
    printError(message);
    std::fputs("Try 'merovask-cli --help' for more information.\n", stderr);
    return kExitFailure;
}

bool readStandardInput(std::string& bytes) {
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes.append(buffer, count);
    return !std::ferror(stdin);
}

bool writeStandardOutput(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

}  // namespace cli
