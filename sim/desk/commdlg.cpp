// Common dialogs, shell requests and the clipboard of the simulated desktop. The file and folder
// dialogs take the answers the script queued (@files, @folder); a shell request is recorded and
// printed, not run.
#include <deque>
#include <mutex>
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "win/commdlg.h"
#include "win/shell.h"

namespace sim::desk {
namespace {
struct Dialogs {
    std::mutex mutex;
    std::deque<std::vector<std::string>> files;
    std::deque<std::string> folders;
    DWORD lastError = 0;
    std::string clipboard;
    bool hasClipboard = false;
    std::vector<std::string> shellRequests;
};
Dialogs& dialogs() {
    static Dialogs d;
    return d;
}
}  // namespace

void queueFiles(std::vector<std::string> paths) {
    std::lock_guard lock(dialogs().mutex);
    dialogs().files.push_back(std::move(paths));
}
void queueFolder(std::string folder) {
    std::lock_guard lock(dialogs().mutex);
    dialogs().folders.push_back(std::move(folder));
}
std::vector<std::string> shellRequests() {
    std::lock_guard lock(dialogs().mutex);
    return dialogs().shellRequests;
}
void resetCommonDialogs() {
    std::lock_guard lock(dialogs().mutex);
    auto& d = dialogs();
    d.files.clear();
    d.folders.clear();
    d.lastError = 0;
    d.clipboard.clear();
    d.hasClipboard = false;
    d.shellRequests.clear();
}

}  // namespace sim::desk

using sim::desk::dialogs;

BOOL GetOpenFileName(OPENFILENAME* ofn) {
    auto& d = dialogs();
    std::vector<std::string> chosen;
    {
        std::lock_guard lock(d.mutex);
        d.lastError = 0;
        if (!ofn || !ofn->file) return FALSE;
        if (d.files.empty()) {
            sim::Desktop::get().print("[Open] " + ofn->title + ": cancelled\n");
            return FALSE;
        }
        chosen = d.files.front();
        d.files.pop_front();
    }
    if (chosen.empty()) return FALSE;
    // One file: its path. Several: the folder, then the names, each ended by a zero.
    std::string result;
    if (chosen.size() == 1 || !(ofn->flags & OFN_ALLOWMULTISELECT)) {
        result = chosen.front();
        result.push_back('\0');
    } else {
        const std::string& first = chosen.front();
        const std::string folder = first.substr(0, first.find_last_of('/'));
        result = folder;
        result.push_back('\0');
        for (const auto& p : chosen) {
            result += p.substr(p.find_last_of('/') + 1);
            result.push_back('\0');
        }
    }
    result.push_back('\0');
    if (result.size() > ofn->maxFile || result.size() > ofn->file->size()) {
        std::lock_guard lock(d.mutex);
        d.lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::copy(result.begin(), result.end(), ofn->file->begin());
    sim::Desktop::get().print("[Open] " + ofn->title + ": " + std::to_string(chosen.size()) + " file(s)\n");
    return TRUE;
}

DWORD CommDlgExtendedError() {
    std::lock_guard lock(dialogs().mutex);
    return dialogs().lastError;
}

std::string KvBrowseForFolder(HWND, const std::string& title, const std::string&) {
    auto& d = dialogs();
    std::string folder;
    {
        std::lock_guard lock(d.mutex);
        if (!d.folders.empty()) {
            folder = d.folders.front();
            d.folders.pop_front();
        }
    }
    sim::Desktop::get().print("[Folder] " + title + (folder.empty() ? std::string(" cancelled") : " " + folder) + "\n");
    return folder;
}

INT_PTR ShellExecute(HWND, const std::string& verb, const std::string& file, const std::string&, const std::string&,
                     int) {
    {
        std::lock_guard lock(dialogs().mutex);
        dialogs().shellRequests.push_back(verb + " " + file);
    }
    sim::Desktop::get().print("[shell] " + verb + " " + file + "\n");
    return 42;
}

BOOL KvSetClipboardText(HWND, const std::string& text) {
    std::lock_guard lock(dialogs().mutex);
    dialogs().clipboard = text;
    dialogs().hasClipboard = true;
    return TRUE;
}

bool KvGetClipboardText(std::string* text) {
    std::lock_guard lock(dialogs().mutex);
    if (!dialogs().hasClipboard) return false;
    if (text) *text = dialogs().clipboard;
    return true;
}
