// Modules and resources of the simulated desktop (platform/win/module.h).
#include "sim/pe/modules.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "gfx/bitmap.h"
#include "win/module.h"

namespace fs = std::filesystem;

namespace sim::pe {
namespace {

// Resource modules are small; anything far larger is not one and is not read into memory.
constexpr std::uintmax_t kMaxModuleFile = 64u << 20;

struct Module {
    std::string path;      // reported by GetModuleFileName
    std::string key;       // the file actually loaded (absolute); LoadLibrary of it finds this entry
    void* dl = nullptr;    // native code
    bool ownsDl = false;   // opened by LoadLibrary, closed when the count drops to zero
    std::shared_ptr<const ResourceModule> resources;
    int refs = 1;
};

struct Table {
    std::mutex mutex;
    std::map<std::uintptr_t, Module> modules;
    std::uintptr_t next = 0x4B0000;

    HMODULE add(Module m) {
        std::uintptr_t h = next;
        next += 0x1000;
        modules.emplace(h, std::move(m));
        return reinterpret_cast<HMODULE>(h);
    }
    Module* get(HMODULE h) {
        auto it = modules.find(reinterpret_cast<std::uintptr_t>(h));
        return it == modules.end() ? nullptr : &it->second;
    }
    Module* byKey(const std::string& key) {
        for (auto& [h, m] : modules)
            if (m.key == key) return &m;
        return nullptr;
    }
    HMODULE handleOf(const Module* m) {
        for (auto& [h, mod] : modules)
            if (&mod == m) return reinterpret_cast<HMODULE>(h);
        return nullptr;
    }
};

// Never destroyed: modules may be freed from other statics' destructors at exit.
Table& table() {
    static Table* t = new Table;
    return *t;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string absolutePath(const fs::path& p) {
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    return (ec ? p : a).lexically_normal().string();
}

// The file `p` names, its file name matched case-insensitively within its folder, as Windows
// file names match.
std::optional<fs::path> findFile(const fs::path& p) {
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) return p;
    fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    std::string want = p.filename().string();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (sameNoCase(it->path().filename().string(), want) && it->is_regular_file(ec)) return it->path();
    }
    return std::nullopt;
}

std::string fileMagic(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    char buf[4] = {};
    in.read(buf, 4);
    return std::string(buf, std::size_t(in.gcount()));
}

std::optional<std::vector<std::uint8_t>> readFile(const fs::path& p) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(p, ec);
    if (ec || size > kMaxModuleFile) return std::nullopt;
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (std::size_t(in.gcount()) != bytes.size()) return std::nullopt;
    return bytes;
}

std::shared_ptr<const ResourceModule> parseShared(std::vector<std::uint8_t> bytes) {
    auto m = ResourceModule::parse(std::move(bytes));
    if (!m) return nullptr;
    return std::make_shared<const ResourceModule>(std::move(*m));
}

std::shared_ptr<const ResourceModule> resourcesOf(HMODULE module) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Module* m = t.get(module);
    return m ? m->resources : nullptr;
}

}  // namespace

std::vector<std::uint8_t> embeddedResources(void* dl) {
    if (!dl) return {};
    void* bytes = dlsym(dl, "kvEmbeddedResources");
    void* size = dlsym(dl, "kvEmbeddedResourcesSize");
    if (!bytes || !size) return {};
    // dlsym also searches the module's dependencies; only the module's own symbols count.
    link_map* own = nullptr;
    link_map* bytesOwner = nullptr;
    link_map* sizeOwner = nullptr;
    Dl_info info{};
    if (dlinfo(dl, RTLD_DI_LINKMAP, &own) != 0 || !own ||
        !dladdr1(bytes, &info, reinterpret_cast<void**>(&bytesOwner), RTLD_DL_LINKMAP) ||
        !dladdr1(size, &info, reinterpret_cast<void**>(&sizeOwner), RTLD_DL_LINKMAP) || bytesOwner != own ||
        sizeOwner != own)
        return {};
    std::size_t n = *static_cast<const std::size_t*>(size);
    if (n > kMaxModuleFile) return {};
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    return std::vector<std::uint8_t>(p, p + n);
}

HMODULE registerNativeModule(const std::string& path, void* dlHandle) {
    if (!dlHandle) return nullptr;
    Module m;
    m.path = absolutePath(path);
    m.key = m.path;
    m.dl = dlHandle;
    auto bytes = embeddedResources(dlHandle);
    if (!bytes.empty()) m.resources = parseShared(std::move(bytes));
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.add(std::move(m));
}

HMODULE registerModuleBytes(const std::string& path, std::vector<std::uint8_t> bytes) {
    auto res = parseShared(std::move(bytes));
    if (!res) return nullptr;
    Module m;
    m.path = absolutePath(path);
    m.key = m.path;
    m.resources = std::move(res);
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.add(std::move(m));
}

bool unregisterModule(HMODULE module) {
    void* close = nullptr;
    {
        Table& t = table();
        std::lock_guard lock(t.mutex);
        Module* m = t.get(module);
        if (!m) return false;
        if (m->ownsDl) close = m->dl;
        t.modules.erase(reinterpret_cast<std::uintptr_t>(module));
    }
    if (close) dlclose(close);
    return true;
}

std::shared_ptr<const ResourceModule> moduleResources(HMODULE module) { return resourcesOf(module); }

void* moduleNativeHandle(HMODULE module) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Module* m = t.get(module);
    return m ? m->dl : nullptr;
}

int moduleRefCount(HMODULE module) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Module* m = t.get(module);
    return m ? m->refs : 0;
}

}  // namespace sim::pe

// ---------------------------------------------------------------------------------------------
// platform/win/module.h

using namespace sim::pe;

HMODULE LoadLibrary(const std::string& path) {
    if (path.empty()) return nullptr;
    // What the name stands for: a PE file (resource-only, loaded as data), a shared object
    // named directly, or the shared object of the same base name beside the Windows file name.
    auto file = findFile(path);
    std::string magic = file ? fileMagic(*file) : std::string();
    bool resourceOnly = magic.size() >= 2 && magic.compare(0, 2, "MZ") == 0;
    if (!resourceOnly && magic != "\x7f" "ELF") {
        fs::path so = fs::path(path).parent_path() / (fs::path(path).stem().string() + ".so");
        file = findFile(so);
        if (!file || fileMagic(*file) != "\x7f" "ELF") return nullptr;
    }
    std::string key = absolutePath(*file);

    Table& t = table();
    {
        std::lock_guard lock(t.mutex);
        if (Module* m = t.byKey(key)) {
            ++m->refs;
            return t.handleOf(m);
        }
    }

    Module m;
    m.key = key;
    if (resourceOnly) {
        auto bytes = readFile(*file);
        if (!bytes) return nullptr;
        m.resources = parseShared(std::move(*bytes));
        if (!m.resources) return nullptr;
        m.path = key;
    } else {
        m.dl = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m.dl) return nullptr;
        m.ownsDl = true;
        m.path = absolutePath(path);   // the Windows name the caller asked for
        auto bytes = embeddedResources(m.dl);
        if (!bytes.empty()) m.resources = parseShared(std::move(bytes));
    }

    std::lock_guard lock(t.mutex);
    // Another thread may have loaded the same file meanwhile: keep one entry.
    if (Module* existing = t.byKey(key)) {
        ++existing->refs;
        if (m.ownsDl) dlclose(m.dl);
        return t.handleOf(existing);
    }
    return t.add(std::move(m));
}

BOOL FreeLibrary(HMODULE module) {
    void* close = nullptr;
    {
        Table& t = table();
        std::lock_guard lock(t.mutex);
        Module* m = t.get(module);
        if (!m) return FALSE;
        if (--m->refs > 0) return TRUE;
        if (m->ownsDl) close = m->dl;
        t.modules.erase(reinterpret_cast<std::uintptr_t>(module));
    }
    if (close) dlclose(close);
    return TRUE;
}

void* GetProcAddress(HMODULE module, const std::string& name) {
    void* dl = moduleNativeHandle(module);
    if (!dl || name.empty()) return nullptr;
    return dlsym(dl, name.c_str());
}

bool GetModuleFileName(HMODULE module, std::string* path) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Module* m = t.get(module);
    if (!m) return false;
    if (path) *path = m->path;
    return true;
}

int LoadString(HMODULE module, UINT id, std::string* text) {
    if (text) text->clear();
    auto res = resourcesOf(module);
    if (!res) return 0;
    auto s = res->loadString(id);
    if (!s) return 0;
    int n = int(std::min<std::size_t>(s->size(), 0x7FFFFFFF));
    if (text) *text = std::move(*s);
    return n;
}

bool GetFileVersionInfo(const std::string& path, std::vector<BYTE>* block) {
    std::shared_ptr<const ResourceModule> res;
    auto file = findFile(path);
    {
        // A module already loaded (the plug-in itself, whose resources live inside it) answers
        // from memory.
        Table& t = table();
        std::lock_guard lock(t.mutex);
        std::string wanted = absolutePath(path);
        std::string fileKey = file ? absolutePath(*file) : std::string();
        for (auto& [h, m] : t.modules) {
            if (m.path == wanted || (file && m.key == fileKey)) {
                res = m.resources;
                break;
            }
        }
    }
    if (!res) {
        if (!file || fileMagic(*file).compare(0, 2, "MZ") != 0) return false;
        auto bytes = readFile(*file);
        if (!bytes) return false;
        res = parseShared(std::move(*bytes));
        if (!res) return false;
    }
    auto v = res->versionBlock();
    if (!v || !parseVersionInfo(*v)) return false;
    if (block) block->assign(v->begin(), v->end());
    return true;
}

bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, VS_FIXEDFILEINFO* fixed) {
    auto info = parseVersionInfo(block);
    const FixedFileInfo* f = info ? info->queryFixed(subBlock) : nullptr;
    if (!f) return false;
    if (fixed) {
        *fixed = VS_FIXEDFILEINFO{f->signature,     f->strucVersion,     f->fileVersionMS, f->fileVersionLS,
                                  f->productVersionMS, f->productVersionLS, f->fileFlagsMask, f->fileFlags,
                                  f->fileOS,        f->fileType,         f->fileSubtype,   f->fileDateMS,
                                  f->fileDateLS};
    }
    return true;
}

bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, std::vector<DWORD>* translations) {
    auto info = parseVersionInfo(block);
    const std::vector<std::uint32_t>* t = info ? info->queryTranslations(subBlock) : nullptr;
    if (!t) return false;
    if (translations) translations->assign(t->begin(), t->end());
    return true;
}

bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, std::string* text) {
    auto info = parseVersionInfo(block);
    const std::string* s = info ? info->queryString(subBlock) : nullptr;
    if (!s) return false;
    if (text) *text = *s;
    return true;
}

// ---- Bitmap resources ------------------------------------------------------------------------

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// A device-independent bitmap as a resource stores it (header, palette, bottom-up rows) to
// 0xAARRGGBB pixels; 1, 4, 8, 24 and 32 bits per pixel, uncompressed. Empty when malformed.
std::vector<std::uint32_t> decodeDib(std::span<const std::uint8_t> d, int* width, int* height) {
    if (d.size() < 40) return {};
    const std::uint32_t headerSize = le32(d.data());
    const std::int32_t w = std::int32_t(le32(d.data() + 4));
    std::int32_t h = std::int32_t(le32(d.data() + 8));
    const int bits = le16(d.data() + 14);
    const std::uint32_t compression = le32(d.data() + 16);
    std::uint32_t colours = le32(d.data() + 32);
    const bool topDown = h < 0;
    h = topDown ? -h : h;
    if (headerSize < 40 || headerSize > d.size() || w <= 0 || h <= 0 || w > 4096 || h > 4096) return {};
    if (compression != 0 && !(compression == 3 && bits == 32)) return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return {};
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    if (bits > 8) colours = compression == 3 ? 3 : 0;
    const std::size_t paletteAt = headerSize;
    const std::size_t pixelsAt = paletteAt + std::size_t(colours) * 4;
    const std::size_t stride = ((std::size_t(w) * std::size_t(bits) + 31) / 32) * 4;
    if (pixelsAt > d.size() || stride * std::size_t(h) > d.size() - pixelsAt) return {};
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = d.data() + pixelsAt + stride * std::size_t(topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            std::uint32_t argb;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - x % perByte) * bits;
                const std::uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
                if (index >= colours) return {};
                const std::uint8_t* c = d.data() + paletteAt + index * 4;
                argb = 0xFF000000u | std::uint32_t(c[2]) << 16 | std::uint32_t(c[1]) << 8 | c[0];
            } else {
                const std::uint8_t* p = row + std::size_t(x) * std::size_t(bits / 8);
                argb = 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
            }
            out[std::size_t(y) * std::size_t(w) + std::size_t(x)] = argb;
        }
    }
    *width = w;
    *height = h;
    return out;
}

}  // namespace

HBITMAP LoadBitmap(HMODULE module, UINT id) {
    auto res = resourcesOf(module);
    if (!res) return nullptr;
    auto bytes = res->find(sim::pe::kRtBitmap, id);
    if (!bytes) return nullptr;
    int w = 0, h = 0;
    auto pixels = decodeDib(*bytes, &w, &h);
    return pixels.empty() ? nullptr : KvCreateBitmap(w, h, pixels.data());
}
