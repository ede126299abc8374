// The oracle: the window-operations script against a real Win32 desktop (user32 and comctl32),
// cross-compiled with mingw-w64 and run under Wine. Usage: oracle.exe RESOURCE-MODULE < script
#define UNICODE
#define _UNICODE
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

#include "oracle.h"

namespace {

std::wstring wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::string narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

oracle::Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A window's rectangle in another window's client coordinates.
RECT rectIn(HWND wnd, HWND reference) {
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void pump(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() < until);
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

BOOL CALLBACK collectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<int>*>(out)->push_back(int(ULONG_PTR(name)));
    return TRUE;
}

bool writeBmp(HDC screen, const RECT& r, const std::string& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;   // bottom-up, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
    out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
    out.write(static_cast<const char*>(bits), size);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return bool(out);
}

class Win32Backend final : public oracle::Backend {
public:
    explicit Win32Backend(HMODULE resources) : res_(resources) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"OracleParent";
        RegisterClassW(&wc);
        parent_ = CreateWindowExW(0, L"OracleParent", L"oracle", WS_POPUP | WS_VISIBLE, 0, 0, 1600, 1200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }

    bool createTab(unsigned long style, int width, int height) override {
        if (tab_) DestroyWindow(tab_);
        tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"", DWORD(style), 0, 0, width, height, parent_, HMENU(100),
                               GetModuleHandleW(nullptr), nullptr);
        return tab_ != nullptr;
    }
    void setStyle(unsigned long style) override { SetWindowLongPtrW(tab_, GWL_STYLE, LONG_PTR(style)); }
    void setFont(const std::string& face, int pixels) override {
        HFONT f = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, wide(face).c_str());
        SendMessageW(tab_, WM_SETFONT, WPARAM(f), TRUE);
    }
    int insert(int at, const std::string& text) override {
        std::wstring w = wide(text);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = w.data();
        return int(SendMessageW(tab_, TCM_INSERTITEMW, WPARAM(at), LPARAM(&item)));
    }
    bool remove(int index) override { return SendMessageW(tab_, TCM_DELETEITEM, WPARAM(index), 0) != 0; }
    void removeAll() override { SendMessageW(tab_, TCM_DELETEALLITEMS, 0, 0); }
    int select(int index) override { return int(SendMessageW(tab_, TCM_SETCURSEL, WPARAM(index), 0)); }
    void itemSize(int cx, int cy) override { SendMessageW(tab_, TCM_SETITEMSIZE, 0, MAKELPARAM(cx, cy)); }
    void padding(int x, int y) override { SendMessageW(tab_, TCM_SETPADDING, 0, MAKELPARAM(x, y)); }
    void minWidth(int width) override { SendMessageW(tab_, TCM_SETMINTABWIDTH, 0, LPARAM(width)); }
    void resize(int width, int height) override { SetWindowPos(tab_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE); }
    void scrollTo(int position) override {
        SendMessageW(tab_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
    }
    void click(int x, int y) override {
        SendMessageW(tab_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(tab_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    int count() override { return int(SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0)); }
    int selection() override { return int(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)); }
    int rowCount() override { return int(SendMessageW(tab_, TCM_GETROWCOUNT, 0, 0)); }
    bool itemRect(int index, oracle::Rect* r) override {
        RECT rc{};
        const bool ok = SendMessageW(tab_, TCM_GETITEMRECT, WPARAM(index), LPARAM(&rc)) != 0;
        *r = toRect(rc);
        return ok;
    }
    int hitTest(int x, int y) override {
        TCHITTESTINFO info{};
        info.pt = {x, y};
        return int(SendMessageW(tab_, TCM_HITTEST, 0, LPARAM(&info)));
    }
    oracle::Arrows arrows() override {
        oracle::Arrows a;
        HWND ud = FindWindowExW(tab_, nullptr, UPDOWN_CLASSW, nullptr);
        if (!ud) return a;
        a.present = true;
        a.visible = IsWindowVisible(ud) != 0;
        a.rect = toRect(rectIn(ud, tab_));
        return a;
    }

    std::vector<int> dialogIds() override { return ids(MAKEINTRESOURCEW(5)); }
    std::vector<int> menuIds() override { return ids(MAKEINTRESOURCEW(4)); }

    bool dialog(int id, oracle::DialogInfo* out) override {
        HWND dlg = CreateDialogParamW(res_, MAKEINTRESOURCEW(id), parent_, quietDialogProc, 0);
        if (!dlg) return false;
        RECT client, units{0, 0, 4, 8};
        GetClientRect(dlg, &client);
        MapDialogRect(dlg, &units);
        out->client = toRect(client);
        out->baseX = units.right;
        out->baseY = units.bottom;
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            oracle::Control k;
            k.id = GetDlgCtrlID(c);
            wchar_t cls[256] = {};
            GetClassNameW(c, cls, 256);
            k.className = narrow(cls);
            wchar_t text[512] = {};
            GetWindowTextW(c, text, 512);
            k.text = narrow(text);
            k.style = DWORD(GetWindowLongPtrW(c, GWL_STYLE));
            k.exStyle = DWORD(GetWindowLongPtrW(c, GWL_EXSTYLE));
            k.rect = toRect(rectIn(c, dlg));
            out->controls.push_back(k);
        }
        DestroyWindow(dlg);
        return true;
    }

    bool dialogPicture(int id, const std::string& path) override {
        HWND dlg = CreateDialogParamW(res_, MAKEINTRESOURCEW(id), parent_, quietDialogProc, 0);
        if (!dlg) return false;
        ShowWindow(parent_, SW_HIDE);   // nothing but the dialog on the screen
        SetWindowPos(dlg, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        pump(400);
        RECT r;
        GetWindowRect(dlg, &r);
        HDC screen = GetDC(nullptr);
        const bool ok = writeBmp(screen, r, path);
        ReleaseDC(nullptr, screen);
        DestroyWindow(dlg);
        ShowWindow(parent_, SW_SHOW);
        return ok;
    }

    bool menu(int id, std::vector<oracle::MenuLine>* out) override {
        HMENU m = LoadMenuW(res_, MAKEINTRESOURCEW(id));
        if (!m) return false;
        walk(m, 0, out);
        DestroyMenu(m);
        return true;
    }

private:
    std::vector<int> ids(LPCWSTR type) {
        std::vector<int> out;
        EnumResourceNamesW(res_, type, collectId, LONG_PTR(&out));
        return out;
    }
    void walk(HMENU m, int depth, std::vector<oracle::MenuLine>* out) {
        for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
            oracle::MenuLine line;
            line.depth = depth;
            line.state = GetMenuState(m, UINT(i), MF_BYPOSITION);
            HMENU sub = GetSubMenu(m, i);
            if (sub) line.state &= 0xFF;   // a popup's state carries its item count above the flags
            line.id = sub ? 0 : GetMenuItemID(m, i);
            wchar_t text[512] = {};
            GetMenuStringW(m, UINT(i), text, 512, MF_BYPOSITION);
            line.text = narrow(text);
            out->push_back(line);
            if (sub) walk(sub, depth + 1, out);
        }
    }

    HMODULE res_;
    HWND parent_ = nullptr;
    HWND tab_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    HMODULE res = nullptr;
    if (argc > 1) {
        res = LoadLibraryExW(wide(argv[1]).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!res) {
            std::fprintf(stderr, "oracle: cannot load %s\n", argv[1]);
            return 2;
        }
    }
    Win32Backend backend(res);
    return oracle::run(backend, std::cin, std::cout) == 0 ? 0 : 1;
}
