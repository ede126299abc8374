// Script verbs for dialogs, common dialogs, the clipboard and popup menus.
#include <iostream>
#include "sim/desk/controls_internal.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/script/runner.h"
#include "win/dialog.h"

namespace sim::desk {

void cancelDialog(HWND dlg);                      // dialogs.cpp

namespace {

using script::Args;
using script::Runner;
using script::VerbError;

HWND requireDialog() {
    WindowManager::get().pump();
    HWND dlg = topDialog();
    if (!dlg) throw VerbError("no dialog is open");
    return dlg;
}

int controlId(const std::string& s) {
    if (s == "OK" || s == "ok") return IDOK;
    if (s == "Cancel" || s == "cancel") return IDCANCEL;
    try {
        size_t used = 0;
        int id = std::stoi(s, &used);
        if (used == s.size()) return id;
    } catch (const std::exception&) {
    }
    throw VerbError("'" + s + "' is no control id (a number, OK or Cancel)");
}

HWND requireControl(HWND dlg, const std::string& idText) {
    HWND c = findDialogControl(dlg, controlId(idText));
    if (!c) throw VerbError("the dialog has no control " + idText);
    return c;
}

std::string joinFrom(const Args& a, size_t first) {
    std::string out;
    for (size_t i = first; i < a.size(); ++i) out += (i > first ? " " : "") + a[i];
    return out;
}

void dialogVerb(const Args& a) {
    if (a.empty()) throw VerbError("usage: @dialog set|check|press|select|dblclick|rclick|column|tip|dump ...");
    const std::string& what = a[0];
    HWND dlg = requireDialog();
    try {
        if (what == "dump") {
            Desktop::get().print(dumpDialog(dlg));
        } else if (what == "set") {
            if (a.size() < 2) throw VerbError("usage: @dialog set ID TEXT");
            userSetText(requireControl(dlg, a[1]), joinFrom(a, 2));
        } else if (what == "check") {
            if (a.size() < 3 || (a[2] != "on" && a[2] != "off")) throw VerbError("usage: @dialog check ID on|off [ROW]");
            userCheck(requireControl(dlg, a[1]), a[2] == "on", joinFrom(a, 3));
        } else if (what == "press") {
            if (a.size() != 2) throw VerbError("usage: @dialog press ID|OK|Cancel");
            const int id = controlId(a[1]);
            HWND c = findDialogControl(dlg, id);
            if (c) {
                userClick(c);
            } else if (id == IDOK || id == IDCANCEL) {
                // Enter and Escape reach the dialog even without such a button.
                if (id == IDCANCEL) cancelDialog(dlg);
                else SendMessage(dlg, WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), 0);
            } else {
                throw VerbError("the dialog has no control " + a[1]);
            }
        } else if (what == "select") {
            if (a.size() < 3) throw VerbError("usage: @dialog select ID INDEX|TEXT");
            userSelect(requireControl(dlg, a[1]), joinFrom(a, 2));
        } else if (what == "dblclick") {
            if (a.size() < 2) throw VerbError("usage: @dialog dblclick ID [ROW]");
            userDoubleClick(requireControl(dlg, a[1]), joinFrom(a, 2));
        } else if (what == "rclick") {
            if (a.size() < 2) throw VerbError("usage: @dialog rclick ID [ROW]");
            userRightClick(requireControl(dlg, a[1]), joinFrom(a, 2));
        } else if (what == "tip") {
            if (a.size() != 2) throw VerbError("usage: @dialog tip ID");
            const auto text = tooltipTextOf(requireControl(dlg, a[1]));
            Desktop::get().print("[tooltip] " + a[1] + ": " + (text ? *text : std::string("(none)")) + "\n");
        } else if (what == "column") {
            if (a.size() != 3) throw VerbError("usage: @dialog column ID N");
            userColumnClick(requireControl(dlg, a[1]), controlId(a[2]));
        } else {
            throw VerbError("unknown dialog action '" + what + "'");
        }
    } catch (const ActionError& e) {
        throw VerbError(e.what());
    }
    WindowManager::get().pump();
}

COLORREF parseColour(const Args& a) {
    try {
        if (a.size() == 1 && a[0].size() == 7 && a[0][0] == '#') {
            const unsigned long v = std::stoul(a[0].substr(1), nullptr, 16);
            return RGB(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
        }
        if (a.size() == 3) return RGB(std::stoi(a[0]), std::stoi(a[1]), std::stoi(a[2]));
        if (a.size() == 1 && std::count(a[0].begin(), a[0].end(), ',') == 2) {
            const size_t c1 = a[0].find(','), c2 = a[0].find(',', c1 + 1);
            return RGB(std::stoi(a[0].substr(0, c1)), std::stoi(a[0].substr(c1 + 1, c2 - c1 - 1)), std::stoi(a[0].substr(c2 + 1)));
        }
    } catch (const std::exception&) {
    }
    throw VerbError("a colour is R G B, R,G,B or #RRGGBB");
}

}  // namespace

void registerDialogVerbs(Runner& runner) {
    // Interactive use: a modal dialog reads its actions from the terminal.
    setInteractiveDialogFeed([&runner]() {
        if (runner.exitRequested) return false;
        auto line = Desktop::get().readLine("Dialog: ");
        if (!line) return false;
        runner.runLine(*line);
        return true;
    });
    snapshotTargets()["dialog"] = [] {
        WindowManager::get().pump();
        return topDialog();
    };
    runner.addVerb("dialog", [](Runner&, const Args& a) { dialogVerb(a); },
                   "@dialog set ID TEXT | check ID on|off [ROW] | press ID|OK|Cancel | select ID INDEX|TEXT | "
                   "dblclick ID [ROW] | rclick ID [ROW] | column ID N | tip ID | dump");
    runner.addVerb("cancel-dialog", [](Runner&, const Args&) {
        cancelDialog(requireDialog());
        WindowManager::get().pump();
    }, "@cancel-dialog");
    runner.addVerb("files", [](Runner&, const Args& a) { queueFiles(a); }, "@files PATH... (none: Cancel)");
    runner.addVerb("folder", [](Runner&, const Args& a) {
        if (a.size() > 1) throw VerbError("usage: @folder [PATH] (none: Cancel)");
        queueFolder(a.empty() ? std::string() : a[0]);
    }, "@folder [PATH]");
    runner.addVerb("font", [](Runner&, const Args& a) {
        if (a.empty() || a[0] == "cancel") {
            queueFont(std::nullopt);
            return;
        }
        if (a.size() < 2) throw VerbError("usage: @font FACE POINTS [bold] [italic] [color=R,G,B] | @font cancel");
        FontAnswer f;
        f.face = a[0];
        try {
            f.points = std::stoi(a[1]);
        } catch (const std::exception&) {
            throw VerbError("the font size is a number of points");
        }
        for (size_t i = 2; i < a.size(); ++i) {
            if (a[i] == "bold") f.bold = true;
            else if (a[i] == "italic") f.italic = true;
            else if (a[i].rfind("color=", 0) == 0) f.colour = parseColour({a[i].substr(6)});
            else throw VerbError("unknown font option '" + a[i] + "'");
        }
        queueFont(f);
    }, "@font FACE POINTS [bold] [italic] [color=R,G,B] | @font cancel");
    runner.addVerb("color", [](Runner&, const Args& a) {
        if (a.empty() || (a.size() == 1 && a[0] == "cancel")) queueColour(std::nullopt);
        else queueColour(parseColour(a));
    }, "@color R G B | #RRGGBB | cancel");
    runner.addVerb("clipboard", [](Runner&, const Args&) {
        WindowManager::get().pump();
        auto text = clipboardText();
        if (!text) {
            Desktop::get().print("[clipboard] empty\n");
            return;
        }
        std::string out = "[clipboard]\n";
        size_t start = 0;
        while (start <= text->size()) {
            size_t end = text->find('\n', start);
            std::string line = text->substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out += "  " + line + "\n";
            if (end == std::string::npos) break;
            start = end + 1;
        }
        Desktop::get().print(out);
    }, "@clipboard");
    runner.addVerb("menu", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @menu \"Text\" (a submenu entry as \"Parent>Child\")");
        queueMenuPick(a[0]);
    }, "@menu \"Text\"|\"Parent>Child\"");
    runner.addVerb("menu-dump", [](Runner&, const Args&) {
        WindowManager::get().pump();
        auto tracked = lastTrackedMenu();
        if (!tracked) throw VerbError("no menu has been opened");
        Desktop::get().print(tracked->dump);
    }, "@menu-dump");
}

}  // namespace sim::desk
