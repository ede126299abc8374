// The record behind every tab.
#pragma once
#include <string>
#include "arx/docman.h"
#include "gfx/bitmap.h"

// Kinds of file by extension (letter case ignored).
constexpr int kFileTypeDwg = 0;
constexpr int kFileTypeDxf = 1;
constexpr int kFileTypeDws = 2;
constexpr int kFileTypeDwt = 3;
constexpr int kFileTypeOther = 9;

// A tab's picture is 120 by 90 scaled to the tab's fixed width: its height for that width.
template <class T>
constexpr T KvThumbnailHeight(T width) {
    return width * 90 / 120;
}

int KvFileTypeOf(const std::string& extension);

// Every pass over the bar (activation marking its tab, the marking rules, sorted insertion, the
// look-up of a drawing's tab) reads only the fields at the start: they share the record's first
// cache line, so that a pass over a thousand tabs reads a thousand lines rather than two or three
// thousand.
struct alignas(64) CItemData {
    CItemData() = default;
    ~CItemData();
    CItemData(const CItemData&) = delete;
    CItemData& operator=(const CItemData&) = delete;

    AcApDocument* drawingDoc = nullptr;   // drawing tabs only
    AcApDocWindow* docWindow = nullptr;   // non-drawing tabs only
    int marked = 0;

private:
    mutable bool sortNameCurrent_ = false;
    mutable std::string sortName_;

public:
    int fileType = kFileTypeOther;
    int versionCode = -1;          // format code from the thumbnail library; -1 until known
    std::string pathName;          // full path (a non-drawing tab: the window title); set by SetPathName
    std::string displayName;       // name and extension
    std::string description;       // tooltip text
    HBITMAP thumbnail = nullptr;   // owned
    int modified = 0;
    int loopPending = 0;
    int keepAsLink = 0;
    int isLink = 0;

    bool isDrawing() const { return drawingDoc != nullptr; }
    bool isWindow() const { return drawingDoc == nullptr && docWindow != nullptr; }
    // Gives the tab a new path; what is worked out from the path is worked out again.
    void SetPathName(std::string path);
    // The file name without extension, case folded, that sorted insertion compares; worked out
    // once per path, since each new tab is compared with every tab of the bar. Knowing it is
    // current costs no look at the path itself, which lies elsewhere in memory.
    const std::string& SortName() const;
};

// The file a tab stands for: a drawing's file, else the tab's own path (a link's file, a
// window's title).
std::string KvTabPath(const CItemData& item);

// A name cut to its first `maxChars` characters with "..." appended when it is longer.
std::string KvShortenCaption(const std::string& name, int maxChars);
// The text a tab shows for a file: its name, shortened when `maxCharUse`, and its extension when
// `showExtension`. Only the name is ever cut, so the extension always reads whole.
std::string KvCaptionText(const std::string& path, bool showExtension, bool maxCharUse, int maxChars);
// The caption stored with a tab (it sizes the tab): "####" (room for the icon), then the text.
std::string KvTabCaption(const std::string& path, bool showExtension, bool maxCharUse, int maxChars);
