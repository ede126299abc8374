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

void CItemData::SetPathName(std::string path) {
    pathName = std::move(path);
    sortNameCurrent_ = false;
}

const std::string& CItemData::SortName() const {
    if (!sortNameCurrent_) {
        sortName_ = FoldCase(SplitPath(pathName).name);
        sortNameCurrent_ = true;
    }
    return sortName_;
}

std::string KvTabPath(const CItemData& item) { return item.drawingDoc ? item.drawingDoc->fileName() : item.pathName; }

std::string KvShortenCaption(const std::string& name, int maxChars) {
    if (maxChars < 0 || CharCount(name) <= size_t(maxChars)) return name;
    return std::string(CharSubstr(name, 0, size_t(maxChars))) + "...";
}

std::string KvCaptionText(const std::string& path, bool showExtension, bool maxCharUse, int maxChars) {
    const PathParts parts = SplitPath(path);
    std::string text = maxCharUse ? KvShortenCaption(parts.name, maxChars) : parts.name;
    if (showExtension) text += parts.extension;
    return text;
}

std::string KvTabCaption(const std::string& path, bool showExtension, bool maxCharUse, int maxChars) {
    return "####" + KvCaptionText(path, showExtension, maxCharUse, maxChars);
}
