// The symbol split into n x n square areas whose corners are finder or alignment centres; for
// each area one line through every column of module centres (top edge to bottom edge) and one
// through every row (left edge to right edge). Neighbouring areas share their boundary lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/Line.h"

class SamplingGrid {
public:
    struct Area {
        std::vector<Line> columnLines;
        std::vector<Line> rowLines;
        int32_t columnCount = 0;
        int32_t rowCount = 0;
    };

    SamplingGrid() = default;
    explicit SamplingGrid(int areasPerSide);
    virtual ~SamplingGrid() = default;

    void defineArea(int ax, int ay, int columnCount, int rowCount);
    void setColumnLine(int ax, int ay, int index, const Line& line) { area(ax, ay).columnLines[index] = line; }
    void setRowLine(int ax, int ay, int index, const Line& line) { area(ax, ay).rowLines[index] = line; }

    // Modules per side: the column counts of the top row of areas, less the shared boundaries.
    int moduleCount() const;
    int moduleColumn(int ax, int i) const;
    int moduleRow(int ay, int j) const;

    Area& area(int ax, int ay) { return areas[static_cast<size_t>(ax) * areasPerSide + ay]; }
    const Area& area(int ax, int ay) const { return areas[static_cast<size_t>(ax) * areasPerSide + ay]; }

    int32_t areasPerSide = 0;
    std::vector<Area> areas;  // [ax][ay]
};
