// Common dialogs (open and save file names, folder, font, colour) answered from the script, the
// shell's open and explore requests (recorded, never run), and the clipboard.
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "win/clipboard.h"
#include "win/commdlg.h"
#include "win/shell.h"
#include "win/system.h"

namespace fs = std::filesystem;

namespace sim::desk {
namespace {

struct State {
    std::recursive_mutex mutex;
    std::deque<std::vector<std::string>> files;
    std::deque<std::string> folders;
    std::deque<std::optional<FontAnswer>> fonts;
    std::deque<std::optional<COLORREF>> colours;
    std::vector<FileDialogRecord> fileRecords;
    std::vector<FolderDialogRecord> folderRecords;
    std::vector<ShellRequest> shell;
    DWORD lastError = 0;
    // Clipboard.
    std::optional<std::string> clip;
    HWND clipOpenBy = nullptr;
    bool clipOpen = false;
};
State& st() {
    static State s;
    return s;
}

// Interactive use with nothing queued: the terminal asks.
std::optional<std::string> askTerminal(const std::string& question) {
    if (!Desktop::get().interactive()) return std::nullopt;
    return Desktop::get().readLine(question);
}

BOOL fileDialog(OPENFILENAME* ofn, bool save) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    s.lastError = 0;
    if (!ofn) {
        s.lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    s.fileRecords.push_back({save, ofn->lpstrTitle, ofn->lpstrFilter, ofn->lpstrInitialDir, ofn->Flags, ofn->nMaxFile});
    const std::string what = save ? "[save file] " : "[open file] ";
    const std::string title = ofn->lpstrTitle.empty() ? (save ? "Save As" : "Open") : ofn->lpstrTitle;
    std::vector<std::string> paths;
    bool answered = false;
    if (!s.files.empty()) {
        paths = std::move(s.files.front());
        s.files.pop_front();
        answered = true;
    } else if (auto line = askTerminal(what + title + " (paths separated by '|', empty cancels): ")) {
        size_t start = 0;
        while (start <= line->size() && !line->empty()) {
            size_t bar = line->find('|', start);
            std::string p = line->substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            if (!p.empty()) paths.push_back(p);
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        answered = true;
    }
    const auto cancel = [&](const std::string& why) {
        Desktop::get().print(what + title + " -> cancelled" + (why.empty() ? "" : " (" + why + ")") + "\n");
        return FALSE;
    };
    if (!answered || paths.empty()) return cancel("");
    const bool multi = !save && (ofn->Flags & OFN_ALLOWMULTISELECT);
    if (paths.size() > 1 && !multi) return cancel("several files given to a single-file dialog");
    for (auto& p : paths) {
        // The dialog answers with full paths, whatever was typed into it.
        std::error_code ec;
        p = fs::absolute(p, ec).lexically_normal().string();
        if (save && fs::path(p).extension().empty() && !ofn->lpstrDefExt.empty()) p += "." + ofn->lpstrDefExt;
    }
    const std::string folder = fs::path(paths[0]).parent_path().string();
    for (const auto& p : paths) {
        if (fs::path(p).parent_path().string() != folder) return cancel("the files are not in one folder");
        std::error_code ec;
        if (!save && (ofn->Flags & OFN_FILEMUSTEXIST) && !fs::is_regular_file(p, ec)) return cancel(p + " does not exist");
        if ((ofn->Flags & OFN_PATHMUSTEXIST) && !folder.empty() && !fs::is_directory(folder, ec))
            return cancel(folder + " does not exist");
    }
    if (save && (ofn->Flags & OFN_OVERWRITEPROMPT) && fs::exists(paths[0])) {
        const int answer = MessageBox(ofn->hwndOwner, paths[0] + " already exists.\nDo you want to replace it?",
                                      "Confirm Save As", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES) return cancel("not replaced");
    }
    // The answer as Windows writes it: one full path, or the folder and the names, each ending in
    // NUL, with a second NUL at the end.
    std::string out;
    WORD fileOffset = 0, extOffset = 0;
    if (paths.size() == 1) {
        out = paths[0];
        fileOffset = WORD(std::min<size_t>(out.size() - fs::path(out).filename().string().size(), 0xFFFF));
        const std::string ext = fs::path(out).extension().string();
        extOffset = ext.empty() ? WORD(std::min<size_t>(out.size(), 0xFFFF)) : WORD(std::min<size_t>(out.size() - ext.size() + 1, 0xFFFF));
        out.push_back('\0');
        if (multi) out.push_back('\0');
    } else {
        out = folder;
        out.push_back('\0');
        fileOffset = WORD(std::min<size_t>(out.size(), 0xFFFF));
        for (const auto& p : paths) {
            out += fs::path(p).filename().string();
            out.push_back('\0');
        }
        out.push_back('\0');
    }
    if (!ofn->lpstrFile || out.size() > ofn->nMaxFile) {
        s.lastError = FNERR_BUFFERTOOSMALL;
        if (ofn->lpstrFile && ofn->nMaxFile >= 2) {
            const WORD need = WORD(std::min<size_t>(out.size(), 0xFFFF));
            std::memcpy(ofn->lpstrFile, &need, 2);
        }
        Desktop::get().print(what + title + " -> failed (the name buffer is too small)\n");
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, out.data(), out.size());
    ofn->nFileOffset = fileOffset;
    ofn->nFileExtension = extOffset;
    std::string shown;
    for (const auto& p : paths) shown += (shown.empty() ? "" : "; ") + p;
    Desktop::get().print(what + title + " -> " + shown + "\n");
    return TRUE;
}

}  // namespace

void resetCommonDialogs() {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    s.files.clear();
    s.folders.clear();
    s.fonts.clear();
    s.colours.clear();
    s.fileRecords.clear();
    s.folderRecords.clear();
    s.shell.clear();
    s.lastError = 0;
    s.clip.reset();
    s.clipOpen = false;
    s.clipOpenBy = nullptr;
}

void queueFiles(std::vector<std::string> paths) {
    std::lock_guard lock(st().mutex);
    st().files.push_back(std::move(paths));
}
void queueFolder(std::string path) {
    std::lock_guard lock(st().mutex);
    st().folders.push_back(std::move(path));
}
void queueFont(std::optional<FontAnswer> font) {
    std::lock_guard lock(st().mutex);
    st().fonts.push_back(std::move(font));
}
void queueColour(std::optional<COLORREF> colour) {
    std::lock_guard lock(st().mutex);
    st().colours.push_back(colour);
}
const std::vector<FileDialogRecord>& fileDialogs() { return st().fileRecords; }
const std::vector<FolderDialogRecord>& folderDialogs() { return st().folderRecords; }
const std::vector<ShellRequest>& shellRequests() { return st().shell; }
std::optional<std::string> clipboardText() {
    std::lock_guard lock(st().mutex);
    return st().clip;
}

}  // namespace sim::desk

using sim::Desktop;
using sim::desk::st;

BOOL GetOpenFileName(OPENFILENAME* ofn) { return sim::desk::fileDialog(ofn, false); }
BOOL GetSaveFileName(OPENFILENAME* ofn) { return sim::desk::fileDialog(ofn, true); }
DWORD CommDlgExtendedError() { return st().lastError; }

BOOL ChooseFont(CHOOSEFONT* cf) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!cf || !cf->lpLogFont) return FALSE;
    std::optional<sim::desk::FontAnswer> answer;
    if (!s.fonts.empty()) {
        answer = s.fonts.front();
        s.fonts.pop_front();
    }
    if (!answer) {
        Desktop::get().print("[font] -> cancelled\n");
        return FALSE;
    }
    LOGFONT lf = (cf->Flags & CF_INITTOLOGFONTSTRUCT) ? *cf->lpLogFont : LOGFONT{};
    lf.lfFaceName = answer->face;
    lf.lfHeight = -int(std::lround(answer->points * 96.0 / 72.0));
    lf.lfWidth = 0;
    lf.lfWeight = answer->bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = answer->italic ? 1 : 0;
    *cf->lpLogFont = lf;
    cf->iPointSize = answer->points * 10;
    if ((cf->Flags & CF_EFFECTS) && answer->colour) cf->rgbColors = *answer->colour;
    Desktop::get().print("[font] -> " + answer->face + " " + std::to_string(answer->points) + (answer->bold ? " bold" : "") +
                         (answer->italic ? " italic" : "") + "\n");
    return TRUE;
}

BOOL ChooseColor(CHOOSECOLOR* cc) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!cc) return FALSE;
    std::optional<COLORREF> answer;
    if (!s.colours.empty()) {
        answer = s.colours.front();
        s.colours.pop_front();
    }
    if (!answer) {
        Desktop::get().print("[color] -> cancelled\n");
        return FALSE;
    }
    cc->rgbResult = *answer;
    Desktop::get().print("[color] -> " + std::to_string(GetRValue(*answer)) + "," + std::to_string(GetGValue(*answer)) + "," +
                         std::to_string(GetBValue(*answer)) + "\n");
    return TRUE;
}

// ---- Shell ----------------------------------------------------------------------------------------

INT_PTR ShellExecute(HWND, const std::string& verb, const std::string& file, const std::string& parameters,
                     const std::string& directory, int showCmd) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (file.empty()) return INT_PTR(ERROR_FILE_NOT_FOUND);
    const std::string v = verb.empty() ? "open" : verb;
    s.shell.push_back({v, file, parameters, directory, showCmd});
    Desktop::get().print("[shell] " + v + " " + file + (parameters.empty() ? "" : " " + parameters) + "\n");
    return 42;
}

struct ITEMIDLIST {
    std::string path;
};

PIDLIST_ABSOLUTE SHBrowseForFolder(const BROWSEINFO* info) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    const std::string title = info ? info->lpszTitle : std::string();
    s.folderRecords.push_back({title, info ? info->startFolder : std::string()});
    std::string answer;
    if (!s.folders.empty()) {
        answer = s.folders.front();
        s.folders.pop_front();
    } else if (auto line = sim::desk::askTerminal("[folder] " + title + " (empty cancels): ")) {
        answer = *line;
    }
    std::error_code ec;
    if (!answer.empty() && (info && (info->ulFlags & BIF_RETURNONLYFSDIRS)) && !fs::is_directory(answer, ec)) {
        Desktop::get().print("[folder] " + title + " -> cancelled (" + answer + " is no folder)\n");
        return nullptr;
    }
    Desktop::get().print("[folder] " + title + " -> " + (answer.empty() ? std::string("cancelled") : answer) + "\n");
    if (answer.empty()) return nullptr;
    return new ITEMIDLIST{answer};
}

BOOL SHGetPathFromIDList(PIDLIST_ABSOLUTE pidl, std::string* path) {
    if (!pidl || !path) return FALSE;
    *path = pidl->path;
    return TRUE;
}

void CoTaskMemFree(void* memory) { delete static_cast<ITEMIDLIST*>(memory); }

// ---- Clipboard ------------------------------------------------------------------------------------

BOOL OpenClipboard(HWND owner) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (s.clipOpen && s.clipOpenBy != owner) return FALSE;
    s.clipOpen = true;
    s.clipOpenBy = owner;
    return TRUE;
}

BOOL CloseClipboard() {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!s.clipOpen) return FALSE;
    s.clipOpen = false;
    s.clipOpenBy = nullptr;
    return TRUE;
}

BOOL EmptyClipboard() {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!s.clipOpen) return FALSE;
    s.clip.reset();
    return TRUE;
}

BOOL SetClipboardData(UINT format, const std::string& text) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!s.clipOpen || (format != CF_TEXT && format != CF_UNICODETEXT)) return FALSE;
    // Clipboard text ends at its first NUL, as a C string on the clipboard does.
    s.clip = text.substr(0, text.find('\0'));
    return TRUE;
}

BOOL GetClipboardData(UINT format, std::string* text) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    if (!s.clipOpen || !s.clip || (format != CF_TEXT && format != CF_UNICODETEXT)) return FALSE;
    if (text) *text = *s.clip;
    return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    auto& s = st();
    std::lock_guard lock(s.mutex);
    return s.clip && (format == CF_TEXT || format == CF_UNICODETEXT);
}

namespace {
size_t utf8Chars(const std::string& s) {
    size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}
// The first `chars` characters.
std::string utf8Head(const std::string& s, size_t chars) {
    size_t at = 0;
    for (size_t n = 0; n < chars && at < s.size(); ++n) {
        ++at;
        while (at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) ++at;
    }
    return s.substr(0, at);
}
}  // namespace

BOOL PathCompactPathEx(std::string* out, const std::string& path, UINT maxChars, DWORD) {
    if (!out || maxChars == 0) return FALSE;
    const size_t room = maxChars - 1;
    if (utf8Chars(path) <= room) {
        *out = path;
        return TRUE;
    }
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash);   // with its separator
    const size_t nameChars = utf8Chars(name);
    if (nameChars + 3 > room) {
        // Not even the name fits: as much of it as fits, then the ellipsis.
        const std::string bare = slash == std::string::npos ? path : path.substr(slash + 1);
        *out = room <= 3 ? utf8Head("...", room) : utf8Head(bare, room - 3) + "...";
        return TRUE;
    }
    *out = utf8Head(path, room - 3 - nameChars) + "..." + name;
    return TRUE;
}
