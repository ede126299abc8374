// Language packs: resource-only modules beside the plug-in ("Korvane*.dll") that carry every
// resource of the plug-in in one language. The chosen language decides which module dialogs,
// menus and strings are loaded from. Also the help file of the options dialog.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "win/types.h"

// Packs made for older versions of the plug-in are not used.
constexpr std::uint64_t kKvMinimumPackVersion = (std::uint64_t(0x00020000) << 32) | 0x00000001;   // 2.0.0.1

// The chosen language: the registry value "Language" of the settings key, else the setting, else
// "English".
std::string KvLanguageChoice();

// The newest usable pack for a language name (its Comments text contains the name). `path` is
// empty when none qualifies; `onlyTooOld` tells that matching packs exist but all are too old.
struct KvPackChoice {
    std::string path;
    bool onlyTooOld = false;
};
KvPackChoice KvChoosePack(const std::string& language);

// Start-up: picks the language, switches the resource module and rebuilds the string table.
void LoadLanguageAtStartup(HINSTANCE ownModule);
// "English" and the language of every pack beside the plug-in, each once, in string order.
std::vector<std::string> CollectLanguages();
// After the options dialog: switches to the selected language when it differs from the current.
void ApplyLanguageChoice(const std::string& selected);
// The pack in use and what else a change of language must rebuild. The module's root owns the one
// instance and attaches it for its life; the functions of this file reach it while it is attached
// (without it, no pack is loaded and the choice is not applied).
struct KvLanguageState {
    HMODULE pack = nullptr;
    // The interface reload of the core (the system-menu entries, the switcher, the tabs' texts);
    // the string table is rebuilt here.
    std::function<void()> reload;
};
void KvAttachLanguage(KvLanguageState& state);
// Detaches `state` if it is the attached one.
void KvDetachLanguage(const KvLanguageState& state);

// Frees a loaded pack (unload); the plug-in's own module is current again.
void KvFreeLanguagePack();
bool KvLanguagePackLoaded();
// Opens the help file for the options dialog's Help button; nothing when it cannot be found.
void OpenHelp(HWND owner);
// The help file's name for the language setting.
std::string KvHelpFileName();
