// The host's editor API in ObjectARX shape: command stack, system variables, command-line output
// and input, command calls, LISP functions, file search, the main frame, the window-message filter,
// the default context menu and the status-bar progress meter.
#pragma once
#include <string>
#include <vector>
#include "arx/acrx.h"
#include "arx/geometry.h"
#include "win/window.h"

// ---- Command stack -------------------------------------------------------------------------
using AcRxFunctionPtr = void (*)();
constexpr int ACRX_CMD_MODAL = 0x0000;
constexpr int ACRX_CMD_TRANSPARENT = 0x0001;
constexpr int ACRX_CMD_USEPICKSET = 0x0002;

class AcEdCommandStack {
public:
    virtual ~AcEdCommandStack() = default;
    virtual Acad::ErrorStatus addCommand(const std::string& group, const std::string& globalName,
                                         const std::string& localName, int flags, AcRxFunctionPtr fn,
                                         void* uiContext = nullptr, int funcCode = -1,
                                         HINSTANCE resourceHandle = nullptr) = 0;
    virtual Acad::ErrorStatus removeGroup(const std::string& group) = 0;
    virtual Acad::ErrorStatus removeCmd(const std::string& group, const std::string& globalName) = 0;
    // Finds a command by name in any group (global or local name); null when there is none.
    virtual bool lookupCmd(const std::string& name, std::string* group = nullptr, int* flags = nullptr) const = 0;
};
AcEdCommandStack* acedRegCmdsPtr();
#define acedRegCmds acedRegCmdsPtr()

// ---- System variables ----------------------------------------------------------------------
int acedGetVar(const std::string& name, resbuf* value);
int acedSetVar(const std::string& name, const resbuf* value);

// ---- Command line --------------------------------------------------------------------------
int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Runs a host command from tokens: pairs of (type, value) ending with RTNONE. Strings are passed
// as const char*. The subroutine form waits for the command; the coroutine form queues it behind
// the current command and calls `callback` (may be null) when it needs more input.
int acedCommandS(int rtype, ...);
using AcEdCoroutineCallback = int (*)(void* data);
int acedCommandC(AcEdCoroutineCallback callback, void* data, int rtype, ...);

// Prompts: the next queued tokens, else scripted input, else the terminal.
int acedGetString(int allowSpaces, const std::string& prompt, std::string* result, size_t maxChars = 2048);
int acedGetInt(const std::string& prompt, int* result);
int acedGetReal(const std::string& prompt, double* result);
int acedGetPoint(const double* basePoint, const std::string& prompt, double result[3]);
int acedGetFileD(const std::string& title, const std::string& defaultPath, const std::string& extension,
                 int flags, resbuf* result);

// ---- LISP functions ------------------------------------------------------------------------
int acedDefun(const std::string& name, int funcCode);
int acedUndef(const std::string& name, int funcCode);
int acedRegFunc(int (*handler)(), int funcCode);
int acedGetFunCode();
int acedRetVoid();
int acedRetStr(const std::string& value);

// ---- Files, frame, filters -----------------------------------------------------------------
// Searches the host's support path: the module folder, the data folder, the current drawing's folder.
int acedFindFile(const std::string& fileName, std::string* result);
HWND acedGetAcadFrame();
HWND acedGetAcadDwgView();

// Every host window message passes registered filters first; a filter returning true consumes it.
using AcedFilterWinMsgFn = bool (*)(MSG* msg);
bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn filter);
bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn filter);

// ---- Status bar progress meter -------------------------------------------------------------
int acedSetStatusBarProgressMeter(const std::string& label, int minPos, int maxPos);
int acedSetStatusBarProgressMeterPos(int pos);
void acedRestoreStatusBar();

// ---- Display colours and stored previews ---------------------------------------------------
// The editor's display colours (COLORREF values); false when the host cannot report them.
struct AcColorSettings {
    DWORD dwGfxModelBkColor = 0;    // model-space background
    DWORD dwGfxLayoutBkColor = 0;   // layout (paper-space) background
};
bool acedGetCurrentColors(AcColorSettings* settings);
// The preview picture stored in a DXF file as a bitmap the caller owns; null when there is none.
HBITMAP acdbGetThumbnailBitmapFromDxfFile(const std::string& path);
// The preview picture stored in a drawing file, as the host reads it (every format it knows), as a
// bitmap the caller owns; null when there is none or the file cannot be read.
HBITMAP acdbGetPreviewBitmapFromDwg(const std::string& path);

// ---- External references and views ----------------------------------------------------------
// Attaches the drawing file `path` to a drawing (default: the current one) as an external
// reference: a block `blockName` defined by that file, referenced at the insertion point with the
// scale factors and rotation (radians) given (defaults: origin, 1, 0). eFileNotFound or
// eInvalidInput when the file cannot be read as a drawing, eDuplicateKey when the block name is in
// use in the drawing, eInvalidInput when the file is the drawing itself.
Acad::ErrorStatus acedXrefAttach(const std::string& path, const std::string& blockName,
                                 const AcGePoint3d* insertionPoint = nullptr, const AcGeScale3d* scale = nullptr,
                                 const double* rotation = nullptr, bool quiet = true, AcDbDatabase* hostDb = nullptr);
// Makes `view` the current drawing's view of model space (the viewport argument is not used).
Acad::ErrorStatus acedSetCurrentView(const AcDbViewTableRecord* view, void* viewport = nullptr);

// ---- Host application services -------------------------------------------------------------
// The host's per-user product root in the current-user hive, e.g. "Software\\...\\R24.0\\...:409".
std::string acdbHostUserProductRegistryRootKey();

// ---- Default context menu of the drawing area ----------------------------------------------
// Before it shows its right-click menu over the drawing area, the host asks every registered
// context to update its menu (OnUpdateMenu), then for the menu itself (getMenuContext: a pointer
// to a popup menu handle, or to a null handle for none). The popup is shown as a submenu titled
// with the application name; a chosen entry comes back to onCommand with the context's own id.
class AcRxClass;
using AcDbObjectIdArray = std::vector<std::uint64_t>;   // the selection the menu is shown for

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
};

class AcEdUIContext : public AcRxObject {
public:
    virtual void* getMenuContext(const AcRxClass* rxClass, const AcDbObjectIdArray& selection) = 0;
    virtual void onCommand(std::uint32_t commandId) = 0;
    virtual void OnUpdateMenu() {}
};

// False when the context is null or registered already. The host does not own the context.
bool acedAddDefaultContextMenu(AcEdUIContext* context, const void* appId, const std::string& appName);
// False when the context is not registered.
bool acedRemoveDefaultContextMenu(AcEdUIContext* context);
