#include "bkres/bkresutil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <span>

#include "bkres/bkartscale.h"
#include "platform/imaging.h"

namespace {

// Files in the resource directory larger than this are not resources of this program.
constexpr std::streamoff kMaxResourceFile = 64 << 20;

struct Overrides {
    std::string directory;
    const BkResourceTable* module = nullptr;
};

Overrides& TheOverrides() {
    static Overrides overrides;
    return overrides;
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxResourceFile) return false;
    bytes.assign(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    return static_cast<bool>(in.read(bytes.data(), size));
}

// Area-averaged resampling to size x size, weighting colours by alpha so transparent pixels
// do not darken the edges.
platform::RgbaImage ResampleSquare(const platform::RgbaImage& src, int size) {
    platform::RgbaImage out;
    out.width = out.height = size;
    out.rgba.assign(static_cast<std::size_t>(size) * size * 4, 0);
    if (src.width <= 0 || src.height <= 0) return out;
    for (int y = 0; y < size; ++y) {
        const int y0 = y * src.height / size, y1 = std::max(y0 + 1, (y + 1) * src.height / size);
        for (int x = 0; x < size; ++x) {
            const int x0 = x * src.width / size, x1 = std::max(x0 + 1, (x + 1) * src.width / size);
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    const uint8_t* p = &src.rgba[(static_cast<std::size_t>(sy) * src.width + sx) * 4];
                    const double alpha = p[3];
                    r += p[0] * alpha;
                    g += p[1] * alpha;
                    b += p[2] * alpha;
                    a += alpha;
                }
            }
            const int n = (x1 - x0) * (y1 - y0);
            uint8_t* q = &out.rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            if (a > 0) {
                q[0] = static_cast<uint8_t>(r / a + 0.5);
                q[1] = static_cast<uint8_t>(g / a + 0.5);
                q[2] = static_cast<uint8_t>(b / a + 0.5);
            }
            q[3] = static_cast<uint8_t>(a / n + 0.5);
        }
    }
    return out;
}

}  // namespace

void BkResUtil::SetResourcePath(std::string directory) { TheOverrides().directory = std::move(directory); }
const std::string& BkResUtil::GetResourcePath() { return TheOverrides().directory; }
void BkResUtil::SetResourceModule(const BkResourceTable* module) { TheOverrides().module = module; }
const BkResourceTable* BkResUtil::GetResourceModule() { return TheOverrides().module; }

int BkResUtil::FindBytes(unsigned id, std::string_view type, std::string_view fileExtension, std::string& bytes,
                         bool dense) {
    const Overrides& o = TheOverrides();
    const int onlyOne[] = {1}, twinFirst[] = {2, 1};
    const std::span<const int> artScales = dense ? std::span<const int>(twinFirst) : std::span<const int>(onlyOne);
    if (!o.directory.empty()) {
        for (int artScale : artScales) {
            std::string path = o.directory + "/" + std::to_string(id) + (artScale == 2 ? "@2x." : ".") +
                               std::string(fileExtension);
            if (ReadFile(path, bytes)) return artScale;
        }
    }
    for (const BkResourceTable* table : {o.module, &BkProgramResources()}) {
        if (!table) continue;
        for (int artScale : artScales) {
            const std::string entryType = std::string(type) + (artScale == 2 ? "@2x" : "");
            if (const BkResourceEntry* e = table->Find(entryType, id)) {
                bytes.assign(reinterpret_cast<const char*>(e->data), e->size);
                return artScale;
            }
        }
    }
    bytes.clear();
    return 0;
}

bool BkResUtil::LoadRawResource(unsigned id, std::string_view type, std::string& bytes) {
    if (FindBytes(id, type, type, bytes)) return true;
    std::fprintf(stderr, "Failed loading %.*s %u\n", static_cast<int>(type.size()), type.data(), id);
    return false;
}

platform::HBITMAP BkResUtil::LoadBmpResource(unsigned id) {
    const double scale = platform::GetScreenScale();
    std::string bytes;
    platform::RgbImage image;
    auto decode = [&] {
        return platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image).empty();
    };
    if (scale > 1.0) {
        const int artScale = FindBytes(id, "bmp", "bmp", bytes, true);
        if (artScale > 1 && decode()) {
            if (image.width % artScale == 0 && image.height % artScale == 0) {
                if (artScale != scale) image = BkArtScale::FitKeyed(image, artScale, scale);
                if (platform::HBITMAP bitmap = platform::CreateBitmapFromRgb(image, scale)) return bitmap;
            }
        }
    }
    if (FindBytes(id, "bmp", "bmp", bytes) && decode()) {
        if (platform::HBITMAP bitmap = platform::CreateBitmapFromRgb(image)) return bitmap;
    }
    std::fprintf(stderr, "Failed loading bitmap %u\n", id);
    return nullptr;
}

platform::HIMAGE BkResUtil::LoadPngResource(unsigned id) {
    const double scale = platform::GetScreenScale();
    std::string bytes;
    platform::RgbaImage image;
    auto decode = [&] {
        return platform::decodePngBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image).empty();
    };
    if (scale > 1.0) {
        const int artScale = FindBytes(id, "png", "png", bytes, true);
        if (artScale > 1 && decode()) {
            if (image.width % artScale == 0 && image.height % artScale == 0) {
                if (artScale != scale) image = BkArtScale::Fit(image, artScale, scale);
                if (platform::HIMAGE fitted = platform::CreateImageFromRgba(image, scale)) return fitted;
            }
        }
    }
    if (!LoadRawResource(id, "png", bytes)) return nullptr;
    if (decode()) {
        if (platform::HIMAGE plain = platform::CreateImageFromRgba(image)) return plain;
    }
    std::fprintf(stderr, "Failed decoding png %u\n", id);
    return nullptr;
}

platform::HICON BkResUtil::LoadIconResource(unsigned id, int size) {
    std::string bytes;
    platform::RgbaImage image;
    // The twin when the icon is shown at a scale above 1: resampled from twice the pixels.
    const bool dense = size > 0 && size <= 256 && platform::GetScreenScale() > 1.0;
    if (FindBytes(id, "icon", "icon", bytes, dense) &&
        platform::decodePngBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image).empty()) {
        // Resampled to the screen's pixels for the icon's logical size, so it stays sharp on a
        // dense screen.
        double scale = 1.0;
        if (size > 0 && size <= 256) {
            const int deviceSize = std::clamp(static_cast<int>(std::lround(size * platform::GetScreenScale())), size, 1024);
            scale = static_cast<double>(deviceSize) / size;
            if (image.width != deviceSize || image.height != deviceSize) image = ResampleSquare(image, deviceSize);
        }
        if (platform::HICON icon = platform::CreateIconFromRgba(image, scale)) return icon;
    }
    std::fprintf(stderr, "Failed loading icon %u\n", id);
    return nullptr;
}
