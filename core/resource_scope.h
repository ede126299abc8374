// Pushes a module on the host's resource stack for the life of the scope: dialogs, menus and
// strings created inside load from it. Always paired, also when the scope is left by an exception.
#pragma once
#include <utility>
#include "arx/docman.h"
#include "core/app_state.h"

class KvResourceScope {
public:
    explicit KvResourceScope(HINSTANCE module, int times = 1) : times_(times) {
        for (int i = 0; i < times_; ++i) acDocManager->pushResourceHandle(module);
    }
    ~KvResourceScope() {
        for (int i = 0; i < times_; ++i) acDocManager->popResourceHandle();
    }
    KvResourceScope(const KvResourceScope&) = delete;
    KvResourceScope& operator=(const KvResourceScope&) = delete;

private:
    int times_;
};

// Tells the user, once for each language pack, that the pack could not supply a resource.
void KvTellPackIncomplete();

// Loads a dialog, menu or picture with `load(module)` from the current resource module, pushed
// for the call. What a language pack cannot supply (`load` gives `failed`) comes from the
// plug-in's own resources instead, so that a damaged pack never takes a window away.
template <class T, class Load>
T KvFromResources(Load&& load, T failed) {
    const HINSTANCE current = App().resourceModule;
    {
        KvResourceScope scope(current);
        T result = load(current);
        if (result != failed || current == App().ownModule) return result;
    }
    KvTellPackIncomplete();
    KvResourceScope scope(App().ownModule);
    return std::forward<Load>(load)(App().ownModule);
}
