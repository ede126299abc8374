// Dialog templates as resource modules store them: DLGTEMPLATEEX (DIALOGEX) and the older
// DLGTEMPLATE (DIALOG), with their items. Every read is bounds-checked: damaged or hostile bytes
// give nullopt, never a read outside the buffer or an unbounded allocation.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim::desk {

// A name-or-ordinal field (class, menu, item text).
struct SzOrOrd {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::string text;   // UTF-8, when not an ordinal
};

struct DialogItemTemplate {
    std::uint32_t helpId = 0, exStyle = 0, style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t id = 0;      // 16 bits in the older format
    SzOrOrd windowClass;       // atoms 0x0080 to 0x0085, or a class name
    SzOrOrd title;             // text, or a resource ordinal (pictures)
    std::vector<std::uint8_t> creationData;

    // The class name for an atom ("Button", "Edit", "Static", "ListBox", "ScrollBar",
    // "ComboBox"), else the name as written.
    std::string className() const;
};

struct DialogTemplate {
    bool extended = false;
    std::uint32_t helpId = 0, exStyle = 0, style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd menu, windowClass;
    std::string title;
    bool hasFont = false;      // DS_SETFONT
    std::uint16_t pointSize = 0, weight = 0;
    std::uint8_t italic = 0, charset = 0;
    std::string typeface;
    std::vector<DialogItemTemplate> items;
};

std::optional<DialogTemplate> parseDialogTemplate(std::span<const std::uint8_t> bytes);

// Menu templates (MENU and MENUEX resources), items in order with their submenus. Flags use the
// MF_ values (MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED, MF_HILITE).
struct MenuItemTemplate {
    std::uint32_t flags = 0;
    std::uint32_t id = 0;
    std::string text;
    std::vector<MenuItemTemplate> popup;
};
// nullopt for damaged bytes or nesting deeper than 16 levels.
std::optional<std::vector<MenuItemTemplate>> parseMenuTemplate(std::span<const std::uint8_t> bytes);

}  // namespace sim::desk
