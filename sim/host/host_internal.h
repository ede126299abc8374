// The simulated host's inner objects: documents, windows, managers, the command line and the
// module table. One Host instance per process (Host::get()); private to sim/host.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>
#include "arx/aced.h"
#include "arx/docman.h"
#include "sim/host/drawing_store.h"
#include "sim/host/host.h"

namespace sim::host {

class Host;
class SimDocument;

class SimDatabase : public AcDbDatabase, private AcDbLayerStateManager {
public:
    DrawingContent content;
    std::string fileName;
    int dbmod = 0;

    std::string getFilename() const override { return fileName; }
    AcDb::AcDbDwgVersion originalFileVersion() const override { return content.originalVersion; }
    AcDb::AcDbDwgVersion lastSavedAsVersion() const override { return content.lastSavedAsVersion; }
    int numberOfSaves() const override { return content.numberOfSaves; }
    int approxNumObjects() const override { return content.objects; }
    AcDbSummaryInfo summaryInfo() const override { return content.summary; }
    std::vector<std::string> layoutNames() const override { return content.layouts; }
    std::string currentLayout() const override { return content.currentLayout; }
    std::vector<std::string> viewNames(bool paper) const override {
        return paper ? content.paperViews : content.modelViews;
    }
    std::vector<std::pair<std::string, int>> layerStates() const override { return content.layerStates; }
    AcDbLayerStateManager* getLayerStateManager() override { return this; }
    Acad::ErrorStatus saveAs(const std::string& path, bool bakAndRename, AcDb::AcDbDwgVersion version) override;
    Acad::ErrorStatus dxfOut(const std::string& path, int precision, AcDb::AcDbDwgVersion version) override;
    // Model-space extents, insertion of another database, references (database.cpp).
    AcGePoint3d extmin() const override { return {content.extMin[0], content.extMin[1], content.extMin[2]}; }
    AcGePoint3d extmax() const override { return {content.extMax[0], content.extMax[1], content.extMax[2]}; }
    Acad::ErrorStatus updateExt(bool bestFit) override;
    Acad::ErrorStatus insert(const AcGeMatrix3d& transform, AcDbDatabase* source, bool preserveSourceDatabase) override;

private:
    Acad::ErrorStatus restoreLayerState(const std::string& name) override;
};

class SimDocWindow : public AcApDocWindow {
public:
    SimDocument* doc = nullptr;   // null: the start page
    std::string caption;
    HWND hwnd = nullptr;
    bool minimized = false;
    bool maximized = false;   // within the frame (set by automation; painting ignores it)
    std::vector<AcApDocWindowReactor*> reactors;

    AcApDocument* document() const override;
    std::string title() const override { return caption; }
    void activate() override;
    bool canClose() const override;
    void close() override;
    HWND windowHandle() const override { return hwnd; }
    bool isMinimized() const override { return minimized; }
};

// Text queued to a document's command line. Script text stops at the first failing command.
struct Segment {
    std::string text;
    size_t pos = 0;
    bool echo = true;
    bool script = false;
};

class SimDocument : public AcApDocument {
public:
    std::string path;          // full path; an untitled drawing has its bare name ("Drawing1.dwg"); set by setPath
    // `path` with links resolved, worked out again only after setPath (finding a drawing by its
    // path walks every open drawing, and must not look at each one's path to know it is current).
    mutable std::string resolved;
    mutable std::size_t resolvedHash = 0;   // of `resolved`: most drawings are told apart without reading it
    mutable bool resolvedCurrent = false;
    void setPath(std::string p) {
        path = std::move(p);
        resolvedCurrent = false;
    }
    bool titled = true;
    bool readOnly = false;     // a drawing the simulator did not write
    std::unique_ptr<SimDatabase> db = std::make_unique<SimDatabase>();
    std::optional<SaveFormat> ownFormat;   // chosen by SAVEAS; else the manager's default
    SimDocWindow* window = nullptr;

    std::deque<Segment> queue;
    std::string command;       // the running command ("" when quiescent)
    bool timed = false;        // the running command waits on the clock (DELAY)
    std::uint64_t busyUntil = 0;
    int escapes = 0;
    bool closePending = false;
    int locks = 0;
    std::map<std::string, std::pair<struct Module*, int>> lispFunctions;   // upper-case name -> module, code

    std::string fileName() const override { return path; }
    std::string docTitle() const override;
    AcDbDatabase* database() const override { return db.get(); }
    SaveFormat formatForSave() const override;
    bool isQuiescent() const override { return command.empty(); }
    bool isReadOnly() const override { return readOnly; }
    bool isCommandInputInactive() const override { return !command.empty(); }
};

// Outcome of a command body.
enum class CmdResult { Ended, Cancelled, Failed, Timed };
using Builtin = std::function<CmdResult(SimDocument* doc)>;

struct RegisteredCommand {
    std::string group, globalName, localName;
    int flags = 0;
    AcRxFunctionPtr fn = nullptr;
    struct Module* owner = nullptr;   // the module that registered it
};

struct Module {
    std::string path;
    void* dl = nullptr;
    HMODULE handle = nullptr;
    AcRxEntryPointFn entry = nullptr;
    AcKvDllMainFn dllMain = nullptr;
    bool locked = true;
    bool mdiAware = false;
    std::map<int, int (*)()> funcs;   // acedRegFunc handlers by function code
    void* appId() { return this; }
};

class Host {
public:
    static Host& get();

    // ---- State
    std::vector<std::unique_ptr<SimDocument>> docs;          // creation order
    std::vector<std::unique_ptr<SimDocWindow>> wins;         // creation order (start page included)
    std::vector<SimDocWindow*> mru;                          // most recently active first
    SimDocWindow* activeWin = nullptr;
    SimDocument* ctxDoc = nullptr;        // a document whose context is entered ahead of activation
    AcApDocument::SaveFormat defaultFormat = AcApDocument::k2018_dwg;
    int untitledCounter = 0;

    std::vector<std::unique_ptr<Module>> modules;
    Module* callingModule = nullptr;      // the module whose entry point is running
    std::string moduleFolder;
    std::vector<RegisteredCommand> commands;
    std::map<std::string, Builtin> builtins;   // by global name
    std::map<std::string, resbuf> vars;        // global system variables by upper-case name
    std::vector<HINSTANCE> resourceStack;
    std::deque<std::string> input;             // @input answers
    // Application-context work, with the code it calls (dropped when that code's module goes).
    struct Deferred {
        std::function<void()> work;
        const void* code = nullptr;
    };
    std::deque<Deferred> deferred;
    SimDocWindow* pendingActivation = nullptr;
    bool quit = false;
    bool quitPending = false;   // QUIT ran; the program ends after the closes
    std::deque<Segment> appQueue;   // the command line with no drawing current
    Progress meter;
    int meterStep = -1;
    int funCode = -1;
    std::string lispResult;
    bool lispHasResult = false;

    // Inline tokens of acedCommandS, innermost last.
    std::vector<std::deque<std::string>> inlineTokens;
    bool cancelSeen = false;   // a prompt of the running command was cancelled
    // The person's prompt already shows the command just typed: the next command is not echoed.
    bool shownAtPrompt = false;

    // Reactors
    std::vector<AcApDocManagerReactor*> docReactors;
    std::vector<AcEditorReactor*> edReactors;
    std::vector<AcApDocWindowManagerReactor*> winReactors;
    // Contexts of the drawing area's right-click menu, in registration order (context_menu.cpp).
    struct UiContext {
        AcEdUIContext* context = nullptr;
        const void* appId = nullptr;
        std::string appName;
    };
    std::vector<UiContext> uiContexts;
    EventListener listener;
    bool printEvents = false;

    int cmdDepth = 0;     // commands running (document context)
    int opDepth = 0;      // host operations on the stack
    bool inPump = false;

    Host();
    void resetAll();

    // ---- Documents (documents.cpp)
    SimDocument* current() const;                // curDocument
    SimDocument* active() const { return activeWin ? activeWin->doc : nullptr; }
    SimDocument* find(const std::string& path) const;
    // The resolved form of each path find() has compared (symbolic links, "." and ".." taken
    // out), so that opening the thousandth drawing does not ask the file system about the
    // other 999.
    mutable std::unordered_map<std::string, std::string> resolvedPaths;
    SimDocWindow* windowOf(const AcApDocument* doc) const;
    bool isOpen(const SimDocument* doc) const;
    // Opens a drawing file (application context). False with a message when it cannot.
    bool openFile(const std::string& path, bool fromCommand);
    bool createNew(const std::string& templatePath);
    void addDocument(std::unique_ptr<SimDocument> doc);
    void activate(SimDocWindow* win);
    void requestActivation(SimDocWindow* win);
    // The save question for a modified drawing; false when the user cancelled.
    bool askSave(SimDocument* doc);
    void destroyDocument(SimDocument* doc);      // after CLOSE: the unload-drawing message onwards
    void destroyStartPage(SimDocWindow* win);
    void openStartPage();
    // Writes the document to `path` in `format`; false with a message (nothing written) when not allowed.
    bool saveDocument(SimDocument* doc, const std::string& path, AcApDocument::SaveFormat format, bool rename);
    std::string autoSave(SimDocument* doc);
    void closeAllDocuments(bool questions);

    // ---- Events (documents.cpp)
    void event(const std::string& name, const std::string& arg);
    template <class R, class F> void fire(std::vector<R*>& list, F f);
    void fireDoc(const char* name, void (AcApDocManagerReactor::*fn)(AcApDocument*), SimDocument* doc);
    void fireEd(const char* name, void (AcEditorReactor::*fn)(const std::string&), const std::string& arg);
    void fireWin(const char* name, void (AcApDocWindowManagerReactor::*fn)(AcApDocWindow*), SimDocWindow* win);
    void fireWinLoaded(SimDocWindow* win);
    void fireSaveComplete(SimDocument* doc, const std::string& name);
    void fireSysVar(const std::string& name, bool ok);
    void moduleMessage(AcRx::AppMsgCode msg, SimDocument* doc);   // to every loaded module
    void sendMessage(Module& m, AcRx::AppMsgCode msg, SimDocument* doc);

    // ---- Command line (interpreter.cpp)
    bool atLoop() const;   // no window procedure, filter or pump of this host's loop on the stack
    void pumpNow();
    void finishQuit();
    void queueText(SimDocument* doc, const std::string& text, bool echo, bool script, bool front = false);
    std::deque<Segment>& queueOf(SimDocument* doc);
    // Next token for a prompt: inline tokens, the document's queue, scripted input, the terminal.
    int promptToken(const std::string& prompt, bool allowSpaces, std::string* out);
    void runToken(SimDocument* doc, const std::string& token, bool echo, bool script);
    bool runCommand(SimDocument* doc, const std::string& name);   // false: unknown or failed
    void runLisp(SimDocument* doc, const std::string& expr);
    void endTimedCommand(SimDocument* doc, bool cancelled);
    void finishCommand(SimDocument* doc, const std::string& name, CmdResult r);

    // ---- Built-in commands (commands.cpp)
    void registerBuiltins();
};

// Host operations nest; the outermost one pumps the command line when it ends, provided the stack
// is back at the host's loop (see Host::pumpNow).
struct OpScope {
    OpScope() { ++Host::get().opDepth; }
    ~OpScope();
    OpScope(const OpScope&) = delete;
    OpScope& operator=(const OpScope&) = delete;
};

// Shared between the host's files.
bool readDrawing(const std::string& rawPath, std::string* path, DrawingContent* content, bool* foreign);
bool openContent(const std::string& path, const DrawingContent& content, bool foreign);
bool unloadModuleImpl(Module& mod, bool force);
const RegisteredCommand* findRegisteredCommand(const std::string& typed);
int setVarFromText(const std::string& name, const std::string& text);
void resetVariables(std::map<std::string, resbuf>& vars);

std::string upper(std::string s);
std::string baseName(const std::string& path);
std::string folderOf(const std::string& path);   // with the trailing separator; "" when none
std::string extensionOf(const std::string& path);  // lower case, with the dot
void print(const std::string& text);

// Calls every reactor registered when the notification starts and still registered when its turn
// comes (a reactor may remove itself or others). No exception crosses into the host.
template <class R, class F>
void Host::fire(std::vector<R*>& list, F f) {
    auto copy = list;
    for (R* r : copy) {
        if (std::find(list.begin(), list.end(), r) == list.end()) continue;
        try {
            f(r);
        } catch (...) {
            print("\n; error: a reactor threw an exception\n");
        }
    }
}

}  // namespace sim::host
