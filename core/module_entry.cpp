// The module's exports, as the host looks them up after loading it.
#include "arx/acrx.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include "core/guard.h"
#include "core/lifecycle.h"
#include "settings/settings.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

KV_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* appId) {
    return KvEntryPoint(message, appId);
}

KV_EXPORT int acrxGetApiVersion() { return kAcKvApiVersion; }

KV_EXPORT int AcKvDllMain(void* module, unsigned reason) {
    return KvProcessHook(static_cast<HINSTANCE>(module), reason);
}

// The simulator's window on settings: reads a setting by its stored key as the plug-in reads it,
// or writes it first through the setter of its kind when `newValue` is given. Returns 1 and the
// value text, or 0 for an unknown key.
KV_EXPORT int AcKvSetting(const char* key, const char* newValue, char* out, int outSize) {
    int found = 0;
    KvGuard("AcKvSetting", [&] {
        const SettingDef* def = key ? FindSettingByKey(key) : nullptr;
        if (!def) return;
        if (newValue) {
            if (def->kind == SettingKind::Numeric) SetSettingNumber(def->id, std::atoi(newValue));
            else SetSettingText(def->id, newValue);
        }
        const std::string value = def->kind == SettingKind::Numeric ? std::to_string(GetSettingNumber(def->id))
                                                                     : GetSettingText(def->id);
        if (out && outSize > 0) std::snprintf(out, size_t(outSize), "%s", value.c_str());
        found = 1;
    });
    return found;
}
