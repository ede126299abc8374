// Application-wide state of the plug-in: folders, flags read from the host, the module handles.
#pragma once
#include <string>
#include "win/types.h"

struct AppState {
    HINSTANCE resourceModule = nullptr;   // dialogs, menus and strings load from here
    HINSTANCE ownModule = nullptr;        // the plug-in's own module
    void* appId = nullptr;                // passed with every entry-point message
    std::string moduleFolder;             // ends with a path separator
    std::string dataFolder;               // ends with a path separator; empty when APPDATA is unset
    std::string settingsKey;              // "SOFTWARE\\Stavlo\\Korvane\\<CurVer>"
    bool sdi = false;
    bool sdiModeEnabled = false;
    bool englishIme = false;
    bool fiber = true;
    int hostYear = 0;
    std::string aboutText;
};

// The one instance, for the life of the process.
AppState& App();
