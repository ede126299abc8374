#include "menus/contextapp.h"

#include <memory>
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "hosting/features.h"
#include "res/resource.h"

AcKvUiContextApp::AcKvUiContextApp() {
    resource_ = KvFromResources([](HINSTANCE module) { return LoadMenu(module, IDR_CONTEXT_APP); }, HMENU(nullptr));
    if (resource_) popup_ = GetSubMenu(resource_, 0);
    if (!popup_ && resource_) {
        DestroyMenu(resource_);
        resource_ = nullptr;
    }
}

AcKvUiContextApp::~AcKvUiContextApp() {
    if (resource_) DestroyMenu(resource_);
}

void* AcKvUiContextApp::getMenuContext(const AcRxClass*, const AcDbObjectIdArray&) {
    current_ = popup_;
    return &current_;
}

void AcKvUiContextApp::onCommand(std::uint32_t commandId) {
    if (commandId < CXmlMenu::kFirstId) return;
    KvGuard("OnCommand", [&] { menu_.Run(commandId); });
}

void AcKvUiContextApp::OnUpdateMenu() {
    if (!popup_) return;
    KvGuard("OnUpdateMenu", [&] {
        // Deleting (not just removing) also frees the submenus the last showing built.
        for (int n = GetMenuItemCount(popup_); n > 0; --n) DeleteMenu(popup_, 0, MF_BYPOSITION);
        KvLoadUserMenu(menu_, popup_);
    });
}

void KvCreateContextApp(KvFeatureObjects& owner) {
    if (owner.contextApp) return;
    auto app = std::make_unique<AcKvUiContextApp>();
    if (!app->HasMenu()) return;
    if (!acedAddDefaultContextMenu(app.get(), App().appId, "Korvane")) return;
    owner.contextApp = std::move(app);
}

void KvDestroyContextApp(KvFeatureObjects& owner) {
    if (!owner.contextApp) return;
    acedRemoveDefaultContextMenu(owner.contextApp.get());
    owner.contextApp.reset();
}

AcKvUiContextApp* KvContextApp() {
    KvFeatureObjects* features = KvFeatures();
    return features ? features->contextApp.get() : nullptr;
}
