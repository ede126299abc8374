// Image lists: each picture is kept as a bitmap of its own, with the mask colour turned into
// transparent pixels when it is added.
#include <map>
#include <memory>
#include <mutex>
#include <vector>
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "win/imagelist.h"

struct _IMAGELIST {
    int cx = 0, cy = 0;
    int grow = 4;
    std::vector<HBITMAP> pictures;   // owned
};

namespace {

std::mutex gMutex;
std::map<HIMAGELIST, std::unique_ptr<_IMAGELIST>>& lists() {
    static std::map<HIMAGELIST, std::unique_ptr<_IMAGELIST>> m;
    return m;
}

_IMAGELIST* find(HIMAGELIST h) {
    auto it = lists().find(h);
    return it == lists().end() ? nullptr : it->second.get();
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT /*flags*/, int initial, int grow) {
    if (cx < 1 || cy < 1) return nullptr;
    auto list = std::make_unique<_IMAGELIST>();
    list->cx = cx;
    list->cy = cy;
    list->grow = grow > 0 ? grow : 4;
    list->pictures.reserve(size_t(initial > 0 ? initial : 0));
    HIMAGELIST h = list.get();
    std::lock_guard lock(gMutex);
    lists()[h] = std::move(list);
    return h;
}

BOOL ImageList_Destroy(HIMAGELIST h) {
    std::unique_ptr<_IMAGELIST> list;
    {
        std::lock_guard lock(gMutex);
        auto it = lists().find(h);
        if (it == lists().end()) return FALSE;
        list = std::move(it->second);
        lists().erase(it);
    }
    for (HBITMAP b : list->pictures) DeleteObject(b);
    return TRUE;
}

int ImageList_AddMasked(HIMAGELIST h, HBITMAP bitmap, COLORREF mask) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    if (!KvGetBitmapPixels(bitmap, &width, &height, &pixels)) return -1;
    std::lock_guard lock(gMutex);
    _IMAGELIST* list = find(h);
    if (!list || width < list->cx) return -1;
    const std::uint32_t key = 0xFF000000u | (std::uint32_t(GetRValue(mask)) << 16) |
                              (std::uint32_t(GetGValue(mask)) << 8) | GetBValue(mask);
    const int first = int(list->pictures.size());
    for (int left = 0; left + list->cx <= width; left += list->cx) {
        std::vector<std::uint32_t> one(size_t(list->cx) * size_t(list->cy), 0);
        for (int y = 0; y < list->cy && y < height; ++y) {
            for (int x = 0; x < list->cx; ++x) {
                const std::uint32_t p = pixels[size_t(y) * size_t(width) + size_t(left + x)];
                one[size_t(y) * size_t(list->cx) + size_t(x)] = (p | 0xFF000000u) == key ? 0 : p;
            }
        }
        if (list->pictures.size() == list->pictures.capacity())
            list->pictures.reserve(list->pictures.size() + size_t(list->grow));
        list->pictures.push_back(KvCreateBitmap(list->cx, list->cy, one.data()));
    }
    return first;
}

int ImageList_GetImageCount(HIMAGELIST h) {
    std::lock_guard lock(gMutex);
    _IMAGELIST* list = find(h);
    return list ? int(list->pictures.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST h, int* cx, int* cy) {
    std::lock_guard lock(gMutex);
    _IMAGELIST* list = find(h);
    if (!list) return FALSE;
    if (cx) *cx = list->cx;
    if (cy) *cy = list->cy;
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST h, int index, HDC dc, int x, int y, UINT /*style*/) {
    HBITMAP picture = nullptr;
    {
        std::lock_guard lock(gMutex);
        _IMAGELIST* list = find(h);
        if (!list || index < 0 || size_t(index) >= list->pictures.size()) return FALSE;
        picture = list->pictures[size_t(index)];
    }
    return KvDrawBitmap(dc, x, y, picture, KVBMP_NORMAL);
}
