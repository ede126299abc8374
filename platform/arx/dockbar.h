// Control bars docked to the host's main frame (the role of the host UI library's
// CAcUiDockControlBar and the frame's control-bar management). A bar docks along one edge of the
// frame; the frame lays its bars out around the drawing area, asking each for its size.
#pragma once
#include <string>
#include "win/window.h"

// Bar styles: alignment and border bits, as the frame's control bars use them.
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
constexpr DWORD CBRS_BAR_STYLE_BITS = CBRS_ALIGN_ANY | CBRS_BORDER_ANY;

// Layout requests (CalcDynamicLayout modes).
constexpr DWORD LM_STRETCH = 0x01;
constexpr DWORD LM_HORZ = 0x02;

class CAcUiDockControlBar {
public:
    CAcUiDockControlBar();
    virtual ~CAcUiDockControlBar();
    CAcUiDockControlBar(const CAcUiDockControlBar&) = delete;
    CAcUiDockControlBar& operator=(const CAcUiDockControlBar&) = delete;

    // Creates the bar window as a child of the frame, docked at the edge its style names.
    bool Create(HWND frame, const std::string& title, DWORD style, UINT id);
    void DestroyWindow();
    HWND GetSafeHwnd() const { return hwnd_; }
    DWORD GetBarStyle() const { return style_; }
    // Replaces the alignment and border bits; the bar moves to the named edge at the next layout.
    void SetBarStyle(DWORD style);
    bool IsVisible() const;
    bool IsFloating() const { return false; }
    bool IsHorizontal() const { return (style_ & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0; }

    // The size the bar wants when docked (stretch: take the whole edge; horizontal: top or bottom).
    virtual SIZE CalcFixedLayout(bool stretch, bool horizontal);
    virtual SIZE CalcDynamicLayout(int length, DWORD mode);
    // Messages to the bar's window that the bar does not handle itself go here.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    HWND hwnd_ = nullptr;
    DWORD style_ = 0;
};

// The frame's part: show or hide a bar (with `delay`, at the frame's next layout, as the host
// frame does), and lay the frame out again.
void acedShowControlBar(CAcUiDockControlBar* bar, bool show, bool delay);
void acedRecalcFrameLayout();
