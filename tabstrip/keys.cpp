#include "tabstrip/keys.h"

#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "settings/settings.h"
#include "tabstrip/panel.h"
#include "win/imm.h"
#include "win/input.h"
#include "win/clipboard.h"

namespace {

enum class Pointer { Elsewhere, Bar, Drawing };

Pointer pointerPlace(AcKvUiTabPanel& panel) {
    POINT pt;
    GetCursorPos(&pt);
    HWND under = WindowFromPoint(pt);
    if (under &&
        (under == panel.GetSafeHwnd() || under == panel.TabCtrl().GetSafeHwnd() ||
         GetParent(under) == panel.TabCtrl().GetSafeHwnd()))
        return Pointer::Bar;
    if (under && under == acedGetAcadDwgView()) return Pointer::Drawing;
    return Pointer::Elsewhere;
}

// Moves the selected tab to `target` without changing the active drawing.
void moveSelected(AcKvUiTabCtrl& tab, int target, int neighbour) {
    const int from = tab.GetCurSel();
    if (from < 0 || target == from) return;
    const std::string caption = tab.GetCaption(from);
    CItemData* item = tab.DetachTab(from);
    tab.InsertTab(target, caption, item);
    if (neighbour >= 0 && neighbour < tab.GetItemCount()) tab.SetCurSel(neighbour);
    tab.SetCurSel(target);
    tab.Redraw();
}

// Activates the tab at `index` as the keys and the wheel do.
void activateTab(AcKvUiTabPanel& panel, int index) {
    AcKvUiTabCtrl& tab = panel.TabCtrl();
    CItemData* item = tab.GetItem(index);
    if (!item) return;
    if (item->drawingDoc) {
        item->marked = 1;
        panel.ActivateDrawing(item->drawingDoc);
    } else if (item->docWindow) {
        item->docWindow->activate();
    } else {
        // As a click that selects it: the link tab alone is marked.
        tab.MarkOnly({item});
        tab.linkIndex = index;
        tab.SetCurSel(index);
        AcKvUiTabPanel::OpenLinkTabLater();
    }
}

void copyMarkedPaths(AcKvUiTabCtrl& tab) {
    std::string text;
    for (int i = 0; i < tab.GetItemCount(); ++i) {
        const CItemData* item = tab.GetItem(i);
        if (!item || !item->marked) continue;
        const std::string path = KvTabPath(*item);
        if (path.empty()) continue;
        if (!text.empty()) text += "\r\n";
        text += path;
    }
    if (!OpenClipboard(tab.GetSafeHwnd())) return;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
}

}   // namespace

bool KvTabStripFilter(MSG* msg, AcKvUiTabPanel& panel, KvTabStripKeyState& state) {
    if (App().sdi && !App().sdiModeEnabled) return false;
    AcApDocWindowManager* windows = acDocWindowManager;
    AcApDocWindow* active = windows ? windows->activeDocumentWindow() : nullptr;
    if (!active || !active->document() || !acedGetAcadDwgView()) return false;
    AcKvUiTabCtrl& tab = panel.TabCtrl();
    if (!tab.GetSafeHwnd()) return false;
    auto busy = [&tab] { return tab.HostBusy(); };
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;

    if (msg->message == WM_MOUSEWHEEL) {
        if (GetSettingNumber(SettingId::EnableWheelMouse) == 0 || pointerPlace(panel) != Pointer::Bar) return false;
        if (busy()) return true;
        const int delta = short(HIWORD(msg->wParam));
        const int sel = tab.GetCurSel(), count = tab.GetItemCount();
        if (delta <= 0 && sel + 1 < count) activateTab(panel, sel + 1);
        if (delta > 0 && sel > 0) activateTab(panel, sel - 1);
        return true;
    }
    // A composition started by the input method over the bar or the drawing, while English mode
    // is wanted: the next key comes through as a plain character instead.
    if (App().englishIme && msg->message == WM_IME_STARTCOMPOSITION) {
        if (busy() || pointerPlace(panel) == Pointer::Elsewhere) return false;
        state.compositionStarted = true;
        return true;
    }
    if (App().englishIme && msg->message == WM_KEYUP && state.compositionStarted) {
        state.compositionStarted = false;
        HIMC context = ImmGetContext(msg->hwnd);
        ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
        ImmReleaseContext(msg->hwnd, context);
        PostMessage(msg->hwnd, WM_CHAR, msg->wParam, 0);
        return true;
    }
    if (msg->message != WM_KEYDOWN) return false;
    const int key = int(msg->wParam);
    // Ctrl+Tab opens the document switcher (its own key handling takes over from there).
    if (ctrl && key == VK_TAB && GetSettingNumber(SettingId::ShortKey) != 0 && !tab.SwitcherVisible()) {
        if (tab.OpenSwitcher(shift)) return true;
    }
    const Pointer where = pointerPlace(panel);
    const bool overBarOrDrawing = where != Pointer::Elsewhere;
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (arrow && (ctrl || shift) && overBarOrDrawing && !busy()) {
        const int sel = tab.GetCurSel(), last = tab.GetItemCount() - 1;
        if (sel < 0) return true;
        if (ctrl) {
            if (key == VK_LEFT && sel > 0) moveSelected(tab, sel - 1, sel - 2);
            if (key == VK_RIGHT && sel < last) moveSelected(tab, sel + 1, sel + 2);
            if (key == VK_UP && sel > 0) moveSelected(tab, 0, -1);
            if (key == VK_DOWN && sel < last) moveSelected(tab, last, -1);
        } else {
            const int target = key == VK_LEFT ? sel - 1 : key == VK_RIGHT ? sel + 1 : key == VK_UP ? 0 : last;
            if (target >= 0 && target <= last && target != sel) activateTab(panel, target);
        }
        return true;
    }
    if (key == VK_TAB && !ctrl && !busy() && tab.GetCurSel() >= 0) {
        POINT pt;
        GetCursorPos(&pt);
        if (where == Pointer::Bar) {
            POINT client = pt;
            ScreenToClient(tab.GetSafeHwnd(), &client);
            if (KvTabStripController* menus = tab.Controller()) {
                if (tab.HitTest(client) >= 0) menus->ItemMenuRequested(tab.GetItem(tab.GetCurSel()), pt);
                else menus->TemplatesMenuRequested(pt);
            }
            return true;
        }
        if (where == Pointer::Drawing && GetSettingNumber(SettingId::UseTabMenu)) {
            if (KvTabStripController* menus = tab.Controller()) menus->ContextMenuRequested(-1, pt);
            return true;
        }
    }
    if (ctrl && key == 'A' && where == Pointer::Bar && !busy()) {
        tab.Model().MarkAll();
        tab.Redraw();
        return true;
    }
    if (ctrl && key == 'F' && where == Pointer::Bar && !busy()) {
        if (KvTabStripController* menus = tab.Controller()) menus->FindRequested();
        return true;
    }
    if (ctrl && key == 'C' && where == Pointer::Bar && !busy()) {
        copyMarkedPaths(tab);
        return true;
    }
    return false;
}
