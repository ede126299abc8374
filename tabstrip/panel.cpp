#include "tabstrip/panel.h"
#include "doctrack/reactors.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/text.h"
#include "doctrack/docdata.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "tabstrip/fileinfo.h"
#include "win/input.h"
#include "win/system.h"

namespace {

constexpr UINT kTabCtrlId = IDC_TAB_CTRL;

// Not an owner, and no panel: a function of the layer above that finds the loaded module's panel.
KvTabPanelLookup g_lookup = nullptr;

std::string summaryOf(AcApDocument* doc) { return MakeDescription(doc ? doc->database() : nullptr); }

}   // namespace

void KvSetTabPanelLookup(KvTabPanelLookup lookup) { g_lookup = lookup; }

AcKvUiTabPanel::~AcKvUiTabPanel() { Destroy(); }

void AcKvUiTabPanel::makeThumbnail(CItemData* item, const std::string& path) const {
    MakeItemThumbnail(item, path, tab_.thumbnailComment);
}

void AcKvUiTabPanel::ReadSettings() {
    using S = SettingId;
    // Sizes and indexes come through their usable ranges: a stored value never makes the bar
    // unusable or its painting unbounded.
    AcKvUiTabCtrl& t = tab_;
    oneTabHidden_ = GetSettingNumber(S::OneTabHidden) != 0;
    t.dockSide = GetUsableSettingNumber(S::DockingPosition);
    t.selTextColor = COLORREF(GetSettingNumber(S::SelectedTabFontColor));
    t.unselTextColor = COLORREF(GetSettingNumber(S::UnselectedTabFontColor));
    t.fixedWidth = GetSettingNumber(S::FixedWidth) != 0;
    t.fixedWidthX = GetUsableSettingNumber(S::FixedWidthX);
    t.maxCharUse = GetSettingNumber(S::MaxCharLengthUse) != 0;
    t.maxChars = GetUsableSettingNumber(S::MaxCharLength);
    t.subControlSize = GetUsableSettingNumber(S::SubControlSize);
    t.thumbnailIcon = GetSettingNumber(S::ThumbnailIcon) != 0;
    t.fileIcon = GetSettingNumber(S::FileIcon) != 0;
    t.versionIcon = GetSettingNumber(S::VersionIcon) != 0;
    t.showExtension = GetSettingNumber(S::Extension) != 0;
    t.showClose = GetSettingNumber(S::ShowCloseButton) != 0;
    t.openSort = GetSettingNumber(S::OpenSort) != 0;
    t.startColor = COLORREF(GetSettingNumber(S::StartBgColor));
    t.middleColor = COLORREF(GetSettingNumber(S::MiddleBgColor));
    t.endColor = COLORREF(GetSettingNumber(S::EndBgColor));
    t.bgEffect = GetUsableSettingNumber(S::BackgroundColorEffect);
    t.borderLineType = GetUsableSettingNumber(S::TabBorderLinetype);
    t.outlineColor = COLORREF(GetSettingNumber(S::OutlineColor));
    t.useOutline = GetSettingNumber(S::UseOutline) != 0;
    t.outlineWidth = GetUsableSettingNumber(S::OutlineWidth);
    t.tooltipEnable = GetSettingNumber(S::TooltipEnable) != 0;
    t.showThumbnail = GetSettingNumber(S::ShowThumbnail) != 0;
    t.showDesc = GetSettingNumber(S::ShowDesc) != 0;
    t.thumbnailComment = GetSettingNumber(S::ThumbnailComment) != 0;
}

bool AcKvUiTabPanel::Create(HWND parent, UINT id) {
    if (hwnd_) return true;
    RECT client;
    GetClientRect(parent, &client);
    CREATEWINDOW p;
    p.className = "KvTabPanel";
    p.style = WS_CHILD | WS_VISIBLE;
    p.rect = client;
    p.parent = parent;
    p.id = id;
    p.proc = [this](HWND, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_SIZE) Resize(LOWORD(LPARAM(lp)), HIWORD(LPARAM(lp)));
        if (msg == WM_NOTIFY) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr && hdr->code == kvui::KVTTN_DISPLAY && hdr->hwndFrom == tooltip_.GetSafeHwnd()) {
                OnTooltipDisplay(reinterpret_cast<kvui::NMKVTOOLTIPDISPLAY*>(lp));
                return 0;
            }
            if (hdr && hdr->hwndFrom == tab_.GetSafeHwnd()) {
                if (hdr->code == TCN_SELCHANGING) return OnSelChanging();
                if (hdr->code == TCN_SELCHANGE) OnSelChange();
            }
        }
        return 0;
    };
    hwnd_ = CreateWindowEx(p);
    if (!hwnd_ || !tab_.Create(hwnd_, {0, 0, client.Width(), client.Height()}, kTabCtrlId)) return false;
    tab_.Initialise();
    banner_.Initialise(hwnd_, App().dataFolder.empty() ? std::string() : App().dataFolder + "Korvane.banner");
    banner_.OnPanelResized(client.Width(), client.Height());
    // The tooltip covers the tab control: at most 300 pixels wide, shown after 100 ms for 6 s.
    if (tooltip_.Create(hwnd_, tab_.GetSafeHwnd())) {
        tooltip_.SetMaxTipWidth(300);
        tooltip_.SetDelayTimes(100, 6000);
        tab_.tooltip = &tooltip_;
    }
    // The drawings already open get their tabs; the current one is selected.
    AcApDocumentIterator* it = acDocManager->newAcApDocumentIterator();
    for (; it && !it->done(); it->step()) {
        AcApDocument* doc = it->document();
        InsertDrawing(doc);
        updateOpenFormat(doc, false);
        commitDiskFormat(doc);
    }
    delete it;
    return true;
}

void AcKvUiTabPanel::Destroy() {
    banner_.Destroy();
    tab_.tooltip = nullptr;
    tooltip_.Destroy();
    tab_.Destroy();
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void AcKvUiTabPanel::Resize(int width, int height) {
    if (tab_.GetSafeHwnd()) MoveWindow(tab_.GetSafeHwnd(), 0, 0, width, height, TRUE);
    banner_.OnPanelResized(width, height);
}

void AcKvUiTabPanel::UpdateBanner() {
    const int side = tab_.dockSide;
    const bool wanted = GetSettingNumber(SettingId::UseBanner) != 0 && (side == kDockTop || side == kDockBottom);
    banner_.ShowOrHide(tab_.GetItemCount(), wanted, side);
}

std::string AcKvUiTabPanel::captionOf(const std::string& path) const {
    return KvTabCaption(path, tab_.showExtension, tab_.maxCharUse, tab_.maxChars);
}

int AcKvUiTabPanel::InsertionIndex(const std::string& path) const {
    const int count = tab_.GetItemCount();
    if (!tab_.openSort) return count;
    const std::string name = FoldCase(SplitPath(path).name);
    for (int i = 0; i < count; ++i) {
        const CItemData* item = tab_.GetItem(i);
        if (item && item->SortName() >= name) return i;
    }
    return count;
}

void AcKvUiTabPanel::afterCountChange() {
    UpdateBarVisibility();
    UpdateBanner();
}

void AcKvUiTabPanel::fillDrawing(CItemData* item, AcApDocument* doc) {
    const std::string path = doc->fileName();
    const PathParts parts = SplitPath(path);
    if (App().sdi) item->keepAsLink = 1;
    item->SetPathName(path);
    item->displayName = parts.name + parts.extension;
    item->drawingDoc = doc;
    item->docWindow = nullptr;
    item->description = summaryOf(doc);
    item->fileType = KvFileTypeOf(parts.extension);
    makeThumbnail(item, path);
}

void AcKvUiTabPanel::InsertDrawing(AcApDocument* doc) {
    KvGuard("InsertDrawing", [&] {
        if (!doc || !hwnd_) return;
        // A drawing is never shown twice.
        for (int i = tab_.GetItemCount() - 1; i >= 0; --i) {
            CItemData* item = tab_.GetItem(i);
            if (item && item->drawingDoc == doc) DeleteDrawing(doc);
        }
        CItemData* item = nullptr;
        std::unique_ptr<CItemData> fresh;
        if (tab_.openingLink) {
            tab_.SetCurSel(tab_.linkIndex);
            item = tab_.GetItem(tab_.linkIndex);
            if (!item) {
                acutPrintf("error : InsertDrawing. \n");
                return;
            }
            item->isLink = 0;
        } else {
            fresh = std::make_unique<CItemData>();
            item = fresh.get();
        }
        fillDrawing(item, doc);
        if (fresh) {
            tab_.InsertTab(InsertionIndex(item->pathName), captionOf(item->pathName), fresh.release());
            tab_.RefreshScrollArrows();
        }
        tab_.MarkOnly({item});
        afterCountChange();
        tab_.Redraw();
    });
}

void AcKvUiTabPanel::InsertDocWindow(AcApDocWindow* window) {
    KvGuard("InsertDrawing", [&] {
        if (!window || !hwnd_) return;
        auto item = std::make_unique<CItemData>();
        const std::string title = window->title();
        const PathParts parts = SplitPath(title);
        item->SetPathName(title);
        item->displayName = parts.name + parts.extension;
        item->docWindow = window;
        item->description = "\nNon Drawing";
        item->fileType = KvFileTypeOf(parts.extension);
        makeThumbnail(item.get(), title);
        const std::string caption = captionOf(title);
        tab_.InsertTab(InsertionIndex(title), caption, item.release());
        tab_.RefreshScrollArrows();
        afterCountChange();
        tab_.Redraw();
    });
}

void AcKvUiTabPanel::InsertLinkDrawing(const std::string& path) {
    if (!hwnd_) return;
    auto item = std::make_unique<CItemData>();
    const PathParts parts = SplitPath(path);
    item->SetPathName(path);
    item->displayName = parts.name + parts.extension;
    item->description = "\nLink Drawing";
    item->isLink = 1;
    item->fileType = KvFileTypeOf(parts.extension);
    makeThumbnail(item.get(), path);
    tab_.InsertTab(InsertionIndex(path), captionOf(path), item.release());
    tab_.RefreshScrollArrows();
    afterCountChange();
    tab_.Redraw();
}

void AcKvUiTabPanel::ModifyItemData(int index, CItemData* item) {
    KvGuard("ModifyItemData", [&] {
        const std::string path = KvTabPath(*item);
        const PathParts parts = SplitPath(path);
        item->displayName = parts.name + parts.extension;
        item->fileType = KvFileTypeOf(parts.extension);
        tab_.SetCaption(index, captionOf(path));
    });
}

void AcKvUiTabPanel::RefreshCaptions() {
    for (int i = 0; i < tab_.GetItemCount(); ++i)
        if (CItemData* item = tab_.GetItem(i)) ModifyItemData(i, item);
    tab_.RefreshScrollArrows();
}

void AcKvUiTabPanel::ModifyDrawing(AcApDocument* doc) {
    KvGuard("ModifyDrawing", [&] {
        for (int i = 0; i < tab_.GetItemCount(); ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item || item->drawingDoc != doc) continue;
            item->SetPathName(doc->fileName());
            ModifyItemData(i, item);
            makeThumbnail(item, item->pathName);
            tab_.Redraw();
            return;
        }
    });
}

int AcKvUiTabPanel::DeleteDrawing(AcApDocument* doc) {
    int found = 0;
    KvGuard("DeleteDrawing", [&] {
        for (int i = 0; i < tab_.GetItemCount(); ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item || item->drawingDoc != doc) continue;
            found = 1;
            // A saved drawing that should stay as a link keeps its tab, now a link.
            std::error_code ec;
            if (item->keepAsLink && std::filesystem::is_regular_file(doc->fileName(), ec)) {
                if (KvTabStripController* controller = tab_.Controller()) controller->DrawingLeaving(item);
                item->keepAsLink = 0;
                item->isLink = 1;
                item->modified = 0;   // a link has no changes of its own
                item->drawingDoc = nullptr;
            } else {
                tab_.DeleteTab(i);
            }
            break;
        }
        afterCountChange();
        tab_.Redraw();
    });
    return found;
}

int AcKvUiTabPanel::DeleteDrawing(AcApDocWindow* window) {
    for (int i = 0; i < tab_.GetItemCount(); ++i) {
        CItemData* item = tab_.GetItem(i);
        if (item && item->docWindow == window && !item->drawingDoc) {
            tab_.DeleteTab(i);
            afterCountChange();
            tab_.Redraw();
            return 1;
        }
    }
    return 0;
}

int AcKvUiTabPanel::DeleteDrawing(CItemData* target) {
    const int index = FindItemIndex(target);
    if (index < 0) return 0;
    tab_.DeleteTab(index);
    afterCountChange();
    tab_.Redraw();
    return 1;
}

void AcKvUiTabPanel::SetCurTabFromDocument(AcApDocument* doc) {
    KvGuard("SetCurTabFromDocument", [&] {
        // The marked set follows: a list left behind would still name tabs no longer marked.
        const int count = tab_.GetItemCount();
        for (int i = 0; i < count; ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item) continue;
            const int marked = item->drawingDoc == doc && doc ? 1 : 0;
            if (item->marked != marked) item->marked = marked;   // a tab left as it was is not written
            if (marked) tab_.SetCurSel(i);
        }
        tab_.Redraw();
    });
}

void AcKvUiTabPanel::SetCurTabFromDocument(AcApDocWindow* window) {
    KvGuard("SetCurTabFromDocument", [&] {
        const int count = tab_.GetItemCount();
        for (int i = 0; i < count; ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item) continue;
            const int marked = item->docWindow == window && window && !item->drawingDoc ? 1 : 0;
            if (item->marked != marked) item->marked = marked;
            if (marked) tab_.SetCurSel(i);
        }
        tab_.Redraw();
    });
}

namespace {
// The characters of a UTF-8 text, each as its bytes (a stray continuation byte stands alone).
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < text.size();) {
        size_t end = i + 1;
        if (static_cast<unsigned char>(text[i]) >= 0xC0)
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        out.push_back(text.substr(i, end - i));
        i = end;
    }
    return out;
}
}   // namespace

// Works on characters, not bytes: "." stands for one letter of a Korean name as for a Latin one.
bool KvWildcardMatch(const std::string& patternText, const std::string& nameText) {
    const auto pattern = characters(patternText), name = characters(nameText);
    size_t p = 0, n = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == "*") {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == "." || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == "*") ++p;
    return p == pattern.size();
}

int AcKvUiTabPanel::SetCurTabFromWildcard(const std::string& pattern) {
    int result = 0;
    KvGuard("SetCurTabFromWildcard", [&] {
        int first = -1;
        std::vector<CItemData*> matches;
        for (int i = 0; i < tab_.GetItemCount(); ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item || !KvWildcardMatch(pattern, item->displayName)) continue;
            if (first < 0) first = i;
            matches.push_back(item);
        }
        if (first < 0) return;
        tab_.linkIndex = first;
        tab_.SetCurSel(first);
        if (CItemData* item = tab_.GetItem(first); item && item->drawingDoc)
            acDocManager->activateDocument(item->drawingDoc);
        tab_.MarkOnly(matches);   // the found tabs are the marked set
        tab_.Redraw();
        result = 1;
    });
    return result;
}

int AcKvUiTabPanel::FindItemIndex(const CItemData* target) const {
    for (int i = 0; i < tab_.GetItemCount(); ++i)
        if (tab_.GetItem(i) == target) return i;
    return -1;
}

CItemData* AcKvUiTabPanel::FindItemByDocument(AcApDocument* doc) const {
    for (int i = 0; i < tab_.GetItemCount(); ++i)
        if (CItemData* item = tab_.GetItem(i); item && item->drawingDoc == doc) return item;
    return nullptr;
}

void AcKvUiTabPanel::RefreshFileInfo(CItemData* item, const std::string& fileName) {
    KvGuard("RefreshFileInfo", [&] {
        makeThumbnail(item, fileName);
        if (item->drawingDoc) item->description = summaryOf(item->drawingDoc);
        tab_.Redraw();
    });
}

void AcKvUiTabPanel::RefreshTexts() {
    KvGuard("RefreshTexts", [&] {
        for (int i = 0; i < tab_.GetItemCount(); ++i) {
            CItemData* item = tab_.GetItem(i);
            if (!item) continue;
            makeThumbnail(item, item->pathName);
            if (item->drawingDoc) item->description = summaryOf(item->drawingDoc);
        }
        tab_.Redraw();
    });
}

LRESULT AcKvUiTabPanel::OnSelChanging() {
    LRESULT refuse = 0;
    KvGuard("OnSelchanging", [&] {
        AcApDocument* cur = acDocManager->curDocument();
        if (cur && !cur->isQuiescent()) {
            refuse = 1;
            return;
        }
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(tab_.GetSafeHwnd(), &pt);
        const int hit = tab_.HitTest(pt);
        tab_.linkIndex = hit;
        const int selected = tab_.GetCurSel();
        CItemData* item = tab_.GetItem(hit);
        if (!item || hit == selected) return;
        const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (ctrl) {
            // Ctrl toggles the mark and keeps the selection.
            tab_.Model().Toggle(item);
            refuse = 1;
        } else if (!shift) {
            tab_.MarkOnly({item});
        } else {
            // Shift marks the run from the selected tab to the clicked one and keeps the selection.
            tab_.Model().MarkRun(hit, selected);
            refuse = 1;
        }
        if (refuse) tab_.Redraw();
    });
    return refuse;
}

void AcKvUiTabPanel::ActivateDrawing(AcApDocument* doc) {
    AcApDocument* cur = acDocManager->curDocument();
    // A running command is cancelled first, as two Escapes would.
    if (cur && !cur->isQuiescent()) acDocManager->sendStringToExecute(cur, "\x1b\x1b", true, false, false);
    if (AcApDocWindow* window = acDocWindowManager->documentWindow(doc)) window->activate();
}

void AcKvUiTabPanel::OnSelChange() {
    KvGuard("OnSelchange", [&] {
        if (KvTabStripController* controller = tab_.Controller()) controller->StopOperationRequested();
        const int selected = tab_.GetCurSel();
        tab_.linkIndex = selected;
        CItemData* item = tab_.GetItem(selected);
        if (!item) return;
        item->marked = 1;
        if (item->drawingDoc) {
            ActivateDrawing(item->drawingDoc);
        } else if (item->docWindow) {
            try {
                item->docWindow->activate();
            } catch (...) {
                DeleteDrawing(item);
                tab_.Redraw();
            }
        } else {
            OpenLinkTabLater();
        }
        tab_.Redraw();
    });
}

void AcKvUiTabPanel::OpenLinkTabLater() {
    acDocManager->executeInApplicationContext(
        +[](void*) {
            if (AcKvUiTabPanel* panel = g_lookup ? g_lookup() : nullptr) panel->OpenLinkTab(0);
        },
        nullptr);
}

void AcKvUiTabPanel::OpenLinkTab(int advanceQueue) {
    CItemData* item = tab_.GetItem(tab_.linkIndex);
    if (!item) return;
    const std::string path = item->pathName;
    tab_.openingLink = 1;
    EnableWindow(tab_.GetSafeHwnd(), FALSE);
    KvGuard("OpenLinkTab", [&] {
        std::error_code ec;
        auto dropTab = [&] {
            DeleteDrawing(item);
            item = nullptr;
            SetCurTabFromDocument(acDocManager->curDocument());
        };
        CItemData* open = nullptr;
        for (int i = 0; i < tab_.GetItemCount() && !open; ++i) {
            CItemData* other = tab_.GetItem(i);
            if (other && other->drawingDoc && EqualsNoCase(KvTabPath(*other), item->pathName)) open = other;
        }
        if (open) {
            // The drawing is open already and has its own tab: the host would only bring it to the
            // front, leaving this tab standing for nothing. The link goes; the drawing comes forward.
            AcApDocument* doc = open->drawingDoc;
            DeleteDrawing(item);
            item = nullptr;
            ActivateDrawing(doc);
            SetCurTabFromDocument(doc);
        } else if (!std::filesystem::is_regular_file(item->pathName, ec)) {
            dropTab();
        } else if (App().sdi) {
            acedSyncFileOpen(item->pathName);
        } else if (acDocManager->appContextOpenDocument(item->pathName) != Acad::eOk) {
            dropTab();
        }
        if (item) item->isLink = 0;
        else if (advanceQueue) acutPrintf("\n\"%s\" cannot be opened: it is left out.\n", path.c_str());
    });
    tab_.openingLink = 0;
    EnableWindow(tab_.GetSafeHwnd(), TRUE);
    if (advanceQueue) AdvanceQueueFor(acDocManager->curDocument());
    tab_.Redraw();
}

void AcKvUiTabPanel::UpdateBarVisibility() {
    if (KvTabStripHost* host = tab_.Host()) host->ApplyBarVisibility(tab_.GetItemCount());
}

void AcKvUiTabPanel::OnTooltipDisplay(kvui::NMKVTOOLTIPDISPLAY* request) {
    KvGuard("OnTooltipDisplay", [&] {
        if (!request || !request->text) return;
        POINT pt = request->pt;
        ScreenToClient(tab_.GetSafeHwnd(), &pt);
        const int index = tab_.HitTest(pt);
        const CItemData* item = tab_.GetItem(index);
        if (!tab_.tooltipEnable || !item) return;
        const KvTooltipPlacement place = KvPlaceTooltip(tab_.dockSide, request->pt);
        request->anchor = place.anchor;
        request->anchorPoint = place.at;
        *request->text = KvTooltipMarkup(*item, index, tab_.GetItemCount(), tab_.showDesc, tab_.showThumbnail);
    });
}

void AcKvUiTabPanel::AdvanceQueueFor(AcApDocument* doc) {
    KvGuard("MyDocumentActivated", [&] {
        CItemData* head = tab_.Queue().Head();
        if (!head) return;
        if (KvTabStripController* controller = tab_.Controller()) controller->QueueHeadCurrent(doc, head);
        // The mark says what DBMOD says: a step that saves clears it when its save has ended.
        if (FindItemIndex(head) >= 0 && head->drawingDoc && head->drawingDoc->database())
            head->modified = acdbGetDbmod(head->drawingDoc->database()) != 0 ? 1 : 0;
    });
}
