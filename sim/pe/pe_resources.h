// Reader for Windows PE resource modules held in memory: the plug-in's own resources (embedded
// in the plug-in) and language packs on disk. Everything read from the bytes is bounds-checked;
// a damaged or hostile file gives "not found", never a crash, a runaway allocation or a loop.
#pragma once
#include "sim/utf.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim::pe {

// Resource types, with their Win32 numbers.
inline constexpr std::uint16_t kRtCursor = 1;
inline constexpr std::uint16_t kRtBitmap = 2;
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtMenu = 4;
inline constexpr std::uint16_t kRtDialog = 5;
inline constexpr std::uint16_t kRtString = 6;
inline constexpr std::uint16_t kRtGroupCursor = 12;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;

// A resource type or name: an integer id or a string (names compare case-insensitively, as
// FindResource does; they are kept in upper case).
struct ResourceKey {
    bool isName = false;
    std::uint16_t id = 0;
    std::string name;   // UTF-8, upper case; only when isName
};

// One leaf of the resource tree.
struct ResourceEntry {
    ResourceKey type;
    ResourceKey name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::size_t offset = 0;   // file offset of the data, checked against the buffer
    std::size_t size = 0;
};

// UTF-16LE bytes to UTF-8. Unpaired surrogates become U+FFFD; an odd trailing byte is dropped.
using sim::utf16leToUtf8;

// VS_FIXEDFILEINFO as stored in the version resource.
struct FixedFileInfo {
    std::uint32_t signature = 0, strucVersion = 0;
    std::uint32_t fileVersionMS = 0, fileVersionLS = 0;
    std::uint32_t productVersionMS = 0, productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0, fileFlags = 0, fileOS = 0, fileType = 0, fileSubtype = 0;
    std::uint32_t fileDateMS = 0, fileDateLS = 0;
};

struct StringTable {
    std::string key;   // "040904b0" as written in the file
    std::vector<std::pair<std::string, std::string>> values;
};

// A parsed VS_VERSIONINFO block.
struct VersionInfo {
    std::optional<FixedFileInfo> fixed;
    std::vector<StringTable> stringTables;
    std::vector<std::uint32_t> translations;   // language | code page << 16, in file order

    // Lookups by VerQueryValue sub-block path: "\\" (fixed), "\\VarFileInfo\\Translation",
    // "\\StringFileInfo\\<table>\\<name>". Keys compare case-insensitively.
    const FixedFileInfo* queryFixed(std::string_view subBlock) const;
    const std::vector<std::uint32_t>* queryTranslations(std::string_view subBlock) const;
    const std::string* queryString(std::string_view subBlock) const;
};

// Parses a raw VS_VERSIONINFO block (the bytes of an RT_VERSION resource); nullopt when the
// block is not one.
std::optional<VersionInfo> parseVersionInfo(std::span<const std::uint8_t> block);

class ResourceModule {
public:
    // Parses a PE image (PE32 or PE32+) as it lies in a file. nullopt when the bytes are not a
    // PE file. A module without resources parses and finds nothing.
    static std::optional<ResourceModule> parse(std::vector<std::uint8_t> bytes);

    // The data of a resource. Without a language, the first language stored for it.
    std::optional<std::span<const std::uint8_t>> find(std::uint16_t type, std::uint16_t id,
                                                      std::optional<std::uint16_t> language = {}) const;
    std::optional<std::span<const std::uint8_t>> find(std::uint16_t type, std::string_view name,
                                                      std::optional<std::uint16_t> language = {}) const;

    // String table entry `id` (RT_STRING), UTF-8. nullopt when the id is absent (the format
    // cannot tell an absent id from an empty text, so an empty text reads as absent too).
    std::optional<std::string> loadString(std::uint32_t id, std::optional<std::uint16_t> language = {}) const;

    // The version resource (id 1, else the first one).
    std::optional<std::span<const std::uint8_t>> versionBlock() const;
    std::optional<VersionInfo> versionInfo() const;

    const std::vector<ResourceEntry>& entries() const { return entries_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::span<const std::uint8_t> data(const ResourceEntry& e) const {
        return std::span<const std::uint8_t>(bytes_).subspan(e.offset, e.size);
    }
    const ResourceEntry* lookup(std::uint16_t type, const ResourceKey& name, std::optional<std::uint16_t> language) const;

    std::vector<std::uint8_t> bytes_;
    std::vector<ResourceEntry> entries_;
};

}  // namespace sim::pe
