// CKorvaneDialogBar: the dockable bar along one edge of the host frame that holds the tab panel.
#pragma once
#include "arx/dockbar.h"

class AcKvUiTabPanel;
struct KvFeatureObjects;

class CKorvaneDialogBar : public CAcUiDockControlBar {
public:
    CKorvaneDialogBar();
    ~CKorvaneDialogBar() override;

    // Creates the bar window and the hosted panel. False when the bar window cannot be created.
    bool Create(HWND frame, AcKvUiTabPanel* panel, const std::string& title, UINT templateId, DWORD style);

    SIZE CalcFixedLayout(bool stretch, bool horizontal) override;
    SIZE CalcDynamicLayout(int length, DWORD mode) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The thickness rule, given the selected font height F, 'Fixed Width x' W and the icon options.
    struct Layout {
        int thickness;
        SIZE item;
    };
    static Layout ComputeLayout(bool horizontal, int fontHeight, int fixedWidthX, bool thumbnailIcon, bool versionIcon);

    SIZE minimumSize{32, 32};
    SIZE floatingSize{24, 24};
    int horizontalThickness = 28;
    int verticalThickness = 28;

private:
    AcKvUiTabPanel* panel_ = nullptr;
};

// The bar style (alignment and border) and the tab control style change for a docking position.
DWORD KvBarStyleFor(int dockingPosition);

// The bar of the loaded module: created at start-up into `owner`, destroyed at unload.
CKorvaneDialogBar* KvDockBar();
bool KvCreateDockBar(KvFeatureObjects& owner);
void KvDestroyDockBar(KvFeatureObjects& owner);
// Shows or hides the bar by the number of tabs (two or more always show it).
void KvApplyBarVisibilityRule(int tabCount);

// After the options are confirmed: the tab strip takes the settings again (fonts, fixed width,
// docking side, visibility) and is redrawn.
void KvApplySettingsToTabStrip();
