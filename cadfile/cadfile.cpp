#include "cadfile/cadfile.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "core/app_state.h"
#include "core/paths.h"
#include "core/text.h"
#include "res/resource.h"
#include "win/module.h"

namespace {

// The largest picture block taken from a file: a 4096 by 4096 bitmap at 32 bits per pixel.
constexpr std::uint64_t kMaxImageBlock = std::uint64_t(4096) * 4096 * 4 + 4096;

std::uint32_t rd32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t rd16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

}   // namespace

// A file opened for bounded reads: every read either gets all its bytes or fails.
class KvBoundedReader {
public:
    explicit KvBoundedReader(const std::string& path) : in_(path, std::ios::binary) {
        if (!in_) return;
        in_.seekg(0, std::ios::end);
        const std::streamoff end = in_.tellg();
        size_ = end > 0 ? std::uint64_t(end) : 0;
        in_.seekg(0);
        ok_ = bool(in_);
    }
    bool ok() const { return ok_; }
    std::uint64_t size() const { return size_; }
    bool seek(std::uint64_t at) {
        if (!ok_ || at > size_) return false;
        in_.seekg(std::streamoff(at));
        pos_ = at;
        return bool(in_);
    }
    bool read(void* into, std::uint64_t count) {
        if (!ok_ || count > size_ - pos_) return false;
        in_.read(static_cast<char*>(into), std::streamsize(count));
        if (std::uint64_t(in_.gcount()) != count) return false;
        pos_ += count;
        return true;
    }
    bool read8(std::uint8_t* v) { return read(v, 1); }
    bool read32(std::uint32_t* v) {
        std::uint8_t b[4];
        if (!read(b, 4)) return false;
        *v = rd32(b);
        return true;
    }

private:
    std::ifstream in_;
    std::uint64_t size_ = 0, pos_ = 0;
    bool ok_ = false;
};

CCadFile::~CCadFile() {
    if (bitmap_) DeleteObject(bitmap_);
}

HBITMAP CCadFile::DetachBitmap() {
    HBITMAP b = bitmap_;
    bitmap_ = nullptr;
    return b;
}

void CCadFile::attach(HBITMAP bitmap) {
    if (bitmap_ && bitmap_ != bitmap) DeleteObject(bitmap_);
    bitmap_ = bitmap;
}

int CCadFile::FamilyOfPath(const std::string& path) {
    const std::string lower = FoldCase(path);
    for (const char* ext : {".dwg", ".dwt", ".sv$"})
        if (lower.find(ext) != std::string::npos) return kFamilyHost;
    for (const char* ext : {".flx", ".elt"})
        if (lower.find(ext) != std::string::npos) return kFamilyFelix;
    return kFamilyUnknown;
}

std::uint32_t CCadFile::HostVersionCode(const char header[7]) {
    static const struct {
        const char* text;
        std::uint32_t code;
    } kCodes[] = {
        {"AC1009", 2}, {"AC1012", 3}, {"AC1013", 4}, {"AC1014", 4}, {"AC1015", 5},
        {"AC1018", 6}, {"AC1021", 7}, {"AC1024", 8}, {"AC1027", 9},
    };
    // Compared as text: the seventh byte ends it (0 in real files).
    const std::string text(header, strnlen(header, 7));
    for (const auto& c : kCodes)
        if (text == c.text) return c.code;
    return 0;
}

std::uint32_t CCadFile::FelixVersionCode(const std::uint8_t header[88]) {
    const std::uint8_t version = header[1];
    const char* sig = reinterpret_cast<const char*>(header + 2);
    const std::size_t room = 88 - 2;
    // The signature must end inside the header to be compared as text.
    const std::size_t len = strnlen(sig, room);
    const std::string text(sig, len);
    const bool ended = len < room;
    if (ended && text == "FCAD 24.05.95" && version == 2) return 2;
    if (ended && text == "FCAD 97" && (version == 3 || version == 4)) return version;
    if (ended && text == "FCAD 99" && version == 6) return 6;
    if (ended && text == "FCAD 2000" && version == 8) return 8;
    return 0;
}

std::string CCadFile::SidecarPath(const std::string& path) {
    return (path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string()) + ".BMP";
}

void CCadFile::detect(KvBoundedReader& in) {
    family_ = FamilyOfPath(path_);
    version_ = 0;
    if (!in.seek(0)) return;
    if (family_ == kFamilyHost) {
        char header[7] = {};
        if (in.read(header, 7)) version_ = HostVersionCode(header);
    } else if (family_ == kFamilyFelix) {
        std::uint8_t header[88];
        if (in.read(header, sizeof header)) version_ = FelixVersionCode(header);
    }
}

int CCadFile::ReadInformation() {
    try {
        KvBoundedReader in(path_);
        detect(in);
        for (auto& s : summary) s.clear();
        return family_ != kFamilyUnknown ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int CCadFile::ReadPreview() {
    try {
        sidecar_ = 0;
        KvBoundedReader in(path_);
        detect(in);
        if (family_ == kFamilyHost) return readHostPreview(in);
        if (family_ == kFamilyFelix) return readFelixPreview(in);
        return 0;
    } catch (...) {
        // Errors of the file layer end the read; they never reach the caller.
        return 0;
    }
}

int CCadFile::loadSidecar(bool placeholder) {
    const std::string wanted = SidecarPath(path_);
    const PathParts parts = SplitPath(wanted);
    // The picture's name matches without regard to letter case, as on the host's file system.
    int result = 0;
    HBITMAP picture = nullptr;
    if (auto found = FindFileNoCase(parts.folder, parts.name + parts.extension)) picture = KvLoadBitmapFile(*found);
    if (picture) result = 1;
    if (!picture && placeholder && (picture = LoadBitmap(App().ownModule, IDB_NO_PREVIEW))) result = 2;
    if (!picture) return 0;
    attach(picture);
    BITMAP info;
    if (GetObject(picture, &info)) width_ = info.bmWidth, height_ = info.bmHeight;
    return result;
}

int CCadFile::readHostPreview(KvBoundedReader& in) {
    if (version_ == 2) {
        // Release 11/12 drawings carry no image: the picture beside the drawing, else the placeholder.
        const int from = loadSidecar(true);
        sidecar_ = from == 1 ? 1 : 0;
        return from ? 1 : 0;
    }
    if (version_ < 3 || version_ > 8) return 0;

    std::uint32_t dir = 0, start = 0, size = 0, overall = 0;
    std::uint8_t count = 0, code = 0, sentinel[16];
    {
        if (!in.seek(13) || !in.read32(&dir) || !in.seek(dir)) return 0;
        if (!in.read(sentinel, sizeof sentinel) || !in.read32(&overall) || !in.read8(&count)) return 0;
        if (count == 1) {
            // Only the header entry: the picture beside the drawing, without a placeholder.
            loadSidecar(false);
            sidecar_ = 1;
            return 1;
        }
        if (count != 2) return 0;
        if (!in.read8(&code) || !in.read32(&start) || !in.read32(&size)) return 0;
        if (code != 1) {
            loadSidecar(false);
            sidecar_ = 1;
            return 1;
        }
        if (!in.read8(&code)) return 0;
        if (code != 2) {
            loadSidecar(false);
            sidecar_ = 1;
            return 1;
        }
        if (!in.read32(&start) || !in.read32(&size)) return 0;
    }
    return loadImageAt(in, start, size);
}

int CCadFile::readFelixPreview(KvBoundedReader& in) {
    if (version_ != 2 && version_ != 3 && version_ != 4 && version_ != 6 && version_ != 8) return 0;
    std::uint8_t header[88], block[248];
    if (!in.seek(0) || !in.read(header, sizeof header) || !in.read(block, sizeof block)) return 0;
    return loadImageAt(in, rd32(block), rd32(block + 4));
}

int CCadFile::loadImageAt(KvBoundedReader& in, std::uint64_t start, std::uint64_t size) {
    if (size == 0) return 1;   // no picture stored: nothing to show, nothing wrong
    if (!in.ok() || size > kMaxImageBlock || start > in.size() || size > in.size() - start) return 0;
    std::vector<std::uint8_t> block(size);
    if (!in.seek(start) || !in.read(block.data(), size)) return 0;
    return LoadImageBlock(block.data(), block.size());
}

int CCadFile::LoadImageBlock(const std::uint8_t* block, std::size_t size) {
    if (size == 0) return 1;
    if (!block || size < 40) return 0;
    std::vector<std::uint8_t> dib(block, block + size);
    std::uint8_t* d = dib.data();
    const std::uint32_t headerSize = rd32(d);
    if (headerSize < 40 || headerSize > size) return 0;
    width_ = std::int32_t(rd32(d + 4));
    height_ = std::int32_t(rd32(d + 8));
    const std::uint16_t bitCount = rd16(d + 14);
    const std::uint32_t compression = rd32(d + 16);
    const std::uint32_t colorsUsed = rd32(d + 32);

    // Where the pixel bits start: after the colour table (and the three masks of bit fields).
    std::uint64_t colors = colorsUsed;
    if (colors == 0 && bitCount <= 8) colors = std::uint64_t(1) << bitCount;
    std::uint64_t bitsAt = headerSize + colors * 4;
    if (bitCount > 8 && compression == 3) bitsAt += 12;
    if (bitsAt > size) return 0;

    // White and the background trade places, unless the picture already shares a component
    // with the background in its first colour. Only the entries the block holds are walked.
    if (bitCount <= 8 && colors > 0) {
        std::uint8_t* table = d + headerSize;   // blue, green, red, reserved
        const std::uint8_t r = bg_[0], g = bg_[1], b = bg_[2];
        if (table[2] != r && table[1] != g && table[0] != b) {
            for (std::uint64_t i = 0; i < colors; ++i) {
                std::uint8_t* e = table + i * 4;
                if (e[0] == 255 && e[1] == 255 && e[2] == 255) {
                    e[0] = b, e[1] = g, e[2] = r;
                } else if (e[0] == b && e[1] == g && e[2] == r) {
                    e[0] = e[1] = e[2] = 255;
                }
            }
        }
    }
    HBITMAP bitmap = KvCreateDIBitmap(d, std::size_t(bitsAt), d + bitsAt, std::size_t(size - bitsAt));
    if (!bitmap) return 0;
    attach(bitmap);
    return 1;
}
