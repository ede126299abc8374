// KvModule: what the plug-in owns while the host has it loaded. The initialise message creates the
// one instance and unload destroys it; the host's context-free entry points (command bodies, LISP
// functions, the message filter, the module's exports) reach it through KvTheModule(), everything
// else is handed what it needs.
#pragma once
#include <memory>
#include <string>
#include "core/strings.h"
#include "core/thumbnails.h"
#include "doctrack/events.h"
#include "doctrack/reactors.h"
#include "hosting/features.h"
#include "settings/language.h"
#include "settings/options.h"
#include "tabstrip/keys.h"

class KvModule {
public:
    KvModule();
    ~KvModule();
    KvModule(const KvModule&) = delete;
    KvModule& operator=(const KvModule&) = delete;

    // The initialise message's work, in its order. Stops early (with the reason reported) when a
    // required part is missing; what was made so far stays until unload.
    void Start();
    // Takes everything down in the fixed unload order (see the member list).
    void Unload();

    // The system menu entries start-up added (taken out again at unload and on a language change).
    int systemMenuItems = 0;
    // Where the link pickers opened last.
    std::string lastLinkFolder;
    std::string lastLinkFolderPick;
    // The Options dialog's custom colours.
    KvCustomColours customColours{};
    // What the message filter's tab strip keys remember between messages.
    KvTabStripKeyState tabStripKeys;

private:
    // Members in creation order. Unload takes the parts down in the order the module always has:
    // commands, message filter, dock bar, reactors, context menu, switcher, system menu, string
    // table, language pack, thumbnail library, settings store.
    KvThumbnailLibrary thumbnails_;              // attached for the root's life
    KvStringTable strings_;                      // attached from start-up to unload
    KvLanguageState language_;                   // the pack in use; attached for the root's life
    KvFeatureObjects features_;                  // the tab panel, bar, switcher, context menu, the strip's host
    std::unique_ptr<KvDocumentEvents> events_;   // what the reactors report, wired to the features
    KvReactors reactors_;                        // tell events_, so they go first
};

// The loaded module's root; null before the initialise message and after unload.
KvModule* KvTheModule();

// The entry point's two messages: creating the root and starting it, unloading and destroying it.
void KvStartup();
void KvUnload();
