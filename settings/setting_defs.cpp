#include <string_view>
#include <unordered_map>

#include "core/app_state.h"
#include "core/paths.h"
#include "settings/dockside.h"
#include "settings/settings.h"
#include "win/system.h"

namespace {

using K = SettingKind;
using C = SettingCheck;
using S = SettingId;
using U = SettingUse;

constexpr SettingDef Num(S id, const char* key, int def, C check = C::None, int low = 0, int high = 0) {
    return {id, key, K::Numeric, def, check, low, high, false};
}
constexpr SettingDef Txt(S id, const char* key) { return {id, key, K::Text, 0, C::None, 0, 0, false}; }
constexpr SettingDef ButtonFace(S id, const char* key) { return {id, key, K::Numeric, 0, C::NotNegative, 0, 0, true}; }

// Keys are the stored names letter for letter, misspellings included: files and registries in the
// field use them.
constexpr SettingDef kSettings[kSettingCount] = {
    Num(S::DockingPosition, "Docking position", kDockTop, C::NotNegative).Usable(U::DockSide, 0, 0),
    Num(S::SecureMode, "Secure mode", 1),
    Txt(S::Language, "Language"),
    Num(S::UseRegistry, "Use registry", -1, C::Range, 0, 2),
    Num(S::MenuYPosition, "Menu Y-position", 20, C::Range, 1, 200).Usable(U::OrDefault, 1, 200),
    Num(S::OneTabHidden, "One tab hidden", 0),
    Num(S::FileIcon, "file icon", 1, C::NotNegative),
    Num(S::ThumbnailIcon, "Thumbnail icon", 0),
    Num(S::VersionIcon, "version icon", 1, C::NotNegative),
    Num(S::Extension, "Extention", 1, C::NotNegative),
    Num(S::ShowCloseButton, "Show close button", 1, C::NotNegative),
    Num(S::FixedWidth, "fixed width", 0),
    Num(S::OpenSort, "Open sort", 0),
    Num(S::SelectedTabFontColor, "Selected Tab font color", 0x800000, C::Positive),
    Num(S::UnselectedTabFontColor, "Unselected Tab font color", 0x808080, C::Positive),
    Txt(S::SelectedTabFontStyle, "Selected Tab font style"),
    Txt(S::UnselectedTabFontStyle, "Unselected Tab font style"),
    Num(S::BackgroundColorEffect, "Background color effect", 2).Usable(U::OrDefault, 0, 68),
    ButtonFace(S::StartBgColor, "Start bgcolor"),
    ButtonFace(S::MiddleBgColor, "Middle bgcolor"),
    Num(S::EndBgColor, "End bgcolor", 0x8E8E8E, C::NotNegative),
    Num(S::TooltipEnable, "Tooltip enable", 1, C::NotNegative),
    Num(S::ShowThumbnail, "Show thumbnail", 0),
    Num(S::ShowDesc, "Show desc", 0),
    Txt(S::ScriptPath, "Script path"),
    Num(S::LinkTabClose, "Link tab close", 0),
    Num(S::ShortKey, "Short Key", 1, C::NotNegative),
    Num(S::FavorOpen, "Favor open", 1, C::NotNegative),
    Num(S::ZoomExtents, "Zoom extents", 0),
    Num(S::OnlyModifiedDwgFiles, "Only Modified Dwg Files", 0),
    Num(S::MaintenanceVersion, "Maintance version", 0),
    Txt(S::DebugLevel, "Debug level"),
    Txt(S::LogPath, "Log path"),
    Num(S::FavoritesUse, "Favorites Use", 1, C::NotNegative),
    Txt(S::ServerAddress, "Server Address"),
    Txt(S::ServerPort, "Server Port"),
    Txt(S::ServletObject, "Servlet Object"),
    Num(S::CloudfoldUse, "Cloudfold Use", 0),
    Txt(S::UserId, "UserID"),
    Txt(S::UserPassword, "UserPassword"),
    Num(S::SavePassword, "Save Password", 0),
    Num(S::WebPlugins, "Web Plugins", 0),
    Txt(S::CachePath, "Cache Path"),
    Num(S::DeleteCacheFiles, "Delete Cache files", 0),
    Num(S::FixedWidthX, "Fixed Width x", 32, C::NotNegative).Usable(U::Clamp, 16, 400),
    Num(S::UseBanner, "Use Banner", 0),
    Num(S::SubControlSize, "Sub control size", 6, C::Range, 4, 14).Usable(U::OrDefault, 4, 14),
    Txt(S::SaveBeforeScript, "Save Before script"),
    Num(S::AutoEnglishMode, "Automatically English Mode", 0),
    Num(S::DrawingHistoryUse, "Drawing History Use", 0),
    Num(S::HistoryPathLength, "History Path Length", 0),
    Num(S::WindowsArrange, "Windows Arrage", 1, C::NotNegative),
    Num(S::MaxCharLengthUse, "Max Char Length Use", 0),
    Num(S::MaxCharLength, "Max Char Length", 20, C::NotNegative).Usable(U::Clamp, 1, 260),
    Num(S::TabBorderLinetype, "Tab boarder linetype", 3).Usable(U::OrDefault, 0, 6),
    Num(S::AskWithoutSave, "Ask WithoutSave", 0),
    Num(S::UseUserCommand, "Use UserCommand", 1),
    Num(S::UseSortFunction, "Use SortFunction", 1),
    Num(S::UseLinkFile, "Use UseLinkFile", 1),
    Num(S::EnableSdiMode, "Enable SDIMode", 0),
    Num(S::EnableWheelMouse, "Enable WheelMouse", 1, C::NotNegative),
    Num(S::SimilarFolder, "Similar Folder", 1, C::NotNegative),
    Num(S::SimilarFile, "Similar File", 1, C::NotNegative),
    Num(S::SimilarStartPos, "Similar StartPos", 0),
    Num(S::SimilarEndPos, "Similar EndPos", 0),
    Num(S::ThumbnailComment, "Thumbnail Comment OF", 1, C::NotNegative),
    Num(S::UseZentrope, "Use Zentrope", 1, C::NotNegative),
    Num(S::UseBackup, "Use Backup", 1, C::NotNegative),
    Txt(S::BackupSuffix, "Backup Prefix"),
    Num(S::UseTabMenu, "Use TabMenu", 1, C::NotNegative),
    Num(S::OutlineColor, "Outline Color", 0x80FFFF, C::NotNegative),
    Num(S::UseOutline, "Use Outline", 1),
    Num(S::OutlineWidth, "Outline Width", 8, C::Range, 1, 8).Usable(U::OrDefault, 1, 8),
};

constexpr bool TableIsWellFormed() {
    for (int i = 0; i < kSettingCount; ++i) {
        if (int(kSettings[i].id) != i + 1) return false;
        if (std::string_view(kSettings[i].key).size() > 29) return false;
    }
    return true;
}
static_assert(TableIsWellFormed(), "the table is in SettingId order and keys are at most 29 characters");

// The web storage server that setting 35 names until the user changes it.
constexpr const char* kDefaultServer = "cloudfold.stavlo.example";

}   // namespace

bool IsValidSettingId(SettingId id) { return int(id) >= 1 && int(id) <= kSettingCount; }

const SettingDef& GetSettingDef(SettingId id) { return kSettings[int(id) - 1]; }

const SettingDef* FindSettingByKey(std::string_view key) {
    static const auto byKey = [] {
        std::unordered_map<std::string_view, const SettingDef*> map;
        for (const auto& def : kSettings) map.emplace(def.key, &def);
        return map;
    }();
    auto it = byKey.find(key);
    return it == byKey.end() ? nullptr : it->second;
}

int DefaultSettingNumber(SettingId id) {
    if (!IsValidSettingId(id)) return 0;
    const SettingDef& def = GetSettingDef(id);
    return def.defaultIsButtonFace ? int(GetSysColor(COLOR_BTNFACE)) : def.defaultNumber;
}

std::string DefaultSettingText(SettingId id) {
    const std::string& data = App().dataFolder;
    switch (id) {
    case S::ScriptPath: return data + "Script" + kPathSeparator;
    case S::CachePath: return data + "Cache" + kPathSeparator;
    case S::LogPath: return data;
    case S::DebugLevel: return "1";
    case S::ServerAddress: return kDefaultServer;
    case S::ServerPort: return "8081";
    case S::ServletObject: return "/Cloudfold/webhard/WebHardServlet";
    case S::UserId: return "mirel";
    case S::UserPassword: return ScramblePassword("mirel");
    default: return {};
    }
}
