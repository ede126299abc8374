// AsUiBannerCtrl: a small banner that slides into the empty end of the tab bar while few drawings
// are open and slides out again when the tabs need the room. One link line; up to five lines of
// description as its tooltip. Its look and text come from the banner file ("Korvane.banner" in the
// data folder), which it writes back when it goes.
#pragma once
#include <array>
#include <memory>
#include <string>
#include "gfx/canvas.h"
#include "uikit/tooltip.h"
#include "win/window.h"

class AsUiBannerCtrl {
public:
    // What the banner file holds.
    struct Look {
        int version = 0;
        int showPage = 1;   // slides in while the tab count is 1 to this
        int width = 270;    // the full extent in pixels
        int effect = 6;
        COLORREF border = RGB(192, 192, 208);
        SIZE round{5, 5};
        SIZE margins{5, 3};
        COLORREF background[3] = {RGB(255, 255, 255), RGB(240, 247, 255), RGB(192, 192, 208)};
        std::string url, message, link;
        std::array<std::string, 5> description;
    };

    static constexpr UINT_PTR kSlideTimer = 260;
    static constexpr UINT kSlidePeriodMs = 100;
    static constexpr UINT kControlId = 65535;

    AsUiBannerCtrl();
    ~AsUiBannerCtrl();
    AsUiBannerCtrl(const AsUiBannerCtrl&) = delete;
    AsUiBannerCtrl& operator=(const AsUiBannerCtrl&) = delete;

    // Reads the banner file and creates the banner inside the tab panel.
    void Initialise(HWND panel, const std::string& bannerFile);
    // Writes every field back to the banner file and destroys the window.
    void Destroy();
    HWND GetSafeHwnd() const { return hwnd_; }

    void OnPanelResized(int width, int height);
    // After every change of the tab count: `enabled` when the banner is wanted and the bar lies
    // along the top or the bottom of the frame.
    void ShowOrHide(int tabCount, bool enabled, int dockSide);
    // One step of the slide (timer 260).
    void OnTimer();

    const Look& look() const { return look_; }
    int extent() const { return extent_; }
    int step() const { return step_; }
    bool running() const { return running_; }
    bool showing() const { return showing_; }
    // Opens LINK in the browser when it is a web address; anything else is refused with a line on
    // the command line.
    void OpenLink(HWND owner) const;
    // The tooltip's markup: the description lines, as text, in a table.
    std::string TooltipMarkup() const;

    // A colour as the banner file writes it: "red,green,blue", each part kept to its low 8 bits.
    static COLORREF ParseColour(const std::string& text, COLORREF fallback);
    static SIZE ParsePair(const std::string& text, SIZE fallback);

private:
    LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void paint(HDC dc);
    void place();
    RECT linkRect() const;

    Look look_;
    std::string file_;
    HWND hwnd_ = nullptr, panel_ = nullptr;
    HFONT linkFont_ = nullptr;
    kvui::CKvTooltip tooltip_;   // the description lines, when the pointer rests on the banner
    int step_ = 13, extent_ = 0, edgeMargin_ = 4;
    int dockSide_ = 0, panelWidth_ = 0, panelHeight_ = 0;
    bool running_ = false, showing_ = true;
};
