// Save formats and version codes, and the built-in drawing-file format used until the full
// drawing-file writer is installed with setDrawingFiles: the version text at offset 0, the
// image-directory address at offset 13 (0: no preview), then the simulator's payload (a marker
// line and the database as JSON). A DXF file carries its version in $ACADVER and the payload in a
// 999 comment. Files without the payload are drawings of other programs: read-only.
#include "sim/host/drawing_store.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

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
    for (const auto& r : kReleases) {
        if (r.base != 0 && format >= r.base && format <= r.base + 4) return &r;
    }
    return nullptr;
}

constexpr const char* kMarker = "KVSIMDB1";

json toJson(const DrawingContent& c) {
    json j;
    j["originalVersion"] = int(c.originalVersion);
    j["lastSavedAsVersion"] = int(c.lastSavedAsVersion);
    j["numberOfSaves"] = c.numberOfSaves;
    j["objects"] = c.objects;
    const auto& s = c.summary;
    j["summary"] = {{"title", s.title},       {"subject", s.subject},   {"author", s.author},
                    {"keywords", s.keywords}, {"comments", s.comments}, {"lastSavedBy", s.lastSavedBy},
                    {"revisionNumber", s.revisionNumber}, {"hyperlinkBase", s.hyperlinkBase},
                    {"custom", s.custom}};
    j["layouts"] = c.layouts;
    j["currentLayout"] = c.currentLayout;
    j["modelViews"] = c.modelViews;
    j["paperViews"] = c.paperViews;
    j["layerStates"] = c.layerStates;
    j["extMin"] = c.extMin;
    j["extMax"] = c.extMax;
    j["blocks"] = c.blocks;
    j["xrefs"] = c.xrefs;
    return j;
}

DrawingContent fromJson(const json& j) {
    DrawingContent c;
    c.originalVersion = AcDb::AcDbDwgVersion(j.at("originalVersion").get<int>());
    c.lastSavedAsVersion = AcDb::AcDbDwgVersion(j.at("lastSavedAsVersion").get<int>());
    c.numberOfSaves = j.at("numberOfSaves").get<int>();
    c.objects = j.at("objects").get<int>();
    const auto& s = j.at("summary");
    c.summary.title = s.at("title");
    c.summary.subject = s.at("subject");
    c.summary.author = s.at("author");
    c.summary.keywords = s.at("keywords");
    c.summary.comments = s.at("comments");
    c.summary.lastSavedBy = s.at("lastSavedBy");
    c.summary.revisionNumber = s.at("revisionNumber");
    c.summary.hyperlinkBase = s.at("hyperlinkBase");
    c.summary.custom = s.at("custom").get<std::vector<std::pair<std::string, std::string>>>();
    c.layouts = j.at("layouts").get<std::vector<std::string>>();
    c.currentLayout = j.at("currentLayout");
    c.modelViews = j.at("modelViews").get<std::vector<std::string>>();
    c.paperViews = j.at("paperViews").get<std::vector<std::string>>();
    c.layerStates = j.at("layerStates").get<std::vector<std::pair<std::string, int>>>();
    c.extMin = j.at("extMin").get<std::array<double, 3>>();
    c.extMax = j.at("extMax").get<std::array<double, 3>>();
    c.blocks = j.at("blocks").get<std::vector<std::string>>();
    c.xrefs = j.at("xrefs").get<std::vector<std::string>>();
    return c;
}

bool readAll(const std::string& path, std::string* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    *data = ss.str();
    return true;
}

// Writes beside the target and renames over it, so a failed write leaves no half file.
bool writeAtomically(const std::string& path, const std::string& data, std::string* error) {
    const std::string tmp = path + ".kvtmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(data.data(), std::streamsize(data.size())) || !out.flush()) {
            std::error_code ec;
            fs::remove(tmp, ec);
            *error = "cannot write the file";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
        fs::remove(tmp, ec);
        *error = "cannot replace the file";
        return false;
    }
    return true;
}

std::string header(AcDb::AcDbDwgVersion version) {
    std::string h(0x19, '\0');
    const char* text = versionText(version);
    h.replace(0, 6, text);
    return h;   // image-directory address (offset 13) is 0: no preview
}

std::string lowerExt(const std::string& path) {
    std::string e = fs::path(path).extension().string();
    for (auto& ch : e) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return e;
}

class BuiltinFiles : public DrawingFiles {
public:
    bool read(const std::string& path, DrawingContent* out, bool* foreign, std::string* error) override {
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            *error = "file not found";
            return false;
        }
        if (!fs::is_regular_file(path, ec)) {
            *error = "not a file";
            return false;
        }
        std::string data;
        if (!readAll(path, &data)) {
            *error = "cannot read the file";
            return false;
        }
        if (lowerExt(path) == ".dxf") return readDxf(data, out, foreign, error);
        if (data.size() < 6 || data.compare(0, 4, "AC10") != 0) {
            *error = "not a drawing file";
            return false;
        }
        AcDb::AcDbDwgVersion version = versionFromText(data.substr(0, 6));
        if (version == AcDb::kDHL_Unknown) {
            *error = "unknown drawing version " + data.substr(0, 6);
            return false;
        }
        if (data.size() < 0x19) {
            *error = "truncated drawing file";
            return false;
        }
        size_t at = data.find(std::string(kMarker) + "\n", 0x19);
        if (at == std::string::npos) {
            *out = foreignContent(version);
            *foreign = true;
            return true;
        }
        return parsePayload(data.substr(at + 9), out, foreign, error);
    }

    bool write(const std::string& path, const DrawingContent& content, AcApDocument::SaveFormat format,
               std::string* error) override {
        const Release* r = releaseOfFormat(format);
        if (!r) {
            *error = "unknown save format";
            return false;
        }
        const std::string payload = toJson(content).dump();
        std::string data;
        if (format % 4 == 1) {   // the DXF kinds
            data = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n" + std::string(r->text) + "\n  0\nENDSEC\n999\n" +
                   kMarker + " " + payload + "\n  0\nEOF\n";
        } else {
            data = header(r->version) + kMarker + "\n" + payload;
        }
        return writeAtomically(path, data, error);
    }

    bool writeForeign(const std::string& path, AcDb::AcDbDwgVersion version, std::string* error) override {
        if (!*versionText(version)) {
            *error = "unknown version";
            return false;
        }
        // What another program's file looks like to this host: a header and data it does not know.
        std::string data = header(version) + std::string(256, '\x5a');
        return writeAtomically(path, data, error);
    }

    bool isForeign(const std::string& path) override {
        std::error_code ec;
        if (!fs::exists(path, ec)) return false;
        DrawingContent c;
        bool foreign = false;
        std::string error;
        // Anything this host cannot read back as its own is another program's file.
        return !read(path, &c, &foreign, &error) || foreign;
    }

private:
    static DrawingContent foreignContent(AcDb::AcDbDwgVersion version) {
        DrawingContent c;
        c.originalVersion = version;
        c.lastSavedAsVersion = version;
        c.layouts = {"Model", "Layout1"};
        return c;
    }

    static bool parsePayload(const std::string& text, DrawingContent* out, bool* foreign, std::string* error) {
        try {
            *out = fromJson(json::parse(text));
            *foreign = false;
            return true;
        } catch (const std::exception&) {
            *error = "truncated or damaged drawing file";
            return false;
        }
    }

    static bool readDxf(const std::string& data, DrawingContent* out, bool* foreign, std::string* error) {
        size_t at = data.find("$ACADVER");
        if (at == std::string::npos) {
            *error = "not a drawing file";
            return false;
        }
        std::istringstream in(data.substr(at));
        std::string line, code, value;
        std::getline(in, line);
        std::getline(in, code);
        std::getline(in, value);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        AcDb::AcDbDwgVersion version = versionFromText(value);
        if (version == AcDb::kDHL_Unknown) {
            *error = "unknown drawing version " + value;
            return false;
        }
        size_t mark = data.find(std::string("999\n") + kMarker + " ");
        if (mark == std::string::npos) {
            *out = foreignContent(version);
            *foreign = true;
            return true;
        }
        size_t begin = mark + 4 + std::string(kMarker).size() + 1;
        size_t end = data.find('\n', begin);
        if (end == std::string::npos) {
            *error = "truncated or damaged drawing file";
            return false;
        }
        return parsePayload(data.substr(begin, end - begin), out, foreign, error);
    }
};

DrawingFiles* g_files = nullptr;

}  // namespace

DrawingFiles& drawingFiles() {
    static BuiltinFiles builtin;
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
