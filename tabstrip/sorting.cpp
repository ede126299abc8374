// Sorting the drawing tabs by file name ("Sort Ascending", "Sort Descending").
//
// Every drawing tab leaves the bar and comes back in the wanted order at the place the insertion
// rule gives it, so tabs that are not drawings (links, other windows) stay in front, and with
// "Open sort" on the insertion rule has the last word, as when the drawings were opened.
//
// The tabs are moved with their records rather than rebuilt from their documents: a record
// carries state that a fresh one would lose (the modified mark of a drawing that is not current,
// keep-as-link, its place in a running operation), and a drawing kept as a link must not leave a
// second, link tab of itself behind.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include "arx/docman.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/text.h"
#include "tabstrip/sorting.h"
#include "tabstrip/panel.h"

namespace {

struct SortEntry {
    std::string name;   // file name with extension, no folder
    AcApDocument* doc = nullptr;
    CItemData* item = nullptr;   // the detached tab's record; null when the drawing had no tab
    std::string caption;
};

std::string sortNameOf(AcApDocument* doc) {
    const PathParts parts = SplitPath(doc->fileName());
    return parts.name + parts.extension;
}

}   // namespace

void KvSortDrawingTabs(AcKvUiTabPanel& panel, bool ascending) {
    AcKvUiTabCtrl& tab = panel.TabCtrl();
    CItemData* selectedBefore = tab.GetItem(tab.GetCurSel());

    // The names in order, letter case ignored; a name goes after the names equal to it, so equal
    // names keep the order of the host's document list.
    std::vector<std::string> names, keys;
    std::vector<SortEntry> entries;
    // Tabs taken off the bar go back (at the end) if anything fails half-way: none is ever lost.
    auto restore = [&] {
        for (SortEntry& e : entries) {
            if (e.item) tab.InsertTab(tab.GetItemCount(), e.caption, e.item);
            e.item = nullptr;
        }
    };
    try {
        std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
        for (; it && !it->done(); it->step()) {
            SortEntry e;
            e.doc = it->document();
            if (!e.doc) continue;
            e.name = sortNameOf(e.doc);
            const std::string key = FoldCase(e.name);
            const auto at = std::upper_bound(keys.begin(), keys.end(), key);
            names.insert(names.begin() + (at - keys.begin()), e.name);
            keys.insert(at, key);
            if (CItemData* item = panel.FindItemByDocument(e.doc)) {
                const int index = panel.FindItemIndex(item);
                e.caption = tab.GetCaption(index);
                e.item = tab.DetachTab(index);
            }
            entries.push_back(std::move(e));
        }

        // Each name takes the first drawing of exactly that name still waiting.
        auto place = [&](const std::string& name) {
            const auto e =
                std::find_if(entries.begin(), entries.end(), [&](const SortEntry& x) { return x.name == name; });
            if (e == entries.end()) return;
            SortEntry entry = std::move(*e);
            entries.erase(e);
            if (entry.item) {
                tab.InsertTab(panel.InsertionIndex(entry.doc->fileName()), entry.caption, entry.item);
            } else {
                panel.InsertDrawing(entry.doc);
            }
        };
        if (ascending) {
            for (const std::string& name : names) place(name);
        } else {
            for (auto n = names.rbegin(); n != names.rend(); ++n) place(*n);
        }
        restore();
    } catch (...) {
        restore();
        throw;
    }

    AcApDocument* current = acDocManager->curDocument();
    if (current && panel.FindItemByDocument(current)) {
        panel.SetCurTabFromDocument(current);
    } else if (const int index = panel.FindItemIndex(selectedBefore); index >= 0) {
        tab.SetCurSel(index);   // a window without a drawing is current: its tab stays selected
    }
    tab.RefreshScrollArrows();
    tab.Redraw();
}
