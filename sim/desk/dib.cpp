// Device-independent bitmaps into bitmap handles: CreateDIBitmap from memory and LoadImage of a
// ".BMP" file. Both go through the drawing-file picture decoders, which bound every read.
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "sim/gfx/canvas.h"
#include "sim/host/dwgfile.h"

namespace {
HBITMAP toBitmap(const std::optional<sim::dwg::Image>& img) {
    return img ? KvCreateBitmap(img->width, img->height, img->pixels.data()) : nullptr;
}
}  // namespace

HBITMAP KvCreateDIBitmap(const BYTE* info, std::size_t infoSize, const BYTE* bits, std::size_t bitsSize) {
    if (!info || infoSize < 12 || (!bits && bitsSize)) return nullptr;
    std::vector<std::uint8_t> dib(info, info + infoSize);
    if (bits) dib.insert(dib.end(), bits, bits + bitsSize);
    return toBitmap(sim::dwg::decodeDib(dib, nullptr, infoSize));
}

HBITMAP KvLoadBitmapFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    // A bitmap of 4096 by 4096 pixels at 32 bits is the largest the decoders take.
    if (size <= 0 || size > (std::streamoff(4096) * 4096 * 4 + 4096)) return nullptr;
    in.seekg(0);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // File header: "BM", file size, two reserved words, offset of the bits from the file's start.
    if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
    const std::size_t offBits = std::size_t(bytes[10]) | std::size_t(bytes[11]) << 8 | std::size_t(bytes[12]) << 16 |
                                std::size_t(bytes[13]) << 24;
    std::optional<std::size_t> bitsOffset;
    if (offBits >= 14 + 12 && offBits < bytes.size()) bitsOffset = offBits - 14;
    return toBitmap(sim::dwg::decodeDib(std::span<const std::uint8_t>(bytes).subspan(14), nullptr, bitsOffset));
}

HBITMAP KvCreateBitmapFromCanvas(HDC dc) {
    int w = 0, h = 0;
    const auto pixels = sim::gfx::canvasPixels(dc, &w, &h);
    if (w < 1 || h < 1 || pixels.size() != std::size_t(w) * std::size_t(h)) return nullptr;
    std::vector<std::uint32_t> opaque(pixels);
    for (auto& p : opaque) p |= 0xFF000000u;
    return KvCreateBitmap(w, h, opaque.data());
}
