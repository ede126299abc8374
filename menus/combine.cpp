#include "menus/combine.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "arx/aced.h"
#include "arx/docman.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/text.h"
#include "hosting/features.h"
#include "settings/settings.h"
#include "tabstrip/itemdata.h"
#include "uikit/pickers.h"

// ---- Layout ------------------------------------------------------------------------------------

KvDrawingGrid::KvDrawingGrid(const AcGePoint3d& base, int perRow, double cellWidth, double cellHeight, double gap)
    : base_(base), perRow_(std::max(1, perRow)), stepX_(cellWidth + gap), stepY_(cellHeight + gap) {}

AcGeVector3d KvDrawingGrid::Next() {
    if (column_ % perRow_ == 0) {
        y_ = row_ * stepY_ + base_.y;
        ++row_;
        x_ = base_.x;
        column_ = 1;
    } else {
        x_ = column_ * stepX_ + base_.x;
        ++column_;
    }
    return {x_, y_, 0};
}

void KvCellSize::Measure(const AcDbExtents& extents) {
    const AcGePoint3d lo = extents.minPoint(), hi = extents.maxPoint();
    if (lo.x > hi.x || lo.y > hi.y) return;   // nothing in model space
    width = std::max(width, hi.x - lo.x);
    height = std::max(height, hi.y - lo.y);
}

std::vector<KvCombineRow> KvCombineRows(std::vector<std::string> paths, int startPos, int endPos) {
    std::sort(paths.begin(), paths.end());
    const std::int64_t start = std::max(0, startPos), end = std::max(0, endPos);
    const std::int64_t length = end - start + 1;
    std::vector<KvCombineRow> rows;
    KvCombineRow shortRow{{}, true, {}};
    for (const std::string& path : paths) {
        const std::string name = SplitPath(path).name;
        if (length <= 0 || std::int64_t(CharCount(name)) < start + length) {
            shortRow.paths.push_back(path);
            continue;
        }
        const std::string key(CharSubstr(name, size_t(start), size_t(length)));
        auto row =
            std::find_if(rows.begin(), rows.end(), [&](const KvCombineRow& r) { return EqualsNoCase(r.key, key); });
        if (row == rows.end()) rows.push_back({key, false, {path}});
        else row->paths.push_back(path);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const KvCombineRow& a, const KvCombineRow& b) { return FoldCase(a.key) < FoldCase(b.key); });
    if (!shortRow.paths.empty()) rows.push_back(std::move(shortRow));
    return rows;
}

// ---- Work on the host ----------------------------------------------------------------------------

namespace {

// The status-bar progress meter for the length of one run, restored however the run ends.
class ProgressMeter {
public:
    ProgressMeter(const char* label, int count) { acedSetStatusBarProgressMeter(label, 0, count); }
    ~ProgressMeter() { acedRestoreStatusBar(); }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;
    void Step() { acedSetStatusBarProgressMeterPos(++pos_); }

private:
    int pos_ = 0;
};

std::unique_ptr<AcDbDatabase> readScratch(const std::string& path) {
    std::unique_ptr<AcDbDatabase> db;
    if (acdbReadDwgFile(path, kShareDenyNone, &db) != Acad::eOk) db.reset();
    return db;
}

void measure(KvCellSize& cell, AcDbDatabase* db) {
    AcDbExtents extents;
    if (db && extents.addBlockExt(db, ACDB_MODEL_SPACE) == Acad::eOk) cell.Measure(extents);
}

// The current view becomes the drawing's extents (a drawing with nothing in it keeps its view).
void zoomExtents(AcDbDatabase* db) {
    db->updateExt(true);
    const AcGePoint3d lo = db->extmin(), hi = db->extmax();
    if (lo.x > hi.x || lo.y > hi.y) return;
    AcDbViewTableRecord view;
    view.setCenterPoint({(lo.x + hi.x) / 2, (lo.y + hi.y) / 2});
    view.setWidth(hi.x - lo.x);
    view.setHeight(hi.y - lo.y);
    acedSetCurrentView(&view, nullptr);
}

void cancelled() { acutPrintf("\n*cancel*"); }

void insertDrawings(std::string& lastFolder) {
    AcApDocument* doc = acDocManager->curDocument();
    AcDbDatabase* target = doc ? doc->database() : nullptr;
    if (!target) return;
    KvOpenFilesRequest request;
    request.owner = acedGetAcadFrame();
    request.filter = kKvDrawingFilter;
    request.startFolder = lastFolder;
    request.bufferBytes = 2560002;
    const std::vector<std::string> files = KvPickOpenFiles(request);
    if (files.empty()) return;
    lastFolder = FolderOf(files.back());

    double base[3] = {0, 0, 0};
    if (acedGetPoint(nullptr, "\nPlease enter a location : ", base) != RTNORM) return cancelled();
    int perRow = 1;
    for (;;) {
        if (acedGetInt("\nEnter the number of repeats : ", &perRow) != RTNORM) return cancelled();
        if (perRow > 0) break;
        // A row needs at least one drawing: ask again, as the host does for a positive number.
        acutPrintf("\nValue must be positive and nonzero.");
    }
    double gap = 0.0;
    if (acedGetReal("\nInput offset distance : ", &gap) != RTNORM) return cancelled();

    KvCellSize cell;
    for (const auto& path : files) {
        if (auto db = readScratch(path)) measure(cell, db.get());
    }
    KvDrawingGrid grid({base[0], base[1], base[2]}, perRow, cell.Width(), cell.Height(), gap);
    {
        ProgressMeter meter("Insert Drawing file(s)...", int(files.size()));
        for (const auto& path : files) {
            // A file that cannot be read takes no cell.
            if (auto db = readScratch(path)) target->insert(AcGeMatrix3d::translation(grid.Next()), db.get(), true);
            meter.Step();
        }
    }
    zoomExtents(target);
}

AcApDocument* openDocument(const std::string& path) {
    std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
    for (; it && !it->done(); it->step()) {
        if (EqualsNoCase(it->document()->fileName(), path)) return it->document();
    }
    return nullptr;
}

// Attaches a drawing under its file name, or, when a block of that name exists already (another
// folder's drawing of the same name), under "name (2)", "name (3)", ... and says so.
bool attachUnderFreeName(const std::string& path, const AcGePoint3d& at, AcDbDatabase* db) {
    const std::string name = SplitPath(path).name;
    const AcGeScale3d one;
    const double rotation = 0;
    std::string block = name;
    Acad::ErrorStatus es = acedXrefAttach(path, block, &at, &one, &rotation, true, db);
    for (int n = 2; es == Acad::eDuplicateKey && n <= 1000; ++n) {
        block = name + " (" + std::to_string(n) + ")";
        es = acedXrefAttach(path, block, &at, &one, &rotation, true, db);
    }
    if (es != Acad::eOk) return false;
    if (block != name) acutPrintf("\n\"%s\" is attached as \"%s\": the name was taken.\n", path.c_str(), block.c_str());
    return true;
}

void combineDrawings(std::vector<std::string> paths) {
    if (acDocManager->appContextNewDocument("") != Acad::eOk) return;
    AcApDocument* doc = acDocManager->curDocument();
    if (!doc || !doc->database()) return;
    std::sort(paths.begin(), paths.end());
    const auto rows =
        KvCombineRows(paths, GetSettingNumber(SettingId::SimilarStartPos), GetSettingNumber(SettingId::SimilarEndPos));

    KvCellSize cell;
    for (const auto& path : paths) {
        if (AcApDocument* open = openDocument(path)) {
            measure(cell, open->database());
        } else if (auto db = readScratch(path)) {
            measure(cell, db.get());
        }
    }
    if (acDocManager->lockDocument(doc) != Acad::eOk) return;
    KvGuard("KorvaneCombineDwg", [&] {
        {
            ProgressMeter meter("Insert Xref Drawing(s)...", int(paths.size()));
            for (size_t r = 0; r < rows.size(); ++r) {
                const double y = double(r) * cell.Height();
                double x = 0;
                int attached = 0;
                for (const auto& path : rows[r].paths) {
                    const AcGePoint3d at{x, y, 0};
                    // A failed attach (an unreadable file) leaves its place to the next.
                    if (attachUnderFreeName(path, at, doc->database())) x = ++attached * cell.Width();
                    meter.Step();
                }
            }
        }
        zoomExtents(doc->database());
    });
    acDocManager->unlockDocument(doc);
}

void combineInApplicationContext(void*) {
    KvGuard("KorvaneCombineDwg", [] {
        std::vector<std::string> paths;
        if (KvFeatureObjects* features = KvFeatures()) paths.swap(features->combinePaths);
        combineDrawings(std::move(paths));
    });
}

}   // namespace

void KvInsertDrawings() {
    KvGuard("KorvaneCakeDwg", [] {
        if (KvFeatureObjects* features = KvFeatures()) insertDrawings(features->lastInsertFolder);
    });
}

void KvCombineDrawings(const std::vector<CItemData*>& marked) {
    KvGuard("KorvaneCombineDwg", [&] {
        KvFeatureObjects* features = KvFeatures();
        if (!features || !acDocManager->isApplicationContext()) return;
        std::vector<std::string>& paths = features->combinePaths;
        paths.clear();
        for (const CItemData* item : marked) {
            if (!item || item->isWindow()) continue;
            const std::string path = KvTabPath(*item);
            // A reference needs a file: a drawing never saved has none.
            std::error_code ec;
            if (std::filesystem::is_regular_file(path, ec)) paths.push_back(path);
        }
        acDocManager->executeInApplicationContext(combineInApplicationContext, nullptr);
    });
}
