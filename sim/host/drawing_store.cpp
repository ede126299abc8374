// Save formats and version codes, and the host's drawing files through sim::dwg (dwgfile.h): the
// document's database subset goes into and out of the file's model.
#include "sim/host/drawing_store.h"

#include <algorithm>
#include <iterator>

#include <cstdio>
#include <filesystem>
#include "sim/host/dwgfile.h"

namespace fs = std::filesystem;

namespace sim::host {

namespace {

struct Release {
    const char* name;
    int base;                       // save-format release base
    AcDb::AcDbDwgVersion version;   // version code of files saved in it
    const char* text;
};
const Release kReleases[] = {
    {"R12", 0, AcDb::kDHL_1009, "AC1009"},  {"R13", 4, AcDb::kDHL_1012, "AC1012"},
    {"R14", 8, AcDb::kDHL_1014, "AC1014"},  {"2000", 12, AcDb::kDHL_1015, "AC1015"},
    {"2004", 24, AcDb::kDHL_1800, "AC1018"}, {"2007", 36, AcDb::kDHL_1021, "AC1021"},
    {"2010", 48, AcDb::kDHL_1024, "AC1024"}, {"2013", 60, AcDb::kDHL_1027, "AC1027"},
    {"2018", 64, AcDb::kDHL_1032, "AC1032"},
};

const Release* releaseOfFormat(int format) {
    if (format == AcApDocument::kR12_dxf) return &kReleases[0];
    if (format >= 64 && format <= 67) return &kReleases[8];
    // The release with the highest base at or below the format (R13's 4 + 4 is R14's 8).
    for (auto it = std::rbegin(kReleases); it != std::rend(kReleases); ++it) {
        if (it->base != 0 && format >= it->base && format <= it->base + 4) return &*it;
    }
    return nullptr;
}

std::uint32_t le32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
    return v;
}

sim::dwg::Drawing toDrawing(const DrawingContent& c) {
    sim::dwg::Drawing d;
    d.originalVersion = c.originalVersion;
    d.lastSavedAsVersion = c.lastSavedAsVersion;
    d.summary = c.summary;
    d.layouts = c.layouts;
    d.currentLayout = c.currentLayout;
    for (const auto& v : c.modelViews) d.views.push_back({v, false});
    for (const auto& v : c.paperViews) d.views.push_back({v, true});
    for (const auto& [name, mask] : c.layerStates) d.layerStates.push_back({name, mask});
    for (const auto& l : c.lines) d.lines.push_back({{l[0], l[1], l[2]}, {l[3], l[4], l[5]}});
    // Objects the simulator does not model as lines still count; they are kept as short lines
    // along the diagonal so that the count and the preview survive the file.
    for (int i = int(c.lines.size()); i < c.objects; ++i) {
        double t = 10.0 * i;
        d.lines.push_back({{t, t, 0}, {t + 8, t + 5, 0}});
    }
    for (const auto& x : c.xrefs) {
        d.xrefs.push_back({x.blockName, x.path, {x.insertion[0], x.insertion[1], x.insertion[2]},
                           {x.scale[0], x.scale[1], x.scale[2]}, x.rotation});
    }
    if (c.view.set) d.view = sim::dwg::View{{c.view.centerX, c.view.centerY, 0}, c.view.width, c.view.height};
    d.numberOfSaves = c.numberOfSaves;
    d.extents = sim::dwg::extentsOf(d.lines);
    // The stored extents cover what the references show as well, as the host's do.
    if (!c.xrefs.empty() && c.extMin[0] <= c.extMax[0] && c.extMin[1] <= c.extMax[1]) {
        d.extents.min = {std::min(d.extents.min.x, c.extMin[0]), std::min(d.extents.min.y, c.extMin[1]),
                         std::min(d.extents.min.z, c.extMin[2])};
        d.extents.max = {std::max(d.extents.max.x, c.extMax[0]), std::max(d.extents.max.y, c.extMax[1]),
                         std::max(d.extents.max.z, c.extMax[2])};
    }
    return d;
}

DrawingContent fromDrawing(const sim::dwg::Drawing& d) {
    DrawingContent c;
    c.originalVersion = d.originalVersion;
    c.lastSavedAsVersion = d.lastSavedAsVersion;
    c.summary = d.summary;
    c.layouts = d.layouts;
    c.currentLayout = d.currentLayout;
    for (const auto& v : d.views) (v.paperSpace ? c.paperViews : c.modelViews).push_back(v.name);
    for (const auto& s : d.layerStates) c.layerStates.emplace_back(s.name, s.mask);
    for (const auto& l : d.lines) c.lines.push_back({l.start.x, l.start.y, l.start.z, l.end.x, l.end.y, l.end.z});
    c.objects = int(c.lines.size());
    for (const auto& x : d.xrefs) {
        c.xrefs.push_back({x.blockName, x.path, {x.insertion.x, x.insertion.y, x.insertion.z},
                           {x.scale.x, x.scale.y, x.scale.z}, x.rotation});
    }
    if (d.view) c.view = {true, d.view->center.x, d.view->center.y, d.view->width, d.view->height};
    c.numberOfSaves = d.numberOfSaves;
    if (!d.extents.empty()) {
        c.extMin = {d.extents.min.x, d.extents.min.y, d.extents.min.z};
        c.extMax = {d.extents.max.x, d.extents.max.y, d.extents.max.z};
    }
    return c;
}

class DwgFiles : public DrawingFiles {
public:
    bool read(const std::string& path, DrawingContent* out, bool* foreign, std::string* error) override {
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            *error = "file not found";
            return false;
        }
        // Shorter than the header's fixed part (version text and image-directory address).
        const std::string ext = fs::path(path).extension().string();
        if (ext != ".dxf" && ext != ".DXF" && fs::file_size(path, ec) < 17 && !ec) {
            *error = "truncated drawing file";
            return false;
        }
        sim::dwg::FileInfo info;
        if (!sim::dwg::readDrawingFile(path, &info, error)) return false;
        if (!info.foreign && info.drawing) {
            *out = fromDrawing(*info.drawing);
            *foreign = false;
            return true;
        }
        AcDb::AcDbDwgVersion v = sim::dwg::dwgVersion(info.release);
        if (v == AcDb::kDHL_Unknown) {
            *error = "drawing version " + info.versionText + " is not supported";
            return false;
        }
        *out = DrawingContent{};
        out->originalVersion = out->lastSavedAsVersion = v;
        out->layouts = {"Model", "Layout1"};
        *foreign = true;
        return true;
    }

    bool write(const std::string& path, const DrawingContent& content, AcApDocument::SaveFormat format,
               std::string* error) override {
        auto release = sim::dwg::releaseOf(format);
        if (release == sim::dwg::Release::Unknown) {
            *error = "unknown save format";
            return false;
        }
        return sim::dwg::writeDrawingFile(path, toDrawing(content), release, sim::dwg::kindOf(format), error);
    }

    // A header and an image directory with header data and a preview, as another program writes
    // them, and bytes standing for its objects; no simulator payload.
    bool writeForeign(const std::string& path, AcDb::AcDbDwgVersion version, std::string* error) override {
        auto release = sim::dwg::releaseOf(version);
        std::string_view text = sim::dwg::versionText(release);
        if (text.empty()) {
            *error = "unknown version";
            return false;
        }
        sim::dwg::Drawing sample;
        sample.lines = {{{0, 0, 0}, {100, 60, 0}}, {{0, 60, 0}, {100, 0, 0}}};
        sample.extents = sim::dwg::extentsOf(sample.lines);
        auto image = sim::dwg::renderPreview(sample, 64, 64);
        const bool png = release >= sim::dwg::Release::R2013;
        auto picture = png ? sim::dwg::encodePng(image) : sim::dwg::encodeDib8(image);
        static const std::uint8_t sentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                                  0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
        std::vector<std::uint8_t> b(text.begin(), text.end());
        b.resize(0x180, 0x11);
        const std::uint32_t dir = std::uint32_t(b.size());
        for (int i = 0; i < 4; ++i) b[13 + i] = std::uint8_t(dir >> (8 * i));
        b.insert(b.end(), sentinel, sentinel + 16);
        le32(b, 1 + 18 + 80 + std::uint32_t(picture.size()));
        b.push_back(2);
        const std::uint32_t data = dir + 16 + 4 + 1 + 18;
        b.push_back(1), le32(b, data), le32(b, 80);
        b.push_back(png ? 6 : 2), le32(b, data + 80), le32(b, std::uint32_t(picture.size()));
        b.resize(b.size() + 80, 0);
        b.insert(b.end(), picture.begin(), picture.end());
        b.resize(b.size() + 2000, 0x22);
        std::error_code ec;
        if (fs::exists(path, ec)) {
            *error = "the file exists";
            return false;
        }
        FILE* f = std::fopen(path.c_str(), "wbe");   // "e": close-on-exec
        if (!f) {
            *error = "cannot write the file";
            return false;
        }
        bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) *error = "cannot write the file";
        return ok;
    }

    bool isForeign(const std::string& path) override {
        std::error_code ec;
        return fs::exists(path, ec) && !sim::dwg::isSimulatorFile(path);
    }
};

DrawingFiles* g_files = nullptr;

}  // namespace

DrawingFiles& drawingFiles() {
    static DwgFiles builtin;
    return g_files ? *g_files : builtin;
}

void setDrawingFiles(DrawingFiles* files) { g_files = files; }

AcDb::AcDbDwgVersion versionOfFormat(AcApDocument::SaveFormat format) {
    const Release* r = releaseOfFormat(format);
    return r ? r->version : AcDb::kDHL_Unknown;
}

const char* versionText(AcDb::AcDbDwgVersion version) {
    static const std::pair<int, const char*> texts[] = {
        {16, "AC1009"}, {17, "AC1009"}, {18, "AC1009"}, {19, "AC1012"}, {20, "AC1014"}, {21, "AC1014"},
        {22, "AC1015"}, {23, "AC1015"}, {24, "AC1018"}, {25, "AC1018"}, {26, "AC1021"}, {27, "AC1021"},
        {28, "AC1024"}, {29, "AC1024"}, {30, "AC1027"}, {31, "AC1027"}, {32, "AC1032"}, {33, "AC1032"}};
    for (auto [v, t] : texts) {
        if (v == version) return t;
    }
    return "";
}

AcDb::AcDbDwgVersion versionFromText(const std::string& text) {
    for (const auto& r : kReleases) {
        if (text == r.text) return r.version;
    }
    return AcDb::kDHL_Unknown;
}

AcApDocument::SaveFormat formatFromName(const std::string& rawName, const std::string& extension) {
    std::string name;
    for (char ch : rawName) name += char(std::toupper(static_cast<unsigned char>(ch)));
    int kind = extension == ".dxf" ? 1 : extension == ".dwt" ? 2 : extension == ".dws" ? 3 : 0;
    for (const auto& r : kReleases) {
        if (name != r.name) continue;
        if (r.base == 0) return kind == 1 ? AcApDocument::kR12_dxf : AcApDocument::kUnknown;
        if (r.base == 4 && kind > 1) return AcApDocument::kUnknown;
        if (r.base == 8 && kind > 1) return AcApDocument::kUnknown;
        return AcApDocument::SaveFormat(r.base + kind);
    }
    return AcApDocument::kUnknown;
}

std::string formatName(AcApDocument::SaveFormat format) {
    const Release* r = releaseOfFormat(format);
    return r ? r->name : "?";
}

}  // namespace sim::host
