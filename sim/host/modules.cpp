// Loading and unloading plug-in modules, as the host loads an application module:
//   load:   dlopen, attach hook (reason 1), kInitAppMsg, kLoadDwgMsg for every open drawing
//   unload: kUnloadAppMsg, kUnloadDwgMsg for every open drawing, detach hook (reason 0), dlclose
// A module that did not unlock itself stays loaded.
#include <dlfcn.h>
#include "sim/host/host_internal.h"

#include <set>
#include "sim/host/module_handles.h"

namespace sim::host {

void Host::sendMessage(Module& m, AcRx::AppMsgCode msg, SimDocument* doc) {
    static const char* const names[] = {"kNullMsg", "kInitAppMsg", "kUnloadAppMsg", "kLoadDwgMsg",
                                        "kUnloadDwgMsg", "kInvkSubrMsg"};
    event(msg >= 0 && msg <= 5 ? names[msg] : "kNullMsg", doc ? doc->docTitle() : baseName(m.path));
    if (!m.entry) return;
    Module* savedModule = callingModule;
    SimDocument* savedCtx = ctxDoc;
    callingModule = &m;
    if (doc) ctxDoc = doc;   // the message runs in that drawing's context
    try {
        m.entry(msg, m.appId());
    } catch (...) {
        print("\n; error: module " + baseName(m.path) + " threw on a host message\n");
    }
    callingModule = savedModule;
    ctxDoc = savedCtx;
}

void Host::moduleMessage(AcRx::AppMsgCode msg, SimDocument* doc) {
    std::vector<Module*> list;
    for (auto& m : modules) list.push_back(m.get());
    for (Module* m : list) sendMessage(*m, msg, doc);
}

namespace {
// Reactors whose class lives in the module (their vtable is in its image) must go with it. They
// are listed while the module is still mapped; the module's statics may unregister theirs when
// it is unmapped, and whatever is still registered afterwards is dropped.
template <class R>
void collectFrom(const std::vector<R*>& list, const void* base, std::set<const void*>& out) {
    for (R* r : list) {
        Dl_info info{};
        if (dladdr(*reinterpret_cast<void* const*>(r), &info) && info.dli_fbase == base) out.insert(r);
    }
}

// Where the module's image starts (null when unknown).
const void* imageBase(const Module& m) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(m.entry), &info)) return nullptr;
    return info.dli_fbase;
}

// Application-context work whose code is in the module would call into unmapped code.
size_t dropDeferredWork(const void* base) {
    if (!base) return 0;
    return std::erase_if(Host::get().deferred, [&](const Host::Deferred& d) {
        Dl_info info{};
        return d.code && dladdr(d.code, &info) && info.dli_fbase == base;
    });
}

std::set<const void*> reactorsOf(const void* base) {
    std::set<const void*> found;
    if (!base) return found;
    Host& h = Host::get();
    collectFrom(h.docReactors, base, found);
    collectFrom(h.edReactors, base, found);
    collectFrom(h.winReactors, base, found);
    for (auto& w : h.wins) collectFrom(w->reactors, base, found);
    for (auto& c : h.uiContexts) {
        Dl_info ci{};
        if (dladdr(*reinterpret_cast<void* const*>(c.context), &ci) && ci.dli_fbase == base) found.insert(c.context);
    }
    return found;
}

template <class R>
size_t dropFrom(std::vector<R*>& list, const std::set<const void*>& gone) {
    return std::erase_if(list, [&](R* r) { return gone.count(r) != 0; });
}

size_t dropReactors(const std::set<const void*>& gone) {
    Host& h = Host::get();
    size_t n = dropFrom(h.docReactors, gone) + dropFrom(h.edReactors, gone) + dropFrom(h.winReactors, gone);
    for (auto& w : h.wins) n += dropFrom(w->reactors, gone);
    n += std::erase_if(h.uiContexts, [&](const Host::UiContext& c) { return gone.count(c.context) != 0; });
    return n;
}
}  // namespace

bool loadModule(const std::string& path) {
    Host& h = Host::get();
    OpScope op;
    for (auto& m : h.modules) {
        if (m->path == path) {
            print("\n" + baseName(path) + " is already loaded.\n");
            return false;
        }
    }
    void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        const char* why = dlerror();
        print("\nUnable to load " + path + ": " + (why ? why : "unknown error") + "\n");
        return false;
    }
    auto m = std::make_unique<Module>();
    m->path = path;
    m->dl = dl;
    m->entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(dl, "acrxEntryPoint"));
    m->dllMain = reinterpret_cast<AcKvDllMainFn>(dlsym(dl, "AcKvDllMain"));
    auto version = reinterpret_cast<AcRxGetApiVersionFn>(dlsym(dl, "acrxGetApiVersion"));
    if (!m->entry || !version || version() != kAcKvApiVersion) {
        print("\n" + baseName(path) + " is not an application module of this host (entry point or API version).\n");
        dlclose(dl);
        return false;
    }
    if (h.moduleFolder.empty()) setModuleFolder(folderOf(path));
    m->handle = registerLoadedModule(dl, path);
    Module& mod = *m;
    h.modules.push_back(std::move(m));
    if (mod.dllMain && !mod.dllMain(mod.handle, 1)) {
        print("\n" + baseName(path) + ": attach failed.\n");
        releaseLoadedModule(mod.handle);
        dlclose(dl);
        h.modules.pop_back();
        return false;
    }
    h.sendMessage(mod, AcRx::kInitAppMsg, nullptr);
    for (auto& d : h.docs) h.sendMessage(mod, AcRx::kLoadDwgMsg, d.get());
    return true;
}

bool unloadModule(const std::string& path) {
    Host& h = Host::get();
    OpScope op;
    if (h.modules.empty()) {
        print("\nNo module is loaded.\n");
        return false;
    }
    auto it = h.modules.end() - 1;
    if (!path.empty()) {
        it = std::find_if(h.modules.begin(), h.modules.end(),
                          [&](auto& m) { return m->path == path || baseName(m->path) == baseName(path); });
        if (it == h.modules.end()) {
            print("\n" + path + " is not loaded.\n");
            return false;
        }
    }
    return unloadModuleImpl(**it, false);
}

bool unloadModuleImpl(Module& mod, bool force) {
    Host& h = Host::get();
    OpScope op;
    if (mod.locked && !force) {
        print("\n" + baseName(mod.path) + " is locked and cannot be unloaded.\n");
        return false;
    }
    h.sendMessage(mod, AcRx::kUnloadAppMsg, nullptr);
    for (auto& d : h.docs) h.sendMessage(mod, AcRx::kUnloadDwgMsg, d.get());
    if (mod.dllMain) mod.dllMain(mod.handle, 0);
    // Whatever the module left registered must not outlive its code.
    Module* gone = &mod;
    size_t left = std::erase_if(h.commands, [&](const RegisteredCommand& c) { return c.owner == gone; });
    for (auto& d : h.docs) {
        std::erase_if(d->lispFunctions, [&](auto& kv) { return kv.second.first == gone; });
    }
    const void* base = imageBase(mod);
    const std::set<const void*> reactors = reactorsOf(base);
    dropDeferredWork(base);
    const std::string name = baseName(mod.path);
    void* dl = mod.dl;
    releaseLoadedModule(mod.handle);
    std::erase_if(h.modules, [&](auto& m) { return m.get() == gone; });
    dlclose(dl);   // the module's statics are destroyed here, as when the host frees a module
    left += dropReactors(reactors);
    if (left) print("\n" + name + " left " + std::to_string(left) + " registrations behind; removed.\n");
    return true;
}

std::vector<std::string> registeredCommands() {
    std::vector<std::string> out;
    for (const auto& c : Host::get().commands) out.push_back(c.globalName);
    return out;
}

std::vector<std::string> loadedModules() {
    std::vector<std::string> out;
    for (auto& m : Host::get().modules) out.push_back(m->path);
    return out;
}

}  // namespace sim::host
