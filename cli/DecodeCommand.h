// merovask-cli decode: reads the QR symbol in image files.
#pragma once

namespace cli {

// argv[0] is "decode". Exit status: kExitOk when every file decoded, kExitNoSymbol when some
// file held no symbol (and nothing else failed), kExitFailure on a usage error or an unreadable
// file (the other files are still decoded).
int runDecode(int argc, char** argv);

extern const char* const kDecodeHelp;

}  // namespace cli
