// The thumbnail library beside the plug-in: a drawing's preview picture and its format version.
// Start-up loads it; unload frees it.
#pragma once
#include <string>
#include "win/types.h"

using KvGetThumbnailFn = HBITMAP (*)(const char* path, unsigned int size, int& formatCode);
using KvGetDrawingVersionFn = int (*)(const char* path);

// The loaded library and its two entry points. The module's root owns the one instance and
// attaches it for its life (unload frees the library); the functions below reach it while it is
// attached.
class KvThumbnailLibrary {
public:
    KvThumbnailLibrary() = default;
    KvThumbnailLibrary(const KvThumbnailLibrary&) = delete;
    KvThumbnailLibrary& operator=(const KvThumbnailLibrary&) = delete;

    // Loads the library from `folder` (once) and takes its two entry points; false when the
    // version entry point is missing.
    bool Load(const std::string& folder);
    void Free();
    KvGetThumbnailFn Thumbnail() const { return getThumbnail_; }
    KvGetDrawingVersionFn DrawingVersion() const { return getDrawingVersion_; }

private:
    HMODULE library_ = nullptr;
    KvGetThumbnailFn getThumbnail_ = nullptr;
    KvGetDrawingVersionFn getDrawingVersion_ = nullptr;
};

void KvAttachThumbnailLibrary(KvThumbnailLibrary& library);
// Detaches `library` if it is the attached one.
void KvDetachThumbnailLibrary(const KvThumbnailLibrary& library);

// The attached library's entry points; null when none is attached or it is not loaded.
KvGetThumbnailFn KvThumbnailFunction();
KvGetDrawingVersionFn KvDrawingVersionFunction();
