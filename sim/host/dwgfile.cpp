// Drawing files of the simulated host: formats, the payload, reading and writing.
//
// Layout of a DWG-family file written here:
//   0x000  version text ("AC1015"), five zero bytes, maintenance byte, 1
//   0x00D  image-directory address (u32; 0 for R12, which has no directory)
//   0x013  code page (30)
//   0x100  image directory: start sentinel, overall size, entry count, entries (code, start, size
//          with absolute starts), image-header data, preview, end sentinel
//   ...    payload block: "KVSIMDB\0", format (u32), length (u32), FNV-1a of the JSON (u32), JSON
//   end    trailer: payload block offset (u64), "KVSIMEND"
// All numbers little-endian.
#include "sim/host/dwgfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

namespace sim::dwg {
namespace {

using json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kImageStartSentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                                  0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
constexpr std::uint8_t kImageEndSentinel[16] = {0xE0, 0xDA, 0x92, 0xF8, 0x2B, 0xC9, 0xD7, 0xD7,
                                                0x62, 0xA8, 0x35, 0xC0, 0x62, 0xBB, 0xEF, 0xD4};
constexpr std::uint8_t kHeaderSentinel[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                              0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};
constexpr char kPayloadMagic[8] = {'K', 'V', 'S', 'I', 'M', 'D', 'B', 0};
constexpr char kTrailerMagic[8] = {'K', 'V', 'S', 'I', 'M', 'E', 'N', 'D'};
constexpr std::uint32_t kPayloadFormat = 1;
constexpr std::size_t kHeaderSize = 0x100;
constexpr std::size_t kImageHeaderDataSize = 80;
constexpr std::uint64_t kMaxPayload = 64u << 20;
constexpr std::uint64_t kMaxPicture = 80u << 20;
constexpr int kMaxImageEntries = 16;
constexpr int kDibPreviewW = 180, kDibPreviewH = 135;
constexpr int kPngPreviewW = 256, kPngPreviewH = 192;
constexpr std::string_view kDxfPayloadHead = "KVSIMDB ";
constexpr std::string_view kDxfPayloadChunk = "KVSIMDB+";
constexpr std::size_t kDxfChunk = 2000;

bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

std::uint32_t fnv1a(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

void put8(Bytes& out, std::uint8_t v) { out.push_back(v); }
void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
void put64(Bytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
void set32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = std::uint8_t(v >> (8 * i));
}
void putBytes(Bytes& out, const void* p, std::size_t n) {
    auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}
std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint64_t get64(const std::uint8_t* p) { return get32(p) | std::uint64_t(get32(p + 4)) << 32; }

// ---- Random access to a file or to bytes in memory, every read checked against the size ---------

class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t size() const = 0;
    // False unless all n bytes at offset exist.
    virtual bool read(std::uint64_t offset, std::size_t n, void* out) const = 0;
    bool readBytes(std::uint64_t offset, std::uint64_t n, Bytes* out) const {
        if (offset > size() || n > size() - offset) return false;
        out->resize(std::size_t(n));
        return n == 0 || read(offset, std::size_t(n), out->data());
    }
};

class MemorySource : public Source {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, std::size_t n, void* out) const override {
        if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
        if (n) std::memcpy(out, bytes_.data() + offset, n);
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

class FileSource : public Source {
public:
    explicit FileSource(const std::string& path) {
        // Non-blocking so that a FIFO or device named like a drawing cannot stall the open; such
        // files are refused just below.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
            errno = EISDIR;
        }
        if (fd_ >= 0) size_ = std::uint64_t(st.st_size);
    }
    ~FileSource() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool ok() const { return fd_ >= 0; }
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::size_t n, void* out) const override {
        if (offset > size_ || n > size_ - offset) return false;
        auto* p = static_cast<char*>(out);
        while (n) {
            ssize_t got = ::pread(fd_, p, n, off_t(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            p += got;
            n -= std::size_t(got);
            offset += std::uint64_t(got);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// ---- Payload (JSON) --------------------------------------------------------------------------

json pointJson(const Point3& p) { return json::array({p.x, p.y, p.z}); }

json toJson(const Drawing& d) {
    json j;
    j["format"] = kPayloadFormat;
    j["saveFormat"] = int(d.saveFormat);
    j["originalVersion"] = int(d.originalVersion);
    j["lastSavedAsVersion"] = int(d.lastSavedAsVersion);
    const AcDbSummaryInfo& s = d.summary;
    json custom = json::array();
    for (const auto& [k, v] : s.custom) custom.push_back(json::array({k, v}));
    j["summary"] = {{"title", s.title},           {"subject", s.subject},
                    {"author", s.author},         {"keywords", s.keywords},
                    {"comments", s.comments},     {"lastSavedBy", s.lastSavedBy},
                    {"revisionNumber", s.revisionNumber}, {"hyperlinkBase", s.hyperlinkBase},
                    {"custom", custom}};
    j["layouts"] = d.layouts;
    j["currentLayout"] = d.currentLayout;
    json views = json::array();
    for (const auto& v : d.views) views.push_back({{"name", v.name}, {"paperSpace", v.paperSpace}});
    j["views"] = views;
    json states = json::array();
    for (const auto& st : d.layerStates) states.push_back({{"name", st.name}, {"mask", st.mask}});
    j["layerStates"] = states;
    json lines = json::array();
    for (const auto& l : d.lines) lines.push_back(json::array({pointJson(l.start), pointJson(l.end)}));
    j["lines"] = lines;
    json xrefs = json::array();
    for (const auto& x : d.xrefs)
        xrefs.push_back({{"block", x.blockName}, {"path", x.path}, {"at", pointJson(x.insertion)},
                         {"scale", pointJson(x.scale)}, {"rotation", x.rotation}});
    j["xrefs"] = xrefs;
    if (d.view) j["view"] = {{"center", pointJson(d.view->center)}, {"width", d.view->width}, {"height", d.view->height}};
    j["numberOfSaves"] = d.numberOfSaves;
    j["extents"] = d.extents.empty() ? json(nullptr) : json::array({pointJson(d.extents.min), pointJson(d.extents.max)});
    return j;
}

// Numbers are range-checked before conversion: a hostile payload must not cause an overflowing cast.
int asInt(const json& v) {
    if (v.is_number_unsigned()) {
        const auto u = v.get<std::uint64_t>();
        if (u > std::uint64_t(INT_MAX)) throw std::runtime_error("range");
        return int(u);
    }
    if (v.is_number_integer()) {
        const auto i = v.get<std::int64_t>();
        if (i < INT_MIN || i > INT_MAX) throw std::runtime_error("range");
        return int(i);
    }
    throw std::runtime_error("not an integer");
}

Point3 pointFrom(const json& j) {
    if (!j.is_array() || j.size() != 3) throw std::runtime_error("point");
    Point3 p{j.at(0).get<double>(), j.at(1).get<double>(), j.at(2).get<double>()};
    return p;
}

bool validVersion(int v) {
    return v == 0 || v == AcDb::kDHL_Unknown || (v >= AcDb::kDHL_1009 && v <= AcDb::kDHL_1032);
}
bool validSaveFormat(int v) {
    if (v == AcApDocument::kUnknown) return true;
    if (v < 0 || v > AcApDocument::k2018_Standard) return false;
    auto f = AcApDocument::SaveFormat(v);
    return saveFormatFor(releaseOf(f), kindOf(f)) == f;
}

// Throws on anything that is not a well-formed payload.
Drawing fromJson(const json& j) {
    if (!j.is_object() || asInt(j.at("format")) != int(kPayloadFormat)) throw std::runtime_error("format");
    Drawing d;
    const int fmt = asInt(j.at("saveFormat"));
    const int orig = asInt(j.at("originalVersion"));
    const int last = asInt(j.at("lastSavedAsVersion"));
    if (!validSaveFormat(fmt) || !validVersion(orig) || !validVersion(last)) throw std::runtime_error("enum");
    d.saveFormat = AcApDocument::SaveFormat(fmt);
    d.originalVersion = AcDb::AcDbDwgVersion(orig);
    d.lastSavedAsVersion = AcDb::AcDbDwgVersion(last);
    const json& s = j.at("summary");
    d.summary.title = s.at("title").get<std::string>();
    d.summary.subject = s.at("subject").get<std::string>();
    d.summary.author = s.at("author").get<std::string>();
    d.summary.keywords = s.at("keywords").get<std::string>();
    d.summary.comments = s.at("comments").get<std::string>();
    d.summary.lastSavedBy = s.at("lastSavedBy").get<std::string>();
    d.summary.revisionNumber = s.at("revisionNumber").get<std::string>();
    d.summary.hyperlinkBase = s.at("hyperlinkBase").get<std::string>();
    for (const json& e : s.at("custom")) {
        if (!e.is_array() || e.size() != 2) throw std::runtime_error("custom");
        d.summary.custom.emplace_back(e.at(0).get<std::string>(), e.at(1).get<std::string>());
    }
    d.layouts = j.at("layouts").get<std::vector<std::string>>();
    d.currentLayout = j.at("currentLayout").get<std::string>();
    for (const json& v : j.at("views")) d.views.push_back({v.at("name").get<std::string>(), v.at("paperSpace").get<bool>()});
    for (const json& st : j.at("layerStates"))
        d.layerStates.push_back({st.at("name").get<std::string>(), asInt(st.at("mask"))});
    for (const json& l : j.at("lines")) {
        if (!l.is_array() || l.size() != 2) throw std::runtime_error("line");
        d.lines.push_back({pointFrom(l.at(0)), pointFrom(l.at(1))});
    }
    // Drawings written before references and views were kept have neither.
    if (j.contains("xrefs")) {
        for (const json& x : j.at("xrefs")) {
            d.xrefs.push_back({x.at("block").get<std::string>(), x.at("path").get<std::string>(),
                               pointFrom(x.at("at")), pointFrom(x.at("scale")), x.at("rotation").get<double>()});
        }
    }
    if (j.contains("view")) {
        const json& v = j.at("view");
        d.view = View{pointFrom(v.at("center")), v.at("width").get<double>(), v.at("height").get<double>()};
    }
    d.numberOfSaves = asInt(j.at("numberOfSaves"));
    const json& e = j.at("extents");
    if (!e.is_null()) {
        if (!e.is_array() || e.size() != 2) throw std::runtime_error("extents");
        d.extents.min = pointFrom(e.at(0));
        d.extents.max = pointFrom(e.at(1));
    }
    return d;
}

std::string payloadText(const Drawing& d) {
    // Invalid UTF-8 in a text is replaced rather than failing the save.
    return toJson(d).dump(-1, ' ', false, json::error_handler_t::replace);
}

bool parsePayload(const std::uint8_t* p, std::size_t n, Drawing* out, std::string* error) {
    // Nesting beyond what the payload uses is cut off while parsing, so hostile input cannot
    // build deep structures.
    json::parser_callback_t limitDepth = [](int depth, json::parse_event_t, json&) { return depth <= 8; };
    json j = json::parse(p, p + n, limitDepth, false);
    if (j.is_discarded()) return fail(error, "damaged drawing file: unreadable database payload");
    try {
        *out = fromJson(j);
    } catch (const std::exception&) {
        return fail(error, "damaged drawing file: incomplete database payload");
    }
    return true;
}

// ---- DWG family ----------------------------------------------------------------------------------

Preview previewFromBytes(Bytes data) {
    static const std::uint8_t pngSig[4] = {0x89, 'P', 'N', 'G'};
    Preview p;
    if (data.size() >= 4 && std::memcmp(data.data(), pngSig, 4) == 0) p.type = PreviewType::Png;
    else if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        if (auto bmp = previewFromBmpFile(data)) return *bmp;
        return p;
    } else
        p.type = PreviewType::Dib;
    p.data = std::move(data);
    return p;
}

// The preview from the image directory; type None when there is none or it cannot be read.
Preview directoryPreview(const Source& src) {
    std::uint8_t addrBytes[4];
    if (!src.read(13, 4, addrBytes)) return {};
    const std::uint64_t addr = get32(addrBytes);
    std::uint8_t head[21];
    if (addr == 0 || !src.read(addr, sizeof head, head)) return {};
    const int count = head[20];
    if (count > kMaxImageEntries) return {};
    std::uint64_t dibStart = 0, dibSize = 0, pngStart = 0, pngSize = 0;
    for (int i = 0; i < count; ++i) {
        std::uint8_t e[9];
        if (!src.read(addr + 21 + 9 * std::uint64_t(i), 9, e)) return {};
        const std::uint64_t start = get32(e + 1), size = get32(e + 5);
        if (e[0] == 2 && !dibSize) dibStart = start, dibSize = size;
        if (e[0] == 6 && !pngSize) pngStart = start, pngSize = size;
    }
    // Prefer the PNG where a file carries both.
    const std::uint64_t start = pngSize ? pngStart : dibStart, size = pngSize ? pngSize : dibSize;
    if (!size || size > kMaxPicture) return {};
    Bytes data;
    if (!src.readBytes(start, size, &data)) return {};
    return previewFromBytes(std::move(data));
}

// Reads the payload found through the trailer. Returns false with an error for a damaged
// payload; true with *found false when the file has none.
bool trailerPayload(const Source& src, bool* found, Drawing* out, std::string* error) {
    *found = false;
    const std::uint64_t size = src.size();
    std::uint8_t trailer[16];
    if (size < kHeaderSize + 16 || !src.read(size - 16, 16, trailer) || std::memcmp(trailer + 8, kTrailerMagic, 8) != 0)
        return true;
    *found = true;
    const std::uint64_t at = get64(trailer);
    std::uint8_t head[20];
    if (at > size - 16 || size - 16 - at < 20 || !src.read(at, 20, head) || std::memcmp(head, kPayloadMagic, 8) != 0)
        return fail(error, "damaged drawing file: database payload not found");
    if (get32(head + 8) != kPayloadFormat) return fail(error, "drawing file written by a newer simulator");
    const std::uint64_t length = get32(head + 12);
    if (length > kMaxPayload || length > size - 16 - at - 20) return fail(error, "damaged drawing file: payload length");
    Bytes text;
    if (!src.readBytes(at + 20, length, &text)) return fail(error, "damaged drawing file: payload truncated");
    if (fnv1a(text.data(), text.size()) != get32(head + 16)) return fail(error, "damaged drawing file: payload checksum");
    return parsePayload(text.data(), text.size(), out, error);
}

std::optional<Preview> sidecarPreview(const std::string& drawingPath) {
    std::string path = sidecarPath(drawingPath);
    for (int attempt = 0; attempt < 2; ++attempt) {
        FileSource f(path);
        if (f.ok() && f.size() <= kMaxPicture) {
            Bytes bytes;
            if (f.readBytes(0, f.size(), &bytes))
                if (auto p = previewFromBmpFile(bytes)) {
                    p->sidecar = true;
                    return p;
                }
        }
        path = path.substr(0, path.size() - 4) + ".bmp";   // files copied from case-blind systems
    }
    return std::nullopt;
}

Release headerRelease(const Source& src, std::string* text) {
    char v[6];
    if (!src.read(0, 6, v)) return Release::Unknown;
    if (text) *text = std::string(v, 6);
    return releaseFromVersionText(std::string_view(v, 6));
}

bool readDwg(const Source& src, const std::string* path, FileInfo* info, std::string* error) {
    *info = FileInfo{};
    info->release = headerRelease(src, &info->versionText);
    if (info->release == Release::Unknown) return fail(error, "not a drawing file");
    if (info->release >= Release::R13) info->preview = directoryPreview(src);
    else if (path)
        if (auto p = sidecarPreview(*path)) info->preview = std::move(*p);
    bool found = false;
    Drawing d;
    if (!trailerPayload(src, &found, &d, error)) return false;
    if (found) {
        if (path) d.fileName = *path;
        info->drawing = std::move(d);
        info->foreign = false;
    }
    return true;
}

// ---- DXF -------------------------------------------------------------------------------------

// Line-by-line reading of a DXF file through a Source, each line capped in length.
class LineReader {
public:
    explicit LineReader(const Source& src) : src_(src) {}
    bool next(std::string* line) {
        line->clear();
        bool any = false;
        for (;;) {
            if (pos_ == len_) {
                const std::uint64_t left = src_.size() - offset_;
                len_ = std::size_t(std::min<std::uint64_t>(left, sizeof buf_));
                pos_ = 0;
                if (len_ == 0 || !src_.read(offset_, len_, buf_)) {
                    len_ = 0;
                    return any;
                }
                offset_ += len_;
            }
            any = true;
            const char* start = buf_ + pos_;
            const auto* nl = static_cast<const char*>(std::memchr(start, '\n', len_ - pos_));
            const std::size_t n = nl ? std::size_t(nl - start) : len_ - pos_;
            if (line->size() < kMaxLine) line->append(start, std::min(n, kMaxLine - line->size()));
            pos_ += n;
            if (nl) {
                ++pos_;
                break;
            }
        }
        while (!line->empty() && (line->back() == '\r' || line->back() == ' ' || line->back() == '\t')) line->pop_back();
        std::size_t lead = 0;
        while (lead < line->size() && ((*line)[lead] == ' ' || (*line)[lead] == '\t')) ++lead;
        line->erase(0, lead);
        return true;
    }

private:
    static constexpr std::size_t kMaxLine = 4096;
    const Source& src_;
    char buf_[1 << 16];
    std::size_t pos_ = 0, len_ = 0;
    std::uint64_t offset_ = 0;
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool looksLikeDxf(const Source& src) {
    char head[256];
    const std::size_t n = std::size_t(std::min<std::uint64_t>(src.size(), sizeof head));
    if (!src.read(0, n, head)) return false;
    std::string_view s(head, n);
    if (s.starts_with("AutoCAD Binary DXF")) return false;
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    // Either "0 / SECTION" or a leading comment group.
    if (s.substr(i).starts_with("999")) return true;
    if (i >= s.size() || s[i] != '0') return false;
    ++i;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i).starts_with("SECTION");
}

enum class DxfWant { Version, Preview, All };

bool readDxf(const Source& src, DxfWant want, const std::string* path, FileInfo* info, std::string* error) {
    *info = FileInfo{};
    info->dxf = true;
    if (src.size() >= 18) {
        char head[18];
        if (src.read(0, 18, head) && std::string_view(head, 18) == "AutoCAD Binary DXF")
            return fail(error, "binary DXF files are not supported");
    }
    LineReader lines(src);
    std::string codeLine, value, section, lastVariable;
    bool inSection = false, expectName = false, thumbOk = true;
    std::uint64_t thumbDeclared = 0;
    Bytes thumb, payload;
    std::uint64_t payloadLength = 0;
    std::uint32_t payloadSum = 0;
    bool payloadSeen = false, payloadBad = false;
    while (lines.next(&codeLine)) {
        if (!lines.next(&value)) return fail(error, "damaged DXF file: odd number of lines");
        int code = 0;
        auto [end, ec] = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), code);
        if (ec != std::errc() || end != codeLine.data() + codeLine.size())
            return fail(error, "damaged DXF file: bad group code");
        if (code == 999) {
            if (want != DxfWant::All) continue;
            std::string_view v(value);
            if (v.starts_with(kDxfPayloadHead)) {
                unsigned format = 0;
                unsigned long long len = 0;
                unsigned sum = 0;
                payloadSeen = true;
                if (std::sscanf(value.c_str() + kDxfPayloadHead.size(), "%u %llu %x", &format, &len, &sum) != 3 ||
                    format != kPayloadFormat || len > kMaxPayload)
                    payloadBad = true;
                payloadLength = len;
                payloadSum = sum;
            } else if (v.starts_with(kDxfPayloadChunk) && payloadSeen && !payloadBad) {
                // Each chunk ends in '|' so that blanks at its end survive the reader's trimming.
                v.remove_prefix(kDxfPayloadChunk.size());
                if (!v.ends_with('|')) {
                    payloadBad = true;
                    continue;
                }
                v.remove_suffix(1);
                if (payload.size() + v.size() > payloadLength) payloadBad = true;
                else payload.insert(payload.end(), v.begin(), v.end());
            }
            continue;
        }
        if (code == 0) {
            if (value == "EOF") break;
            if (value == "SECTION") inSection = expectName = true;
            else if (value == "ENDSEC") {
                if (want == DxfWant::Version && section == "HEADER") break;
                inSection = false;
                section.clear();
            }
            continue;
        }
        if (code == 2 && expectName) {
            section = value;
            expectName = false;
            continue;
        }
        expectName = false;
        if (!inSection) continue;
        if (section == "HEADER") {
            if (code == 9) lastVariable = value;
            else if (code == 1 && lastVariable == "$ACADVER") {
                info->versionText = value;
                info->release = releaseFromVersionText(value);
                if (want == DxfWant::Version) return true;
            }
        } else if (section == "THUMBNAILIMAGE" && want != DxfWant::Version && thumbOk) {
            if (code == 90) {
                std::from_chars(value.data(), value.data() + value.size(), thumbDeclared);
                if (thumbDeclared > kMaxPicture) thumbOk = false;
            } else if (code == 310) {
                if (value.size() % 2 || thumb.size() + value.size() / 2 > kMaxPicture) {
                    thumbOk = false;
                    continue;
                }
                for (std::size_t i = 0; i < value.size(); i += 2) {
                    int hi = hexValue(value[i]), lo = hexValue(value[i + 1]);
                    if (hi < 0 || lo < 0) {
                        thumbOk = false;
                        break;
                    }
                    thumb.push_back(std::uint8_t(hi << 4 | lo));
                }
            }
        }
    }
    if (thumbOk && !thumb.empty()) info->preview = previewFromBytes(std::move(thumb));
    if (want == DxfWant::All && payloadSeen) {
        if (payloadBad || payload.size() != payloadLength || fnv1a(payload.data(), payload.size()) != payloadSum)
            return fail(error, "damaged DXF file: database payload");
        Drawing d;
        if (!parsePayload(payload.data(), payload.size(), &d, error)) return false;
        if (path) d.fileName = *path;
        info->drawing = std::move(d);
        info->foreign = false;
    }
    return true;
}

bool readAny(const Source& src, const std::string* path, FileInfo* info, std::string* error) {
    if (headerRelease(src, nullptr) != Release::Unknown) return readDwg(src, path, info, error);
    if (looksLikeDxf(src)) return readDxf(src, DxfWant::All, path, info, error);
    *info = FileInfo{};
    return fail(error, src.size() < 6 ? "file too short to be a drawing" : "not a drawing file");
}

// ---- Writing ---------------------------------------------------------------------------------

Bytes bmpFile(const Bytes& dib) {
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, std::uint32_t(14 + dib.size()));
    put32(out, 0);
    put32(out, 14 + 40 + 256 * 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

bool writeAtomic(const std::string& path, const void* data, std::size_t size, std::string* error) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmp = dir + (dir.ends_with('/') ? "" : "/") + "." + base + ".kvtmp-XXXXXX";
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot write " + path + ": " + std::strerror(errno));
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    bool ok = true;
    while (left && ok) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else p += n, left -= std::size_t(n);
    }
    int savedErrno = errno;
    ::fchmod(fd, 0644);
    if (ok && ::fsync(fd) != 0) ok = false, savedErrno = errno;
    if (::close(fd) != 0 && ok) ok = false, savedErrno = errno;
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false, savedErrno = errno;
    if (!ok) {
        ::unlink(tmp.c_str());
        return fail(error, "cannot write " + path + ": " + std::strerror(savedErrno));
    }
    return true;
}

std::string formatNumber(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", std::isfinite(v) ? v : 0.0);
    return buf;
}

}  // namespace

// ---- Formats ------------------------------------------------------------------------------------

std::string_view versionText(Release release) {
    switch (release) {
    case Release::R10: return "AC1006";
    case Release::R12: return "AC1009";
    case Release::R13: return "AC1012";
    case Release::R14: return "AC1014";
    case Release::R2000: return "AC1015";
    case Release::R2004: return "AC1018";
    case Release::R2007: return "AC1021";
    case Release::R2010: return "AC1024";
    case Release::R2013: return "AC1027";
    case Release::R2018: return "AC1032";
    case Release::Unknown: break;
    }
    return {};
}

Release releaseFromVersionText(std::string_view text) {
    static const std::pair<std::string_view, Release> table[] = {
        {"AC1006", Release::R10},   {"AC1009", Release::R12},   {"AC1010", Release::R12},
        {"AC1011", Release::R12},   {"AC1012", Release::R13},   {"AC1013", Release::R14},
        {"AC1014", Release::R14},   {"AC1015", Release::R2000}, {"AC1018", Release::R2004},
        {"AC1021", Release::R2007}, {"AC1024", Release::R2010}, {"AC1027", Release::R2013},
        {"AC1032", Release::R2018},
    };
    for (const auto& [t, r] : table)
        if (t == text) return r;
    return Release::Unknown;
}

int formatCode(Release release) { return int(release); }

AcDb::AcDbDwgVersion dwgVersion(Release release) {
    switch (release) {
    case Release::R12: return AcDb::kDHL_1009;
    case Release::R13: return AcDb::kDHL_1012;
    case Release::R14: return AcDb::kDHL_1014;
    case Release::R2000: return AcDb::kDHL_1015;
    case Release::R2004: return AcDb::kDHL_1800;
    case Release::R2007: return AcDb::kDHL_1021;
    case Release::R2010: return AcDb::kDHL_1024;
    case Release::R2013: return AcDb::kDHL_1027;
    case Release::R2018: return AcDb::kDHL_1032;
    default: return AcDb::kDHL_Unknown;
    }
}

Release releaseOf(AcDb::AcDbDwgVersion version) {
    const int v = int(version);
    if (v >= 16 && v <= 18) return Release::R12;
    if (v == 19) return Release::R13;
    if (v == 20 || v == 21) return Release::R14;
    if (v == 22 || v == 23) return Release::R2000;
    if (v == 24 || v == 25) return Release::R2004;
    if (v == 26 || v == 27) return Release::R2007;
    if (v == 28 || v == 29) return Release::R2010;
    if (v == 30 || v == 31) return Release::R2013;
    if (v == 32 || v == 33) return Release::R2018;
    return Release::Unknown;
}

Release releaseOf(AcApDocument::SaveFormat format) {
    const int f = int(format);
    if (f == 1) return Release::R12;
    if (f == 4 || f == 5) return Release::R13;
    if (f == 8 || f == 9) return Release::R14;
    if (f >= 12 && f <= 15) return Release::R2000;
    if (f >= 24 && f <= 27) return Release::R2004;
    if (f >= 36 && f <= 39) return Release::R2007;
    if (f >= 48 && f <= 51) return Release::R2010;
    if (f >= 60 && f <= 63) return Release::R2013;
    if (f >= 64 && f <= 67) return Release::R2018;
    return Release::Unknown;
}

Kind kindOf(AcApDocument::SaveFormat format) {
    const int f = int(format);
    if (f < 0) return Kind::Dwg;
    switch (f % 4) {   // every release's formats start at a multiple of four: dwg, dxf, dwt, dws
    case 1: return Kind::Dxf;
    case 2: return Kind::Template;
    case 3: return Kind::Standard;
    default: return Kind::Dwg;
    }
}

AcApDocument::SaveFormat saveFormatFor(Release release, Kind kind) {
    int base;
    switch (release) {
    case Release::R12: return kind == Kind::Dxf ? AcApDocument::kR12_dxf : AcApDocument::kUnknown;
    case Release::R13: base = 4; break;
    case Release::R14: base = 8; break;
    case Release::R2000: base = 12; break;
    case Release::R2004: base = 24; break;
    case Release::R2007: base = 36; break;
    case Release::R2010: base = 48; break;
    case Release::R2013: base = 60; break;
    case Release::R2018: base = 64; break;
    default: return AcApDocument::kUnknown;
    }
    if ((release == Release::R13 || release == Release::R14) && (kind == Kind::Template || kind == Kind::Standard))
        return AcApDocument::kUnknown;
    return AcApDocument::SaveFormat(base + int(kind));
}

// ---- Model -----------------------------------------------------------------------------------

bool Drawing::sameContent(const Drawing& o) const {
    const AcDbSummaryInfo &a = summary, &b = o.summary;
    return saveFormat == o.saveFormat && originalVersion == o.originalVersion &&
           lastSavedAsVersion == o.lastSavedAsVersion && a.title == b.title && a.subject == b.subject &&
           a.author == b.author && a.keywords == b.keywords && a.comments == b.comments &&
           a.lastSavedBy == b.lastSavedBy && a.revisionNumber == b.revisionNumber &&
           a.hyperlinkBase == b.hyperlinkBase && a.custom == b.custom && layouts == o.layouts &&
           currentLayout == o.currentLayout && views == o.views && layerStates == o.layerStates &&
           lines == o.lines && xrefs == o.xrefs && view == o.view && numberOfSaves == o.numberOfSaves &&
           (extents == o.extents || (extents.empty() && o.extents.empty()));
}

Extents extentsOf(const std::vector<Line>& lines) {
    Extents e;
    for (const Line& l : lines)
        for (const Point3& p : {l.start, l.end}) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
            e.min = {std::min(e.min.x, p.x), std::min(e.min.y, p.y), std::min(e.min.z, p.z)};
            e.max = {std::max(e.max.x, p.x), std::max(e.max.y, p.y), std::max(e.max.z, p.z)};
        }
    return e;
}

// ---- Reading ---------------------------------------------------------------------------------

bool readDrawingFile(const std::string& path, FileInfo* info, std::string* error) {
    FileSource src(path);
    if (!src.ok()) {
        *info = FileInfo{};
        return fail(error, "cannot open " + path + ": " + std::strerror(errno));
    }
    return readAny(src, &path, info, error);
}

bool readDrawingBytes(std::span<const std::uint8_t> bytes, FileInfo* info, std::string* error) {
    MemorySource src(bytes);
    return readAny(src, nullptr, info, error);
}

bool readDxfBytes(std::span<const std::uint8_t> bytes, FileInfo* info, std::string* error) {
    MemorySource src(bytes);
    return readDxf(src, DxfWant::All, nullptr, info, error);
}

Release readRelease(const std::string& path) {
    FileSource src(path);
    if (!src.ok()) return Release::Unknown;
    Release r = headerRelease(src, nullptr);
    if (r != Release::Unknown || !looksLikeDxf(src)) return r;
    FileInfo info;
    return readDxf(src, DxfWant::Version, nullptr, &info, nullptr) ? info.release : Release::Unknown;
}

Preview readPreview(const std::string& path) {
    FileSource src(path);
    if (!src.ok()) return {};
    const Release r = headerRelease(src, nullptr);
    if (r >= Release::R13) return directoryPreview(src);
    if (r != Release::Unknown) return sidecarPreview(path).value_or(Preview{});
    FileInfo info;
    if (looksLikeDxf(src) && readDxf(src, DxfWant::Preview, nullptr, &info, nullptr)) return info.preview;
    return {};
}

bool isSimulatorFile(const std::string& path) {
    FileInfo info;
    return readDrawingFile(path, &info, nullptr) && !info.foreign;
}

std::string sidecarPath(const std::string& drawingPath) {
    return (drawingPath.size() >= 4 ? drawingPath.substr(0, drawingPath.size() - 4) : drawingPath) + ".BMP";
}

// ---- Writing ---------------------------------------------------------------------------------

std::vector<std::uint8_t> drawingBytes(const Drawing& drawing, Release release) {
    Bytes out;
    const std::string_view ver = versionText(release);
    if (ver.empty()) return out;
    putBytes(out, ver.data(), 6);
    out.resize(0x0C, 0);
    put8(out, 1);
    put32(out, 0);              // image-directory address, set below
    out.resize(0x13, 0);
    out.push_back(30);          // code page: ANSI 1252
    out.push_back(0);
    put32(out, 0);              // no section locators
    out.resize(0x1B, 0);        // CRC left zero
    putBytes(out, kHeaderSentinel, sizeof kHeaderSentinel);
    out.resize(kHeaderSize, 0);

    if (release >= Release::R13) {
        const bool png = release >= Release::R2013;
        const Image img = renderPreview(drawing, png ? kPngPreviewW : kDibPreviewW, png ? kPngPreviewH : kDibPreviewH);
        const Bytes picture = png ? encodePng(img) : encodeDib8(img);
        const std::size_t dir = out.size();
        set32(out, 0x0D, std::uint32_t(dir));
        putBytes(out, kImageStartSentinel, sizeof kImageStartSentinel);
        const std::uint32_t entries = 2;
        const std::size_t dataStart = dir + 16 + 4 + 1 + 9 * entries;
        put32(out, std::uint32_t(1 + 9 * entries + kImageHeaderDataSize + picture.size()));
        put8(out, entries);
        put8(out, 1);
        put32(out, std::uint32_t(dataStart));
        put32(out, std::uint32_t(kImageHeaderDataSize));
        put8(out, png ? 6 : 2);
        put32(out, std::uint32_t(dataStart + kImageHeaderDataSize));
        put32(out, std::uint32_t(picture.size()));
        out.resize(out.size() + kImageHeaderDataSize, 0);
        putBytes(out, picture.data(), picture.size());
        putBytes(out, kImageEndSentinel, sizeof kImageEndSentinel);
    }

    const std::string text = payloadText(drawing);
    const std::uint64_t at = out.size();
    putBytes(out, kPayloadMagic, 8);
    put32(out, kPayloadFormat);
    put32(out, std::uint32_t(text.size()));
    put32(out, fnv1a(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    putBytes(out, text.data(), text.size());
    put64(out, at);
    putBytes(out, kTrailerMagic, 8);
    return out;
}

std::string dxfText(const Drawing& drawing, Release release) {
    std::string out;
    auto pair = [&](int code, std::string_view value) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%3d", code);
        out += buf;
        out += '\n';
        out += value;
        out += '\n';
    };
    auto point = [&](int code, const Point3& p) {
        pair(code, formatNumber(p.x));
        pair(code + 10, formatNumber(p.y));
        pair(code + 20, formatNumber(p.z));
    };
    const Extents ext = drawing.extents.empty() ? extentsOf(drawing.lines) : drawing.extents;
    pair(0, "SECTION");
    pair(2, "HEADER");
    pair(9, "$ACADVER");
    pair(1, versionText(release));
    pair(9, "$EXTMIN");
    point(10, ext.empty() ? Point3{} : ext.min);
    pair(9, "$EXTMAX");
    point(10, ext.empty() ? Point3{} : ext.max);
    pair(0, "ENDSEC");
    pair(0, "SECTION");
    pair(2, "ENTITIES");
    for (const Line& l : drawing.lines) {
        pair(0, "LINE");
        pair(8, "0");
        point(10, l.start);
        point(11, l.end);
    }
    pair(0, "ENDSEC");
    if (release >= Release::R2000) {
        const Bytes dib = encodeDib8(renderPreview(drawing, kDibPreviewW, kDibPreviewH));
        pair(0, "SECTION");
        pair(2, "THUMBNAILIMAGE");
        pair(90, std::to_string(dib.size()));
        static const char digits[] = "0123456789ABCDEF";
        for (std::size_t i = 0; i < dib.size(); i += 128) {
            std::string hex;
            for (std::size_t k = i; k < std::min(dib.size(), i + 128); ++k) {
                hex += digits[dib[k] >> 4];
                hex += digits[dib[k] & 15];
            }
            pair(310, hex);
        }
        pair(0, "ENDSEC");
    }
    const std::string text = payloadText(drawing);
    char head[64];
    std::snprintf(head, sizeof head, "%u %zu %08x", kPayloadFormat, text.size(),
                  fnv1a(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    pair(999, std::string(kDxfPayloadHead) + head);
    for (std::size_t i = 0; i < text.size(); i += kDxfChunk)
        pair(999, std::string(kDxfPayloadChunk) + text.substr(i, kDxfChunk) + "|");
    pair(0, "EOF");
    return out;
}

bool writeDrawingFile(const std::string& path, const Drawing& drawing, Release release, Kind kind,
                      std::string* error) {
    if (versionText(release).empty() || release == Release::R10)
        return fail(error, "cannot write drawings in that format");
    if (::access(path.c_str(), F_OK) == 0 && !isSimulatorFile(path))
        return fail(error, path + " was written by another program; it is not replaced");
    if (kind == Kind::Dxf) {
        const std::string text = dxfText(drawing, release);
        return writeAtomic(path, text.data(), text.size(), error);
    }
    const Bytes bytes = drawingBytes(drawing, release);
    if (release == Release::R12) {
        const Bytes bmp = bmpFile(encodeDib8(renderPreview(drawing, kDibPreviewW, kDibPreviewH)));
        if (!writeAtomic(sidecarPath(path), bmp.data(), bmp.size(), error)) return false;
    }
    return writeAtomic(path, bytes.data(), bytes.size(), error);
}

}  // namespace sim::dwg
