#include "tabstrip/fileinfo.h"

#include <cstdio>
#include <filesystem>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/thumbnails.h"
#include "core/strings.h"
#include "core/text.h"
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "res/resource.h"
#include "tabstrip/tabctrl.h"
#include "uikit/markup.h"
#include "win/module.h"
#include "win/system.h"

namespace {

constexpr const char* kPreviewFace = "Tahoma";

HFONT previewFont(bool bold, int height = 10) {
    LOGFONT lf;
    lf.lfHeight = -height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfFaceName = kPreviewFace;
    return CreateFontIndirect(&lf);
}

// One line of the band, whole: a line too long for the band at 10 pixels is drawn smaller, down to
// 8 pixels, and only then cut with an ellipsis. The face may be wider than the band was made for.
void drawBandLine(HDC dc, const std::string& text, RECT r, bool bold) {
    constexpr int kLargest = 10, kSmallest = 8;
    for (int height = kLargest;; --height) {
        HFONT font = previewFont(bold, height);
        const bool fits = KvGetTextExtent(dc, font, text).cx <= r.right - r.left;
        if (fits || height == kSmallest) {
            DrawText(dc, text, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_END_ELLIPSIS, font,
                     RGB(128, 0, 0));
            DeleteObject(font);
            return;
        }
        DeleteObject(font);
    }
}

// The background a preview is drawn for: the model-space or layout background of the editor.
COLORREF currentBackground() {
    AcColorSettings colours;
    if (!acedGetCurrentColors(&colours)) {
        MessageBox(acedGetAcadFrame(), "Error in acedGetCurrentColors", "Korvane", MB_OK | MB_ICONERROR);
        return RGB(0, 0, 0);
    }
    resbuf rb;
    const bool model =
        acedGetVar("CTAB", &rb) == RTNORM && rb.restype == RTSTR && EqualsNoCase(rb.resval.rstring, "MODEL");
    return COLORREF(model ? colours.dwGfxModelBkColor : colours.dwGfxLayoutBkColor);
}

}   // namespace

std::string FormatFileSize(std::uint64_t n) {
    char text[64];
    if (n < 1024) std::snprintf(text, sizeof text, "%llu Bytes", static_cast<unsigned long long>(n));
    else if (n < 1048576) std::snprintf(text, sizeof text, "%0.2f KB", double(n) / 1024);
    else if (n < 1073741824) std::snprintf(text, sizeof text, "%0.2f MB", double(n) / 1048576);
    else std::snprintf(text, sizeof text, "%0.2f GB", double(n) / 1073741824);
    return text;
}

std::string KvGroupedNumber(std::uint64_t n) {
    NUMBERFMT format;
    format.NumDigits = 0;
    GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, &format.lpDecimalSep);
    GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, &format.lpThousandSep);
    std::string out;
    if (!GetNumberFormat(LOCALE_USER_DEFAULT, 0, std::to_string(n), &format, &out)) return std::to_string(n);
    return out;
}

std::string KvFormatLine(int code) {
    static const char* kNames[] = {
        "NONE",
        "Release 10",
        "Release 11/12",
        "Release 13",
        "Release 14",
        "AutoCAD 2000/2000i/2002",
        "AutoCAD 2004/2005/2006",
        "AutoCAD 2007/2008/2009",
        "AutoCAD 2010/2011/2012",
        "AutoCAD 2013/~/2017",
        "AutoCAD 2018",
    };
    if (code < 0 || code > 10) return "";
    return std::string("Version : ") + kNames[code];
}

HBITMAP KvComposePreview(HBITMAP raw, int formatCode, std::uint64_t fileSize, bool band) {
    const int w = kPreviewWidth, h = kPreviewHeight;
    const int areaHeight = h * (band ? 80 : 99) / 100;
    HDC dc = KvCreateBufferDC(nullptr, w, h);
    if (!dc) return nullptr;
    FillSolidRect(dc, RECT{0, 0, w, h}, RGB(255, 255, 255));
    // The picture fitted into the area, centred; what it leaves uncovered is grey.
    const RECT area{0, 0, w, areaHeight};
    FillSolidRect(dc, area, RGB(192, 192, 192));
    BITMAP info;
    if (raw && GetObject(raw, &info) && info.bmWidth > 0 && info.bmHeight > 0) {
        const double scale = std::min(double(w) / info.bmWidth, double(areaHeight) / info.bmHeight);
        const int pw = std::max(1, int(info.bmWidth * scale + 0.5)), ph = std::max(1, int(info.bmHeight * scale + 0.5));
        const int px = (w - pw) / 2, py = (areaHeight - ph) / 2;
        KvDrawBitmap(dc, px, py, pw, ph, raw, 0, 0, info.bmWidth, info.bmHeight, KVBMP_NORMAL);
    }
    if (band) {
        FillSolidRect(dc, RECT{0, areaHeight, w, h}, RGB(211, 211, 211));
        const int s = (h - areaHeight) / 3 - 1;
        const std::string format = KvFormatLine(formatCode);
        if (!format.empty()) drawBandLine(dc, format, RECT{2, h - 3 * s, w - 2, h - 2 * s}, true);
        const std::string size = "Size : " + FormatFileSize(fileSize) + " (" + KvGroupedNumber(fileSize) + " Bytes)";
        drawBandLine(dc, size, RECT{2, h - 2 * s, w - 2, h - s}, false);
    }
    KvFrameRect(dc, RECT{0, 0, w, h}, KVPEN{PS_SOLID, 1, RGB(169, 169, 169), false});
    HBITMAP out = KvCreateBitmapFromCanvas(dc);
    DeleteDC(dc);
    return out;
}

HBITMAP KvPlaceholderPicture() {
    constexpr int w = 161, h = 115;
    HDC dc = KvCreateBufferDC(nullptr, w, h);
    if (!dc) return nullptr;
    FillSolidRect(dc, RECT{0, 0, w, h}, RGB(246, 247, 249));
    if (HBITMAP picture = LoadBitmap(App().ownModule, IDB_TOOLTIP_PLACEHOLDER)) {
        KvDrawBitmap(dc, 0, 0, w, h, picture, 0, 0, w, h, KVBMP_NORMAL);
        DeleteObject(picture);
    }
    LOGFONT lf;
    KvGetMessageFont(&lf);
    HFONT font = CreateFontIndirect(&lf);
    const UINT ids[4] = {IDS_PLACEHOLDER_LINE1, IDS_PLACEHOLDER_LINE2, IDS_PLACEHOLDER_LINE3, IDS_PLACEHOLDER_LINE4};
    const int lineHeight = KvGetTextExtent(dc, font, "Ag").cy + 2;
    int y = (h - 4 * lineHeight) / 2 + 4;
    for (UINT id : ids) {
        std::string text = KvLoadString(id);
        if (KvIsEmptyText(text)) text.clear();
        text = std::string(CharSubstr(text, 0, 26));
        RECT r{0, y, w, y + lineHeight};
        DrawText(dc, text, &r, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX, font,
                 id == IDS_PLACEHOLDER_LINE1 ? RGB(70, 80, 100) : RGB(110, 116, 128));
        y += lineHeight;
    }
    DeleteObject(font);
    HBITMAP out = KvCreateBitmapFromCanvas(dc);
    DeleteDC(dc);
    return out;
}

void MakeItemThumbnail(CItemData* item, const std::string& path, bool band) {
    if (item->thumbnail) DeleteObject(item->thumbnail);
    item->thumbnail = nullptr;
    HBITMAP picture = nullptr;
    if (item->fileType == kFileTypeDxf) {
        picture = acdbGetThumbnailBitmapFromDxfFile(path);
        if (auto version = KvDrawingVersionFunction()) {
            const int code = version(path.c_str());
            item->versionCode = code > 0 ? code : -1;
        }
    } else if (item->fileType == kFileTypeDwg || item->fileType == kFileTypeDws || item->fileType == kFileTypeDwt) {
        const COLORREF background = currentBackground();
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (auto thumb = KvThumbnailFunction()) {
            int code = 0;
            HBITMAP raw = thumb(path.c_str(), background, code);
            item->versionCode = code > 0 ? code : -1;
            if (raw) {
                picture = KvComposePreview(raw, code, ec ? 0 : std::uint64_t(size), band);
                DeleteObject(raw);
            }
        } else if (auto version = KvDrawingVersionFunction()) {
            const int code = version(path.c_str());
            item->versionCode = code > 0 ? code : -1;
        }
    }
    item->thumbnail = picture ? picture : KvPlaceholderPicture();
}

std::string MakeDescription(AcDbDatabase* db) {
    if (!db) return "\n" + KvResourceText(IDS_DESC_NO_SUMMARY);
    const AcDbSummaryInfo s = db->summaryInfo();
    std::string text = "\n\n";
    const std::pair<UINT, const std::string*> fields[] = {
        {IDS_DESC_TITLE, &s.title},
        {IDS_DESC_SUBJECT, &s.subject},
        {IDS_DESC_AUTHOR, &s.author},
        {IDS_DESC_KEYWORDS, &s.keywords},
        {IDS_DESC_COMMENTS, &s.comments},
        {IDS_DESC_HYPERLINK, &s.hyperlinkBase},
        {IDS_DESC_LAST_SAVED_BY, &s.lastSavedBy},
        {IDS_DESC_REVISION, &s.revisionNumber},
    };
    for (const auto& [id, value] : fields)
        if (!value->empty()) text += "\n" + KvResourceText(id) + " = " + *value;
    if (!s.custom.empty()) {
        // The heading gets its colon unless its text (English: "...Information:") brings one.
        std::string heading = KvResourceText(IDS_DESC_CUSTOM_HEADER);
        if (heading.empty() || heading.back() != ':') heading += ':';
        text += "\n\n" + heading + "\n\n" + KvResourceText(IDS_DESC_CUSTOM_NAME) + "             " +
            KvResourceText(IDS_DESC_CUSTOM_VALUE) + "\n";
        for (const auto& [key, value] : s.custom) {
            text += "\n" + key;
            if (!value.empty()) text += "             " + value;
        }
    } else {
        text += "\n" + KvResourceText(IDS_DESC_NO_CUSTOM);
    }
    return text;
}

std::string KvTooltipMarkup(const CItemData& item, int index, int count, bool showDesc, bool showThumbnail) {
    char handle[32];
    const auto value = showThumbnail ? reinterpret_cast<std::uintptr_t>(item.thumbnail) : 0;
    std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(value));
    // Texts from the file and the drawing are escaped, so that a '<' in a title stays a letter.
    return "<table align=left valign=vcenter><tr><td width=300><font color=0xff0000>" +
        kvui::EscapeMarkup(item.pathName) + "</font></td></tr><tr><td><bmp handle=0x" + handle +
        " style=s></td></tr><tr><td width=300>" + kvui::EscapeMarkup(showDesc ? item.description : std::string()) +
        "</td></tr><tr><td align=right width=300>(" + std::to_string(index + 1) + "/" + std::to_string(count) +
        ")</td></tr></table>";
}

KvTooltipPlacement KvPlaceTooltip(int dockSide, POINT p) {
    using kvui::TooltipAnchor;
    switch (dockSide) {
    case kDockBottom: return {TooltipAnchor::BottomLeft, POINT{p.x, p.y - 20}};
    case kDockLeft: return {TooltipAnchor::LeftMiddle, POINT{p.x + 20, p.y}};
    case kDockRight: return {TooltipAnchor::RightMiddle, POINT{p.x - 20, p.y}};
    default: return {TooltipAnchor::TopLeft, POINT{p.x, p.y + 20}};
    }
}
