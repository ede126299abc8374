// What the tab strip asks of the windows above it: the dock bar that holds the panel, and the
// document switcher. They sit in a higher layer, so the panel's owner hands the tab control an
// implementation (AcKvUiTabCtrl::SetHost); without one the strip behaves as if there were no bar
// and no switcher.
#pragma once

class KvTabStripHost {
public:
    virtual ~KvTabStripHost() = default;
    // Shows or hides the bar by the number of tabs.
    virtual void ApplyBarVisibility(int tabCount) = 0;
    virtual bool SwitcherVisible() = 0;
    // Ctrl+Tab: opens the switcher; false when there is none.
    virtual bool OpenSwitcher(bool backwards) = 0;
};
