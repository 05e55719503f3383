#include "decoder/SamplingGrid.h"

SamplingGrid::SamplingGrid(int n) : areasPerSide(n), areas(static_cast<size_t>(n) * n) {}

void SamplingGrid::defineArea(int ax, int ay, int columnCount, int rowCount) {
    Area& a = area(ax, ay);
    a.columnCount = columnCount;
    a.rowCount = rowCount;
    a.columnLines.assign(static_cast<size_t>(columnCount), Line());
    a.rowLines.assign(static_cast<size_t>(rowCount), Line());
}

int SamplingGrid::moduleCount() const {
    int total = 0;
    for (int ax = 0; ax < areasPerSide; ++ax) total += area(ax, 0).columnCount;
    return total - (areasPerSide - 1);
}

int SamplingGrid::moduleColumn(int ax, int i) const {
    int column = i;
    for (int k = 0; k < ax; ++k) column += area(k, 0).columnCount - 1;
    return column;
}

int SamplingGrid::moduleRow(int ay, int j) const {
    int row = j;
    for (int k = 0; k < ay; ++k) row += area(0, k).rowCount - 1;
    return row;
}
