// KvTabStripController: what the tab control hears but does not handle itself. The control keeps
// its own input (clicks, drags, glyph presses, scrolling) and reports the rest as intents; the
// menus above the tab strip implement this and are handed to the control while the module runs.
// Without a controller the control reports nothing: no menus, no stored lists.
#pragma once
#include "win/types.h"

struct CItemData;

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
};
