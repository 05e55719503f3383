#include "decoder/AlignmentPattern.h"

#include <algorithm>
#include <cstdlib>

#include "decoder/Axis.h"
#include "decoder/DecoderTables.h"
#include "decoder/DetectionState.h"
#include "decoder/FinderPattern.h"

void AlignmentPattern::locate(const uint8_t* bitmapIn, int widthIn, int heightIn, const FinderPattern& finderIn,
                              int precisionBitsIn) {
    bitmap = bitmapIn;
    width = widthIn;
    height = heightIn;
    finder = &finderIn;
    precisionBits = precisionBitsIn;
    buildLogicalCentres(finderIn);
    if (count == 1) {
        detectionFailed = true;
        return;
    }
    estimateCentres();
}

void AlignmentPattern::buildLogicalCentres(const FinderPattern& finderIn) {
    std::vector<int32_t> c{6};
    if (const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(finderIn.version)) {
        for (int k = 0; k < info->alignCount; ++k) c.push_back(info->alignPositions[k]);
    }
    count = static_cast<int32_t>(c.size());
    logicalCentres.assign(static_cast<size_t>(count) * count, Point());
    centres.assign(static_cast<size_t>(count) * count, Point());
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j) logicalCentre(i, j).set(c[i], c[j]);
}

void AlignmentPattern::estimateCentres() {
    const FinderPattern& f = *finder;
    Axis axis(f.direction[0], f.direction[1], f.modulePitches[0], precisionBits);
    const int last = count - 1;
    centre(0, 0) = axis.stepFrom(f.centres[0], 3, 3);
    centre(last, 0) = axis.stepFrom(f.centres[1], -3, 3);
    centre(0, last) = axis.stepFrom(f.centres[2], 3, -3);
    auto c = [&](int i) { return logicalCentre(i, 0).x; };
    for (int j = 0; j < count; ++j) {
        for (int i = 0; i < count; ++i) {
            if ((i == 0 && j == 0) || (i == last && j == 0) || (i == 0 && j == last)) continue;
            Point p;
            if (j == 0) {
                p = axis.stepFrom(centre(i - 1, 0), c(i) - c(i - 1), 0);
            } else if (i == 0) {
                p = axis.stepFrom(centre(0, j - 1), 0, c(j) - c(j - 1));
            } else {
                const Point t1 = axis.stepFrom(centre(i - 1, j), c(i) - c(i - 1), 0);
                const Point t2 = axis.stepFrom(centre(i, j - 1), 0, c(j) - c(j - 1));
                p.set((t1.x + t2.x) / 2, (t1.y + t2.y) / 2 + 1);
            }
            if (f.version > 1) p = refineChecked(p);
            centre(i, j) = p;
        }
    }
}

Point AlignmentPattern::refine(Point p) const {
    int x = p.x, y = p.y;
    if (!inside(x, y)) return Point(-1, -1);
    if (!dark(x, y)) {
        // Square search: for scope s the offsets run dy = s .. -s + 1 (outer), dx = s .. -s + 1
        // (inner), and each dark pixel met becomes the new centre of the remaining offsets.
        // Until the first dark pixel of a scope the centre has not moved, and the square of the
        // previous scope is known to be light and inside, so only its ring needs looking at;
        // from the first dark pixel on, the rest of the square is walked in full.
        bool found = false;
        for (int s = 1; !found; ++s) {
            int startDy = 0, startDx = 0;
            for (int dy = s; dy >= -s + 1 && !found; --dy) {
                const bool edgeRow = dy == s || dy == -s + 1;
                for (int dx = s; dx >= -s + 1; dx = edgeRow || dx != s ? dx - 1 : -s + 1) {
                    if (!inside(x + dx, y + dy)) return Point(-1, -1);
                    if (dark(x + dx, y + dy)) {
                        found = true;
                        startDy = dy;
                        startDx = dx;
                        break;
                    }
                }
            }
            if (!found) continue;
            x += startDx;
            y += startDy;
            bool first = true;
            for (int dy = startDy; dy >= -s + 1; --dy) {
                for (int dx = first ? startDx - 1 : s; dx >= -s + 1; --dx) {
                    if (!inside(x + dx, y + dy)) return Point(-1, -1);
                    if (dark(x + dx, y + dy)) {
                        x += dx;
                        y += dy;
                    }
                }
                first = false;
            }
        }
    }
    int lx, rx, uy, dy;
    ringExtents(x, y, lx, rx, uy, dy);
    return Point((lx + rx + 1) / 2, (uy + dy + 1) / 2);
}

// Scans out from (x, y) to the innermost light pixel before a dark one, in all four directions.
void AlignmentPattern::ringExtents(int x, int y, int& lx, int& rx, int& uy, int& dy) const {
    lx = x;
    while (lx >= 1 && !(!dark(lx, y) && dark(lx - 1, y))) --lx;
    rx = x;
    while (rx < width - 1 && !(!dark(rx, y) && dark(rx + 1, y))) ++rx;
    uy = y;
    while (uy >= 1 && !(!dark(x, uy) && dark(x, uy - 1))) --uy;
    dy = y;
    while (dy < height - 1 && !(!dark(x, dy) && dark(x, dy + 1))) ++dy;
}

bool AlignmentPattern::ringCentre(const Point& p, int32_t pitch, Point& centre) const {
    if (!inside(p.x, p.y) || !dark(p.x, p.y)) return false;
    // The same four scans as refine(), but a ring further than four modules away is no
    // alignment pattern, so none goes further.
    const int reach = static_cast<int>(std::min<int64_t>((4 * static_cast<int64_t>(pitch)) >> precisionBits, 1 << 20)) + 2;
    const int x = p.x, y = p.y;
    int lx = x, rx = x, uy = y, dy = y;
    while (lx >= 1 && !(!dark(lx, y) && dark(lx - 1, y)) && x - lx <= reach) --lx;
    while (rx < width - 1 && !(!dark(rx, y) && dark(rx + 1, y)) && rx - x <= reach) ++rx;
    while (uy >= 1 && !(!dark(x, uy) && dark(x, uy - 1)) && y - uy <= reach) --uy;
    while (dy < height - 1 && !(!dark(x, dy) && dark(x, dy + 1)) && dy - y <= reach) ++dy;
    if (x - lx > reach || rx - x > reach || y - uy > reach || dy - y > reach) return false;
    centre = Point((lx + rx + 1) / 2, (uy + dy + 1) / 2);
    return looksLikeAlignmentCentre(centre, pitch);
}

// The 5 x 5 modules around c, stepped in the symbol's direction at `pitch`: dark centre, light
// inner ring, dark outer ring. Two wrong modules of the 25 are tolerated.
bool AlignmentPattern::looksLikeAlignmentCentre(const Point& c, int32_t pitch) const {
    if (!inside(c.x, c.y) || !dark(c.x, c.y)) return false;
    Axis axis(finder->direction[0], finder->direction[1], pitch, precisionBits);
    axis.moveTo(c);
    int wrong = 0;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int ring = std::max(std::abs(dx), std::abs(dy));
            const Point q = axis.step(dx, dy);
            const bool isDark = inside(q.x, q.y) && dark(q.x, q.y);
            if (isDark != (ring != 1) && ++wrong > 2) return false;
        }
    }
    return true;
}

Point AlignmentPattern::refineChecked(Point p) const {
    const Point searched = refine(p);
    const int32_t pitch = finder->modulePitches[0];
    Point centre;
    if (searched.x >= 0 && ringCentre(searched, pitch, centre)) return searched;
    // Nearest first: squares of growing radius up to two modules around p, a quarter module apart.
    const int64_t modulePixels = static_cast<int64_t>(pitch) >> precisionBits;
    const int stride = static_cast<int>(std::clamp<int64_t>(modulePixels / 4, 1, 64));
    const int rings = static_cast<int>(std::min<int64_t>(2 * modulePixels / stride + 1, 64));
    for (int r = 0; r <= rings; ++r) {
        for (int dy = -r; dy <= r; ++dy) {
            for (int dx = -r; dx <= r; ++dx) {
                if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                if (ringCentre(Point(p.x + dx * stride, p.y + dy * stride), pitch, centre)) return centre;
            }
        }
    }
    return searched;
}
