// The thumbnail library beside the plug-in: a drawing's preview picture and its format version.
// Start-up loads it; unload frees it.
#pragma once
#include "win/types.h"

using KvGetThumbnailFn = HBITMAP (*)(const char* path, unsigned int size, int& formatCode);
using KvGetDrawingVersionFn = int (*)(const char* path);

// Loads the library from the module folder (once) and takes its two entry points; false when the
// version entry point is missing.
bool KvLoadThumbnailLibrary();
void KvFreeThumbnailLibrary();

// The library's entry points; null when it is not loaded.
KvGetThumbnailFn KvThumbnailFunction();
KvGetDrawingVersionFn KvDrawingVersionFunction();
