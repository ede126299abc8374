// Laying several drawings out side by side in one drawing, in a grid whose cell is as large as the
// largest model space among them: inserting drawing files into the current drawing (command
// KV_CAKEDWG), and combining the marked drawings as references in a new drawing (tab menu).
#pragma once
#include <string>
#include <vector>
#include "arx/geometry.h"

struct CItemData;

// KV_CAKEDWG: picks drawing files, asks for the base point, the number of drawings per row and
// the gap between cells, and copies each file's model space into the current drawing.
void KvInsertDrawings();

// Combine DWG: a new drawing with the marked drawings attached as references, one row per group
// of similarly named files. Runs in application context; does nothing from inside a command.
void KvCombineDrawings(const std::vector<CItemData*>& marked);

// Cell positions, row after row: `perRow` cells from left to right, rows stacked upward from
// the base point; cells are `cellWidth` by `cellHeight` apart plus `gap` between neighbours.
class KvDrawingGrid {
public:
    KvDrawingGrid(const AcGePoint3d& base, int perRow, double cellWidth, double cellHeight, double gap);
    // The position of the next cell (a translation from the origin).
    AcGeVector3d Next();

private:
    AcGePoint3d base_;
    int perRow_;
    double stepX_, stepY_;
    int column_ = 0, row_ = 0;
    double x_ = 0, y_ = 0;
};

// The largest width and height among model-space extents; both start at -100000000.0, and a
// drawing without objects does not count.
struct KvCellSize {
    double width = -100000000.0, height = -100000000.0;
    void Measure(const AcDbExtents& extents);
    // The size to lay out with: nothing measured counts as zero.
    double Width() const { return width > 0 ? width : 0; }
    double Height() const { return height > 0 ? height : 0; }
};

// One row of the combined drawing: the drawings whose names carry one key, in path order. The
// names too short to carry a key form the last row (key empty, `shortNames` set).
struct KvCombineRow {
    std::string key;
    bool shortNames = false;
    std::vector<std::string> paths;
};
// Groups drawing paths by the part of the file name (without extension) from character
// `startPos` to `endPos` (0-based, both included). Keys are compared without regard to letter
// case; rows come in key order, paths in byte order. An empty key range (end before start) puts
// every drawing into the one last row.
std::vector<KvCombineRow> KvCombineRows(std::vector<std::string> paths, int startPos, int endPos);
