// Preview pictures of drawing files: rendering a drawing's lines with Cairo, 8-bit DIB and PNG
// encoding, and bounds-checked decoding of the pictures other programs store.
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "sim/host/dwgfile.h"

namespace sim::dwg {
namespace {

std::uint32_t rd16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t rd32(const std::uint8_t* p) { return rd16(p) | rd16(p + 2) << 16; }
std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool fail(std::string* error, const char* text) {
    if (error) *error = text;
    return false;
}

// The fixed palette of stored previews: a 6x6x6 colour cube (index 0 black, 215 white) and 40 greys.
const std::array<std::uint32_t, 256>& palette() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (int i = 0; i < 216; ++i) {
            std::uint32_t r = (i / 36) * 51, g = ((i / 6) % 6) * 51, b = (i % 6) * 51;
            t[i] = 0xFF000000u | r << 16 | g << 8 | b;
        }
        for (int i = 216; i < 256; ++i) {
            std::uint32_t v = std::uint32_t((i - 215) * 255 / 41);
            t[i] = 0xFF000000u | v << 16 | v << 8 | v;
        }
        return t;
    }();
    return table;
}

int nearestIndex(std::uint32_t argb) {
    const auto& pal = palette();
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < 256; ++i) {
        long dr = long((argb >> 16) & 0xFF) - long((pal[i] >> 16) & 0xFF);
        long dg = long((argb >> 8) & 0xFF) - long((pal[i] >> 8) & 0xFF);
        long db = long(argb & 0xFF) - long(pal[i] & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

// Cairo surfaces hold premultiplied native-endian ARGB; ours is straight 0xAARRGGBB.
std::uint32_t unpremultiply(std::uint32_t p) {
    std::uint32_t a = p >> 24;
    if (a == 0xFF) return p;
    if (a == 0) return 0;
    auto ch = [&](int shift) { return std::min<std::uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
    return a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}
std::uint32_t premultiply(std::uint32_t p) {
    std::uint32_t a = p >> 24;
    if (a == 0xFF) return p;
    auto ch = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
    return a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

Image fromSurface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    Image img;
    img.width = cairo_image_surface_get_width(surface);
    img.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    img.pixels.resize(std::size_t(img.width) * std::size_t(img.height));
    for (int y = 0; y < img.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < img.width; ++x) {
            std::uint32_t p = row[x];
            img.pixels[std::size_t(y) * std::size_t(img.width) + std::size_t(x)] =
                format == CAIRO_FORMAT_RGB24 ? (p | 0xFF000000u) : unpremultiply(p);
        }
    }
    return img;
}

// A surface holding the image; null on failure. The caller destroys it.
cairo_surface_t* toSurface(const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < image.width; ++x)
            row[x] = premultiply(image.pixels[std::size_t(y) * std::size_t(image.width) + std::size_t(x)]);
    }
    cairo_surface_mark_dirty(s);
    return s;
}

bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

// ---- Rendering ----------------------------------------------------------------------------------

Image renderPreview(const Drawing& drawing, int width, int height) {
    width = std::clamp(width, 1, kMaxImageSide);
    height = std::clamp(height, 1, kMaxImageSide);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);

    Extents ext = extentsOf(drawing.lines);
    if (!ext.empty() && finite(ext.min) && finite(ext.max)) {
        const double margin = 4;
        const double dx = ext.max.x - ext.min.x, dy = ext.max.y - ext.min.y;
        const double availW = std::max(1.0, width - 2 * margin), availH = std::max(1.0, height - 2 * margin);
        double scale = 1;
        if (dx > 0 && dy > 0) scale = std::min(availW / dx, availH / dy);
        else if (dx > 0) scale = availW / dx;
        else if (dy > 0) scale = availH / dy;
        if (!std::isfinite(scale) || scale <= 0) scale = 1;
        const double cx = (ext.min.x + ext.max.x) / 2, cy = (ext.min.y + ext.max.y) / 2;
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 1);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        for (const Line& line : drawing.lines) {
            if (!finite(line.start) || !finite(line.end)) continue;
            cairo_move_to(cr, width / 2.0 + (line.start.x - cx) * scale, height / 2.0 - (line.start.y - cy) * scale);
            cairo_line_to(cr, width / 2.0 + (line.end.x - cx) * scale, height / 2.0 - (line.end.y - cy) * scale);
            cairo_stroke(cr);
        }
    }
    cairo_destroy(cr);
    Image img = fromSurface(surface);
    cairo_surface_destroy(surface);
    return img;
}

Image scaleToFit(const Image& image, int size) {
    size = std::clamp(size, 1, kMaxImageSide);
    if (image.width <= 0 || image.height <= 0) return image;
    const double scale = std::min(double(size) / image.width, double(size) / image.height);
    const int w = std::max(1, int(std::lround(image.width * scale)));
    const int h = std::max(1, int(std::lround(image.height * scale)));
    cairo_surface_t* src = toSurface(image);
    if (!src) return image;
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(dst);
    cairo_scale(cr, double(w) / image.width, double(h) / image.height);
    cairo_set_source_surface(cr, src, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_destroy(cr);
    Image out = fromSurface(dst);
    cairo_surface_destroy(dst);
    cairo_surface_destroy(src);
    return out;
}

// ---- Encoding -----------------------------------------------------------------------------------

std::vector<std::uint8_t> encodeDib8(const Image& image) {
    std::vector<std::uint8_t> out;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        return out;
    const std::uint32_t stride = (std::uint32_t(image.width) + 3) & ~3u;
    put32(out, 40);
    put32(out, std::uint32_t(image.width));
    put32(out, std::uint32_t(image.height));   // positive: rows bottom-up
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);                              // uncompressed
    put32(out, stride * std::uint32_t(image.height));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);                              // all 256 colours
    put32(out, 0);
    for (std::uint32_t c : palette()) {
        out.push_back(std::uint8_t(c));
        out.push_back(std::uint8_t(c >> 8));
        out.push_back(std::uint8_t(c >> 16));
        out.push_back(0);
    }
    std::unordered_map<std::uint32_t, std::uint8_t> cache;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = image.pixels[std::size_t(y) * std::size_t(image.width) + std::size_t(x)] | 0xFF000000u;
            auto it = cache.find(p);
            if (it == cache.end()) it = cache.emplace(p, std::uint8_t(nearestIndex(p))).first;
            out.push_back(it->second);
        }
        for (std::uint32_t x = std::uint32_t(image.width); x < stride; ++x) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> encodePng(const Image& image) {
    std::vector<std::uint8_t> out;
    cairo_surface_t* s = toSurface(image);
    if (!s) return out;
    cairo_surface_write_to_png_stream(
        s,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* v = static_cast<std::vector<std::uint8_t>*>(closure);
            v->insert(v->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &out);
    cairo_surface_destroy(s);
    return out;
}

// ---- Decoding -----------------------------------------------------------------------------------

std::optional<Image> decodeDib(std::span<const std::uint8_t> dib, std::string* error,
                               std::optional<std::size_t> bitsOffset) {
    const std::uint64_t size = dib.size();
    if (size < 12) return fail(error, "bitmap header truncated"), std::nullopt;
    const std::uint8_t* d = dib.data();
    const std::uint32_t headerSize = rd32(d);
    std::int64_t width, height;
    std::uint32_t bits, compression = 0, colorsUsed = 0, entrySize = 4;
    if (headerSize == 12) {   // OS/2 core header
        width = rd16(d + 4);
        height = std::int16_t(rd16(d + 6));
        bits = rd16(d + 10);
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= size) {
        width = std::int32_t(rd32(d + 4));
        height = std::int32_t(rd32(d + 8));
        bits = rd16(d + 14);
        compression = rd32(d + 16);
        colorsUsed = rd32(d + 32);
    } else {
        return fail(error, "not a bitmap information header"), std::nullopt;
    }
    const bool topDown = height < 0;
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return fail(error, "bitmap size out of range"), std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(error, "unsupported bitmap depth"), std::nullopt;
    const bool bitfields = compression == 3 && (bits == 16 || bits == 32);
    if (compression != 0 && !bitfields) return fail(error, "compressed bitmaps are not supported"), std::nullopt;
    if (colorsUsed > 256) return fail(error, "bitmap colour table too large"), std::nullopt;

    std::uint64_t tableStart = headerSize;
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (bitfields) {
        const std::uint64_t at = 40;   // after the 40-byte part (inside larger headers)
        if (at + 12 > size) return fail(error, "bitmap masks truncated"), std::nullopt;
        for (int i = 0; i < 3; ++i) masks[i] = rd32(d + at + 4 * i);
        if (headerSize == 40) tableStart += 12;
    }
    std::uint64_t colors = colorsUsed;
    if (bits <= 8) {
        if (colors == 0 || colors > (1u << bits)) colors = 1u << bits;
    }
    const std::uint64_t tableEnd = tableStart + colors * entrySize;
    if (tableEnd > size) return fail(error, "bitmap colour table truncated"), std::nullopt;
    const std::uint64_t bitsStart = bitsOffset ? std::uint64_t(*bitsOffset) : tableEnd;
    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    if (bitsStart > size || stride * std::uint64_t(height) > size - bitsStart)
        return fail(error, "bitmap bits truncated"), std::nullopt;

    std::vector<std::uint32_t> pal(256, 0xFF000000u);
    if (bits <= 8)
        for (std::uint64_t i = 0; i < colors; ++i) {
            const std::uint8_t* e = d + tableStart + i * entrySize;
            pal[i] = 0xFF000000u | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
        }
    auto channel = [](std::uint32_t v, std::uint32_t mask) -> std::uint32_t {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        std::uint32_t m = mask >> shift, value = (v & mask) >> shift;
        return std::uint32_t((std::uint64_t(value) * 255 + m / 2) / m);
    };

    Image img;
    img.width = int(width);
    img.height = int(height);
    img.pixels.resize(std::size_t(width) * std::size_t(height));
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* src = d + bitsStart + stride * std::uint64_t(row);
        const std::int64_t y = topDown ? row : height - 1 - row;
        std::uint32_t* dst = img.pixels.data() + std::size_t(y) * std::size_t(width);
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t p;
            switch (bits) {
            case 1: p = pal[(src[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: p = pal[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
            case 8: p = pal[src[x]]; break;
            case 16: {
                std::uint32_t v = rd16(src + 2 * x);
                p = 0xFF000000u | channel(v, masks[0]) << 16 | channel(v, masks[1]) << 8 | channel(v, masks[2]);
                break;
            }
            case 24: p = 0xFF000000u | std::uint32_t(src[3 * x + 2]) << 16 | std::uint32_t(src[3 * x + 1]) << 8 | src[3 * x]; break;
            default: {
                std::uint32_t v = rd32(src + 4 * x);
                p = 0xFF000000u | channel(v, masks[0]) << 16 | channel(v, masks[1]) << 8 | channel(v, masks[2]);
            }
            }
            dst[x] = p;
        }
    }
    return img;
}

std::optional<Image> decodePng(std::span<const std::uint8_t> png, std::string* error) {
    static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (png.size() < 33 || std::memcmp(png.data(), sig, 8) != 0 || std::memcmp(png.data() + 12, "IHDR", 4) != 0)
        return fail(error, "not a PNG image"), std::nullopt;
    // Check the size before the decoder allocates for it.
    const std::uint32_t w = be32(png.data() + 16), h = be32(png.data() + 20);
    if (w == 0 || h == 0 || w > std::uint32_t(kMaxImageSide) || h > std::uint32_t(kMaxImageSide))
        return fail(error, "PNG size out of range"), std::nullopt;
    struct Reader {
        std::span<const std::uint8_t> data;
        std::size_t pos = 0;
    } reader{png};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* out, unsigned int length) {
            auto* r = static_cast<Reader*>(closure);
            if (length > r->data.size() - r->pos) return CAIRO_STATUS_READ_ERROR;
            std::memcpy(out, r->data.data() + r->pos, length);
            r->pos += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return fail(error, "damaged PNG image"), std::nullopt;
    }
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        // Other formats (16-bit, float) are converted by painting onto an ARGB surface.
        const int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
        cairo_surface_t* conv = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sw, sh);
        cairo_t* cr = cairo_create(conv);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(s);
        s = conv;
        if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(s);
            return fail(error, "damaged PNG image"), std::nullopt;
        }
    }
    Image img = fromSurface(s);
    cairo_surface_destroy(s);
    return img;
}

std::optional<Image> decodePreview(const Preview& preview, std::string* error) {
    switch (preview.type) {
    case PreviewType::Dib: return decodeDib(preview.data, error);
    case PreviewType::Png: return decodePng(preview.data, error);
    case PreviewType::None: break;
    }
    if (error) *error = "no preview";
    return std::nullopt;
}

std::optional<Preview> previewFromBmpFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const std::uint32_t offBits = rd32(bytes.data() + 10);
    auto dib = bytes.subspan(14);
    std::optional<std::size_t> bitsOffset;
    if (offBits >= 14 + 12 && offBits < bytes.size()) bitsOffset = offBits - 14;
    // Normalise to a packed DIB so that every reader of the preview can take it as it stands.
    auto img = decodeDib(dib, nullptr, bitsOffset);
    if (!img) return std::nullopt;
    Preview p;
    p.type = PreviewType::Dib;
    const std::uint32_t headerSize = rd32(dib.data());
    const std::uint32_t bits = headerSize == 12 ? rd16(dib.data() + 10) : rd16(dib.data() + 14);
    if (headerSize == 40 && bits == 8 && (!bitsOffset || *bitsOffset == 40 + 1024) && rd32(dib.data() + 32) == 0 &&
        rd32(dib.data() + 16) == 0)
        p.data.assign(dib.begin(), dib.end());
    else
        p.data = encodeDib8(*img);
    return p;
}

}  // namespace sim::dwg
