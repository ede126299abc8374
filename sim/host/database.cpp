// Model space of the simulated databases: extents, copying one drawing's model space into
// another, references to other drawing files, and the view the drawing area shows.
#include <cmath>
#include <filesystem>
#include "sim/host/host_internal.h"

namespace fs = std::filesystem;

namespace sim::host {

namespace {

bool finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

std::string normalPath(const std::string& path) {
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal().string();
}

// Block names compare as the host compares symbol names: letter case ignored (ASCII).
bool sameName(const std::string& a, const std::string& b) { return upper(a) == upper(b); }

void grow(AcDbExtents& ext, const std::vector<std::array<double, 6>>& lines) {
    for (const auto& l : lines) {
        for (const AcGePoint3d p : {AcGePoint3d{l[0], l[1], l[2]}, AcGePoint3d{l[3], l[4], l[5]}})
            if (finite(p)) ext.addPoint(p);
    }
}

AcDbExtents modelSpaceExtents(const DrawingContent& c) {
    AcDbExtents ext;
    grow(ext, c.lines);
    grow(ext, referencedLines(c));
    return ext;
}

}  // namespace

std::vector<std::array<double, 6>> referencedLines(const DrawingContent& content) {
    std::vector<std::array<double, 6>> out;
    for (const XrefRecord& x : content.xrefs) {
        DrawingContent other;
        bool foreign = false;
        std::string error;
        if (!drawingFiles().read(x.path, &other, &foreign, &error)) continue;
        // Scale, then rotate about the z axis, then move to the insertion point; the references of
        // the referenced drawing are not followed (a drawing may refer back to this one).
        const double c = std::cos(x.rotation), s = std::sin(x.rotation);
        auto place = [&](double px, double py, double pz, double* q) {
            const double sx = px * x.scale[0], sy = py * x.scale[1];
            q[0] = x.insertion[0] + sx * c - sy * s;
            q[1] = x.insertion[1] + sx * s + sy * c;
            q[2] = x.insertion[2] + pz * x.scale[2];
        };
        for (const auto& l : other.lines) {
            std::array<double, 6> t;
            place(l[0], l[1], l[2], &t[0]);
            place(l[3], l[4], l[5], &t[3]);
            out.push_back(t);
        }
    }
    return out;
}

Acad::ErrorStatus SimDatabase::updateExt(bool) {
    const AcDbExtents ext = modelSpaceExtents(content);
    const AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
    content.extMin = {lo.x, lo.y, lo.z};
    content.extMax = {hi.x, hi.y, hi.z};
    return Acad::eOk;
}

Acad::ErrorStatus SimDatabase::insert(const AcGeMatrix3d& transform, AcDbDatabase* source, bool) {
    auto* from = dynamic_cast<SimDatabase*>(source);
    if (!from || from == this) return Acad::eInvalidInput;
    const DrawingContent& src = from->content;
    for (const auto& l : src.lines) {
        const AcGePoint3d a = transform.transform({l[0], l[1], l[2]});
        const AcGePoint3d b = transform.transform({l[3], l[4], l[5]});
        content.lines.push_back({a.x, a.y, a.z, b.x, b.y, b.z});
    }
    // Objects beyond the lines keep counting as objects of this drawing.
    content.objects += std::max(src.objects, int(src.lines.size()));
    // The source's references come along, moved with its objects, unless their names are taken.
    for (XrefRecord x : src.xrefs) {
        bool taken = false;
        for (const auto& mine : content.xrefs) taken = taken || sameName(mine.blockName, x.blockName);
        if (taken) continue;
        const AcGePoint3d at = transform.transform({x.insertion[0], x.insertion[1], x.insertion[2]});
        x.insertion = {at.x, at.y, at.z};
        content.xrefs.push_back(x);
    }
    dbmod |= 1;
    return updateExt(false);
}

}  // namespace sim::host

using sim::host::Host;
using sim::host::SimDatabase;

Acad::ErrorStatus AcDbExtents::addBlockExt(AcDbDatabase* db, const std::string& blockName) {
    auto* sdb = dynamic_cast<SimDatabase*>(db);
    if (!sdb) return Acad::eInvalidInput;
    if (!sim::host::sameName(blockName, ACDB_MODEL_SPACE)) return Acad::eKeyNotFound;
    addExt(sim::host::modelSpaceExtents(sdb->content));
    return Acad::eOk;
}

Acad::ErrorStatus acedXrefAttach(const std::string& path, const std::string& blockName,
                                 const AcGePoint3d* insertionPoint, const AcGeScale3d* scale, const double* rotation,
                                 bool quiet, AcDbDatabase* hostDb) {
    Host& h = Host::get();
    sim::host::OpScope op;
    SimDatabase* db = dynamic_cast<SimDatabase*>(hostDb);
    if (!hostDb) db = h.current() ? h.current()->db.get() : nullptr;
    if (!db || blockName.empty()) return Acad::eInvalidInput;
    const AcGePoint3d at = insertionPoint ? *insertionPoint : AcGePoint3d{};
    const AcGeScale3d factors = scale ? *scale : AcGeScale3d{};
    const double angle = rotation ? *rotation : 0.0;
    if (!sim::host::finite(at) || !std::isfinite(factors.sx) || !std::isfinite(factors.sy) ||
        !std::isfinite(factors.sz) || !std::isfinite(angle))
        return Acad::eInvalidInput;
    const std::string full = sim::host::normalPath(path);
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(full, ec)) return Acad::eFileNotFound;
    if (!db->fileName.empty() && sim::host::normalPath(db->fileName) == full) return Acad::eInvalidInput;
    for (const auto& x : db->content.xrefs) {
        if (sim::host::sameName(x.blockName, blockName)) {
            if (!quiet) sim::host::print("\nBlock " + blockName + " already exists.\n");
            return Acad::eDuplicateKey;
        }
    }
    sim::host::DrawingContent probe;
    bool foreign = false;
    std::string error;
    if (!sim::host::drawingFiles().read(full, &probe, &foreign, &error)) return Acad::eInvalidInput;
    db->content.xrefs.push_back(
        {blockName, full, {at.x, at.y, at.z}, {factors.sx, factors.sy, factors.sz}, angle});
    db->dbmod |= 1;
    db->updateExt(false);
    if (!quiet) sim::host::print("\nAttach Xref \"" + blockName + "\": " + full + "\n\"" + blockName + "\" loaded.\n");
    return Acad::eOk;
}

Acad::ErrorStatus acedSetCurrentView(const AcDbViewTableRecord* view, void*) {
    Host& h = Host::get();
    sim::host::SimDocument* doc = h.current();
    if (!view || !doc) return Acad::eInvalidInput;
    const AcGePoint2d c = view->centerPoint();
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(view->width()) || !std::isfinite(view->height()) ||
        view->width() < 0 || view->height() < 0)
        return Acad::eInvalidInput;
    doc->db->content.view = {true, c.x, c.y, view->width(), view->height()};
    return Acad::eOk;
}
