// Geometry of the drawing database in ObjectARX shape: points, vectors, scale factors, affine
// transformations, extents boxes and the view record a drawing area shows.
#pragma once
#include <algorithm>
#include <string>
#include "arx/acrx.h"

class AcDbDatabase;

struct AcGePoint2d {
    double x = 0, y = 0;
};

struct AcGePoint3d {
    double x = 0, y = 0, z = 0;
};

struct AcGeVector3d {
    double x = 0, y = 0, z = 0;
};

struct AcGeScale3d {
    double sx = 1, sy = 1, sz = 1;
};

// An affine transformation of model space, row-major; points are column vectors.
class AcGeMatrix3d {
public:
    double entry[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static AcGeMatrix3d translation(const AcGeVector3d& v) {
        AcGeMatrix3d m;
        m.entry[0][3] = v.x;
        m.entry[1][3] = v.y;
        m.entry[2][3] = v.z;
        return m;
    }
    AcGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }
    AcGePoint3d transform(const AcGePoint3d& p) const {
        const double in[3] = {p.x, p.y, p.z};
        double out[3];
        for (int r = 0; r < 3; ++r) out[r] = entry[r][0] * in[0] + entry[r][1] * in[1] + entry[r][2] * in[2] + entry[r][3];
        return {out[0], out[1], out[2]};
    }
};

// The name of the model-space block record.
inline constexpr const char* ACDB_MODEL_SPACE = "*Model_Space";

// A box that grows around what is added to it; empty (minimum above maximum) until then.
class AcDbExtents {
public:
    AcGePoint3d minPoint() const { return min_; }
    AcGePoint3d maxPoint() const { return max_; }
    void addPoint(const AcGePoint3d& p) {
        min_ = {std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z)};
        max_ = {std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z)};
    }
    void addExt(const AcDbExtents& other) {
        if (other.min_.x > other.max_.x) return;
        addPoint(other.min_);
        addPoint(other.max_);
    }
    // Adds the extents of every object in a block record of `db` (model space by default),
    // references to other drawings included. eOk also when the block is empty (the box stays as
    // it was); eKeyNotFound for a block the database does not have.
    Acad::ErrorStatus addBlockExt(AcDbDatabase* db, const std::string& blockName = ACDB_MODEL_SPACE);

private:
    AcGePoint3d min_{1e20, 1e20, 1e20};
    AcGePoint3d max_{-1e20, -1e20, -1e20};
};

// A view of model space: the centre of the drawing area and the width and height of model space
// it shows.
class AcDbViewTableRecord {
public:
    AcGePoint2d centerPoint() const { return center_; }
    void setCenterPoint(const AcGePoint2d& p) { center_ = p; }
    double width() const { return width_; }
    void setWidth(double w) { width_ = w; }
    double height() const { return height_; }
    void setHeight(double h) { height_ = h; }

private:
    AcGePoint2d center_;
    double width_ = 0, height_ = 0;
};
