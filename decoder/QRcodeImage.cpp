#include "decoder/QRcodeImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "decoder/Axis.h"
#include "platform/text.h"

namespace {

// Corner adjustments of a sampling area by its position: module steps for the picture corners
// and offsets for the logical ones, in the order UL, UR, DL, DR, LUL, LUR, LDL, LDR. The picture
// corners then sit on the centres of the area's corner modules.
struct Shift {
    bool apply;
    int dx, dy;
};
constexpr Shift N{false, 0, 0};
struct AreaShifts {
    Shift corner[8];
};

constexpr AreaShifts kSingleArea{{{true, -3, -3}, {true, 3, -3}, {true, -3, 3}, {true, 6, 6},
                                  {true, -6, -6}, {true, 3, -3}, {true, -3, 3}, {true, 6, 6}}};
constexpr AreaShifts kUpperLeft{{{true, -3, -3}, {true, 0, -6}, {true, -6, 0}, N,
                                 {true, -6, -6}, {true, 0, -6}, {true, -6, 0}, N}};
constexpr AreaShifts kLowerLeft{{{true, -6, 0}, N, {true, -3, 3}, {true, 0, 6},
                                 {true, -6, 0}, N, {true, -6, 6}, {true, 0, 6}}};
constexpr AreaShifts kUpperRight{{{true, 0, -6}, {true, 3, -3}, N, {true, 6, 0},
                                  {true, 0, -6}, {true, 6, -6}, N, {true, 6, 0}}};
constexpr AreaShifts kLowerRight{{N, {true, 6, 0}, {true, 0, 6}, {true, 6, 6},
                                  N, {true, 6, 0}, {true, 0, 6}, {true, 6, 6}}};
constexpr AreaShifts kLeftEdge{{{true, -6, 0}, N, {true, -6, 0}, N, {true, -6, 0}, N, {true, -6, 0}, N}};
constexpr AreaShifts kRightEdge{{N, {true, 6, 0}, N, {true, 6, 0}, N, {true, 6, 0}, N, {true, 6, 0}}};
constexpr AreaShifts kTopEdge{{{true, 0, -6}, {true, 0, -6}, N, N, {true, 0, -6}, {true, 0, -6}, N, N}};
constexpr AreaShifts kBottomEdge{{N, N, {true, 0, 6}, {true, 0, 6}, N, N, {true, 0, 6}, {true, 0, 6}}};
constexpr AreaShifts kInner{{N, N, N, N, N, N, N, N}};

const AreaShifts& shiftsFor(int ax, int ay, int n) {
    const int last = n - 1;
    if (n == 1) return kSingleArea;
    if (ax == 0 && ay == 0) return kUpperLeft;
    if (ax == 0 && ay == last) return kLowerLeft;
    if (ax == last && ay == 0) return kUpperRight;
    if (ax == last && ay == last) return kLowerRight;
    if (ax == 0) return kLeftEdge;
    if (ax == last) return kRightEdge;
    if (ay == 0) return kTopEdge;
    if (ay == last) return kBottomEdge;
    return kInner;
}

}  // namespace

QRcodeImage::QRcodeImage(const std::u16string& path) : source(&ownedPicture) {
    loadFailure = platform::decodeImageFile(platform::utf16ToUtf8(path), ownedPicture);
    if (!loadFailure.empty()) ownedPicture = platform::RgbImage();
    width = ownedPicture.width;
    height = ownedPicture.height;
}

QRcodeImage::QRcodeImage(const platform::RgbImage& picture) : source(&picture) {
    width = picture.width;
    height = picture.height;
}

bool QRcodeImage::pictureUsable() const {
    return loadFailure.empty() && width > 0 && height > 0 &&
           source->rgb.size() >= static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
}

int QRcodeImage::precisionFor(int longerSide) {
    const int q = longerSide / 256;
    const int s = static_cast<int>(23.0 - std::sqrt(static_cast<double>(q)));
    return std::clamp(s, 1, 23);
}

void QRcodeImage::detect() {
    precisionBits = 21;
    if (!pictureUsable()) {
        detectionFailed = true;
        return;
    }
    binarise();
    finder.locate(bitmap.data(), width, height, precisionBits);
    if (detectionFailed) return;
    alignment.locate(bitmap.data(), width, height, finder, precisionBits);
    if (detectionFailed) return;
    grid = buildSamplingGrid(finder, alignment);
    if (detectionFailed) return;
    sampleModules(grid);
}

void QRcodeImage::binarise() {
    precisionBits = precisionFor(std::max(width, height));
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);

    // The picture is divided into 4 x 4 areas of aw x ah pixels, each with its own threshold,
    // halfway between its darkest and brightest grey; the last width % 4 columns and
    // height % 4 rows stay light.
    const int aw = width / 4, ah = height / 4;
    int darkest[4][4], brightest[4][4];
    for (int ax = 0; ax < 4; ++ax)
        for (int ay = 0; ay < 4; ++ay) darkest[ax][ay] = 255, brightest[ax][ay] = 0;

    // Grey levels row by row, the area extremes gathered on the way; the same array then
    // becomes the bitmap.
    std::vector<uint8_t> grey(w * h);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* rgb = source->rgb.data() + y * w * 3;
        uint8_t* row = grey.data() + y * w;
        for (size_t x = 0; x < w; ++x, rgb += 3) {
            row[x] = static_cast<uint8_t>((30u * rgb[0] + 59u * rgb[1] + 11u * rgb[2]) / 100u);
        }
        const int ay = ah > 0 ? static_cast<int>(y) / ah : 4;
        if (ay >= 4) continue;
        for (int ax = 0; ax < 4; ++ax) {
            uint8_t lo = 255, hi = 0;
            for (int x = ax * aw; x < ax * aw + aw; ++x) {
                lo = std::min(lo, row[x]);
                hi = std::max(hi, row[x]);
            }
            darkest[ax][ay] = std::min<int>(darkest[ax][ay], lo);
            brightest[ax][ay] = std::max<int>(brightest[ax][ay], hi);
        }
    }
    for (size_t y = 0; y < h; ++y) {
        uint8_t* row = grey.data() + y * w;
        const int ay = ah > 0 ? static_cast<int>(y) / ah : 4;
        if (ay >= 4) {
            std::memset(row, 0, w);
            continue;
        }
        for (int ax = 0; ax < 4; ++ax) {
            const uint8_t threshold = static_cast<uint8_t>((darkest[ax][ay] + brightest[ax][ay]) / 2);
            for (int x = ax * aw; x < ax * aw + aw; ++x) row[x] = row[x] < threshold ? 1 : 0;
        }
        std::memset(row + 4 * aw, 0, w - 4 * static_cast<size_t>(aw));
    }
    bitmap = std::move(grey);
}

SamplingGrid QRcodeImage::buildSamplingGrid(const FinderPattern& f, AlignmentPattern& a) {
    const int n = f.version / 7 + 1;
    if (n != a.count - 1) {
        detectionFailed = true;
        return SamplingGrid();
    }
    a.centre(0, 0) = f.centres[0];
    a.centre(n, 0) = f.centres[1];
    a.centre(0, n) = f.centres[2];

    const int s = precisionBits;
    Axis axis(f.direction[0], f.direction[1], f.modulePitches[0], s);
    SamplingGrid result(n);
    auto edgePitch = [s](const Point& p, const Point& q, int steps) {
        return static_cast<int32_t>((static_cast<int64_t>(Line(p, q).length()) << s) / steps);
    };
    for (int ay = 0; ay < n; ++ay) {
        for (int ax = 0; ax < n; ++ax) {
            axis.setPitch(f.modulePitches[0]);
            Point corner[8] = {a.centre(ax, ay),        a.centre(ax + 1, ay),        a.centre(ax, ay + 1),
                               a.centre(ax + 1, ay + 1), a.logicalCentre(ax, ay),     a.logicalCentre(ax + 1, ay),
                               a.logicalCentre(ax, ay + 1), a.logicalCentre(ax + 1, ay + 1)};
            const AreaShifts& shifts = shiftsFor(ax, ay, n);
            for (int k = 0; k < 8; ++k) {
                const Shift& sh = shifts.corner[k];
                if (!sh.apply) continue;
                if (k < 4) corner[k] = axis.stepFrom(corner[k], sh.dx, sh.dy);
                else corner[k].move(sh.dx, sh.dy);
            }
            const Point ul = corner[0], ur = corner[1], dl = corner[2], dr = corner[3];
            Point& lul = corner[4];
            Point& lur = corner[5];
            Point& ldl = corner[6];
            Point& ldr = corner[7];
            if (ax == 0) {
                lur.x += 1;
                ldr.x += 1;
            } else {
                lul.x -= 1;
                ldl.x -= 1;
            }
            if (ay == 0) {
                ldl.y += 1;
                ldr.y += 1;
            } else {
                lul.y -= 1;
                lur.y -= 1;
            }
            int columnCount = lur.x - lul.x;
            int rowCount = ldl.y - lul.y;
            if (f.version < 7) {
                columnCount += 3;
                rowCount += 3;
            }
            if (columnCount < 2 || rowCount < 2) {
                detectionFailed = true;
                return SamplingGrid();
            }
            const int32_t top = edgePitch(ul, ur, columnCount - 1);
            const int32_t bottom = edgePitch(dl, dr, columnCount - 1);
            const int32_t left = edgePitch(ul, dl, rowCount - 1);
            const int32_t right = edgePitch(ur, dr, rowCount - 1);
            result.defineArea(ax, ay, columnCount, rowCount);
            for (int i = 0; i < columnCount; ++i) {
                axis.setPitch(top);
                const Point p1 = axis.stepFrom(ul, i, 0);
                axis.setPitch(bottom);
                const Point p2 = axis.stepFrom(dl, i, 0);
                result.setColumnLine(ax, ay, i, Line(p1, p2));
            }
            for (int j = 0; j < rowCount; ++j) {
                axis.setPitch(left);
                const Point p1 = axis.stepFrom(ul, 0, j);
                axis.setPitch(right);
                const Point p2 = axis.stepFrom(ur, 0, j);
                result.setRowLine(ax, ay, j, Line(p1, p2));
            }
        }
    }
    return result;
}

void QRcodeImage::sampleModules(const SamplingGrid& g) {
    side = g.moduleCount();
    modules.assign(static_cast<size_t>(side > 0 ? side : 0) * (side > 0 ? side : 0), 0);
    if (side <= 0 || side > 177) {
        detectionFailed = true;
        return;
    }
    // Three coordinates are multiplied: 64 bits hold that for coordinates below 2^19, and any
    // grid beyond them is computed in 128 bits.
    bool small = true;
    for (const SamplingGrid::Area& area : g.areas) {
        for (const auto* lines : {&area.columnLines, &area.rowLines})
            for (const Line& l : *lines)
                for (int32_t c : {l.p1.x, l.p1.y, l.p2.x, l.p2.y})
                    if (c <= -(1 << 19) || c >= (1 << 19)) small = false;
    }
    if (small) sampleWith<int64_t>(g);
    else sampleWith<__int128>(g);
}

template <typename Wide>
void QRcodeImage::sampleWith(const SamplingGrid& g) {
    for (int ay = 0; ay < g.areasPerSide; ++ay) {
        for (int ax = 0; ax < g.areasPerSide; ++ax) {
            const SamplingGrid::Area& area = g.area(ax, ay);
            for (int j = 0; j < area.rowCount; ++j) {
                const Line& row = area.rowLines[j];
                const Wide x3 = row.p1.x, y3 = row.p1.y, x4 = row.p2.x, y4 = row.p2.y;
                const Wide rowCross = x3 * y4 - x4 * y3;
                for (int i = 0; i < area.columnCount; ++i) {
                    const Line& column = area.columnLines[i];
                    const Wide x1 = column.p1.x, y1 = column.p1.y, x2 = column.p2.x, y2 = column.p2.y;
                    const Wide columnCross = x1 * y2 - x2 * y1;
                    const Wide e = (y2 - y1) * (x3 - x4) - (y4 - y3) * (x1 - x2);
                    const Wide f = columnCross * (x3 - x4) - rowCross * (x1 - x2);
                    const Wide gg = rowCross * (y2 - y1) - columnCross * (y4 - y3);
                    if (e >= 0 || f > 0 || gg > 0) {
                        detectionFailed = true;
                        return;
                    }
                    const Wide px = f / e, py = gg / e;
                    const int mx = g.moduleColumn(ax, i), my = g.moduleRow(ay, j);
                    if (px >= width || py >= height || mx >= side || my >= side) {
                        detectionFailed = true;
                        return;
                    }
                    modules[static_cast<size_t>(mx) * side + my] =
                        bitmap[static_cast<size_t>(py) * width + static_cast<size_t>(px)];
                }
            }
        }
    }
}

void QRcodeImage::copyModules(uint8_t (*out)[177]) const {
    const int n = std::min(side, 177);
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y) out[x][y] = modules[static_cast<size_t>(x) * side + y];
}

void QRcodeImage::releaseWorkingMemory() {
    bitmap.clear();
    bitmap.shrink_to_fit();
    modules.clear();
    modules.shrink_to_fit();
}
