// A test application module: registers a command and the KV_TEST LISP function as the plug-in does,
// and records every message it receives (read by the tests through kvTestModuleLog).
#include <string>
#include "arx/aced.h"
#include "arx/docman.h"

namespace {
std::string g_log;
void* g_appId = nullptr;

// Into the log and the transcript, so that detach is seen after the module is gone.
void note(const std::string& what) {
    g_log += what + ";";
    acutPrintf("[module] %s\n", what.c_str());
}

void hello() {
    acDocManager->pushResourceHandle(nullptr);
    acutPrintf("\nhello from the module\n");
    acDocManager->popResourceHandle();
}

void askName() {
    std::string name;
    int r = acedGetString(1, "\nName: ", &name);
    note(r == RTNORM ? "name=" + name : "name-cancel");
}

int lispTest() {
    acedCommandS(RTSTR, "LINE", RTSTR, "0,0,0", RTSTR, "10,10,0", RTSTR, "", RTNONE);
    return RTNORM;
}
}  // namespace

extern "C" {
__attribute__((visibility("default"))) int AcKvDllMain(void*, unsigned reason) {
    note(reason == 1 ? "attach" : "detach");
    return 1;
}

__attribute__((visibility("default"))) int acrxGetApiVersion() { return kAcKvApiVersion; }

__attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    g_appId = appId;
    switch (msg) {
    case AcRx::kInitAppMsg:
        note("init");
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        acedRegCmds->addCommand("KVTEST", "KVT_HELLO", "KVT_HELLO", ACRX_CMD_MODAL, hello);
        acedRegCmds->addCommand("KVTEST", "KVT_ASK", "KVT_FRAGE", ACRX_CMD_MODAL, askName);
        break;
    case AcRx::kUnloadAppMsg:
        note("unload");
        acedRegCmds->removeGroup("KVTEST");
        break;
    case AcRx::kLoadDwgMsg:
        note("loaddwg " + acDocManager->curDocument()->docTitle());
        acedDefun("KV_TEST", 1);
        acedRegFunc(lispTest, 1);
        break;
    case AcRx::kUnloadDwgMsg:
        note("unloaddwg " + acDocManager->curDocument()->docTitle());
        acedUndef("KV_TEST", 1);
        break;
    case AcRx::kInvkSubrMsg:
        note("invoke " + std::to_string(acedGetFunCode()));
        acedRetVoid();
        if (acedGetFunCode() == 1) lispTest();
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

// What a plug-in's menu handler does: sends QUIT to the command line, then goes on running.
__attribute__((visibility("default"))) void kvTestSendQuit() {
    acDocManager->sendStringToExecute(acDocManager->curDocument(), "_QUIT ", true, false, false);
    note("after quit was sent");
}

__attribute__((visibility("default"))) void kvTestQueueLater() {
    acDocManager->executeInApplicationContext(+[](void*) { note("later"); }, nullptr);
}

__attribute__((visibility("default"))) const char* kvTestModuleLog() { return g_log.c_str(); }
__attribute__((visibility("default"))) void kvTestModuleClear() { g_log.clear(); }
}
