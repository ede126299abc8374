// Where the user's menu file is found, and loading it for either menu.
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/profile.h"
#include "menus/usermenu.h"

namespace {
constexpr const char* kMenuFileName = "ctxmenu.xml";
}

std::optional<std::string> KvLocateUserMenuFile() {
    const AppState& app = App();
    std::string path = app.dataFolder + kMenuFileName;
    // Without a data folder nothing is copied (it would land in the process's current folder);
    // the host's search then finds the shipped file in the module folder.
    if (!app.dataFolder.empty()) {
        std::optional<std::string> existing = FindFileNoCase(app.dataFolder, kMenuFileName);
        if (!existing) {
            // Copied only while missing: a file another host made meanwhile (and the user may
            // already have edited) stays as it is.
            KvCopyShippedFile(app.moduleFolder, app.dataFolder, kMenuFileName, false);
            existing = FindFileNoCase(app.dataFolder, kMenuFileName);
        }
        if (existing) path = *existing;
    }
    std::string found;
    if (acedFindFile(path, &found) != RTNORM) return std::nullopt;
    return found;
}

bool KvLoadUserMenu(CXmlMenu& menu, HMENU target) {
    bool loaded = false;
    menu.Clear();   // no file now: no entries left over from the last showing
    KvGuard("SubMenu", [&] {
        const std::optional<std::string> path = KvLocateUserMenuFile();
        loaded = path && menu.Load(target, *path);
    });
    return loaded;
}
