// The bitmap handle table. Handles are plain numbers handed out by the table and never
// dereferenced: a stale or forged handle is simply not found. Values stay below 2^32 so that a
// handle printed with "%X" names it completely.
#include "sim/gfx/bitmaps.h"

#include <charconv>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Larger bitmaps are refused rather than allocated (64 M pixels, 256 MB).
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 26;

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, Bitmap> bitmaps;
    std::uintptr_t next = 0x0B0010;
};

Table& table() {
    static Table* t = new Table;   // never destroyed: handles may be released during exit
    return *t;
}

std::uintptr_t key(HBITMAP bitmap) { return reinterpret_cast<std::uintptr_t>(bitmap); }

}  // namespace

HBITMAP KvCreateBitmap(int width, int height, const std::uint32_t* pixels) {
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxPixels) return nullptr;
    Bitmap bm;
    bm.width = width;
    bm.height = height;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    if (pixels) bm.pixels.assign(pixels, pixels + count);
    else bm.pixels.assign(count, 0xFF000000u);
    Table& t = table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t id = t.next;
    do {
        id += 4;
        if (id > 0xFFFFFFF0u) id = 0x0B0014;
    } while (t.bitmaps.count(id));
    t.next = id;
    t.bitmaps.emplace(id, std::move(bm));
    return reinterpret_cast<HBITMAP>(id);
}

bool KvGetBitmapPixels(HBITMAP bitmap, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.bitmaps.find(key(bitmap));
    if (it == t.bitmaps.end()) return false;
    if (width) *width = it->second.width;
    if (height) *height = it->second.height;
    if (pixels) *pixels = it->second.pixels;
    return true;
}

BOOL DeleteObject(HBITMAP bitmap) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.bitmaps.erase(key(bitmap)) ? TRUE : FALSE;
}

int GetObject(HBITMAP bitmap, BITMAP* info) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.bitmaps.find(key(bitmap));
    if (it == t.bitmaps.end()) return 0;
    if (info) {
        info->bmWidth = it->second.width;
        info->bmHeight = it->second.height;
        info->bmBitsPixel = 32;
    }
    return int(sizeof(BITMAP));
}

namespace sim::gfx {

HBITMAP bitmapFromHex(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty()) return nullptr;
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0) return nullptr;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (!t.bitmaps.count(std::uintptr_t(value))) return nullptr;
    return reinterpret_cast<HBITMAP>(std::uintptr_t(value));
}

std::size_t liveBitmapCount() {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.bitmaps.size();
}

}  // namespace sim::gfx
