// The window-operations script against the simulated desktop, through the same boundary the
// plug-in uses. Usage: korvane-oracle-sim RESOURCE-MODULE [PICTURE-DIR] < script
#include <fstream>
#include <iostream>
#include <iterator>

#include "gfx/font.h"
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/pe/modules.h"
#include "tools/oracle/oracle.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/tabctrl.h"

namespace {

oracle::Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A window's rectangle in another window's client coordinates.
RECT rectIn(HWND wnd, HWND reference) {
    RECT r;
    GetWindowRect(wnd, &r);
    POINT o{0, 0};
    ClientToScreen(reference, &o);
    return {r.left - o.x, r.top - o.y, r.right - o.x, r.bottom - o.y};
}

class SimBackend final : public oracle::Backend {
public:
    explicit SimBackend(HMODULE resources) : res_(resources) {
        CREATEWINDOW p;
        p.className = "KvWindow";
        p.rect = {0, 0, 1600, 1200};
        p.style = WS_POPUP | WS_VISIBLE;
        parent_ = CreateWindowEx(p);
    }
    ~SimBackend() override {
        if (font_) DeleteObject(font_);
    }

    bool createTab(unsigned long style, int width, int height) override {
        if (tab_) DestroyWindow(tab_);
        CREATEWINDOW c;
        c.className = WC_TABCONTROL;
        c.style = DWORD(style);
        c.rect = {0, 0, width, height};
        c.parent = parent_;
        c.id = 100;
        tab_ = CreateWindowEx(c);
        return tab_ != nullptr;
    }
    void setStyle(unsigned long style) override { SetWindowLongPtr(tab_, GWL_STYLE, LONG_PTR(style)); }
    void setFont(const std::string& face, int pixels) override {
        if (font_) DeleteObject(font_);
        LOGFONT lf;
        lf.lfHeight = -pixels;
        lf.lfFaceName = face;
        font_ = CreateFontIndirect(&lf);
        SendMessage(tab_, WM_SETFONT, WPARAM(font_), TRUE);
    }
    int insert(int at, const std::string& text) override {
        TCITEM item;
        item.mask = TCIF_TEXT;
        item.text = text;
        return int(SendMessage(tab_, TCM_INSERTITEM, WPARAM(at), LPARAM(&item)));
    }
    bool remove(int index) override { return SendMessage(tab_, TCM_DELETEITEM, WPARAM(index), 0) != 0; }
    void removeAll() override { SendMessage(tab_, TCM_DELETEALLITEMS, 0, 0); }
    int select(int index) override { return int(SendMessage(tab_, TCM_SETCURSEL, WPARAM(index), 0)); }
    void itemSize(int cx, int cy) override { SendMessage(tab_, TCM_SETITEMSIZE, 0, MAKELPARAM(WORD(cx), WORD(cy))); }
    void padding(int x, int y) override { SendMessage(tab_, TCM_SETPADDING, 0, MAKELPARAM(WORD(x), WORD(y))); }
    void minWidth(int width) override { SendMessage(tab_, TCM_SETMINTABWIDTH, 0, LPARAM(width)); }
    void resize(int width, int height) override { SetWindowPos(tab_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE); }
    void scrollTo(int position) override {
        SendMessage(tab_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(position)), 0);
    }
    void click(int x, int y) override {
        SendMessage(tab_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(x), WORD(y)));
        SendMessage(tab_, WM_LBUTTONUP, 0, MAKELPARAM(WORD(x), WORD(y)));
    }
    int count() override { return int(SendMessage(tab_, TCM_GETITEMCOUNT, 0, 0)); }
    int selection() override { return int(SendMessage(tab_, TCM_GETCURSEL, 0, 0)); }
    int rowCount() override { return int(SendMessage(tab_, TCM_GETROWCOUNT, 0, 0)); }
    bool itemRect(int index, oracle::Rect* r) override {
        RECT rc{};
        const bool ok = SendMessage(tab_, TCM_GETITEMRECT, WPARAM(index), LPARAM(&rc)) != 0;
        *r = toRect(rc);
        return ok;
    }
    int hitTest(int x, int y) override {
        TCHITTESTINFO info;
        info.pt = {x, y};
        return int(SendMessage(tab_, TCM_HITTEST, 0, LPARAM(&info)));
    }
    oracle::Arrows arrows() override {
        oracle::Arrows a;
        for (HWND c = GetWindow(tab_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            std::string cls;
            GetClassName(c, &cls);
            if (cls != UPDOWN_CLASS) continue;
            a.present = true;
            a.visible = IsWindowVisible(c) != 0;
            a.rect = toRect(rectIn(c, tab_));
            break;
        }
        return a;
    }

    std::vector<int> dialogIds() override { return ids(sim::pe::kRtDialog); }
    std::vector<int> menuIds() override { return ids(sim::pe::kRtMenu); }

    bool dialog(int id, oracle::DialogInfo* out) override {
        HWND dlg = CreateDialogParam(res_, id, parent_, quiet(), 0);
        if (!dlg) return false;
        RECT client, units{0, 0, 4, 8};
        GetClientRect(dlg, &client);
        MapDialogRect(dlg, &units);
        out->client = toRect(client);
        out->baseX = int(units.right);
        out->baseY = int(units.bottom);
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            oracle::Control k;
            k.id = GetDlgCtrlID(c);
            GetClassName(c, &k.className);
            k.text = GetWindowText(c);
            k.style = DWORD(GetWindowLongPtr(c, GWL_STYLE));
            k.exStyle = DWORD(GetWindowLongPtr(c, GWL_EXSTYLE));
            k.rect = toRect(rectIn(c, dlg));
            out->controls.push_back(k);
        }
        DestroyWindow(dlg);
        return true;
    }

    bool dialogPicture(int id, const std::string& path) override {
        HWND dlg = CreateDialogParam(res_, id, parent_, quiet(), 0);
        if (!dlg) return false;
        ShowWindow(dlg, SW_SHOW);
        const bool ok = sim::desk::snapshotWindow(dlg, path);
        DestroyWindow(dlg);
        return ok;
    }

    bool menu(int id, std::vector<oracle::MenuLine>* out) override {
        HMENU m = LoadMenu(res_, id);
        if (!m) return false;
        walk(m, 0, out);
        DestroyMenu(m);
        return true;
    }

private:
    static DLGPROC quiet() {
        return [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
    }
    std::vector<int> ids(std::uint16_t type) {
        std::vector<int> out;
        auto res = sim::pe::moduleResources(res_);
        if (!res) return out;
        for (const auto& e : res->entries())
            if (!e.type.isName && e.type.id == type && !e.name.isName) out.push_back(e.name.id);
        return out;
    }
    void walk(HMENU m, int depth, std::vector<oracle::MenuLine>* out) {
        for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
            oracle::MenuLine line;
            line.depth = depth;
            line.state = GetMenuState(m, UINT(i), MF_BYPOSITION);
            HMENU sub = GetSubMenu(m, i);
            if (sub) line.state &= 0xFF;
            line.id = sub ? 0 : GetMenuItemID(m, i);
            GetMenuString(m, UINT(i), &line.text, MF_BYPOSITION);
            out->push_back(line);
            if (sub) walk(sub, depth + 1, out);
        }
    }

    HMODULE res_;
    HWND parent_ = nullptr;
    HWND tab_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    sim::Desktop::get().reset();
    sim::desk::WindowManager::get().reset();
    sim::desk::setMonitorCount(1);
    HMODULE res = nullptr;
    if (argc > 1) {
        std::ifstream in(argv[1], std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        res = sim::pe::registerModuleBytes(argv[1], std::move(bytes));
        if (!res) {
            std::cerr << "korvane-oracle-sim: cannot read " << argv[1] << '\n';
            return 2;
        }
    }
    int errors = 0;
    {
        SimBackend backend(res);
        errors = oracle::run(backend, std::cin, std::cout);
    }
    sim::desk::WindowManager::get().reset();
    if (res) sim::pe::unregisterModule(res);
    return errors == 0 ? 0 : 1;
}
