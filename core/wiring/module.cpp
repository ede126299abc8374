#include "core/wiring/module.h"

#include <filesystem>
#include <system_error>
#include "arx/aced.h"
#include "arx/docman.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "core/paths.h"
#include "core/profile.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "core/thumbnails.h"
#include "core/wiring/commands.h"
#include "core/wiring/document_events.h"
#include "core/wiring/filter.h"
#include "core/wiring/lifecycle.h"
#include "hosting/dockbar.h"
#include "hosting/switcher.h"
#include "menus/contextapp.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "win/module.h"
#include "win/system.h"

namespace {

// The one pointer the host's context-free entry points find the module by.
std::unique_ptr<KvModule> g_module;

constexpr const char* kBuildTag = "build 3.2.0";

int hostYearOf(const std::string& acadver) {
    // Only the first four characters count ("20.1s" and "20.1" name one release).
    const std::string head = acadver.substr(0, 4);
    if (head == "20.1") return 2016;
    if (head == "21.0") return 2017;
    if (head == "22.0") return 2018;
    return 0;
}

// An empty text setting gets its start-up default, written back to where settings live.
void fillWhenEmpty(SettingId id) {
    if (GetSettingText(id).empty()) SetSettingText(id, DefaultSettingText(id));
}

// A folder setting gets its default below the data folder when empty, and the folder is created.
void prepareFolderSetting(SettingId id) {
    fillWhenEmpty(id);
    std::error_code ec;
    std::filesystem::create_directories(GetSettingText(id), ec);
}

void composeAboutText() {
    App().aboutText = std::string("Korvane ") + "3.2" + "\nDocument tabs for the CAD host\n(" + kBuildTag + ")";
}

}   // namespace

KvModule::KvModule() : events_(KvMakeModuleDocumentEvents(features_.panel)) {
    KvAttachThumbnailLibrary(thumbnails_);
    KvAttachLanguage(language_);
}

KvModule::~KvModule() {
    KvDetachLanguage(language_);
    KvDetachStringTable(strings_);
    KvDetachThumbnailLibrary(thumbnails_);
}

void KvModule::Start() {
    // 1. The module folder is the drive and directory of the module file.
    std::string moduleFile;
    GetModuleFileName(App().ownModule, &moduleFile);
    App().moduleFolder = FolderOf(moduleFile);

    // 2. The thumbnail library is required.
    if (!thumbnails_.Load(App().moduleFolder)) {
        MessageBox(acedGetAcadFrame(), "file not find 'Lumaret64.DLL'", "Korvane", MB_OK | MB_ICONERROR);
        return;
    }

    // 3, 4. Flags from the host's variables.
    int value = 0;
    if (KvGetVarInt("SDI", &value) == RTNORM) App().sdi = value != 0;
    if (App().sdi) acutPrintf("\n;warning : SDI = 1");
    value = 0;
    if (KvGetVarInt("FIBERWORLD", &value) == RTNORM) App().fiber = value != 0;

    // 5. Trust the module folder.
    KvTrustModuleFolder(App().moduleFolder);

    KvGuardLine("\n;error : InitApplication", [&] {
        App().dataFolder = KvPrepareDataFolder(App().moduleFolder);

        App().hostYear = hostYearOf(KvGetVarText("ACADVER"));

        fillWhenEmpty(SettingId::DebugLevel);
        fillWhenEmpty(SettingId::LogPath);

        KvAttachStringTable(strings_);
        {
            KvResourceScope scope(App().resourceModule);
            LoadLanguageAtStartup(App().ownModule);
        }
        language_.reload = [this] {
            KvRemoveSystemMenuEntries(systemMenuItems);
            systemMenuItems = KvAddSystemMenuEntries();
            // The switcher's labels come from its dialog resource: it is made again from the new
            // language's. The tabs' descriptions and placeholder pictures carry texts too.
            if (KvSwitcher()) {
                KvDestroySwitcher(features_);
                KvCreateSwitcher(features_, acedGetAcadFrame());
            }
            if (KvDockBar()) features_.panel.RefreshTexts();
        };

        KvRegisterCommands();
        KvInstallMessageFilter();
        KvCreateDockBar(features_);
        reactors_.Create(*events_);
        KvCreateContextApp(features_);
        KvCreateSwitcher(features_, acedGetAcadFrame());

        composeAboutText();

        // Favourites open once the current drawing is idle; a timer asks until it is.
        if (!App().sdi && GetSettingNumber(SettingId::FavorOpen) != 0 &&
            GetSettingNumber(SettingId::FavoritesUse) != 0 && KvDockBar())
            SetTimer(features_.panel.TabCtrl().GetSafeHwnd(), AcKvUiTabCtrl::kFavouritesTimer, 100, nullptr);

        App().englishIme = GetSettingNumber(SettingId::AutoEnglishMode) != 0;
        App().sdiModeEnabled = GetSettingNumber(SettingId::EnableSdiMode) != 0;

        prepareFolderSetting(SettingId::CachePath);
        prepareFolderSetting(SettingId::ScriptPath);

        for (SettingId id : {SettingId::ServerAddress, SettingId::ServerPort, SettingId::ServletObject,
                             SettingId::UserId, SettingId::UserPassword})
            fillWhenEmpty(id);

        if (KvDockBar()) {
            features_.panel.SetCurTabFromDocument(acDocManager->curDocument());
            features_.panel.UpdateBarVisibility();
            features_.panel.UpdateBanner();
        }
    });

    if (systemMenuItems == 0) systemMenuItems = KvAddSystemMenuEntries();
    SetFocus(acedGetAcadFrame());
}

void KvModule::Unload() {
    KvGuardLine("\n;error : UnloadApplication", [this] {
        KvRemoveCommands();
        KvRemoveMessageFilter();
        KvDestroyDockBar(features_);
        reactors_.Delete();
        KvDestroyContextApp(features_);
        KvDestroySwitcher(features_);
        KvRemoveSystemMenuEntries(systemMenuItems);
        strings_.Clear();
        KvDetachStringTable(strings_);
        language_.reload = nullptr;
        KvFreeLanguagePack();
        thumbnails_.Free();
        ResetSettingsStore();
    });
}

KvModule* KvTheModule() { return g_module.get(); }

void KvStartup() {
    if (!g_module) g_module = std::make_unique<KvModule>();
    g_module->Start();
}

void KvUnload() {
    if (!g_module) return;
    g_module->Unload();
    g_module.reset();
}
