#include "core/thumbnails.h"

#include "win/module.h"

namespace {

// Not an owner: the module's root owns the library and attaches it for its life.
const KvThumbnailLibrary* g_library = nullptr;

// The library's exports under their compiler-decorated names.
constexpr const char* kThumbnailExport = "_Z19GetTumbnailFromFilePKcjRi";
constexpr const char* kVersionExport = "_Z17GetDrawingVersionPKc";

}  // namespace

bool KvThumbnailLibrary::Load(const std::string& folder) {
    if (!library_) library_ = LoadLibrary(folder + "Lumaret64.DLL");
    if (library_) {
        getThumbnail_ = reinterpret_cast<KvGetThumbnailFn>(GetProcAddress(library_, kThumbnailExport));
        getDrawingVersion_ = reinterpret_cast<KvGetDrawingVersionFn>(GetProcAddress(library_, kVersionExport));
    }
    return getDrawingVersion_ != nullptr;
}

void KvThumbnailLibrary::Free() {
    if (!library_) return;
    FreeLibrary(library_);
    library_ = nullptr;
    getThumbnail_ = nullptr;
    getDrawingVersion_ = nullptr;
}

void KvAttachThumbnailLibrary(KvThumbnailLibrary& library) { g_library = &library; }

void KvDetachThumbnailLibrary(const KvThumbnailLibrary& library) {
    if (g_library == &library) g_library = nullptr;
}

KvGetThumbnailFn KvThumbnailFunction() { return g_library ? g_library->Thumbnail() : nullptr; }
KvGetDrawingVersionFn KvDrawingVersionFunction() { return g_library ? g_library->DrawingVersion() : nullptr; }
