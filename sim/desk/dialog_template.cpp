#include "sim/desk/dialog_template.h"

#include "sim/pe/pe_resources.h"

namespace sim::desk {
namespace {

constexpr std::uint32_t kDsSetFont = 0x40;
// A template cannot hold more items than its item count field allows; the bytes bound it further.
constexpr std::size_t kMinItemBytes = 18;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return pos_; }

    std::uint16_t u16() {
        if (!need(2)) return 0;
        std::uint16_t v = std::uint16_t(b_[pos_] | (b_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
    std::int16_t i16() { return std::int16_t(u16()); }
    std::uint8_t u8() {
        if (!need(1)) return 0;
        return b_[pos_++];
    }
    // A NUL-terminated UTF-16 string.
    std::string wstring() {
        const std::size_t start = pos_;
        while (true) {
            if (!need(2)) return {};
            const bool end = b_[pos_] == 0 && b_[pos_ + 1] == 0;
            pos_ += 2;
            if (end) return sim::pe::utf16leToUtf8(b_.subspan(start, pos_ - start - 2));
        }
    }
    SzOrOrd szOrOrd() {
        SzOrOrd r;
        if (!need(2)) return r;
        std::uint16_t first = std::uint16_t(b_[pos_] | (b_[pos_ + 1] << 8));
        if (first == 0x0000) {
            pos_ += 2;
        } else if (first == 0xFFFF) {
            pos_ += 2;
            r.isOrdinal = true;
            r.ordinal = u16();
        } else {
            r.text = wstring();
        }
        return r;
    }
    void alignDword() {
        std::size_t aligned = (pos_ + 3) & ~std::size_t(3);
        // Padding at the very end of the data may be missing; that is harmless.
        pos_ = aligned > b_.size() ? b_.size() : aligned;
    }
    std::vector<std::uint8_t> bytes(std::size_t n) {
        if (!need(n)) return {};
        std::vector<std::uint8_t> out(b_.begin() + long(pos_), b_.begin() + long(pos_ + n));
        pos_ += n;
        return out;
    }
    std::size_t remaining() const { return b_.size() - pos_; }

private:
    bool need(std::size_t n) {
        if (!ok_ || n > b_.size() - pos_) {
            ok_ = false;
            return false;
        }
        return true;
    }
    std::span<const std::uint8_t> b_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::string DialogItemTemplate::className() const {
    if (!windowClass.isOrdinal) return windowClass.text;
    switch (windowClass.ordinal) {
    case 0x0080: return "Button";
    case 0x0081: return "Edit";
    case 0x0082: return "Static";
    case 0x0083: return "ListBox";
    case 0x0084: return "ScrollBar";
    case 0x0085: return "ComboBox";
    default: return "#" + std::to_string(windowClass.ordinal);
    }
}

std::optional<DialogTemplate> parseDialogTemplate(std::span<const std::uint8_t> bytes) {
    Reader r(bytes);
    DialogTemplate t;
    const std::uint16_t version = r.u16();
    const std::uint16_t signature = r.u16();
    if (!r.ok()) return std::nullopt;
    std::uint16_t count = 0;
    if (version == 1 && signature == 0xFFFF) {
        t.extended = true;
        t.helpId = r.u32();
        t.exStyle = r.u32();
        t.style = r.u32();
    } else {
        // DLGTEMPLATE: the first DWORD is the style.
        t.style = std::uint32_t(version) | (std::uint32_t(signature) << 16);
        t.exStyle = r.u32();
    }
    count = r.u16();
    t.x = r.i16();
    t.y = r.i16();
    t.cx = r.i16();
    t.cy = r.i16();
    t.menu = r.szOrOrd();
    t.windowClass = r.szOrOrd();
    t.title = r.wstring();
    if (t.style & kDsSetFont) {
        t.hasFont = true;
        t.pointSize = r.u16();
        if (t.extended) {
            t.weight = r.u16();
            t.italic = r.u8();
            t.charset = r.u8();
        }
        t.typeface = r.wstring();
    }
    if (!r.ok()) return std::nullopt;
    if (std::size_t(count) * kMinItemBytes > r.remaining() + 3) return std::nullopt;
    t.items.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        r.alignDword();
        DialogItemTemplate item;
        if (t.extended) {
            item.helpId = r.u32();
            item.exStyle = r.u32();
            item.style = r.u32();
        } else {
            item.style = r.u32();
            item.exStyle = r.u32();
        }
        item.x = r.i16();
        item.y = r.i16();
        item.cx = r.i16();
        item.cy = r.i16();
        item.id = t.extended ? r.u32() : r.u16();
        item.windowClass = r.szOrOrd();
        item.title = r.szOrOrd();
        const std::uint16_t extra = r.u16();
        if (extra) item.creationData = r.bytes(extra);
        if (!r.ok()) return std::nullopt;
        t.items.push_back(std::move(item));
    }
    return t;
}

namespace {

constexpr std::uint32_t kMfGrayed = 0x1, kMfDisabled = 0x2, kMfChecked = 0x8, kMfPopup = 0x10, kMfHilite = 0x80,
                        kMfSeparator = 0x800, kMfEnd = 0x80;
constexpr int kMaxMenuDepth = 16;

bool readMenuItems(Reader& r, int depth, std::vector<MenuItemTemplate>& out) {
    if (depth > kMaxMenuDepth) return false;
    while (r.ok()) {
        const std::uint16_t flags = r.u16();
        MenuItemTemplate item;
        if (!(flags & kMfPopup)) item.id = r.u16();
        item.text = r.wstring();
        if (!r.ok()) return false;
        item.flags = flags & (kMfGrayed | kMfDisabled | kMfChecked | kMfPopup);
        if (flags & kMfPopup) {
            if (!readMenuItems(r, depth + 1, item.popup)) return false;
        } else if (item.id == 0 && item.text.empty()) {
            item.flags |= kMfSeparator;
        }
        out.push_back(std::move(item));
        if (flags & kMfEnd) return true;
    }
    return false;
}

bool readMenuExItems(Reader& r, int depth, std::vector<MenuItemTemplate>& out) {
    if (depth > kMaxMenuDepth) return false;
    while (r.ok()) {
        r.alignDword();
        const std::uint32_t type = r.u32();
        const std::uint32_t state = r.u32();
        MenuItemTemplate item;
        item.id = r.u32();
        const std::uint16_t resInfo = r.u16();
        item.text = r.wstring();
        if (!r.ok()) return false;
        if (type & kMfSeparator) item.flags |= kMfSeparator;
        if ((state & 0x3) != 0) item.flags |= kMfGrayed;
        if (state & kMfChecked) item.flags |= kMfChecked;
        if (state & kMfHilite) item.flags |= kMfHilite;
        if (resInfo & 0x01) {
            item.flags |= kMfPopup;
            r.alignDword();
            r.u32();   // help id
            if (!readMenuExItems(r, depth + 1, item.popup)) return false;
        }
        out.push_back(std::move(item));
        if (resInfo & kMfEnd) return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<MenuItemTemplate>> parseMenuTemplate(std::span<const std::uint8_t> bytes) {
    Reader r(bytes);
    const std::uint16_t version = r.u16();
    const std::uint16_t offset = r.u16();
    if (!r.ok()) return std::nullopt;
    std::vector<MenuItemTemplate> items;
    if (version == 0) {
        // The header may be followed by extra bytes it counts.
        r.bytes(offset);
        if (!r.ok()) return std::nullopt;
        if (r.remaining() == 0) return items;
        if (!readMenuItems(r, 0, items)) return std::nullopt;
    } else if (version == 1) {
        // The offset counts from the end of the offset field to the first item (past the help id).
        r.bytes(offset);
        if (!r.ok()) return std::nullopt;
        if (r.remaining() == 0) return items;
        if (!readMenuExItems(r, 0, items)) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return items;
}

}  // namespace sim::desk
