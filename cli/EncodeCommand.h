// merovask-cli encode: text to a QR symbol as an image, SVG, a 0/1 matrix or terminal art.
#pragma once

namespace cli {

// argv[0] is "encode". Exit status: kExitOk, or kExitFailure with one line on stderr.
int runEncode(int argc, char** argv);

extern const char* const kEncodeHelp;

}  // namespace cli
