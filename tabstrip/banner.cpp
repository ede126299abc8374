#include "tabstrip/banner.h"

#include <algorithm>
#include <string_view>
#include <cstdio>
#include <cstdlib>
#include "arx/aced.h"
#include "core/guard.h"
#include "core/text.h"
#include "gfx/font.h"
#include "tabstrip/tabctrl.h"
#include "uikit/effects.h"
#include "uikit/markup.h"
#include "uikit/paint.h"
#include "win/input.h"
#include "win/profile.h"
#include "win/shell.h"
#include "win/system.h"

namespace {

constexpr DWORD kReadLimit = 256;   // values are read with a 255-character limit

std::string readText(const std::string& section, const std::string& key, const std::string& file) {
    std::string value;
    GetPrivateProfileString(section, key, "", &value, kReadLimit, file);
    return value;
}

std::string colourText(COLORREF c) {
    char text[40];
    std::snprintf(text, sizeof text, "%d,%d,%d", int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
    return text;
}

std::string pairText(SIZE s) { return std::to_string(s.cx) + "," + std::to_string(s.cy); }

// Anything else the shell would "open" (a program, a file, a script address) is not the banner's
// business, and its file is easy to change.
bool isWebAddress(std::string_view link) {
    for (std::string_view scheme : {"http://", "https://"})
        if (link.size() > scheme.size() && EqualsNoCase(link.substr(0, scheme.size()), scheme)) return true;
    return false;
}

}   // namespace

AsUiBannerCtrl::AsUiBannerCtrl() = default;

AsUiBannerCtrl::~AsUiBannerCtrl() { Destroy(); }

COLORREF AsUiBannerCtrl::ParseColour(const std::string& text, COLORREF fallback) {
    int r = 0, g = 0, b = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d", &r, &g, &b) != 3) return fallback;
    return RGB(r & 0xFF, g & 0xFF, b & 0xFF);
}

SIZE AsUiBannerCtrl::ParsePair(const std::string& text, SIZE fallback) {
    int a = 0, b = 0;
    if (std::sscanf(text.c_str(), "%d,%d", &a, &b) != 2) return fallback;
    return SIZE{a, b};
}

void AsUiBannerCtrl::Initialise(HWND panel, const std::string& bannerFile) {
    panel_ = panel;
    file_ = bannerFile;
    KvGuardLine("\n;error : banner-Initalize", [&] {
        Look& l = look_;
        l.version = int(GetPrivateProfileInt("BANNER", "VERSION", 0, file_));
        l.effect = int(GetPrivateProfileInt("BANNER", "EFFECT", 0, file_));
        if (auto t = readText("BANNER", "SHOWPAGE", file_); !t.empty()) l.showPage = std::atoi(t.c_str());
        if (auto t = readText("BANNER", "WIDTH", file_); !t.empty()) l.width = std::atoi(t.c_str());
        if (auto t = readText("BANNER", "BORDERCOLOR", file_); !t.empty()) l.border = ParseColour(t, l.border);
        for (int i = 0; i < 3; ++i) {
            const std::string key = "BACKGROUNDCOLOR" + std::to_string(i + 1);
            if (auto t = readText("BANNER", key, file_); !t.empty()) l.background[i] = ParseColour(t, l.background[i]);
        }
        if (auto t = readText("BANNER", "ROUNDRECT", file_); !t.empty()) l.round = ParsePair(t, l.round);
        if (auto t = readText("BANNER", "MARGINS", file_); !t.empty()) l.margins = ParsePair(t, l.margins);
        l.url = readText("BANNER", "URL", file_);
        l.message = readText("TITLE", "MSG", file_);
        l.link = readText("TITLE", "LINK", file_);
        for (int i = 0; i < 5; ++i) l.description[size_t(i)] = readText("TITLE", "DESC" + std::to_string(i + 1), file_);

        CREATEWINDOW p;
        p.className = "KvWindow";
        p.text = "banner";
        p.style = WS_CHILD | WS_VISIBLE | 8;
        p.rect = RECT{0, 0, 10, 10};
        p.parent = panel;
        p.id = kControlId;
        p.proc = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WindowProc(w, m, wp, lp); };
        hwnd_ = CreateWindowEx(p);

        LOGFONT font{};
        font.lfHeight = -12;
        font.lfUnderline = 1;
        font.lfFaceName = "DejaVu Sans";
        linkFont_ = CreateFontIndirect(&font);
        if (hwnd_ && tooltip_.Create(hwnd_, hwnd_)) tooltip_.SetDelayTimes(100, 6000);
        // Never zero, so that a slide always ends.
        step_ = std::max(1, look_.width / 20);
    });
}

void AsUiBannerCtrl::Destroy() {
    tooltip_.Destroy();
    if (hwnd_) {
        KillTimer(hwnd_, kSlideTimer);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (linkFont_) DeleteObject(linkFont_);
    linkFont_ = nullptr;
    if (file_.empty()) return;
    const Look& l = look_;
    auto put = [&](const char* section, const char* key, const std::string& value) {
        WritePrivateProfileString(section, key, value, file_);
    };
    put("BANNER", "VERSION", std::to_string(l.version));
    put("BANNER", "SHOWPAGE", std::to_string(l.showPage));
    put("BANNER", "WIDTH", std::to_string(l.width));
    put("BANNER", "EFFECT", std::to_string(l.effect));
    put("BANNER", "BORDERCOLOR", colourText(l.border));
    put("BANNER", "ROUNDRECT", pairText(l.round));
    put("BANNER", "MARGINS", pairText(l.margins));
    for (int i = 0; i < 3; ++i)
        put("BANNER", ("BACKGROUNDCOLOR" + std::to_string(i + 1)).c_str(), colourText(l.background[i]));
    put("BANNER", "URL", l.url);
    put("TITLE", "MSG", l.message);
    put("TITLE", "LINK", l.link);
    for (int i = 0; i < 5; ++i) put("TITLE", ("DESC" + std::to_string(i + 1)).c_str(), l.description[size_t(i)]);
    file_.clear();
}

std::string AsUiBannerCtrl::TooltipMarkup() const {
    std::string out = "<table align=left valign=middle>";
    for (const std::string& line : look_.description) out += "<tr><td>" + kvui::EscapeMarkup(line) + "</td></tr>";
    return out + "</table>";
}

void AsUiBannerCtrl::OnPanelResized(int width, int height) {
    panelWidth_ = width;
    panelHeight_ = height;
    if (!hwnd_) return;
    const bool horizontal = dockSide_ == kDockTop || dockSide_ == kDockBottom;
    int x = 0, y = 0;
    if (dockSide_ == kDockTop) x = width - extent_;
    else if (dockSide_ == kDockBottom) x = width - extent_, y = edgeMargin_;
    else if (dockSide_ == kDockLeft) y = height - extent_;
    else x = edgeMargin_, y = height - extent_;
    if (horizontal) MoveWindow(hwnd_, x, y, extent_, height - edgeMargin_, TRUE);
    else MoveWindow(hwnd_, x, y, width - edgeMargin_, extent_, TRUE);
}

void AsUiBannerCtrl::ShowOrHide(int tabCount, bool enabled, int dockSide) {
    dockSide_ = dockSide;
    if (!hwnd_ || tabCount == 0) return;
    if (!enabled) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    showing_ = tabCount >= 1 && tabCount <= look_.showPage;
    if (!running_) {
        running_ = true;
        SetTimer(hwnd_, kSlideTimer, kSlidePeriodMs, nullptr);
    }
}

void AsUiBannerCtrl::OnTimer() {
    if (showing_) {
        if (extent_ >= look_.width) {
            ShowWindow(hwnd_, SW_SHOWNORMAL);
            KillTimer(hwnd_, kSlideTimer);
            running_ = false;
        } else {
            extent_ += step_;
        }
    } else {
        if (extent_ < 1) {
            ShowWindow(hwnd_, SW_HIDE);
            KillTimer(hwnd_, kSlideTimer);
            running_ = false;
            return;
        }
        extent_ -= step_;
    }
    ShowWindow(hwnd_, extent_ > 0 ? SW_SHOWNORMAL : SW_HIDE);
    place();
}

void AsUiBannerCtrl::place() {
    if (dockSide_ == kDockTop || dockSide_ == kDockBottom)
        MoveWindow(hwnd_, panelWidth_ - extent_, 0, extent_, panelHeight_ - edgeMargin_, TRUE);
    else MoveWindow(hwnd_, 0, panelHeight_ - extent_, panelWidth_ - edgeMargin_, extent_, TRUE);
}

void AsUiBannerCtrl::OpenLink(HWND owner) const {
    std::string_view link = look_.link;
    while (!link.empty() && (link.front() == ' ' || link.front() == '\t')) link.remove_prefix(1);
    while (!link.empty() && (link.back() == ' ' || link.back() == '\t')) link.remove_suffix(1);
    if (link.empty()) return;
    if (!isWebAddress(link)) {
        acutPrintf("\n;warning : banner link refused, not an http or https address: %s\n", std::string(link).c_str());
        return;
    }
    ShellExecute(owner, "open", std::string(link), "", "", SW_SHOWNORMAL);
}

RECT AsUiBannerCtrl::linkRect() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return RECT{r.left + 2 + look_.margins.cx, r.top + 2 + look_.margins.cy, r.right - 2 - look_.margins.cx,
                r.bottom - 2 - look_.margins.cy};
}

void AsUiBannerCtrl::paint(HDC dc) {
    RECT r{};
    GetClientRect(hwnd_, &r);
    if (r.right <= r.left || r.bottom <= r.top) return;
    const Look& l = look_;
    kvui::FillEffect(dc, r, l.effect, l.background[0], l.background[1], l.background[2], 5);
    // A two-pixel frame with its corners rounded off.
    kvui::FrameRounded(dc, r, l.round, l.border, 2, GetSysColor(COLOR_BTNFACE));
    RECT text = linkRect();
    DrawText(dc, l.message, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, linkFont_, RGB(0, 0, 204));
}

LRESULT AsUiBannerCtrl::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg >= WM_MOUSEMOVE && msg <= WM_MOUSEWHEEL) || msg == WM_MOUSELEAVE) tooltip_.RelayEvent(msg, wp, lp);
    switch (msg) {
    case WM_NOTIFY: {
        auto* request = reinterpret_cast<kvui::NMKVTOOLTIPDISPLAY*>(lp);
        if (request && request->hdr.code == kvui::KVTTN_DISPLAY && request->text) *request->text = TooltipMarkup();
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(wnd, &ps)) paint(dc);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wp == kSlideTimer) KvGuard("banner", [&] { OnTimer(); });
        return 0;
    case WM_LBUTTONUP:
        // The link opens in the shell's browser.
        KvGuard("banner", [&] { OpenLink(wnd); });
        return 0;
    default: return 0;
    }
}
