// What the tab strip prepares for a tab's tooltip: the preview picture of the item's file (with
// its format and size band), the description from the drawing's summary information, and the
// markup handed to the tooltip window.
#pragma once
#include <cstdint>
#include <string>
#include "arx/docman.h"
#include "tabstrip/itemdata.h"
#include "uikit/tooltip.h"

// The preview canvas.
constexpr int kPreviewWidth = 200;
constexpr int kPreviewHeight = 180;

// "1023 Bytes", "1.00 KB", "1.00 MB", "1.00 GB".
std::string FormatFileSize(std::uint64_t bytes);
// The exact count with the user locale's digit grouping ("1,048,576").
std::string KvGroupedNumber(std::uint64_t n);
// The band's format line for a thumbnail-library format code; empty for codes outside 0 to 10.
std::string KvFormatLine(int formatCode);

// The preview of a raw picture on the 200 by 180 canvas: fitted and centred in the picture area,
// with the format and size band below it when `band`. The raw picture stays the caller's.
HBITMAP KvComposePreview(HBITMAP raw, int formatCode, std::uint64_t fileSize, bool band);
// The picture of a file without a preview: the resource picture with its four lines of text.
HBITMAP KvPlaceholderPicture();

// Fills item->thumbnail (and, for drawing files, item->versionCode) from the file at `path`.
void MakeItemThumbnail(CItemData* item, const std::string& path, bool band);
// The description text from a drawing's summary information.
std::string MakeDescription(AcDbDatabase* db);

// The tooltip markup of a tab (index counted from 0 among count tabs).
std::string KvTooltipMarkup(const CItemData& item, int index, int count, bool showDesc, bool showThumbnail);
// Where the tooltip goes for a pointer (screen) by the side the bar is docked to.
struct KvTooltipPlacement {
    kvui::TooltipAnchor anchor;
    POINT at;
};
KvTooltipPlacement KvPlaceTooltip(int dockSide, POINT pointer);
