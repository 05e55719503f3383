#include "res/desktop/IconResampler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace desktop {
namespace {

double catmullRom(double x) {
    x = std::fabs(x);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}

// The source pixels and weights that make one output pixel along one axis.
struct Tap {
    int first = 0;               // index of weights[0] in the source, before clamping
    std::vector<double> weights;  // normalised to a sum of 1
};

std::vector<Tap> makeTaps(int sourceSize, int targetSize) {
    const double scale = static_cast<double>(sourceSize) / targetSize;
    const double stretch = std::max(1.0, scale);  // the kernel's width in source pixels / 2
    const double radius = 2.0 * stretch;
    std::vector<Tap> taps(static_cast<size_t>(targetSize));
    for (int i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        Tap& tap = taps[static_cast<size_t>(i)];
        tap.first = static_cast<int>(std::floor(centre - radius)) + 1;
        const int last = static_cast<int>(std::ceil(centre + radius)) - 1;
        double sum = 0.0;
        for (int j = tap.first; j <= last; ++j) {
            const double weight = catmullRom((j - centre) / stretch);
            tap.weights.push_back(weight);
            sum += weight;
        }
        for (double& weight : tap.weights) weight /= sum;
    }
    return taps;
}

// Filters `lines` lines of `in` (four premultiplied channels, `inStep` between neighbours along
// the filtered axis, `inLineStep` between lines) into `out` likewise.
void filterAxis(const std::vector<double>& in, size_t inStep, size_t inLineStep, int sourceSize,
                std::vector<double>& out, size_t outStep, size_t outLineStep, const std::vector<Tap>& taps,
                int lines) {
    for (int line = 0; line < lines; ++line) {
        const double* source = in.data() + static_cast<size_t>(line) * inLineStep;
        double* target = out.data() + static_cast<size_t>(line) * outLineStep;
        for (size_t i = 0; i < taps.size(); ++i) {
            double sum[4] = {0, 0, 0, 0};
            const Tap& tap = taps[i];
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const int j = std::clamp(tap.first + static_cast<int>(k), 0, sourceSize - 1);
                const double* pixel = source + static_cast<size_t>(j) * inStep;
                for (int c = 0; c < 4; ++c) sum[c] += tap.weights[k] * pixel[c];
            }
            for (int c = 0; c < 4; ++c) target[i * outStep + static_cast<size_t>(c)] = sum[c];
        }
    }
}

uint8_t toByte(double value) { return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }

}  // namespace

platform::RgbaImage resampleRgba(const platform::RgbaImage& source, int width, int height) {
    if (source.width <= 0 || source.height <= 0 || source.width > kMaxIconSide || source.height > kMaxIconSide ||
        source.rgba.size() != static_cast<size_t>(source.width) * source.height * 4 || width < 1 ||
        height < 1 || width > kMaxIconSide || height > kMaxIconSide)
        return {};

    const size_t sourcePixels = static_cast<size_t>(source.width) * source.height;
    std::vector<double> premultiplied(sourcePixels * 4);
    for (size_t p = 0; p < sourcePixels; ++p) {
        const double alpha = source.rgba[p * 4 + 3];
        for (int c = 0; c < 3; ++c) premultiplied[p * 4 + c] = source.rgba[p * 4 + c] * alpha / 255.0;
        premultiplied[p * 4 + 3] = alpha;
    }

    // Rows first (source height lines of the new width), then columns.
    std::vector<double> rows(static_cast<size_t>(width) * source.height * 4);
    filterAxis(premultiplied, 4, static_cast<size_t>(source.width) * 4, source.width, rows, 4,
               static_cast<size_t>(width) * 4, makeTaps(source.width, width), source.height);
    std::vector<double> result(static_cast<size_t>(width) * height * 4);
    filterAxis(rows, static_cast<size_t>(width) * 4, 4, source.height, result, static_cast<size_t>(width) * 4, 4,
               makeTaps(source.height, height), width);

    platform::RgbaImage out;
    out.width = width;
    out.height = height;
    out.rgba.resize(result.size());
    for (size_t p = 0; p < result.size() / 4; ++p) {
        const double alpha = std::clamp(result[p * 4 + 3], 0.0, 255.0);
        const uint8_t alphaByte = toByte(alpha);
        out.rgba[p * 4 + 3] = alphaByte;
        for (int c = 0; c < 3; ++c)
            out.rgba[p * 4 + c] = alphaByte == 0 ? 0 : toByte(result[p * 4 + c] * 255.0 / alpha);
    }
    return out;
}

}  // namespace desktop
