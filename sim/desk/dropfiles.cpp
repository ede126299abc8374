// Files dropped from the file manager: the drop handle and the @drop verb.
#include <vector>
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/script/runner.h"
#include "win/shell.h"

struct KvDrop__ {
    std::vector<std::string> paths;
};

namespace sim::desk {

void registerDropVerbs(script::Runner& runner) {
    runner.addVerb("drop", [](script::Runner&, const script::Args& a) {
        if (a.empty()) throw script::VerbError("usage: @drop PATH...");
        WindowManager::get().pump();
        HWND target = topDialog();
        if (!target) throw script::VerbError("no dialog is open to drop files on");
        if (!(GetWindowLongPtr(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
            throw script::VerbError("the dialog does not accept dropped files");
        auto* drop = new KvDrop__{std::vector<std::string>(a.begin(), a.end())};
        SendMessage(target, WM_DROPFILES, WPARAM(drop), 0);
        WindowManager::get().pump();
    }, "@drop PATH...   (on the open dialog)");
}

}  // namespace sim::desk

void DragAcceptFiles(HWND wnd, BOOL accept) {
    const LONG_PTR ex = GetWindowLongPtr(wnd, GWL_EXSTYLE);
    SetWindowLongPtr(wnd, GWL_EXSTYLE, accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~LONG_PTR(WS_EX_ACCEPTFILES)));
}

UINT DragQueryFile(HDROP drop, UINT index, std::string* path) {
    if (!drop) return 0;
    if (index == 0xFFFFFFFF) return UINT(drop->paths.size());
    if (index >= drop->paths.size()) return 0;
    if (path) *path = drop->paths[index];
    return UINT(drop->paths[index].size());
}

void DragFinish(HDROP drop) { delete drop; }
