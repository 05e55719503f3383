// merovask-make-icon: writes the program's icon at one icon-theme size.
//   merovask-make-icon SOURCE.png SIZE OUT.png
// Runs at build time; the result is a SIZE x SIZE RGBA PNG.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/imaging.h"
#include "res/desktop/IconResampler.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "merovask-make-icon: %s\n", message.c_str());
    return 1;
}

// Writes through a temporary file, so that an interrupted build leaves no half icon behind.
bool writeRgbaPng(const platform::RgbaImage& picture, const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, picture.rgba.data(), 0, nullptr)) return false;
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.rgba.data(), 0, nullptr)) return false;
    bytes.resize(size);
    return platform::writeFileAtomically(path, bytes).empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return fail("usage: merovask-make-icon SOURCE.png SIZE OUT.png");
    char* end = nullptr;
    const long size = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || size < 1 || size > desktop::kMaxIconSide)
        return fail(std::string("bad size '") + argv[2] + "'");

    std::ifstream file(argv[1], std::ios::binary);
    if (!file) return fail(std::string("cannot open ") + argv[1]);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return fail(std::string("cannot read ") + argv[1]);
    platform::RgbaImage source;
    const std::string reason = platform::decodePngBytes(bytes.data(), bytes.size(), source);
    if (!reason.empty()) return fail(std::string(argv[1]) + ": " + reason);

    const platform::RgbaImage icon = desktop::resampleRgba(source, static_cast<int>(size), static_cast<int>(size));
    if (icon.rgba.empty()) return fail(std::string(argv[1]) + ": picture too large to resize");
    if (!writeRgbaPng(icon, argv[3])) return fail(std::string("cannot write ") + argv[3]);
    return 0;
}
