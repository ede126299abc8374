// Display colours of the editor and the DXF thumbnail reader.
#include "sim/host/colors.h"

#include "gfx/bitmap.h"
#include "sim/host/dwgfile.h"

namespace sim::host {
DisplayColors& displayColors() {
    static DisplayColors colors;
    return colors;
}
}  // namespace sim::host

bool acedGetCurrentColors(AcColorSettings* settings) {
    const auto& c = sim::host::displayColors();
    if (!settings || c.fail) return false;
    *settings = c.colors;
    return true;
}

HBITMAP acdbGetThumbnailBitmapFromDxfFile(const std::string& path) {
    sim::dwg::FileInfo info;
    std::string error;
    if (!sim::dwg::readDrawingFile(path, &info, &error) || !info.dxf) return nullptr;
    const auto img = sim::dwg::decodePreview(info.preview);
    return img ? KvCreateBitmap(img->width, img->height, img->pixels.data()) : nullptr;
}

HBITMAP acdbGetPreviewBitmapFromDwg(const std::string& path) {
    const auto img = sim::dwg::decodePreview(sim::dwg::readPreview(path));
    return img ? KvCreateBitmap(img->width, img->height, img->pixels.data()) : nullptr;
}
