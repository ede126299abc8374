// The host's runtime-extension API in ObjectARX shape: module messages, the dynamic linker,
// error and result codes, result buffers.
#pragma once
#include <cstdint>
#include <string>

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

namespace Acad {
enum ErrorStatus {
    eOk = 0,
    eNotApplicable = 3,
    eInvalidInput = 5,
    eKeyNotFound = 37,
    eDuplicateKey = 46,
    eFileNotFound = 88,
    eInvalidContext = 140,
};
}  // namespace Acad

// Result codes of the host's C API (acedXxx): 5100 is success.
constexpr int RTNONE = 5000;
constexpr int RTREAL = 5001;
constexpr int RTPOINT = 5002;
constexpr int RTSHORT = 5003;
constexpr int RTSTR = 5005;
constexpr int RT3DPOINT = 5009;
constexpr int RTLONG = 5010;
constexpr int RTVOID = 5014;
constexpr int RTNORM = 5100;
constexpr int RTERROR = -5001;
constexpr int RTCAN = -5002;
constexpr int RTREJ = -5003;
constexpr int RTKWORD = -5005;

// One typed value (a system variable, a LISP argument).
struct resbuf {
    short restype = RTNONE;
    struct {
        short rint = 0;
        std::int32_t rlong = 0;
        double rreal = 0;
        double rpoint[3] = {0, 0, 0};
        std::string rstring;
    } resval;
};

class AcRxDynamicLinker {
public:
    virtual ~AcRxDynamicLinker() = default;
    virtual bool unlockApplication(void* appId) = 0;
    virtual bool lockApplication(void* appId) = 0;
    virtual bool registerAppMDIAware(void* appId) = 0;
    virtual bool isApplicationLocked(const std::string& appName) const = 0;
};
AcRxDynamicLinker* acrxDynamicLinkerPtr();
#define acrxDynamicLinker acrxDynamicLinkerPtr()

// The module's exports, looked up by the host after loading it.
extern "C" {
using AcRxEntryPointFn = AcRx::AppRetCode (*)(AcRx::AppMsgCode msg, void* appId);
using AcRxGetApiVersionFn = int (*)();
// DllMain-shaped hook: reason 1 is process attach, 0 process detach.
using AcKvDllMainFn = int (*)(void* module, unsigned reason);
}
constexpr int kAcKvApiVersion = 24;
