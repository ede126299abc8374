#include "core/thumbnails.h"

#include "core/app_state.h"
#include "win/module.h"

namespace {

HMODULE g_thumbLibrary = nullptr;
KvGetThumbnailFn g_getThumbnail = nullptr;
KvGetDrawingVersionFn g_getDrawingVersion = nullptr;

// The library's exports under their compiler-decorated names.
constexpr const char* kThumbnailExport = "_Z19GetTumbnailFromFilePKcjRi";
constexpr const char* kVersionExport = "_Z17GetDrawingVersionPKc";

}  // namespace

bool KvLoadThumbnailLibrary() {
    if (!g_thumbLibrary) g_thumbLibrary = LoadLibrary(App().moduleFolder + "Lumaret64.DLL");
    if (g_thumbLibrary) {
        g_getThumbnail = reinterpret_cast<KvGetThumbnailFn>(GetProcAddress(g_thumbLibrary, kThumbnailExport));
        g_getDrawingVersion = reinterpret_cast<KvGetDrawingVersionFn>(GetProcAddress(g_thumbLibrary, kVersionExport));
    }
    return g_getDrawingVersion != nullptr;
}

void KvFreeThumbnailLibrary() {
    if (!g_thumbLibrary) return;
    FreeLibrary(g_thumbLibrary);
    g_thumbLibrary = nullptr;
    g_getThumbnail = nullptr;
    g_getDrawingVersion = nullptr;
}

KvGetThumbnailFn KvThumbnailFunction() { return g_getThumbnail; }
KvGetDrawingVersionFn KvDrawingVersionFunction() { return g_getDrawingVersion; }
