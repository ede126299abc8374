// CKvTooltip: the rich tooltip window. It watches the mouse messages of one tool window (the
// owner relays them), and when the pointer rests there for the show delay it asks its owner for
// the markup (the display notification), lays it out and shows itself beside the pointer; it
// hides after the display time, on a button or wheel, when the pointer leaves, or when the owner
// has other markup for the pointer's new place.
#pragma once
#include <memory>
#include <string>
#include "uikit/markup.h"
#include "win/window.h"

namespace kvui {

// Where the anchor point sits on the tooltip.
enum class TooltipAnchor { TopLeft, BottomLeft, LeftMiddle, RightMiddle };

// WM_NOTIFY code of the display notification, sent to the owner just before the tooltip shows.
constexpr UINT KVTTN_DISPLAY = UINT(-1600);
struct NMKVTOOLTIPDISPLAY {
    NMHDR hdr;
    POINT pt;                      // the pointer, screen coordinates
    std::string* text = nullptr;   // markup to fill; left empty, nothing is shown
    POINT anchorPoint;             // where the anchor goes (screen); preset to pt + (0, 20)
    TooltipAnchor anchor = TooltipAnchor::TopLeft;
};

class CKvTooltip {
public:
    CKvTooltip() = default;
    ~CKvTooltip();
    CKvTooltip(const CKvTooltip&) = delete;
    CKvTooltip& operator=(const CKvTooltip&) = delete;

    // The popup window; `owner` receives the notifications, `tool` is the window it covers.
    bool Create(HWND owner, HWND tool);
    void Destroy();
    HWND GetSafeHwnd() const { return hwnd_; }
    void SetMaxTipWidth(int pixels) { style_.maxWidth = pixels; }
    void SetDelayTimes(UINT showMs, UINT displayMs) { showDelay_ = showMs, displayTime_ = displayMs; }
    // A message of the tool window (client coordinates in lParam for mouse messages).
    void RelayEvent(UINT msg, WPARAM wp, LPARAM lp);
    void Hide();
    bool IsShown() const;
    const std::string& Markup() const { return markup_; }

    // Paints a tooltip holding the markup into `dc` at (0, 0) (the window's own painting).
    static SIZE Measure(const MarkupLayout& layout);
    static void PaintTip(HDC dc, const MarkupLayout& layout, SIZE size);

    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT_PTR kHideTimer = 2;

private:
    LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    std::string ask(POINT screen, NMKVTOOLTIPDISPLAY* request);
    void show();

    HWND hwnd_ = nullptr, owner_ = nullptr, tool_ = nullptr;
    MarkupStyle style_;
    UINT showDelay_ = 500, displayTime_ = 5000;
    POINT pointer_{-1, -1};
    std::string markup_;
    std::unique_ptr<MarkupLayout> layout_;
};

}   // namespace kvui
