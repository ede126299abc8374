#include "settings/settings.h"
#include "settings/dockside.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "core/app_state.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/strings.h"
#include "settings/markup.h"
#include "win/registry.h"
#include "win/system.h"

namespace {

constexpr std::int64_t kRegistryLifetimeSeconds = 120;
constexpr std::chrono::seconds kStaleTempAge{60};
constexpr std::size_t kNumberTextLimit = 49;   // characters read of a number stored as text
constexpr std::size_t kTextLimit = 999;        // characters read of a text setting
constexpr const char* kSettingsFileName = "korvane.xml";
constexpr const char* kRootName = "Korvane";
constexpr const char* kConfigName = "config";
constexpr const char* kItemName = "Item";

struct Store {
    SettingsLock lock;
    bool loaded = false;
    bool fileMode = false;
    std::array<SettingCacheEntry, kSettingCount + 1> cache{};   // by SettingId; [0] unused
    CMarkupSTL doc;
    std::string filePath;   // as found, letter case included; saves keep this name
    int groupDepth = 0;
    bool unsaved = false;   // the document changed inside a write group
    // Items written since the last save, in order: a save puts these into the file as it is on disk
    // then, so that another host's writes in between are kept.
    struct Written {
        std::string key, type, value;
    };
    std::vector<Written> written;
    // The file's bytes as this host last read or wrote them. While the file still holds them, no
    // other host has written in between and the document here is already what a splice would give.
    std::string diskText;
    // The hosts' lock on the settings file, opened when the file is loaded and kept while the store is.
    std::unique_ptr<KvHostsMutex> hostsMutex;
};

Store& TheStore() {
    static Store store;
    return store;
}

std::int64_t Now() { return _time64(nullptr); }

bool Fresh(std::int64_t stamp) {
    const std::int64_t now = Now();
    // A clock set back does not keep a value forever.
    return now >= stamp && now - stamp < kRegistryLifetimeSeconds;
}

// The leading decimal integer, as atoi reads it (blanks, a sign, digits); 0 when there is none.
// Out-of-range values stop at the int limits.
int LeadingInt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 1LL + std::numeric_limits<int>::max()) break;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(v);
}

// Text up to its first zero, at most limit characters (code points).
std::string RegistryText(const std::vector<BYTE>& bytes, std::size_t limit) {
    std::string_view s(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    s = s.substr(0, s.find('\0'));
    std::size_t count = 0, i = 0;
    for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && count++ == limit) break;
    }
    return std::string(s.substr(0, i));
}

std::optional<std::vector<BYTE>> QueryValue(HKEY root, const char* name, DWORD* type) {
    const std::string& keyPath = App().settingsKey;
    if (keyPath.empty()) return std::nullopt;
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, keyPath, 0, KEY_READ, &key) != LONG(ERROR_SUCCESS)) return std::nullopt;
    std::optional<std::vector<BYTE>> result;
    DWORD size = 0;
    if (RegQueryValueEx(key, name, type, nullptr, &size) == LONG(ERROR_SUCCESS)) {
        std::vector<BYTE> data(size);
        if (RegQueryValueEx(key, name, type, data.data(), &size) == LONG(ERROR_SUCCESS)) {
            data.resize(size);
            result = std::move(data);
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<int> ReadRegistryNumber(const char* name) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        DWORD type = REG_NONE;
        auto data = QueryValue(root, name, &type);
        if (!data) continue;
        if (type == REG_DWORD && data->size() <= 4) {
            std::uint32_t v = 0;
            for (std::size_t i = 0; i < data->size(); ++i) v |= std::uint32_t((*data)[i]) << (8 * i);
            return std::int32_t(v);
        }
        return LeadingInt(RegistryText(*data, kNumberTextLimit));
    }
    return std::nullopt;
}

std::optional<std::string> ReadRegistryText(const char* name) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        DWORD type = REG_NONE;
        auto data = QueryValue(root, name, &type);
        if (data && type == REG_SZ) return RegistryText(*data, kTextLimit);
    }
    return std::nullopt;
}

void WriteRegistry(const char* name, DWORD type, const BYTE* data, DWORD size) {
    const std::string& keyPath = App().settingsKey;
    if (keyPath.empty()) return;
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, KEY_WRITE, &key) != LONG(ERROR_SUCCESS)) return;
    RegSetValueEx(key, name, type, data, size);
    RegCloseKey(key);
}

int Checked(const SettingDef& def, std::optional<int> value) {
    const int fallback = DefaultSettingNumber(def.id);
    if (!value) return fallback;
    const int v = *value;
    switch (def.check) {
    case SettingCheck::None: return v;
    case SettingCheck::NotNegative: return v < 0 ? fallback : v;
    case SettingCheck::Positive: return v <= 0 ? fallback : v;
    case SettingCheck::Range: return v < def.low || v > def.high ? fallback : v;
    }
    return v;
}

void Fill(SettingCacheEntry& e, std::int64_t stamp, int number) {
    e.valid = 1, e.stamp = stamp, e.kind = 1, e.number = number;
    e.text.clear();
}

void Fill(SettingCacheEntry& e, std::int64_t stamp, std::string text) {
    e.valid = 1, e.stamp = stamp, e.kind = 0, e.number = 0;
    e.text = std::move(text);
}

KvHostsMutex& HostsMutex(Store& s) {
    if (!s.hostsMutex) s.hostsMutex = std::make_unique<KvHostsMutex>("settings");
    return *s.hostsMutex;
}

// Finds or adds the item of key under Korvane/config of the document and gives it the value.
void SpliceItem(CMarkupSTL& d, const std::string& key, const std::string& type, const std::string& value) {
    d.ResetPosition();
    if (!d.FindElement()) d.AddElement(kRootName);
    if (!d.FindChildElement(kConfigName)) d.AddChildElement(kConfigName);
    d.EnterElement();
    bool found = false;
    while (d.FindChildElement(kItemName)) {
        if (d.GetChildAttribute("name") == key) {
            found = true;
            break;
        }
    }
    if (!found) d.AddChildElement(kItemName, value);
    d.SetChildAttribute("name", key);
    d.SetChildAttribute("type", type);
    if (found) d.SetChildText(value);
}

// Writes this host's items into the settings file as another host may have left it: under the
// hosts' lock, the file is read again, the items written here since the last save are spliced in,
// and the result replaces the file. A file that no longer parses is replaced by this host's copy.
void WriteBack(Store& s) {
    KvHostsLock hosts(HostsMutex(s));
    if (const auto bytes = ReadFileBytes(s.filePath); bytes && !bytes->empty() && *bytes != s.diskText) {
        std::string_view text = *bytes;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        CMarkupSTL disk;
        bool ok = disk.SetDocument(text);
        disk.ResetPosition();
        if (ok && disk.FindElement() && disk.GetTagName() == kRootName) {
            for (const auto& w : s.written) SpliceItem(disk, w.key, w.type, w.value);
            s.doc = std::move(disk);
        }
    }
    s.written.clear();
    // A file that cannot be written loses the write silently; the cache keeps the new value.
    if (s.doc.SaveDocument(s.filePath)) {
        s.diskText = s.doc.GetDocument();
    } else {
        s.diskText.clear();
    }
}

void SaveDocument(Store& s) {
    if (s.groupDepth > 0) {
        s.unsaved = true;
        return;
    }
    WriteBack(s);
}

// Reads the items of the settings document into the cache: only `Item` elements of the first
// `config`, the first item of each name, names matched exactly; values bypass the checks.
void ReadItems(Store& s) {
    CMarkupSTL& d = s.doc;
    d.ResetPosition();
    if (!d.FindElement() || !d.FindChildElement(kConfigName)) return;
    d.EnterElement();
    while (d.FindChildElement(kItemName)) {
        const SettingDef* def = FindSettingByKey(d.GetChildAttribute("name"));
        if (!def) continue;
        SettingCacheEntry& e = s.cache[int(def->id)];
        if (e.valid) continue;
        if (d.GetChildAttribute("type") == "numeric") {
            Fill(e, 0, LeadingInt(d.GetChildText()));
        } else {
            Fill(e, 0, d.GetChildText());
        }
    }
}

void LoadOnce(Store& s) {
    if (s.loaded) return;
    s.loaded = true;
    for (auto& e : s.cache) e.valid = 0;

    // "Use registry" = 2 keeps the settings in the registry whatever files exist.
    if (GetSettingNumber(SettingId::UseRegistry) == 2) return;
    const auto path = FindFileNoCase(App().dataFolder, kSettingsFileName);
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(*path, ec)) return;
    auto bytes = ReadFileBytes(*path);
    if (!bytes) return;   // unreadable: as if absent

    if (bytes->empty()) {
        // An empty file asks for file mode; the first write gives it its content.
        s.doc.SetDocument();
        s.doc.AddElement(kRootName);
    } else {
        std::string_view text = *bytes;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        bool ok = s.doc.SetDocument(text);
        s.doc.ResetPosition();
        ok = ok && s.doc.FindElement() && s.doc.GetTagName() == kRootName;
        if (!ok) {
            // The file stays as it is; settings go to the registry until the next load.
            s.doc.SetDocument();
            MessageBox(nullptr, KvLoadString(kMsgSettingsFileCorrupt), "Korvane", MB_OK);
            return;
        }
        ReadItems(s);
    }
    s.diskText = std::move(*bytes);
    s.fileMode = true;
    s.filePath = *path;
    // What a host killed while saving left behind; only when no host is saving now.
    if (KvHostsLock::TryNow(HostsMutex(s)).Held()) RemoveStaleTempFiles(s.filePath, kStaleTempAge);
}

void WriteItem(Store& s, const char* key, const char* type, const std::string& value) {
    SpliceItem(s.doc, key, type, value);
    s.written.push_back({key, type, value});
    SaveDocument(s);
}

}   // namespace

SettingsLock& TheSettingsLock() { return TheStore().lock; }

int GetSettingNumber(SettingId id) {
    if (!IsValidSettingId(id)) return 0;
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    SettingCacheEntry& e = s.cache[int(id)];
    if (e.valid && (s.fileMode || Fresh(e.stamp))) return e.kind == 1 ? e.number : LeadingInt(e.text);
    e.valid = 0;
    const SettingDef& def = GetSettingDef(id);
    const int value = Checked(def, ReadRegistryNumber(def.key));
    if (!e.valid) Fill(e, Now(), value);
    return value;
}

int UsableSettingNumber(SettingId id, int value) {
    if (!IsValidSettingId(id)) return 0;
    const SettingDef& def = GetSettingDef(id);
    if (def.use == SettingUse::Any) return value;
    const int v = Checked(def, value);
    const bool inside = v >= def.useLow && v <= def.useHigh;
    switch (def.use) {
    case SettingUse::Any: return v;
    case SettingUse::Clamp: return std::clamp(v, def.useLow, def.useHigh);
    case SettingUse::OrDefault: return inside ? v : DefaultSettingNumber(id);
    case SettingUse::DockSide: return KvIsDockSide(v) ? v : DefaultSettingNumber(id);
    }
    return v;
}

int GetUsableSettingNumber(SettingId id) { return UsableSettingNumber(id, GetSettingNumber(id)); }

std::string GetSettingText(SettingId id) {
    if (!IsValidSettingId(id)) return {};
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    SettingCacheEntry& e = s.cache[int(id)];
    if (e.valid && (s.fileMode || Fresh(e.stamp))) return e.kind == 0 ? e.text : std::to_string(e.number);
    e.valid = 0;
    std::string value = ReadRegistryText(GetSettingDef(id).key).value_or(std::string());
    if (!e.valid) Fill(e, Now(), value);
    return value;
}

void SetSettingNumber(SettingId id, int value) {
    if (!IsValidSettingId(id)) return;
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    Fill(s.cache[int(id)], Now(), value);
    const char* key = GetSettingDef(id).key;
    if (s.fileMode) {
        WriteItem(s, key, "numeric", std::to_string(value));
    } else {
        const DWORD v = DWORD(value);
        const BYTE bytes[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        WriteRegistry(key, REG_DWORD, bytes, 4);
    }
}

void SetSettingText(SettingId id, std::string_view value) {
    if (!IsValidSettingId(id)) return;
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    Fill(s.cache[int(id)], Now(), std::string(value));
    const char* key = GetSettingDef(id).key;
    if (s.fileMode) {
        WriteItem(s, key, "string", std::string(value));
    } else {
        const std::string text(value);
        WriteRegistry(key, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    }
}

bool IsFileMode() {
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    return s.fileMode;
}

std::string SettingsFilePath() {
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    LoadOnce(s);
    return s.filePath;
}

SettingsWriteGroup::SettingsWriteGroup() {
    Store& s = TheStore();
    s.lock.lock();
    ++s.groupDepth;
}

SettingsWriteGroup::~SettingsWriteGroup() {
    Store& s = TheStore();
    if (--s.groupDepth == 0 && s.unsaved) {
        s.unsaved = false;
        if (s.fileMode) WriteBack(s);
    }
    s.lock.unlock();
}

void ResetSettingsStore() {
    Store& s = TheStore();
    std::lock_guard guard(s.lock);
    s.loaded = false;
    s.fileMode = false;
    for (auto& e : s.cache) e = SettingCacheEntry{};
    s.doc.SetDocument();
    s.filePath.clear();
    s.unsaved = false;
    s.written.clear();
    s.diskText.clear();
    s.hostsMutex.reset();
}

// ---- Password scrambling ----------------------------------------------------------------------------

namespace {
// Each byte of the password is combined with the key byte at its position.
constexpr unsigned char kPasswordKey[] = {0x5A, 0xC3, 0x17, 0x8E, 0x2B, 0xF1, 0x64, 0x39};
}   // namespace

std::string ScramblePassword(std::string_view password) {
    std::string out;
    out.reserve(password.size() * 3);
    for (std::size_t i = 0; i < password.size(); ++i) {
        const unsigned v = static_cast<unsigned char>(password[i]) ^ kPasswordKey[i % sizeof kPasswordKey];
        char group[4];
        std::snprintf(group, sizeof group, "%03u", v);
        out += group;
    }
    return out;
}

std::string UnscramblePassword(std::string_view scrambled) {
    std::string out;
    const std::size_t groups = scrambled.size() / 3;
    for (std::size_t g = 0; g < groups; ++g) {
        unsigned v = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            const char c = scrambled[g * 3 + k];
            if (c < '0' || c > '9') return {};
            v = v * 10 + unsigned(c - '0');
        }
        if (v > 255) return {};
        out += char(v ^ kPasswordKey[g % sizeof kPasswordKey]);
    }
    return out;
}
