#include "sim/pe/pe_resources.h"
#include "sim/utf.h"

#include <algorithm>
#include <unordered_set>

namespace sim::pe {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Reads that fail (return false) instead of running past the end.
bool rd16(Bytes b, std::size_t off, std::uint16_t* v) {
    if (off > b.size() || b.size() - off < 2) return false;
    *v = std::uint16_t(b[off] | (b[off + 1] << 8));
    return true;
}
bool rd32(Bytes b, std::size_t off, std::uint32_t* v) {
    if (off > b.size() || b.size() - off < 4) return false;
    *v = std::uint32_t(b[off]) | (std::uint32_t(b[off + 1]) << 8) | (std::uint32_t(b[off + 2]) << 16) |
         (std::uint32_t(b[off + 3]) << 24);
    return true;
}
std::uint16_t get16(Bytes b, std::size_t off) { std::uint16_t v = 0; rd16(b, off, &v); return v; }
std::uint32_t get32(Bytes b, std::size_t off) { std::uint32_t v = 0; rd32(b, off, &v); return v; }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

std::string upperAscii(std::string s) {
    for (char& c : s) c = asciiUpper(c);
    return s;
}


// ---------------------------------------------------------------------------------------------
// PE layout

struct Section {
    std::uint32_t va = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

// Maps [rva, rva + len) to a file offset; only data present in the file counts.
std::optional<std::size_t> rvaToOffset(const std::vector<Section>& sections, std::size_t fileSize,
                                       std::uint64_t rva, std::uint64_t len) {
    for (const Section& s : sections) {
        std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.va || rva - s.va >= extent) continue;
        std::uint64_t delta = rva - s.va;
        if (delta + len > s.rawSize) return std::nullopt;   // beyond the data stored in the file
        std::uint64_t off = std::uint64_t(s.rawOffset) + delta;
        if (off + len > fileSize) return std::nullopt;
        return std::size_t(off);
    }
    return std::nullopt;
}

// Walks the three levels of the resource tree (type, name, language). Every directory is
// visited at most once, so a tree whose entries point back at a directory cannot loop; the
// budgets bound the work a hostile file can ask for.
class TreeWalker {
public:
    TreeWalker(Bytes file, const std::vector<Section>& sections, std::uint32_t rootRva)
        : file_(file), sections_(sections), rootRva_(rootRva) {}

    std::vector<ResourceEntry> walk() {
        ResourceEntry proto;
        directory(0, 0, proto);
        return std::move(out_);
    }

private:
    static constexpr std::size_t kEntryBudget = 1u << 18;
    static constexpr std::size_t kNameBudget = 1u << 22;   // bytes of names decoded
    static constexpr std::size_t kMaxLeaves = 1u << 16;

    std::optional<std::size_t> at(std::uint32_t rel, std::uint32_t len) const {
        return rvaToOffset(sections_, file_.size(), std::uint64_t(rootRva_) + rel, len);
    }

    bool readKey(std::uint32_t field, ResourceKey* key) {
        if (!(field & 0x80000000u)) {
            if (field > 0xFFFF) return false;
            key->isName = false;
            key->id = std::uint16_t(field);
            return true;
        }
        std::uint32_t rel = field & 0x7FFFFFFFu;
        auto lenOff = at(rel, 2);
        if (!lenOff) return false;
        std::uint32_t chars = get16(file_, *lenOff);
        if (nameBytes_ + chars * 2u > kNameBudget) return false;
        auto strOff = at(rel + 2, chars * 2u);
        if (!strOff) return false;
        nameBytes_ += chars * 2u;
        key->isName = true;
        key->name = upperAscii(utf16leToUtf8(file_.subspan(*strOff, chars * 2u)));
        return true;
    }

    void directory(std::uint32_t rel, int level, const ResourceEntry& proto) {
        if (!visited_.insert(rel).second) return;
        auto hdr = at(rel, 16);
        if (!hdr) return;
        std::uint32_t count = std::uint32_t(get16(file_, *hdr + 12)) + get16(file_, *hdr + 14);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (++entriesSeen_ > kEntryBudget || out_.size() >= kMaxLeaves) return;
            auto e = at(rel + 16 + i * 8u, 8);
            if (!e) return;
            std::uint32_t nameField = get32(file_, *e), dataField = get32(file_, *e + 4);
            ResourceEntry next = proto;
            if (level == 2) {
                if (nameField & 0x80000000u) continue;   // languages are numbers
                next.language = std::uint16_t(nameField);
            } else {
                ResourceKey key;
                if (!readKey(nameField, &key)) continue;
                (level == 0 ? next.type : next.name) = std::move(key);
            }
            bool isDir = dataField & 0x80000000u;
            std::uint32_t target = dataField & 0x7FFFFFFFu;
            if (level < 2) {
                if (isDir) directory(target, level + 1, next);
                continue;
            }
            if (isDir) continue;
            auto d = at(target, 16);
            if (!d) continue;
            std::uint32_t dataRva = get32(file_, *d), size = get32(file_, *d + 4);
            auto dataOff = rvaToOffset(sections_, file_.size(), dataRva, size);
            if (!dataOff) continue;
            next.codePage = get32(file_, *d + 8);
            next.offset = *dataOff;
            next.size = size;
            out_.push_back(std::move(next));
        }
    }

    Bytes file_;
    const std::vector<Section>& sections_;
    std::uint32_t rootRva_;
    std::unordered_set<std::uint32_t> visited_;
    std::vector<ResourceEntry> out_;
    std::size_t entriesSeen_ = 0;
    std::size_t nameBytes_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Version resource nodes: wLength, wValueLength, wType, szKey, padding, value, padding, children.

std::size_t align4(std::size_t v) { return (v + 3) & ~std::size_t(3); }

struct VerNode {
    std::size_t end = 0;         // one past the node
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::string key;
    std::size_t valueOff = 0;
    std::size_t valueBytes = 0;  // clamped to the node
    std::size_t childrenOff = 0;
};

bool readVerNode(Bytes b, std::size_t off, std::size_t limit, VerNode* n) {
    std::uint16_t length = 0;
    if (off >= limit || !rd16(b, off, &length) || length < 6) return false;
    n->end = std::min(limit, off + length);
    if (n->end - off < 6) return false;
    n->valueLength = get16(b, off + 2);
    n->type = get16(b, off + 4);
    std::size_t k = off + 6;
    while (true) {
        if (k + 2 > n->end) return false;   // key without terminator
        if (get16(b, k) == 0) break;
        k += 2;
    }
    n->key = utf16leToUtf8(b.subspan(off + 6, k - (off + 6)));
    n->valueOff = std::min(align4(k + 2), n->end);
    std::size_t wanted = n->type == 1 ? std::size_t(n->valueLength) * 2 : n->valueLength;
    n->valueBytes = std::min(wanted, n->end - n->valueOff);
    n->childrenOff = std::min(align4(n->valueOff + n->valueBytes), n->end);
    return true;
}

template <class F>
void forEachChild(Bytes b, const VerNode& parent, F&& f) {
    std::size_t c = parent.childrenOff;
    VerNode child;
    while (c < parent.end && readVerNode(b, c, parent.end, &child)) {
        f(child);
        c = align4(child.end);   // child.end > c, so this always advances
    }
}

std::string textValue(Bytes b, const VerNode& n) {
    std::size_t len = 0;
    while (len + 2 <= n.valueBytes && get16(b, n.valueOff + len) != 0) len += 2;
    return utf16leToUtf8(b.subspan(n.valueOff, len));
}

// Splits "\\A\\B" into its non-empty parts.
std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        std::size_t j = path.find('\\', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::optional<VersionInfo> parseVersionInfo(std::span<const std::uint8_t> block) {
    VerNode root;
    if (!readVerNode(block, 0, block.size(), &root) || root.key != "VS_VERSION_INFO") return std::nullopt;
    VersionInfo info;
    if (root.valueBytes >= 52 && get32(block, root.valueOff) == 0xFEEF04BDu) {
        FixedFileInfo f;
        std::uint32_t* fields[] = {&f.signature,        &f.strucVersion,  &f.fileVersionMS, &f.fileVersionLS,
                                   &f.productVersionMS, &f.productVersionLS, &f.fileFlagsMask, &f.fileFlags,
                                   &f.fileOS,           &f.fileType,      &f.fileSubtype,   &f.fileDateMS,
                                   &f.fileDateLS};
        for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = get32(block, root.valueOff + 4 * i);
        info.fixed = f;
    }
    forEachChild(block, root, [&](const VerNode& section) {
        if (equalsNoCase(section.key, "StringFileInfo")) {
            forEachChild(block, section, [&](const VerNode& table) {
                StringTable t;
                t.key = table.key;
                forEachChild(block, table, [&](const VerNode& value) {
                    t.values.emplace_back(value.key, textValue(block, value));
                });
                info.stringTables.push_back(std::move(t));
            });
        } else if (equalsNoCase(section.key, "VarFileInfo")) {
            forEachChild(block, section, [&](const VerNode& var) {
                if (!equalsNoCase(var.key, "Translation")) return;
                for (std::size_t i = 0; i + 4 <= var.valueBytes; i += 4)
                    info.translations.push_back(get32(block, var.valueOff + i));
            });
        }
    });
    return info;
}

const FixedFileInfo* VersionInfo::queryFixed(std::string_view subBlock) const {
    if (!splitPath(subBlock).empty() || !fixed) return nullptr;
    return &*fixed;
}

const std::vector<std::uint32_t>* VersionInfo::queryTranslations(std::string_view subBlock) const {
    auto parts = splitPath(subBlock);
    if (parts.size() != 2 || !equalsNoCase(parts[0], "VarFileInfo") || !equalsNoCase(parts[1], "Translation") ||
        translations.empty())
        return nullptr;
    return &translations;
}

const std::string* VersionInfo::queryString(std::string_view subBlock) const {
    auto parts = splitPath(subBlock);
    if (parts.size() != 3 || !equalsNoCase(parts[0], "StringFileInfo")) return nullptr;
    for (const StringTable& t : stringTables) {
        if (!equalsNoCase(t.key, parts[1])) continue;
        for (const auto& [name, value] : t.values)
            if (equalsNoCase(name, parts[2])) return &value;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------

std::optional<ResourceModule> ResourceModule::parse(std::vector<std::uint8_t> bytes) {
    Bytes b(bytes);
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') return std::nullopt;
    std::size_t pe = get32(b, 0x3C);
    std::uint32_t sig = 0;
    if (!rd32(b, pe, &sig) || sig != 0x00004550u) return std::nullopt;
    std::size_t coff = pe + 4;
    std::uint16_t numSections = 0, optSize = 0;
    if (!rd16(b, coff + 2, &numSections) || !rd16(b, coff + 16, &optSize)) return std::nullopt;
    std::size_t opt = coff + 20;
    std::uint16_t magic = 0;
    if (optSize < 2 || !rd16(b, opt, &magic)) return std::nullopt;
    std::size_t countOff, dirOff;
    if (magic == 0x10B) {
        countOff = 92, dirOff = 96;
    } else if (magic == 0x20B) {
        countOff = 108, dirOff = 112;
    } else {
        return std::nullopt;
    }

    ResourceModule m;
    // The Windows loader accepts at most 96 sections; more is a damaged file, and the bound keeps
    // every address translation cheap.
    if (numSections > 96) return std::nullopt;
    std::vector<Section> sections;
    std::size_t secTable = opt + optSize;
    for (std::size_t i = 0; i < numSections; ++i) {
        std::size_t s = secTable + i * 40;
        if (s > b.size() || b.size() - s < 40) return std::nullopt;
        sections.push_back({get32(b, s + 12), get32(b, s + 8), get32(b, s + 16), get32(b, s + 20)});
    }

    // The resource directory is data directory 2; a module without one simply has no resources.
    std::uint32_t dirCount = 0, resRva = 0, resSize = 0;
    if (optSize >= countOff + 4 && rd32(b, opt + countOff, &dirCount) && dirCount > 2 &&
        optSize >= dirOff + 3 * 8 && rd32(b, opt + dirOff + 16, &resRva) && rd32(b, opt + dirOff + 20, &resSize) &&
        resRva != 0 && resSize != 0) {
        m.entries_ = TreeWalker(b, sections, resRva).walk();
    }
    m.bytes_ = std::move(bytes);
    return m;
}

const ResourceEntry* ResourceModule::lookup(std::uint16_t type, const ResourceKey& name,
                                            std::optional<std::uint16_t> language) const {
    for (const ResourceEntry& e : entries_) {
        if (e.type.isName || e.type.id != type || e.name.isName != name.isName) continue;
        if (name.isName ? e.name.name != name.name : e.name.id != name.id) continue;
        if (language && e.language != *language) continue;
        return &e;
    }
    return nullptr;
}

std::optional<std::span<const std::uint8_t>> ResourceModule::find(std::uint16_t type, std::uint16_t id,
                                                                  std::optional<std::uint16_t> language) const {
    ResourceKey key;
    key.id = id;
    const ResourceEntry* e = lookup(type, key, language);
    if (!e) return std::nullopt;
    return data(*e);
}

std::optional<std::span<const std::uint8_t>> ResourceModule::find(std::uint16_t type, std::string_view name,
                                                                  std::optional<std::uint16_t> language) const {
    ResourceKey key;
    key.isName = true;
    key.name = upperAscii(std::string(name));
    const ResourceEntry* e = lookup(type, key, language);
    if (!e) return std::nullopt;
    return data(*e);
}

std::optional<std::string> ResourceModule::loadString(std::uint32_t id, std::optional<std::uint16_t> language) const {
    // Strings are stored in blocks of 16; block n + 1 holds the ids 16n to 16n + 15, each as a
    // character count followed by that many UTF-16 units.
    if (id > 0xFFFF) return std::nullopt;
    auto block = find(kRtString, std::uint16_t((id >> 4) + 1), language);
    if (!block) return std::nullopt;
    std::size_t off = 0;
    for (std::uint32_t i = 0; i < 16; ++i) {
        std::uint16_t len = 0;
        if (!rd16(*block, off, &len)) return std::nullopt;
        off += 2;
        if (std::size_t(len) * 2 > block->size() - off) return std::nullopt;
        if (i == (id & 15)) {
            if (len == 0) return std::nullopt;   // an absent id in its block
            return utf16leToUtf8(block->subspan(off, std::size_t(len) * 2));
        }
        off += std::size_t(len) * 2;
    }
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> ResourceModule::versionBlock() const {
    if (auto b = find(kRtVersion, std::uint16_t(1))) return b;
    for (const ResourceEntry& e : entries_)
        if (!e.type.isName && e.type.id == kRtVersion) return data(e);
    return std::nullopt;
}

std::optional<VersionInfo> ResourceModule::versionInfo() const {
    auto b = versionBlock();
    if (!b) return std::nullopt;
    return parseVersionInfo(*b);
}

}  // namespace sim::pe
