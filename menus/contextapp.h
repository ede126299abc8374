// The plug-in's submenu in the host's right-click menu of the drawing area: the user's menu file,
// read again before every showing.
#pragma once
#include <cstdint>
#include "arx/aced.h"
#include "menus/usermenu.h"

class AcKvUiContextApp : public AcEdUIContext {
public:
    // Loads the menu resource whose popup is titled "Korvane" (from the plug-in's resources).
    AcKvUiContextApp();
    ~AcKvUiContextApp() override;
    AcKvUiContextApp(const AcKvUiContextApp&) = delete;
    AcKvUiContextApp& operator=(const AcKvUiContextApp&) = delete;

    // False when the menu resource could not be loaded.
    bool HasMenu() const { return popup_ != nullptr; }

    // A pointer to the popup's handle (to a null handle when the resource is missing).
    void* getMenuContext(const AcRxClass* rxClass, const AcDbObjectIdArray& selection) override;
    // Runs the user's entry for ids from 500 up.
    void onCommand(std::uint32_t commandId) override;
    // Empties the popup and fills it from the user's menu file.
    void OnUpdateMenu() override;

    const CXmlMenu& Menu() const { return menu_; }

private:
    CXmlMenu menu_;
    HMENU resource_ = nullptr;   // the whole menu resource, owned
    HMENU popup_ = nullptr;      // its "Korvane" popup
    HMENU current_ = nullptr;    // as last handed to the host
};

struct KvFeatureObjects;

// Start-up: creates the extension into `owner` and adds it to the host's default context menu
// under the name "Korvane"; when the menu resource is missing or the host refuses, nothing is kept.
void KvCreateContextApp(KvFeatureObjects& owner);
// Unload: removes the extension from the host and deletes it.
void KvDestroyContextApp(KvFeatureObjects& owner);
// The registered extension; null when there is none.
AcKvUiContextApp* KvContextApp();
