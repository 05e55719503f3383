// merovask-cli: make and read QR codes from the command line.
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/DecodeCommand.h"
#include "cli/EncodeCommand.h"

namespace {

void printHelp() {
    std::printf(
        "Usage: merovask-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
        "Make and read QR codes.\n\n"
        "%s\n"
        "%s\n"
        "  -h, --help       show this help and exit\n"
        "  -V, --version    show the program's version and exit\n\n"
        "Exit status: 0 on success, 1 on failure or a usage error, 4 when decode found no symbol.\n",
        cli::kEncodeHelp, cli::kDecodeHelp);
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that closes the pipe early ends the program silently, as it does other filters,
    // even when the parent left SIGPIPE ignored.
    std::signal(SIGPIPE, SIG_DFL);
    if (argc < 2) return cli::usageError("missing command (encode or decode)");
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        printHelp();
        return cli::kExitOk;
    }
    if (command == "-V" || command == "--version") {
        std::printf("merovask-cli %s\n", MEROVASK_VERSION);
        return cli::kExitOk;
    }
    if (command == "encode") return cli::runEncode(argc - 1, argv + 1);
    if (command == "decode") return cli::runDecode(argc - 1, argv + 1);
    return cli::usageError("unknown command '" + command + "'");
}
