// The 73 settings: their table, the process-wide cache and the rule that keeps them in the registry
// or in the settings file "korvane.xml" of the data folder.
//
// Every operation takes the settings lock for its whole duration and first loads the store once
// (there is no initialisation call). Registry mode: values live under App().settingsKey, read from
// the current user first and the local machine second, written to the current user; a cached value
// is read again after 120 seconds. File mode (the settings file exists and parses): values live in
// the file; settings missing there still come from the registry or their default; cached values
// never expire.
#pragma once
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

enum class SettingId : int {
    DockingPosition = 1,
    SecureMode,
    Language,
    UseRegistry,
    MenuYPosition,
    OneTabHidden,
    FileIcon,
    ThumbnailIcon,
    VersionIcon,
    Extension,
    ShowCloseButton,
    FixedWidth,
    OpenSort,
    SelectedTabFontColor,
    UnselectedTabFontColor,
    SelectedTabFontStyle,
    UnselectedTabFontStyle,
    BackgroundColorEffect,
    StartBgColor,
    MiddleBgColor,
    EndBgColor,
    TooltipEnable,
    ShowThumbnail,
    ShowDesc,
    ScriptPath,
    LinkTabClose,
    ShortKey,
    FavorOpen,
    ZoomExtents,
    OnlyModifiedDwgFiles,
    MaintenanceVersion,
    DebugLevel,
    LogPath,
    FavoritesUse,
    ServerAddress,
    ServerPort,
    ServletObject,
    CloudfoldUse,
    UserId,
    UserPassword,
    SavePassword,
    WebPlugins,
    CachePath,
    DeleteCacheFiles,
    FixedWidthX,
    UseBanner,
    SubControlSize,
    SaveBeforeScript,
    AutoEnglishMode,
    DrawingHistoryUse,
    HistoryPathLength,
    WindowsArrange,
    MaxCharLengthUse,
    MaxCharLength,
    TabBorderLinetype,
    AskWithoutSave,
    UseUserCommand,
    UseSortFunction,
    UseLinkFile,
    EnableSdiMode,
    EnableWheelMouse,
    SimilarFolder,
    SimilarFile,
    SimilarStartPos,
    SimilarEndPos,
    ThumbnailComment,
    UseZentrope,
    UseBackup,
    BackupSuffix,
    UseTabMenu,
    OutlineColor,
    UseOutline,
    OutlineWidth,
};
constexpr int kSettingCount = 73;

enum class SettingKind { Numeric, Text };

// What a registry read must satisfy; a value that fails, or is found nowhere, reads as the default.
enum class SettingCheck {
    None,          // any value
    NotNegative,   // negative -> default
    Positive,      // not positive -> default
    Range,         // outside [low, high] -> default
};

// What a value must be where it is used: a size, count or index outside it would make the bar
// unusable or a paint unbounded. Values from the settings file bypass the read check, and writes
// are not checked, so consumers read sizes through GetUsableSettingNumber.
enum class SettingUse {
    Any,         // every value is usable (flags, colours, texts)
    Clamp,       // outside [useLow, useHigh] -> the nearer bound
    OrDefault,   // outside [useLow, useHigh] -> the default
    DockSide,    // one of the four docking sides, else the default
};

struct SettingDef {
    SettingId id;
    const char* key;   // registry value name and `name` attribute, spelled exactly so
    SettingKind kind;
    int defaultNumber;
    SettingCheck check;
    int low, high;
    bool defaultIsButtonFace;   // the default is the system button-face colour
    SettingUse use = SettingUse::Any;
    int useLow = 0, useHigh = 0;

    constexpr SettingDef Usable(SettingUse rule, int lowest, int highest) const {
        SettingDef d = *this;
        d.use = rule, d.useLow = lowest, d.useHigh = highest;
        return d;
    }
};

// The row of a setting; id must be 1..73.
const SettingDef& GetSettingDef(SettingId id);
// The setting whose key is exactly key (case-sensitive); null when none.
const SettingDef* FindSettingByKey(std::string_view key);
bool IsValidSettingId(SettingId id);
// What a numeric read yields when nothing usable is stored.
int DefaultSettingNumber(SettingId id);
// What start-up writes into an empty text setting (25, 32, 33, 35, 36, 37, 39, 40, 43); empty
// for the others. Folders are built on App().dataFolder.
std::string DefaultSettingText(SettingId id);

// One cache entry per setting.
struct SettingCacheEntry {
    std::int32_t valid = 0;
    std::int64_t stamp = 0;   // seconds since 1970 when filled from the registry or written; 0 from the file
    std::int32_t kind = 0;    // 1 numeric, 0 text
    std::string text;
    std::int32_t number = 0;
};

// The one settings lock: re-entrant within a thread. Hold it to use the settings document.
class SettingsLock {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};
SettingsLock& TheSettingsLock();

int GetSettingNumber(SettingId id);
// A numeric value brought into the range its row allows where it is used: for a row with a usable
// range, the row's read check first (a failing value reads as the default, as from the registry),
// then that range. Other values are returned as they are.
int UsableSettingNumber(SettingId id, int value);
// GetSettingNumber, then UsableSettingNumber: how sizes, counts and indexes are read.
int GetUsableSettingNumber(SettingId id);
std::string GetSettingText(SettingId id);
void SetSettingNumber(SettingId id, int value);   // no range check on writing
void SetSettingText(SettingId id, std::string_view value);
bool IsFileMode();

// The settings file in use ("" in registry mode).
std::string SettingsFilePath();

// Writes made while a group is alive change the cache and the settings document at once, but the
// file is saved once, when the last group ends. The group holds the settings lock for its life, so
// keep it to the writes themselves (no dialogs inside).
class SettingsWriteGroup {
public:
    SettingsWriteGroup();
    ~SettingsWriteGroup();
    SettingsWriteGroup(const SettingsWriteGroup&) = delete;
    SettingsWriteGroup& operator=(const SettingsWriteGroup&) = delete;
};

// Back to "unloaded": the next access loads the store again, from the registry and the file as
// they are then. For module unload (the store must start afresh when the module is loaded again
// in the same process) and for tests.
void ResetSettingsStore();

// Setting 40 is stored scrambled: three decimal digits per byte. Unscrambling yields the empty
// string when a group is not three digits or not a byte; a trailing partial group is ignored.
std::string ScramblePassword(std::string_view password);
std::string UnscramblePassword(std::string_view scrambled);

// "Error, can't parse 'korvane.xml', the file may be corrupt."
constexpr unsigned kMsgSettingsFileCorrupt = 32808;
