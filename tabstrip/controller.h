// KvTabStripController: what the tab control hears but does not handle itself. The control keeps
// its own input (clicks, drags, glyph presses, scrolling) and reports the rest as intents; the
// menus above the tab strip implement this and are handed to the control while the module runs.
// Without a controller the control reports nothing: no menus, no stored lists.
#pragma once
#include "win/types.h"

struct CItemData;
class AcApDocument;

class KvTabStripController {
public:
    virtual ~KvTabStripController() = default;

    // The control's window was made: what it offers (favourites, templates) is read.
    virtual void StripCreated() = 0;
    // The control's window is going: what it offers is stored.
    virtual void StripDestroying() = 0;
    // The tab context menu for the tab under `screen` (index -1: the selected tab).
    virtual void ContextMenuRequested(int index, POINT screen) = 0;
    // The menu of drawings like `item` (the Tab key over a tab, the menu glyph).
    virtual void ItemMenuRequested(CItemData* item, POINT screen) = 0;
    // The templates menu (the Tab key over the bar but not over a tab).
    virtual void TemplatesMenuRequested(POINT screen) = 0;
    // A command from one of the menus, which are tracked with the control as their owner.
    virtual void MenuCommand(UINT id) = 0;
    // The find-document key.
    virtual void FindRequested() = 0;
    // The current drawing became idle for the first time after start-up.
    virtual void StartupIdle() = 0;

    // The operation over several drawings that fills the control's queue.
    // The user changed the selection, or the control is going: the running operation stops.
    virtual void StopOperationRequested() = 0;
    // A tab goes and its item is deleted: nothing may refer to it any more, the queue included.
    virtual void TabLeaving(const CItemData* item) = 0;
    // The drawing of a tab closed and the tab stays as a link: it leaves the queue.
    virtual void DrawingLeaving(const CItemData* item) = 0;
    // `doc` became current with the queue's head `head`: its step runs (true when it ran).
    virtual bool QueueHeadCurrent(AcApDocument* doc, CItemData* head) = 0;
    // The queue's next head is due (the control's own message, posted once the last one dropped).
    virtual void NextQueueItemDue() = 0;
    // The close glyph of a tab while several are marked: the marked drawings close.
    virtual void CloseMarkedRequested() = 0;
};
