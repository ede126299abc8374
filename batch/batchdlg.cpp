#include "batch/batchdlg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "arx/aced.h"
#include "arx/docman.h"
#include "batch/batchrules.h"
#include "batch/batchrunner.h"
#include "core/app_state.h"
#include "core/files.h"
#include "core/guard.h"
#include "core/listmerge.h"
#include "core/paths.h"
#include "core/resource_scope.h"
#include "core/text.h"
#include "hosting/features.h"
#include "hosting/switcher.h"
#include "menus/tabmenus.h"
#include "res/resource.h"
#include "tabstrip/panel.h"
#include "uikit/pickers.h"
#include "win/commdlg.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/shell.h"

namespace fs = std::filesystem;

namespace {

constexpr UINT kMsgWorker = WM_USER + 0x210;   // the runner's worker queued something for the dialog
constexpr UINT kPopupTest = 1, kPopupOpen = 2, kPopupClose = 3;
constexpr const char* kScriptListFile = "Korvane.mscript";
constexpr const char* kConsoleProgram = "accoreconsole.exe";
constexpr const char* kCaption = "Batch Scripts";

// Columns of the drawing list.
enum Column { kStatus, kName, kSize, kLastWrite, kOpen, kColumnCount };

// The record behind one row of the drawing list (its lParam); the dialog owns it.
struct DrawingEntry {
    bool isOpen = false;
    std::string path;
    std::string texts[kColumnCount];
};

// ---- Helpers ---------------------------------------------------------------------------------------

AcApDocument* openDocument(const std::string& path) {
    std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
    for (; it && !it->done(); it->step())
        if (AcApDocument* doc = it->document(); doc && EqualsNoCase(doc->fileName(), path)) return doc;
    return nullptr;
}

bool isDrawingOpen(const std::string& path) { return openDocument(path) != nullptr; }

// The paths a multi-select open dialog returned: one path, or a folder followed by names.
std::vector<std::string> pickFiles(HWND owner, const std::string& filter, const std::string& startFolder) {
    KvOpenFilesRequest request;
    request.owner = owner;
    request.filter = filter;
    request.startFolder = startFolder;
    return KvPickOpenFiles(request);
}

bool hasExtension(const std::string& path, const char* extension) {
    return EqualsNoCase(SplitPath(path).extension, extension);
}

// ---- The dialog ------------------------------------------------------------------------------------

// The window over a batch runner: its controls, the user's actions, and the rows the runner's
// reports change.
class AcKvUiMultiScriptDialog final : public KvBatchDialog, private KvBatchRunnerListener {
public:
    bool Create(HWND parent) {
        hwnd_ = KvFromResources(
            [&](HINSTANCE module) {
                return CreateDialogParam(
                    module, IDD_BATCH_SCRIPT, parent,
                    [this](HWND h, UINT m, WPARAM wp, LPARAM lp) { return proc(h, m, wp, lp); }, 0);
            },
            HWND(nullptr));
        return hwnd_ != nullptr;
    }
    HWND hwnd() const { return hwnd_; }
    void Show() { ShowWindow(hwnd_, SW_SHOW); }

    // Unload: the worker is stopped and waited for, then the closing steps run before destruction.
    void Destroy() {
        if (!hwnd_) return;
        runner_.Shutdown();
        closeSteps();
        HWND h = hwnd_;
        hwnd_ = nullptr;
        DestroyWindow(h);
    }

    void DocumentEvent(const std::string& fileName, bool opened) {
        if (fileName.empty() || !hwnd_) return;
        const int count = rowCount(IDC_BATCH_DRAWINGS);
        for (int row = 0; row < count; ++row) {
            DrawingEntry* e = entryAt(row);
            if (e && EqualsNoCase(e->path, fileName)) setOpen(row, e, opened);
        }
    }

private:
    // ---- Messages ----
    INT_PTR proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
        case WM_INITDIALOG:
            hwnd_ = h;
            KvGuard("AcKvUiMultiScriptDialog::OnInitDialog", [this] { onInit(); });
            return TRUE;
        case WM_COMMAND:
            KvGuard("AcKvUiMultiScriptDialog::OnCommand", [this, wp] { onCommand(LOWORD(wp)); });
            return TRUE;
        case WM_CLOSE: KvGuard("AcKvUiMultiScriptDialog::OnClose", [this] { onClose(); }); return TRUE;
        case WM_NOTIFY:
            KvGuard("AcKvUiMultiScriptDialog::OnNotify", [this, lp] { onNotify(reinterpret_cast<NMHDR*>(lp)); });
            return TRUE;
        case WM_DROPFILES:
            KvGuardLine("Exception error :  AcKvUiTabCtrl::OnDropFiles. \n",
                        [this, wp] { onDropFiles(reinterpret_cast<HDROP>(wp)); });
            return TRUE;
        case kMsgWorker: KvGuard("AcKvUiMultiScriptDialog::OnWorker", [this] { runner_.Drain(); }); return TRUE;
        default: return FALSE;
        }
    }

    void onInit() {
        DragAcceptFiles(hwnd_, TRUE);
        loadScriptList();
        if (acedFindFile(kConsoleProgram, &consolePath_) != RTNORM) consolePath_.clear();
        SetDlgItemText(hwnd_, IDC_BATCH_FILE_TYPE, "*.dwg");
        ShowWindow(GetDlgItem(hwnd_, IDC_BATCH_STOP), SW_HIDE);
        ShowWindow(GetDlgItem(hwnd_, IDC_BATCH_PROGRESS), SW_HIDE);

        HWND scripts = item(IDC_BATCH_SCRIPTS), drawings = item(IDC_BATCH_DRAWINGS);
        SendMessage(scripts, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                    LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
        SendMessage(drawings, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        addColumns(scripts, {{"Name", 180}, {"Filepath", 280}});
        // Date and open columns are wider than the classic 150 and 50 pixels, and the name column
        // narrower, so that the dialog font's dates fit in the list.
        addColumns(drawings, {{"Status", 80}, {"Name", 156}, {"Size", 80}, {"Last Write", 200}, {"IsOpend", 62}});
        for (const auto& s : scripts_) insertScriptRow(rowCount(IDC_BATCH_SCRIPTS), s);
        scripts_.clear();
        SendMessage(item(IDC_BATCH_AT_ONCE_SPIN), UDM_SETRANGE32, 1, kKvMaxAtOnce);
        SendMessage(item(IDC_BATCH_AT_ONCE_SPIN), UDM_SETPOS32, 0, 1);
        addTooltips();
        updateCount();
    }

    void addTooltips() {
        static const std::pair<int, const char*> kTips[] = {
            {IDC_BATCH_SCRIPT_ADD, "Select and add a script file."},
            {IDC_BATCH_SCRIPT_EDIT, "Open the selected script file."},
            {IDC_BATCH_SCRIPT_UP, "Move selected item up."},
            {IDC_BATCH_SCRIPT_DOWN, "Move selected item down."},
            {IDC_BATCH_SCRIPT_REMOVE, "Remove from script list."},
            {IDC_BATCH_TEST_ALL, "Run all selected scripts."},
            {IDC_BATCH_SELECT_FOLDER, "Select the folder where the drawing file is located."},
            {IDC_BATCH_APPEND, "Add drawings to file list."},
            {IDC_BATCH_REMOVE, "Remove selected drawings from the file list."},
            {IDC_BATCH_SUCCESS_REMOVE, "Delete successful entries from the file list."},
            {IDC_BATCH_START, "Start script batch execution."},
            {IDC_BATCH_STOP, "Abort script batch execution."},
            {IDC_BATCH_CLOSE, "Close the Script Batch dialog box."},
            {IDC_BATCH_AT_ONCE, "Number of console programs that run at the same time."},
        };
        CREATEWINDOW create;
        create.className = TOOLTIPS_CLASS;
        create.style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
        create.exStyle = WS_EX_TOPMOST;
        create.parent = hwnd_;
        HWND tip = CreateWindowEx(create);
        if (!tip) return;
        for (const auto& [id, text] : kTips) {
            HWND control = item(id);
            if (!control) continue;   // a translated dialog without the control
            TOOLINFO info;
            info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            info.hwnd = hwnd_;
            info.uId = reinterpret_cast<UINT_PTR>(control);
            info.lpszText = text;
            SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info));
        }
    }

    // The "At once" box: how many consoles a run keeps going; 1 when the box is missing or empty.
    int atOnce() const {
        BOOL ok = FALSE;
        const UINT value = item(IDC_BATCH_AT_ONCE) ? GetDlgItemInt(hwnd_, IDC_BATCH_AT_ONCE, &ok, FALSE) : 1;
        return ok ? std::clamp(int(std::min<UINT>(value, kKvMaxAtOnce)), 1, kKvMaxAtOnce) : 1;
    }

    void onCommand(WORD id) {
        if (running()) {
            // Only Stop works while a worker runs (Enter and Escape included).
            if (id == IDC_BATCH_STOP) onStop();
            return;
        }
        switch (id) {
        case IDC_BATCH_SCRIPT_ADD:
            KvGuardLine("Exception error : append scr file(s). \n", [this] { onAddScripts(); });
            break;
        case IDC_BATCH_SCRIPT_EDIT: onEditScript(); break;
        case IDC_BATCH_SCRIPT_UP: moveScript(-1); break;
        case IDC_BATCH_SCRIPT_DOWN: moveScript(+1); break;
        case IDC_BATCH_SCRIPT_REMOVE: removeScript(); break;
        case IDC_BATCH_TEST_ALL: onTestAll(); break;
        case IDC_BATCH_SELECT_FOLDER: onSelectFolder(); break;
        case IDC_BATCH_APPEND:
            KvGuardLine("Exception error : append dwg file(s). \n", [this] { onAppendDrawings(); });
            break;
        case IDC_BATCH_REMOVE: removeSelectedDrawings(); break;
        case IDC_BATCH_SUCCESS_REMOVE: removeSucceeded(); break;
        case IDC_BATCH_START: onStart(); break;
        case IDC_BATCH_CLOSE:
        case IDCANCEL: onClose(); break;
        default: break;
        }
    }

    void onNotify(NMHDR* nm) {
        if (!nm) return;
        if (nm->idFrom == IDC_BATCH_SCRIPTS) {
            const auto* act = reinterpret_cast<NMITEMACTIVATE*>(nm);
            if (nm->code == NM_DBLCLK && act->iItem >= 0 && !running()) testScripts({scriptPath(act->iItem)});
            if (nm->code == NM_RCLICK && !running()) scriptPopup();
        } else if (nm->idFrom == IDC_BATCH_DRAWINGS) {
            if (nm->code == NM_RCLICK && !running()) drawingPopup();
            if (nm->code == LVN_COLUMNCLICK && !running()) sortDrawings(reinterpret_cast<NMLISTVIEW*>(nm)->iSubItem);
        }
    }

    // ---- Script list ----
    void loadScriptList() {
        std::string found;
        scriptListPath_ = acedFindFile(kScriptListFile, &found) == RTNORM ? found : App().dataFolder + kScriptListFile;
        if (auto bytes = ReadFileBytes(scriptListPath_)) {
            scripts_ = storedScripts_ = KvParseScriptList(*bytes);
        } else {
            scripts_.clear();
            saveScriptList();
        }
    }

    void saveScriptList() {
        std::vector<KvScriptEntry> list;
        if (hwnd_) {
            for (int row = 0; row < rowCount(IDC_BATCH_SCRIPTS); ++row)
                list.push_back({scriptTicked(row), scriptPath(row)});
        }
        // Another host may have saved the list since this one read it: its changes are kept, and
        // the rows show the list as stored.
        KvHostsLock hosts("scriptlist");
        std::vector<KvScriptEntry> theirs;
        if (auto bytes = ReadFileBytes(scriptListPath_)) theirs = KvParseScriptList(*bytes);
        const auto merged = KvMergeLists(storedScripts_, list, theirs, [](const KvScriptEntry& e) { return e.path; });
        WriteFileAtomic(scriptListPath_, KvFormatScriptList(merged));
        storedScripts_ = merged;
        if (hwnd_ && merged != list) {
            SendMessage(item(IDC_BATCH_SCRIPTS), LVM_DELETEALLITEMS, 0, 0);
            for (const auto& entry : merged) insertScriptRow(rowCount(IDC_BATCH_SCRIPTS), entry);
        }
    }

    void insertScriptRow(int at, const KvScriptEntry& s) {
        HWND list = item(IDC_BATCH_SCRIPTS);
        LVITEM it;
        it.mask = LVIF_TEXT;
        it.iItem = at;
        it.text = SplitPath(s.path).name;
        const int row = int(SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&it)));
        if (row < 0) return;
        setText(list, row, 1, s.path);
        setTicked(row, s.ticked);
    }

    bool hasScript(const std::string& path) {
        for (int row = 0; row < rowCount(IDC_BATCH_SCRIPTS); ++row)
            if (scriptPath(row) == path) return true;
        return false;
    }

    void addScript(const std::string& path) {
        if (hasScript(path)) return;
        insertScriptRow(rowCount(IDC_BATCH_SCRIPTS), {true, path});
    }

    void onAddScripts() {
        const auto paths = pickFiles(hwnd_, std::string("AutoCAD Script files\0*.scr\0\0", 29), lastScriptFolder_);
        for (const auto& p : paths) addScript(p);
        if (!paths.empty()) lastScriptFolder_ = FolderOf(paths.back());
    }

    void onEditScript() {
        const int row = selectedRow(IDC_BATCH_SCRIPTS);
        if (row < 0) return;
        ShellExecute(hwnd_, "open", "NOTEPAD.EXE", QuoteArgument(scriptPath(row)), "", SW_SHOWNORMAL);
    }

    void moveScript(int delta) {
        const int row = selectedRow(IDC_BATCH_SCRIPTS);
        const int other = row + delta;
        if (row < 0 || other < 0 || other >= rowCount(IDC_BATCH_SCRIPTS)) return;
        const KvScriptEntry a{scriptTicked(row), scriptPath(row)}, b{scriptTicked(other), scriptPath(other)};
        HWND list = item(IDC_BATCH_SCRIPTS);
        for (const auto& [r, s] : {std::pair{row, b}, std::pair{other, a}}) {
            setText(list, r, 0, SplitPath(s.path).name);
            setText(list, r, 1, s.path);
            setTicked(r, s.ticked);
        }
        selectOnly(list, other);
    }

    void removeScript() {
        const int row = selectedRow(IDC_BATCH_SCRIPTS);
        if (row < 0) return;
        HWND list = item(IDC_BATCH_SCRIPTS);
        SendMessage(list, LVM_DELETEITEM, WPARAM(row), 0);
        if (row > 0) selectOnly(list, row - 1);
    }

    std::vector<std::string> tickedScripts() {
        std::vector<std::string> out;
        for (int row = 0; row < rowCount(IDC_BATCH_SCRIPTS); ++row)
            if (scriptTicked(row)) out.push_back(scriptPath(row));
        return out;
    }

    // The checks Start and Test All share; the message box says what is missing.
    bool scriptsReady() {
        if (rowCount(IDC_BATCH_SCRIPTS) == 0) {
            MessageBox(hwnd_, "Empty entries in the target script.", kCaption, MB_OK | MB_ICONWARNING);
            return false;
        }
        if (tickedScripts().empty()) {
            MessageBox(hwnd_, "Please select at least one script file.", kCaption, MB_OK | MB_ICONWARNING);
            return false;
        }
        return true;
    }

    // Writes the ticked scripts joined into the plug-in's script folder; false (with the error
    // line) when a script cannot be read or the file cannot be written.
    // The name is this host process's own (`stem`.scr unless another host runs one at the same
    // time), so that two hosts never run or overwrite each other's.
    bool writeGenerated(const char* stem) {
        const std::string folder = App().dataFolder + "Script" + kPathSeparator;
        const std::string name = KvHostOwnFileName(folder, stem, ".scr");
        auto text = KvBuildBatchScript(tickedScripts());
        if (!text) return false;
        std::error_code ec;
        fs::create_directories(folder, ec);
        const std::string path = folder + name;
        if (!WriteFileAtomic(path, *text)) return false;
        generated_ = path;
        if (std::find(written_.begin(), written_.end(), path) == written_.end()) written_.push_back(path);
        return true;
    }

    void onTestAll() {
        if (!scriptsReady()) return;
        if (!writeGenerated("mtestAll")) {
            acutPrintf("\nexception error in starting");
            return;
        }
        testScripts({generated_});
    }

    // Runs the scripts, one after another, in the current drawing through KV_SCRIPT.
    void testScripts(const std::vector<std::string>& paths) {
        // A script queued for a drawing that closed before it ran must not run in another one.
        KvTabMenus* menus = KvStripMenus();
        if (!menus) return;
        menus->pendingScripts.clear();
        for (const auto& path : paths) {
            AcApDocument* doc = acDocManager->curDocument();
            if (!doc || !doc->isQuiescent()) return;
            SetFocus(acedGetAcadFrame());
            // Queued, not overwritten: every KV_SCRIPT sent here runs its own script.
            menus->pendingScripts.push_back(path);
            acDocManager->sendStringToExecute(doc, ".KV_SCRIPT\n", true, false, true);
        }
    }

    void scriptPopup() {
        if (selectedRow(IDC_BATCH_SCRIPTS) < 0) return;
        HMENU menu = CreatePopupMenu();
        AppendMenu(menu, MF_STRING, kPopupTest, "&Test");
        POINT pt;
        GetCursorPos(&pt);
        const UINT picked = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, hwnd_));
        DestroyMenu(menu);
        if (picked != kPopupTest) return;
        std::vector<std::string> paths;
        for (int row : selectedRows(IDC_BATCH_SCRIPTS)) paths.push_back(scriptPath(row));
        testScripts(paths);
    }

    // ---- Drawing list ----
    void addDrawingRow(const std::string& path, std::uint64_t size, std::time_t when) {
        auto entry = std::make_unique<DrawingEntry>();
        entry->path = path;
        entry->isOpen = isDrawingOpen(path);
        entry->texts[kStatus] = KvRowStatusText(KvRowStatus::Waiting);
        entry->texts[kName] = SplitPath(path).name + SplitPath(path).extension;
        entry->texts[kSize] = KvFormatByteSize(size);
        entry->texts[kLastWrite] = KvLastWriteText(when);
        entry->texts[kOpen] = entry->isOpen ? "Yes" : "No";
        HWND list = item(IDC_BATCH_DRAWINGS);
        LVITEM it;
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = rowCount(IDC_BATCH_DRAWINGS);
        it.text = entry->texts[kStatus];
        it.lParam = reinterpret_cast<LPARAM>(entry.get());
        const int row = int(SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&it)));
        if (row < 0) return;
        for (int c = 1; c < kColumnCount; ++c) setText(list, row, c, entry->texts[c]);
        entries_.push_back(std::move(entry));
    }

    void addDrawingFile(const std::string& path) {
        for (int row = 0; row < rowCount(IDC_BATCH_DRAWINGS); ++row)
            if (DrawingEntry* e = entryAt(row); e && EqualsNoCase(e->path, path)) return;
        const KvFileFacts facts = KvReadFileFacts(path);
        addDrawingRow(path, facts.size, facts.when);
    }

    void onAppendDrawings() {
        const auto paths = pickFiles(hwnd_, std::string("AutoCAD Drawing files\0*.dwg\0\0", 30), lastDrawingFolder_);
        for (const auto& p : paths) addDrawingFile(p);
        if (!paths.empty()) lastDrawingFolder_ = FolderOf(paths.back());
        updateCount();
    }

    void deleteDrawingRow(int row) {
        DrawingEntry* e = entryAt(row);
        SendMessage(item(IDC_BATCH_DRAWINGS), LVM_DELETEITEM, WPARAM(row), 0);
        std::erase_if(entries_, [e](const std::unique_ptr<DrawingEntry>& p) { return p.get() == e; });
    }

    void removeSelectedDrawings() {
        const auto rows = selectedRows(IDC_BATCH_DRAWINGS);
        if (rows.empty()) {
            MessageBox(hwnd_, "Please select the items you want to delete from the list of files.\n", kCaption,
                       MB_OK | MB_ICONWARNING);
            return;
        }
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) deleteDrawingRow(*it);
        updateCount();
    }

    void removeSucceeded() {
        for (int row = rowCount(IDC_BATCH_DRAWINGS) - 1; row >= 0; --row)
            if (DrawingEntry* e = entryAt(row); e && EqualsNoCase(e->texts[kStatus], "Success")) deleteDrawingRow(row);
        updateCount();
    }

    void clearDrawings() {
        SendMessage(item(IDC_BATCH_DRAWINGS), LVM_DELETEALLITEMS, 0, 0);
        entries_.clear();
        updateCount();
    }

    void setStatus(int row, KvRowStatus status) {
        DrawingEntry* e = entryAt(row);
        if (!e) return;
        e->texts[kStatus] = KvRowStatusText(status);
        setText(item(IDC_BATCH_DRAWINGS), row, kStatus, e->texts[kStatus]);
    }

    void setOpen(int row, DrawingEntry* e, bool open) {
        e->isOpen = open;
        e->texts[kOpen] = open ? "Yes" : "No";
        setText(item(IDC_BATCH_DRAWINGS), row, kOpen, e->texts[kOpen]);
        runner_.SetOpen(row, open);
    }

    void sortDrawings(int column) {
        if (column < 0 || column >= kColumnCount) return;
        sortDescending_ = !sortDescending_;
        sortColumn_ = column;
        SendMessage(item(IDC_BATCH_DRAWINGS), LVM_SORTITEMS, WPARAM(this), reinterpret_cast<LPARAM>(&compareRows));
    }
    static int compareRows(LPARAM a, LPARAM b, LPARAM self) {
        const auto* dlg = reinterpret_cast<const AcKvUiMultiScriptDialog*>(self);
        const auto* x = reinterpret_cast<const DrawingEntry*>(a);
        const auto* y = reinterpret_cast<const DrawingEntry*>(b);
        const int c = std::strcmp(x->texts[dlg->sortColumn_].c_str(), y->texts[dlg->sortColumn_].c_str());
        return dlg->sortDescending_ ? -c : c;
    }

    void drawingPopup() {
        const auto rows = selectedRows(IDC_BATCH_DRAWINGS);
        if (rows.empty()) return;
        const DrawingEntry* last = entryAt(rows.back());
        const bool open = last && last->isOpen;
        HMENU menu = CreatePopupMenu();
        AppendMenu(menu, MF_STRING | (open ? MF_GRAYED : 0), kPopupOpen, "&Open");
        AppendMenu(menu, MF_STRING | (open ? 0 : MF_GRAYED), kPopupClose, "&Close");
        POINT pt;
        GetCursorPos(&pt);
        const UINT picked = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, hwnd_));
        DestroyMenu(menu);
        if (picked == kPopupOpen) openSelected(rows);
        if (picked == kPopupClose) closeSelected(rows);
    }

    static void openLater(void* data) {
        std::unique_ptr<std::string> path(static_cast<std::string*>(data));
        acDocManager->appContextOpenDocument(*path);
    }

    void openSelected(const std::vector<int>& rows) {
        for (int row : rows) {
            DrawingEntry* e = entryAt(row);
            if (!e || e->isOpen) continue;
            if (App().sdi) {
                acedSyncFileOpen(e->path);
                continue;
            }
            if (acDocManager->isApplicationContext()) {
                if (acDocManager->appContextOpenDocument(e->path) == Acad::eOk) setOpen(row, e, true);
            } else {
                // The document reactor marks the row once the host has opened it.
                acDocManager->executeInApplicationContext(openLater, new std::string(e->path));
            }
        }
    }

    static void closeLater(void* data) {
        std::unique_ptr<std::string> path(static_cast<std::string*>(data));
        if (AcApDocument* doc = openDocument(*path)) acDocManager->closeDocument(doc);
    }

    void closeSelected(const std::vector<int>& rows) {
        if (App().sdi) {
            acutPrintf("\nSDI value is 1");
            return;
        }
        if (MessageBox(hwnd_, "Do you want to close the drawing without saving it?", kCaption,
                       MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        for (int row : rows) {
            DrawingEntry* e = entryAt(row);
            if (!e || !e->isOpen) continue;
            AcApDocument* doc = openDocument(e->path);
            if (!doc) {
                setOpen(row, e, false);
                continue;
            }
            if (acDocManager->isApplicationContext()) {
                if (acDocManager->closeDocument(doc) == Acad::eOk) setOpen(row, e, false);
            } else {
                acDocManager->executeInApplicationContext(closeLater, new std::string(e->path));
            }
        }
    }

    void onDropFiles(HDROP drop) {
        const UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr);
        for (UINT i = 0; i < count; ++i) {
            std::string path;
            DragQueryFile(drop, i, &path);
            if (hasExtension(path, ".scr")) addScript(path);
            else if (hasExtension(path, ".dwg")) addDrawingFile(path);
        }
        DragFinish(drop);
        updateCount();
    }

    // ---- Runs and scans ----
    bool running() const { return runner_.Running(); }

    void onStart() {
        if (!scriptsReady()) return;
        const int rows = rowCount(IDC_BATCH_DRAWINGS);
        if (rows == 0) {
            MessageBox(hwnd_, "Empty entries in the target drawing.", kCaption, MB_OK | MB_ICONWARNING);
            return;
        }
        KvGuardLine("\nexception error in starting", [&] {
            if (!writeGenerated("mtemp")) throw std::runtime_error("generated script");
            KvBatchRun run;
            run.console = consolePath_;
            run.script = generated_;
            run.atOnce = atOnce();
            for (int row = 0; row < rows; ++row) {
                DrawingEntry* e = entryAt(row);
                run.drawings.push_back(e ? e->path : std::string());
                run.open.push_back(e && e->isOpen);
                setStatus(row, KvRowStatus::Ready);
            }
            runningMode(true, rows);
            if (!runner_.StartRun(std::move(run))) notStarted();
        });
    }

    void onSelectFolder() {
        const std::string folder = KvPickFolder(hwnd_, "Choose a folder.", lastScanFolder_);
        if (folder.empty()) return;
        lastScanFolder_ = WithTrailingSeparator(folder);
        runningMode(true, 0);
        if (!runner_.StartScan(lastScanFolder_, KvSplitFilePatterns(GetDlgItemText(hwnd_, IDC_BATCH_FILE_TYPE))))
            notStarted();
    }

    [[noreturn]] void notStarted() {
        runningMode(false, 0);
        throw std::runtime_error("no worker thread");
    }

    void onStop() {
        if (!running()) return;
        runner_.Stop();
        ShowWindow(item(IDC_BATCH_START), SW_SHOW);
        ShowWindow(item(IDC_BATCH_STOP), SW_HIDE);
    }

    // ---- The runner's reports ----
    void EventsWaiting() override { PostMessage(hwnd_, kMsgWorker, 0, 0); }

    void RowBegin(int row) override {
        HWND drawings = item(IDC_BATCH_DRAWINGS);
        SendMessage(drawings, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        selectOnly(drawings, row);
    }

    void RowStatus(int row, KvRowStatus status, int finished) override {
        setStatus(row, status);
        // Rows finish out of order when several consoles run: the bar counts finished rows.
        if (finished > 0) SendMessage(item(IDC_BATCH_PROGRESS), PBM_SETPOS, WPARAM(finished), 0);
    }

    void ScanFound(int count) override { SendMessage(item(IDC_BATCH_PROGRESS), PBM_SETRANGE32, 0, count); }

    void ScanRow(int index, const std::string& path, std::uint64_t size, std::time_t when) override {
        addDrawingRow(path, size, when);
        SendMessage(item(IDC_BATCH_PROGRESS), PBM_SETPOS, WPARAM(index + 1), 0);
    }

    void Finished() override {
        updateCount();
        runningMode(false, 0);
    }

    // Running mode: the progress bar and Stop show, everything else that starts work is disabled.
    void runningMode(bool on, int range) {
        static const int kButtons[] = {IDC_BATCH_SCRIPT_ADD,     IDC_BATCH_SCRIPT_EDIT,   IDC_BATCH_SCRIPT_UP,
                                       IDC_BATCH_SCRIPT_DOWN,    IDC_BATCH_SCRIPT_REMOVE, IDC_BATCH_TEST_ALL,
                                       IDC_BATCH_SELECT_FOLDER,  IDC_BATCH_APPEND,        IDC_BATCH_REMOVE,
                                       IDC_BATCH_SUCCESS_REMOVE, IDC_BATCH_START,         IDC_BATCH_CLOSE,
                                       IDC_BATCH_FILE_TYPE,      IDC_BATCH_AT_ONCE,       IDC_BATCH_AT_ONCE_SPIN};
        HWND progress = item(IDC_BATCH_PROGRESS);
        if (on) {
            SendMessage(progress, PBM_SETRANGE32, 0, range);
            SendMessage(progress, PBM_SETPOS, 0, 0);
        }
        ShowWindow(progress, on ? SW_SHOW : SW_HIDE);
        ShowWindow(item(IDC_BATCH_START), on ? SW_HIDE : SW_SHOW);
        ShowWindow(item(IDC_BATCH_STOP), on ? SW_SHOW : SW_HIDE);
        for (int id : kButtons) EnableWindow(item(id), !on);
        if (HMENU sys = GetSystemMenu(hwnd_, FALSE))
            EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | (on ? MF_GRAYED : MF_ENABLED));
        HWND drawings = item(IDC_BATCH_DRAWINGS);
        const LONG_PTR style = GetWindowLongPtr(drawings, GWL_STYLE);
        SetWindowLongPtr(drawings, GWL_STYLE, on ? (style | LVS_SINGLESEL) : (style & ~LONG_PTR(LVS_SINGLESEL)));
    }

    // ---- Closing ----
    void onClose() {
        if (running()) return;
        closeSteps();
        ShowWindow(hwnd_, SW_HIDE);
    }

    // The drawing list empties, the script list is saved and the generated scripts are removed.
    void closeSteps() {
        clearDrawings();
        saveScriptList();
        std::error_code ec;
        for (const auto& path : written_) fs::remove(path, ec);
        written_.clear();
        generated_.clear();
    }

    // ---- Control helpers ----
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    int rowCount(int id) const { return int(SendMessage(item(id), LVM_GETITEMCOUNT, 0, 0)); }
    void updateCount() {
        char text[40];
        std::snprintf(text, sizeof text, "%d Item(s)", rowCount(IDC_BATCH_DRAWINGS));
        SetDlgItemText(hwnd_, IDC_BATCH_COUNT, text);
    }
    static void addColumns(HWND list, std::initializer_list<std::pair<const char*, int>> columns) {
        int index = 0;
        for (const auto& [text, width] : columns) {
            LVCOLUMN c;
            c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            c.text = text;
            c.cx = width;
            c.iSubItem = index;
            SendMessage(list, LVM_INSERTCOLUMN, WPARAM(index++), reinterpret_cast<LPARAM>(&c));
        }
    }
    static void setText(HWND list, int row, int column, const std::string& text) {
        LVITEM it;
        it.iSubItem = column;
        it.text = text;
        SendMessage(list, LVM_SETITEMTEXT, WPARAM(row), reinterpret_cast<LPARAM>(&it));
    }
    static std::string getText(HWND list, int row, int column) {
        LVITEM it;
        it.iSubItem = column;
        SendMessage(list, LVM_GETITEMTEXT, WPARAM(row), reinterpret_cast<LPARAM>(&it));
        return it.text;
    }
    std::string scriptPath(int row) const { return getText(item(IDC_BATCH_SCRIPTS), row, 1); }
    bool scriptTicked(int row) const {
        const UINT state =
            UINT(SendMessage(item(IDC_BATCH_SCRIPTS), LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
        return (state >> 12) == 2;
    }
    void setTicked(int row, bool ticked) {
        LVITEM it;
        it.stateMask = LVIS_STATEIMAGEMASK;
        it.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
        SendMessage(item(IDC_BATCH_SCRIPTS), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
    }
    DrawingEntry* entryAt(int row) const {
        LVITEM it;
        it.mask = LVIF_PARAM;
        it.iItem = row;
        if (!SendMessage(item(IDC_BATCH_DRAWINGS), LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
        return reinterpret_cast<DrawingEntry*>(it.lParam);
    }
    int selectedRow(int id) const { return int(SendMessage(item(id), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }
    std::vector<int> selectedRows(int id) const {
        std::vector<int> rows;
        for (int row = -1; (row = int(SendMessage(item(id), LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED))) >= 0;)
            rows.push_back(row);
        return rows;
    }
    static void selectOnly(HWND list, int row) {
        LVITEM none;
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&none));
        LVITEM it;
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        it.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
        SendMessage(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    }

    HWND hwnd_ = nullptr;
    std::vector<KvScriptEntry> scripts_;         // the loaded list until the rows exist
    std::vector<KvScriptEntry> storedScripts_;   // the list as last read from or written to its file
    std::vector<std::unique_ptr<DrawingEntry>> entries_;
    std::string consolePath_, scriptListPath_, generated_;
    std::vector<std::string> written_;   // generated scripts to remove when the dialog closes
    std::string lastScriptFolder_, lastDrawingFolder_, lastScanFolder_;
    int sortColumn_ = 0;
    bool sortDescending_ = true;    // the first header click sorts ascending
    KvBatchRunner runner_{*this};   // last: it stops its worker before the rest goes
};

// The loaded module's dialog, or null.
AcKvUiMultiScriptDialog* theDialog() {
    KvFeatureObjects* features = KvFeatures();
    return features ? static_cast<AcKvUiMultiScriptDialog*>(features->batchDialog.get()) : nullptr;
}

}   // namespace

bool KvShowBatchDialog(HWND parent) {
    KvFeatureObjects* features = KvFeatures();
    if (!features) return false;
    if (!features->batchDialog) {
        auto dialog = std::make_unique<AcKvUiMultiScriptDialog>();
        if (!dialog->Create(parent)) return false;
        features->batchDialog = std::move(dialog);
    }
    theDialog()->Show();
    return true;
}

void KvDestroyBatchDialog() {
    AcKvUiMultiScriptDialog* dialog = theDialog();
    if (!dialog) return;
    dialog->Destroy();
    KvFeatures()->batchDialog.reset();
}

HWND KvBatchDialogWindow() {
    AcKvUiMultiScriptDialog* dialog = theDialog();
    return dialog ? dialog->hwnd() : nullptr;
}

void KvBatchDialogDocumentEvent(const std::string& fileName, bool opened) {
    if (AcKvUiMultiScriptDialog* dialog = theDialog()) dialog->DocumentEvent(fileName, opened);
}
