// The user's own menu, read from "ctxmenu.xml" in the data folder.
#pragma once
#include <optional>
#include <string>
#include "uikit/xmlmenu.h"

// The user's menu file: when the data folder has no "ctxmenu.xml", the shipped one is copied there
// from the module folder; then the host resolves the data-folder path. Nothing when it does not.
std::optional<std::string> KvLocateUserMenuFile();

// Locates the user's menu file and loads it into `target` with the label attribute "name" and the
// first id 500. False when there is no file or it cannot be read (no entries, nothing reported);
// an exception prints "Exception error :  SubMenu. " and leaves what was built.
bool KvLoadUserMenu(CXmlMenu& menu, HMENU target);
