// The user's actions on a control, as the mouse and keyboard would do them, and the state the
// dialog dump shows: each checks that the user could reach the control and hands it to its class.
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

HWND checkedControl(HWND h) {
    if (!win(h)) throw ActionError("no such control");
    return h;
}

void requireUsable(HWND h) {
    if (!IsWindowVisible(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " is hidden");
    if (!IsWindowEnabled(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " is disabled");
}

bool isListControl(HWND h) { return isListView(h) || isTreeView(h); }

}  // namespace

void userClick(HWND h) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (w->className != "Button") throw ActionError("control " + std::to_string(w->id) + " is no button");
    SendMessage(h, BM_CLICK, 0, 0);
}

void userSetText(HWND h, const std::string& text) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (w->className == "Edit") {
        editSetText(h, text);
    } else if (w->className == "ComboBox") {
        comboSetText(h, text);
    } else if (w->className == "msctls_updown32") {
        upDownSetText(h, text);
    } else {
        throw ActionError("control " + std::to_string(w->id) + " (" + w->className + ") takes no text");
    }
}

void userCheck(HWND h, bool on, const std::string& row) {
    checkedControl(h);
    requireUsable(h);
    if (isListControl(h)) {
        if (row.empty()) throw ActionError("which row? @dialog check ID on|off ROW");
        if (isTreeView(h)) treeViewCheck(h, on, row);
        else listViewCheck(h, on, row);
        return;
    }
    buttonCheck(h, on);
}

void userSelect(HWND h, const std::string& arg) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (isTreeView(h)) return treeViewSelect(h, arg);
    if (isListView(h)) return listViewSelect(h, arg);
    if (w->className == "ComboBox") return comboSelect(h, arg);
    if (w->className == "ListBox") return listBoxSelect(h, arg);
    throw ActionError("control " + std::to_string(w->id) + " has no entries to select");
}

void userDoubleClick(HWND h, const std::string& row) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (isTreeView(h)) return treeViewDoubleClick(h, row);
    if (isListView(h)) return listViewDoubleClick(h, row);
    if (w->className == "ListBox") {
        if (!row.empty()) userSelect(h, row);
        if (w->style & LBS_NOTIFY) notifyParent(h, LBN_DBLCLK);
        return;
    }
    if (w->className == "Button") {
        SendMessage(h, BM_CLICK, 0, 0);
        return;
    }
    throw ActionError("control " + std::to_string(w->id) + " takes no double click");
}

void userRightClick(HWND h, const std::string& row) {
    checkedControl(h);
    requireUsable(h);
    if (isTreeView(h)) return treeViewRightClick(h, row);
    if (isListView(h)) return listViewRightClick(h, row);
    throw ActionError("right clicks go to list views and tree views");
}

void userColumnClick(HWND h, int column) {
    checkedControl(h);
    requireUsable(h);
    if (!isListControl(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " has no column header");
    if (isTreeView(h)) throw ActionError("tree views have no column header");
    listViewColumnClick(h, column);
}

std::string describeControl(HWND h) {
    Window* w = win(h);
    if (!w) return "";
    if (isTreeView(h)) return describeTreeView(h);
    if (isListView(h)) return describeListView(h);
    if (w->className == "Button") return describeButton(h);
    if (w->className == "ListBox") return describeListBox(h);
    if (w->className == "ComboBox") return describeCombo(h);
    if (w->className == "msctls_progress32") return describeProgress(h);
    if (w->className == "msctls_updown32") return describeUpDown(h);
    if (w->className == "Edit") return describeEdit(h);
    return "";
}

}  // namespace sim::desk
