// Script verbs of the desktop: the frame's system menu and the monitors.
#include "arx/aced.h"
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/script/runner.h"
#include "win/menu.h"

namespace sim::desk {

std::map<std::string, std::function<HWND()>>& snapshotTargets() {
    static std::map<std::string, std::function<HWND()>> targets;
    return targets;
}

void registerDeskVerbs(script::Runner& runner) {
    snapshotTargets()["bar"] = [] {
        const FrameAreas a = frameAreas();
        return a.bars.empty() ? HWND(nullptr) : a.bars.front().first;
    };
    runner.addVerb("sysmenu", [](script::Runner&, const script::Args&) {
        WindowManager::get().pump();
        Desktop::get().print(dumpMenu(GetSystemMenu(acedGetAcadFrame(), FALSE)));
    }, "@sysmenu");
    runner.addVerb("monitors", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1) throw script::VerbError("usage: @monitors N");
        int n = std::stoi(a[0]);
        if (n < 1 || n > 8) throw script::VerbError("monitor count must be 1 to 8");
        setMonitorCount(n);
    }, "@monitors N");
    runner.addVerb("snapshot", [](script::Runner&, const script::Args& a) {
        if (a.empty() || a.size() > 2) throw script::VerbError("usage: @snapshot FILE.png [frame]");
        WindowManager::get().pump();
        HWND target = acedGetAcadFrame();
        if (a.size() == 2 && a[1] != "frame") {
            auto named = snapshotTargets().find(a[1]);
            if (named == snapshotTargets().end()) throw script::VerbError("nothing to picture as '" + a[1] + "'");
            target = named->second();
            if (!target) throw script::VerbError("no " + a[1] + " window is there to picture");
        }
        if (!snapshotWindow(target, a[0])) throw script::VerbError("cannot write " + a[0]);
        Desktop::get().print("snapshot " + a[0] + "\n");
    }, "@snapshot FILE.png [frame|bar|dialog]");
    runner.addVerb("ime", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1 || (a[0] != "native" && a[0] != "alpha"))
            throw script::VerbError("usage: @ime native|alpha");
        setImeModes(a[0] == "native" ? 1 : 0, 0);
    }, "@ime native|alpha");
    runner.addVerb("syscommand", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1) throw script::VerbError("usage: @syscommand ID");
        PostMessage(acedGetAcadFrame(), WM_SYSCOMMAND, WPARAM(std::stoul(a[0])), 0);
        WindowManager::get().pump();
    }, "@syscommand ID");
}

}  // namespace sim::desk
