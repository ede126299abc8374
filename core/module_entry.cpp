// The module's exports, as the host looks them up after loading it.
#include "arx/acrx.h"
#include "core/lifecycle.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

KV_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* appId) {
    return KvEntryPoint(message, appId);
}

KV_EXPORT int acrxGetApiVersion() { return kAcKvApiVersion; }

KV_EXPORT int AcKvDllMain(void* module, unsigned reason) {
    return KvProcessHook(static_cast<HINSTANCE>(module), reason);
}
