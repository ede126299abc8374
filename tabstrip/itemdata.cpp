#include "tabstrip/itemdata.h"

#include "core/paths.h"
#include "core/text.h"

int KvFileTypeOf(const std::string& extension) {
    if (EqualsNoCase(extension, ".dwg")) return kFileTypeDwg;
    if (EqualsNoCase(extension, ".dxf")) return kFileTypeDxf;
    if (EqualsNoCase(extension, ".dws")) return kFileTypeDws;
    if (EqualsNoCase(extension, ".dwt")) return kFileTypeDwt;
    return kFileTypeOther;
}

CItemData::~CItemData() {
    if (thumbnail) DeleteObject(thumbnail);
}

std::string KvShortenCaption(const std::string& name, int maxChars) {
    size_t end = 0;
    int chars = 0;
    while (end < name.size() && chars < maxChars) {
        ++end;
        while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) ++end;
        ++chars;
    }
    return end < name.size() ? name.substr(0, end) + "..." : name;
}

std::string KvTabCaption(const std::string& path, bool showExtension, bool maxCharUse, int maxChars) {
    const PathParts parts = SplitPath(path);
    std::string caption = "####" + (maxCharUse ? KvShortenCaption(parts.name, maxChars) : parts.name);
    if (showExtension) caption += parts.extension;
    return caption;
}
