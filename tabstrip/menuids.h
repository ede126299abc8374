// The ids of the tab menus' numbered entries: the menus in menus/ build them, the tab control's
// command dispatch maps them back to the list entry they stand for. Each list has a block of
// kMenuIdBlock ids from its first.
#pragma once
#include "uikit/xmlmenu.h"
#include "win/types.h"

constexpr UINT kMenuIdBlock = 100;
constexpr UINT kMenuIdFirstLayout = 77700;
constexpr UINT kMenuIdFirstView = 77800;
constexpr UINT kMenuIdFirstFavourite = 77900;
constexpr UINT kMenuIdFirstLayerState = 78000;
constexpr UINT kMenuIdFirstRecentFile = 78100;
constexpr UINT kMenuIdFirstSimilarFile = 78200;
// The templates: at most 31 entries, the last at kMenuIdLastTemplate.
constexpr UINT kMenuIdFirstTemplate = 78300;
constexpr UINT kMenuIdLastTemplate = kMenuIdFirstTemplate + 30;
// The user's menu file behind the "User Command" submenu.
constexpr UINT kMenuIdFirstUser = CXmlMenu::kFirstId;
constexpr UINT kMenuIdLastUser = 599;
