// Pushes a module on the host's resource stack for the life of the scope: dialogs, menus and
// strings created inside load from it. Always paired, also when the scope is left by an exception.
#pragma once
#include "arx/docman.h"

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
