// Reading arbitrary bytes as a picture: any outcome but a crash, a hang, an out-of-bounds access
// or a success with an inconsistent picture is fine.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/imaging.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::RgbImage rgb;
    const std::string reason = platform::decodeImageBytes(data, size, rgb);
    if (reason.empty()) {
        if (rgb.width <= 0 || rgb.height <= 0 || rgb.width > platform::kMaxImageSide ||
            rgb.height > platform::kMaxImageSide ||
            rgb.rgb.size() != static_cast<size_t>(rgb.width) * rgb.height * 3)
            __builtin_trap();
    } else if (rgb.width != 0 || rgb.height != 0 || !rgb.rgb.empty()) {
        __builtin_trap();  // a failed read must not leave a partial picture behind
    }

    platform::RgbaImage rgba;
    if (platform::decodePngBytes(data, size, rgba).empty() &&
        rgba.rgba.size() != static_cast<size_t>(rgba.width) * rgba.height * 4)
        __builtin_trap();
    return 0;
}
