// What the Options dialog asks of the running tab strip, which sits above the settings: whoever
// opens the dialog hands it an implementation.
#pragma once
#include <string>
#include <vector>
#include "gfx/canvas.h"
#include "gfx/font.h"

struct COptionsValues;

// The tab style the Options dialog's preview shows, as its page holds it before OK.
struct KvLookPreview {
    int bgEffect = 0;
    COLORREF startColor = 0, middleColor = 0, endColor = 0;
    int borderLineType = 0;
    bool useOutline = false;
    COLORREF outlineColor = 0;
    int outlineWidth = 0;
    HFONT font = nullptr;   // the selected tab's font, at the preview's size
    COLORREF textColor = 0;
    std::string text;
};

class KvSettingsApplied {
public:
    virtual ~KvSettingsApplied() = default;
    // The favourites and templates lists the strip keeps; the dialog edits copies of them.
    virtual std::vector<std::string> Favourites() = 0;
    virtual std::vector<std::string> Templates() = 0;
    // A tab font chosen in the dialog: the strip takes it at once (and keeps it when the dialog is
    // then cancelled), as the record of the selected or the unselected tabs' font.
    virtual void TabFontChosen(bool selected, const std::string& record) = 0;
    // After OK stored the settings: the values the strip holds in its own fields.
    virtual void SettingsStored(const COptionsValues& values) = 0;
    // After OK, when the lists were edited: the strip keeps and stores them.
    virtual void ListsEdited(const std::vector<std::string>& favourites, const std::vector<std::string>& templates) = 0;
    // Paints the preview of a tab style into `area`, with the strip's own painting.
    virtual void PaintLookPreview(HDC dc, const RECT& area, const KvLookPreview& look) = 0;
};
