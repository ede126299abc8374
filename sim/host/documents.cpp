// Documents, document windows, their managers and the notifications the host fires for them.
// The orders below are what the plug-in sees; tests pin them.
#include <algorithm>
#include <filesystem>
#include "sim/desk/desktop.h"
#include "sim/host/host_internal.h"
#include "win/system.h"

namespace fs = std::filesystem;

namespace sim::host {

void resetVariables(std::map<std::string, resbuf>& vars);
bool unloadModuleImpl(Module& mod, bool force);

// ---- Documents and windows ----------------------------------------------------------------------

std::string SimDocument::docTitle() const { return baseName(path); }

AcApDocument::SaveFormat SimDocument::formatForSave() const {
    return ownFormat ? *ownFormat : Host::get().defaultFormat;
}

AcApDocument* SimDocWindow::document() const { return doc; }

void SimDocWindow::activate() {
    Host& h = Host::get();
    if (h.opDepth > 0) {
        h.requestActivation(this);
        return;
    }
    OpScope op;
    h.activate(this);
}

bool SimDocWindow::canClose() const { return !doc || doc->isQuiescent(); }

void SimDocWindow::close() { closeWindow(this); }

// ---- Host -----------------------------------------------------------------------------------------

Host& Host::get() {
    static Host host;
    return host;
}

void installDrawingAreaPainter();
void installDrawingContextMenu();

Host::Host() {
    installDrawingAreaPainter();
    installDrawingContextMenu();
    resetVariables(vars);
    registerBuiltins();
}

OpScope::~OpScope() {
    Host& h = Host::get();
    if (--h.opDepth == 0) h.pumpNow();
}

SimDocument* Host::current() const {
    if (ctxDoc && isOpen(ctxDoc)) return ctxDoc;
    return active();
}

bool Host::isOpen(const SimDocument* doc) const {
    return doc && std::any_of(docs.begin(), docs.end(), [&](auto& d) { return d.get() == doc; });
}

// Two spellings of one file find the same document. Paths are compared in their resolved form
// (a path that cannot be resolved stands for itself), each resolved once.
SimDocument* Host::find(const std::string& path) const {
    auto resolved = [this](const std::string& p) -> const std::string& {
        auto it = resolvedPaths.find(p);
        if (it == resolvedPaths.end()) {
            std::error_code ec;
            std::string r = fs::weakly_canonical(p, ec).string();
            it = resolvedPaths.emplace(p, ec ? p : r).first;
        }
        return it->second;
    };
    const std::string wanted = resolved(path);
    const std::size_t wantedHash = std::hash<std::string>()(wanted);
    for (auto& d : docs) {
        if (!d->titled) continue;
        if (!d->resolvedCurrent) {
            d->resolved = resolved(d->path);
            d->resolvedHash = std::hash<std::string>()(d->resolved);
            d->resolvedCurrent = true;
        }
        if (d->resolvedHash == wantedHash && d->resolved == wanted) return d.get();
    }
    return nullptr;
}

SimDocWindow* Host::windowOf(const AcApDocument* doc) const {
    for (auto& w : wins) {
        if (w->doc == doc) return w.get();
    }
    return nullptr;
}

// ---- Events -------------------------------------------------------------------------------------

void Host::event(const std::string& name, const std::string& arg) {
    if (printEvents) print("event " + name + (arg.empty() ? "" : " " + arg) + "\n");
    if (listener) listener(name, arg);
}

void Host::fireDoc(const char* name, void (AcApDocManagerReactor::*fn)(AcApDocument*), SimDocument* doc) {
    event(name, doc->docTitle());
    fire(docReactors, [&](AcApDocManagerReactor* r) { (r->*fn)(doc); });
}

void Host::fireEd(const char* name, void (AcEditorReactor::*fn)(const std::string&), const std::string& arg) {
    event(name, arg);
    fire(edReactors, [&](AcEditorReactor* r) { (r->*fn)(arg); });
}

void Host::fireWin(const char* name, void (AcApDocWindowManagerReactor::*fn)(AcApDocWindow*), SimDocWindow* win) {
    event(name, win->caption);
    fire(winReactors, [&](AcApDocWindowManagerReactor* r) { (r->*fn)(win); });
}

void Host::fireWinLoaded(SimDocWindow* win) {
    event("documentWindowLoaded", win->caption);
    fire(win->reactors, [&](AcApDocWindowReactor* r) { r->documentWindowLoaded(win); });
}

void Host::fireSaveComplete(SimDocument* doc, const std::string& name) {
    event("saveComplete", baseName(name));
    fire(edReactors, [&](AcEditorReactor* r) { r->saveComplete(doc->db.get(), name); });
}

void Host::fireSysVar(const std::string& name, bool ok) {
    event("sysVarChanged", name);
    fire(edReactors, [&](AcEditorReactor* r) { r->sysVarChanged(name, ok); });
}

// ---- Activation ---------------------------------------------------------------------------------

// Switching the active window:
//   documentToBeDeactivated(old drawing)            [when a drawing was active]
//   documentToBeActivated(new drawing)              [when the window holds a drawing]
//   documentActivated(new), documentBecameCurrent(new)
//   documentWindowActivated(window)
void Host::activate(SimDocWindow* win) {
    if (!win || win == activeWin) return;
    if (SimDocument* old = active()) fireDoc("documentToBeDeactivated", &AcApDocManagerReactor::documentToBeDeactivated, old);
    if (win->doc) fireDoc("documentToBeActivated", &AcApDocManagerReactor::documentToBeActivated, win->doc);
    activeWin = win;
    std::erase(mru, win);
    mru.insert(mru.begin(), win);
    if (win->doc) {
        fireDoc("documentActivated", &AcApDocManagerReactor::documentActivated, win->doc);
        fireDoc("documentBecameCurrent", &AcApDocManagerReactor::documentBecameCurrent, win->doc);
    }
    fireWin("documentWindowActivated", &AcApDocWindowManagerReactor::documentWindowActivated, win);
}

void Host::requestActivation(SimDocWindow* win) { pendingActivation = win; }

// ---- Opening ------------------------------------------------------------------------------------

// Opening (or creating) a drawing fires, in this order:
//   documentToBeDeactivated(current drawing)        [when a drawing is active]
//   documentCreateStarted(new)
//   documentCreated(new)
//   the modules' kLoadDwgMsg (the new drawing is curDocument)
//   documentWindowCreated(window)
//   documentWindowLoaded(window)                    [the window's own reactors]
//   documentToBeActivated(new)
//   documentActivated(new), documentBecameCurrent(new)
//   documentWindowActivated(window)
// In single-document mode the current drawing is closed first (see closeForSdi).
void Host::addDocument(std::unique_ptr<SimDocument> owned) {
    OpScope op;
    SimDocument* doc = owned.get();
    doc->db->fileName = doc->path;
    if (SimDocument* old = active()) fireDoc("documentToBeDeactivated", &AcApDocManagerReactor::documentToBeDeactivated, old);
    docs.push_back(std::move(owned));
    SimDocument* savedCtx = ctxDoc;
    ctxDoc = doc;
    fireDoc("documentCreateStarted", &AcApDocManagerReactor::documentCreateStarted, doc);
    fireDoc("documentCreated", &AcApDocManagerReactor::documentCreated, doc);
    moduleMessage(AcRx::kLoadDwgMsg, doc);
    auto win = std::make_unique<SimDocWindow>();
    win->doc = doc;
    win->caption = doc->docTitle();
    doc->window = win.get();
    wins.push_back(std::move(win));
    fireWin("documentWindowCreated", &AcApDocWindowManagerReactor::documentWindowCreated, doc->window);
    fireWinLoaded(doc->window);
    ctxDoc = savedCtx;
    SimDocWindow* w = doc->window;
    fireDoc("documentToBeActivated", &AcApDocManagerReactor::documentToBeActivated, doc);
    activeWin = w;
    std::erase(mru, w);
    mru.insert(mru.begin(), w);
    fireDoc("documentActivated", &AcApDocManagerReactor::documentActivated, doc);
    fireDoc("documentBecameCurrent", &AcApDocManagerReactor::documentBecameCurrent, doc);
    fireWin("documentWindowActivated", &AcApDocWindowManagerReactor::documentWindowActivated, w);
}

namespace {
bool sdiMode() {
    resbuf rb;
    return acedGetVar("SDI", &rb) == RTNORM && rb.resval.rint != 0;
}

// Single-document mode: the open drawing goes before another comes (save question first; no
// CLOSE command events). False when the user kept it.
bool closeForSdi() {
    Host& h = Host::get();
    if (!sdiMode() || h.docs.empty()) return true;
    std::vector<SimDocument*> list;
    for (auto& d : h.docs) list.push_back(d.get());
    for (SimDocument* d : list) {
        if (!h.askSave(d)) return false;
    }
    for (SimDocument* d : list) h.destroyDocument(d);
    return true;
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}
}  // namespace

bool readDrawing(const std::string& rawPath, std::string* path, DrawingContent* content, bool* foreign) {
    if (rawPath.empty()) {
        print("\nNo file name given.\n");
        return false;
    }
    *path = absolutePath(rawPath);
    std::string error;
    if (!drawingFiles().read(*path, content, foreign, &error)) {
        print("\nCannot open \"" + *path + "\": " + error + ".\n");
        return false;
    }
    return true;
}

bool openContent(const std::string& path, const DrawingContent& content, bool foreign) {
    Host& h = Host::get();
    OpScope op;
    if (SimDocument* open = h.find(path)) {
        print("\n\"" + path + "\" is already open.\n");
        h.activate(open->window);
        return true;
    }
    if (!closeForSdi()) return false;
    auto doc = std::make_unique<SimDocument>();
    doc->setPath(path);
    doc->readOnly = foreign;
    doc->db->content = content;
    if (foreign) print("\n\"" + baseName(path) + "\" was not written by this host: opened read-only.\n");
    h.addDocument(std::move(doc));
    return true;
}

bool Host::openFile(const std::string& rawPath, bool) {
    std::string path;
    DrawingContent content;
    bool foreign = false;
    if (!readDrawing(rawPath, &path, &content, &foreign)) return false;
    return openContent(path, content, foreign);
}

bool Host::createNew(const std::string& templatePath) {
    OpScope op;
    DrawingContent content;
    if (!templatePath.empty()) {
        std::string path;
        bool foreign = false;
        if (!readDrawing(templatePath, &path, &content, &foreign)) return false;
        content.numberOfSaves = 0;
        content.summary = {};
    }
    if (!closeForSdi()) return false;
    auto doc = std::make_unique<SimDocument>();
    doc->setPath("Drawing" + std::to_string(++untitledCounter) + ".dwg");
    doc->titled = false;
    doc->db->content = content;
    addDocument(std::move(doc));
    return true;
}

// ---- Start page ---------------------------------------------------------------------------------

// The start page (NEWTAB), a document window without a drawing:
//   documentToBeDeactivated(current drawing)        [when a drawing is active]
//   documentWindowCreated(start page), documentWindowLoaded(start page), documentWindowActivated(start page)
// When it exists already it is only activated.
void Host::openStartPage() {
    OpScope op;
    for (auto& w : wins) {
        if (!w->doc) {
            activate(w.get());
            return;
        }
    }
    if (SimDocument* old = active()) fireDoc("documentToBeDeactivated", &AcApDocManagerReactor::documentToBeDeactivated, old);
    auto win = std::make_unique<SimDocWindow>();
    win->caption = "Start";
    SimDocWindow* w = win.get();
    wins.push_back(std::move(win));
    fireWin("documentWindowCreated", &AcApDocWindowManagerReactor::documentWindowCreated, w);
    fireWinLoaded(w);
    activeWin = w;
    mru.insert(mru.begin(), w);
    fireWin("documentWindowActivated", &AcApDocWindowManagerReactor::documentWindowActivated, w);
}

// Closing the start page: documentWindowDestroyed(start page), then activation of the most
// recently active window left.
void Host::destroyStartPage(SimDocWindow* win) {
    OpScope op;
    bool wasActive = activeWin == win;
    fireWin("documentWindowDestroyed", &AcApDocWindowManagerReactor::documentWindowDestroyed, win);
    std::erase(mru, win);
    if (pendingActivation == win) pendingActivation = nullptr;
    std::unique_ptr<SimDocWindow> keep;
    for (auto it = wins.begin(); it != wins.end(); ++it) {
        if (it->get() == win) {
            keep = std::move(*it);
            wins.erase(it);
            break;
        }
    }
    if (wasActive) {
        activeWin = nullptr;
        if (!mru.empty()) activate(mru.front());
    }
}

// ---- Closing ------------------------------------------------------------------------------------

bool Host::askSave(SimDocument* doc) {
    if (!doc->db->dbmod) return true;
    int answer = MessageBox(acedGetAcadFrame(), "Save changes to " + doc->path + "?", "SimHost", MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) return true;
    if (doc->titled && !doc->readOnly) return saveDocument(doc, doc->path, doc->formatForSave(), false);
    // An untitled or read-only drawing needs a new name; without one it stays open.
    resbuf rb;
    std::string def = doc->titled ? folderOf(doc->path) : std::string();
    if (acedGetFileD("Save Drawing As", def, "dwg", 1, &rb) != RTNORM) return false;
    return saveDocument(doc, rb.resval.rstring, doc->formatForSave(), true);
}

// Closing a drawing (the CLOSE command) fires:
//   commandWillStart("CLOSE")
//   the save question when the drawing is modified (Cancel: commandCancelled("CLOSE"), nothing more)
//   commandEnded("CLOSE")
// and then, here:
//   the modules' kUnloadDwgMsg
//   documentToBeDestroyed(drawing)
//   documentWindowDestroyed(window)
//   activation of the most recently active window left (see activate(); no deactivation event)
//   documentDestroyed(file name)
void Host::destroyDocument(SimDocument* doc) {
    OpScope op;
    if (!isOpen(doc)) return;
    SimDocWindow* win = doc->window;
    bool wasActive = activeWin == win;
    SimDocument* savedCtx = ctxDoc;
    ctxDoc = doc;
    moduleMessage(AcRx::kUnloadDwgMsg, doc);
    fireDoc("documentToBeDestroyed", &AcApDocManagerReactor::documentToBeDestroyed, doc);
    ctxDoc = savedCtx == doc ? nullptr : savedCtx;
    fireWin("documentWindowDestroyed", &AcApDocWindowManagerReactor::documentWindowDestroyed, win);
    std::erase(mru, win);
    if (pendingActivation == win) pendingActivation = nullptr;
    std::unique_ptr<SimDocument> keepDoc;
    std::unique_ptr<SimDocWindow> keepWin;
    for (auto it = docs.begin(); it != docs.end(); ++it) {
        if (it->get() == doc) {
            keepDoc = std::move(*it);
            docs.erase(it);
            break;
        }
    }
    for (auto it = wins.begin(); it != wins.end(); ++it) {
        if (it->get() == win) {
            keepWin = std::move(*it);
            wins.erase(it);
            break;
        }
    }
    if (wasActive) {
        activeWin = nullptr;
        if (!mru.empty()) activate(mru.front());
    }
    const std::string name = doc->path;
    event("documentDestroyed", baseName(name));
    fire(docReactors, [&](AcApDocManagerReactor* r) { r->documentDestroyed(name); });
}

void Host::closeAllDocuments(bool questions) {
    OpScope op;
    std::vector<SimDocument*> list;
    for (auto& d : docs) list.push_back(d.get());
    if (questions) {
        for (SimDocument* d : list) {
            if (!askSave(d)) return;
        }
    }
    for (SimDocument* d : list) {
        if (d != active()) destroyDocument(d);
    }
    if (SimDocument* d = active()) destroyDocument(d);
}

// ---- Saving -------------------------------------------------------------------------------------

// Saving fires beginSave(database, intended name), writes the file, then saveComplete(database,
// saved name). Inside SAVE, QSAVE and SAVEAS these come between commandWillStart and commandEnded.
// Nothing is written over a file the simulator did not write, nor over another open drawing.
bool Host::saveDocument(SimDocument* doc, const std::string& rawPath, AcApDocument::SaveFormat format, bool rename) {
    OpScope op;
    const std::string path = absolutePath(rawPath);
    if (SimDocument* other = find(path); other && other != doc) {
        print("\n** \"" + path + "\" is open as another drawing; not saved.\n");
        return false;
    }
    std::error_code ec;
    if (fs::exists(path, ec) && drawingFiles().isForeign(path)) {
        print("\n** \"" + path + "\" was not written by this host and is never overwritten; save it under another name.\n");
        return false;
    }
    AcDb::AcDbDwgVersion version = versionOfFormat(format);
    if (version == AcDb::kDHL_Unknown) {
        print("\n** Unknown save format " + std::to_string(int(format)) + ".\n");
        return false;
    }
    event("beginSave", baseName(path));
    fire(edReactors, [&](AcEditorReactor* r) { r->beginSave(doc->db.get(), path); });
    DrawingContent content = doc->db->content;
    content.lastSavedAsVersion = version;
    content.numberOfSaves += 1;
    std::string error;
    if (!drawingFiles().write(path, content, format, &error)) {
        print("\n** Cannot save \"" + path + "\": " + error + ".\n");
        return false;
    }
    doc->db->content = content;
    doc->db->dbmod = 0;
    if (rename) {
        doc->setPath(path);
        doc->db->fileName = path;
        doc->titled = true;
        doc->readOnly = false;
        if (doc->window) doc->window->caption = doc->docTitle();
    }
    fireSaveComplete(doc, path);
    return true;
}

namespace {

// The document whose database this is; null for a scratch database.
SimDocument* ownerOf(const SimDatabase* db) {
    for (auto& d : Host::get().docs) {
        if (d->db.get() == db) return d.get();
    }
    return nullptr;
}

// The save format of a release (by its version code, development or final) and a kind offset.
AcApDocument::SaveFormat formatOfVersion(AcDb::AcDbDwgVersion version, int kind) {
    static const AcApDocument::SaveFormat kDwg[] = {
        AcApDocument::kR13_dwg,   AcApDocument::kR14_dwg,   AcApDocument::k2000_dwg, AcApDocument::k2004_dwg,
        AcApDocument::k2007_dwg,  AcApDocument::k2010_dwg,  AcApDocument::k2013_dwg, AcApDocument::k2018_dwg};
    if (kind == 1 && version >= AcDb::kDHL_1009 && version <= AcDb::kDHL_1011) return AcApDocument::kR12_dxf;
    for (auto f : kDwg) {
        const int v = versionOfFormat(f);
        if (v == version || v == version + 1) return AcApDocument::SaveFormat(f + kind);
    }
    return AcApDocument::kUnknown;
}

}  // namespace

// AcDbDatabase::saveAs on an open drawing: a copy in the format of `version`; the document keeps
// its name. A file already at the target is kept as "<name>.bak" when asked.
Acad::ErrorStatus SimDatabase::saveAs(const std::string& path, bool bakAndRename, AcDb::AcDbDwgVersion version) {
    SimDocument* owner = ownerOf(this);
    if (!owner) return Acad::eNotApplicable;
    const AcApDocument::SaveFormat format = formatOfVersion(version, 0);
    if (format == AcApDocument::kUnknown) return Acad::eInvalidInput;
    std::error_code ec;
    const std::string target = absolutePath(path);
    if (bakAndRename && fs::exists(target, ec) && !drawingFiles().isForeign(target)) {
        fs::path bak(target);
        bak.replace_extension(".bak");
        fs::copy_file(target, bak, fs::copy_options::overwrite_existing, ec);
    }
    return Host::get().saveDocument(owner, target, format, false) ? Acad::eOk : Acad::eFileNotFound;
}

// AcDbDatabase::dxfOut on an open drawing: a DXF copy of the release of `version`, written as
// saveAs writes (the precision is not kept by this host's files).
Acad::ErrorStatus SimDatabase::dxfOut(const std::string& path, int precision, AcDb::AcDbDwgVersion version) {
    SimDocument* owner = ownerOf(this);
    if (!owner) return Acad::eNotApplicable;
    const AcApDocument::SaveFormat format = formatOfVersion(version, 1);
    if (format == AcApDocument::kUnknown || precision < 0 || precision > 16) return Acad::eInvalidInput;
    return Host::get().saveDocument(owner, absolutePath(path), format, false) ? Acad::eOk : Acad::eFileNotFound;
}

Acad::ErrorStatus SimDatabase::restoreLayerState(const std::string& name) {
    auto it = std::find_if(content.layerStates.begin(), content.layerStates.end(),
                           [&](const auto& s) { return s.first == name; });
    if (it == content.layerStates.end()) return Acad::eKeyNotFound;
    for (auto& s : content.layerStates) s.second &= ~kLastRestored;
    it->second |= kLastRestored;
    print("\nLayer state \"" + name + "\" restored.\n");
    return Acad::eOk;
}

// An automatic save writes a copy beside the other temporary files and fires saveComplete(database,
// copy name) alone: no command events, and the drawing keeps its name and DBMOD.
std::string Host::autoSave(SimDocument* doc) {
    OpScope op;
    if (!doc) return {};
    std::string folder;
    resbuf rb;
    if (acedGetVar("SAVEFILEPATH", &rb) == RTNORM && rb.restype == RTSTR && !rb.resval.rstring.empty()) {
        folder = rb.resval.rstring;
    } else {
        folder = fs::temp_directory_path().string();
    }
    if (folder.back() != '/') folder += '/';
    std::error_code ec;
    fs::create_directories(folder, ec);
    static int counter = 0;
    std::string stem = baseName(doc->path);
    stem = stem.substr(0, stem.rfind('.'));
    std::string path = folder + stem + "_1_1_" + std::to_string(++counter) + ".sv$";
    std::string error;
    DrawingContent content = doc->db->content;
    content.lastSavedAsVersion = versionOfFormat(doc->formatForSave());
    if (!drawingFiles().write(path, content, doc->formatForSave(), &error)) {
        print("\n** Automatic save to \"" + path + "\" failed: " + error + ".\n");
        return {};
    }
    print("\nAutomatic save to " + path + " ...\n");
    fireSaveComplete(doc, path);
    return path;
}

// ---- Reset --------------------------------------------------------------------------------------

void Host::resetAll() {
    opDepth = 1;   // nothing pumps while tearing down
    while (!modules.empty()) unloadModuleImpl(*modules.back(), true);
    docReactors.clear();
    edReactors.clear();
    winReactors.clear();
    uiContexts.clear();
    listener = nullptr;
    printEvents = false;
    mru.clear();
    activeWin = nullptr;
    pendingActivation = nullptr;
    wins.clear();
    docs.clear();
    resolvedPaths.clear();
    ctxDoc = nullptr;
    defaultFormat = AcApDocument::k2018_dwg;
    untitledCounter = 0;
    moduleFolder.clear();
    commands.clear();
    resetVariables(vars);
    resourceStack.clear();
    input.clear();
    deferred.clear();
    appQueue.clear();
    quit = quitPending = false;
    meter = {};
    meterStep = -1;
    funCode = -1;
    inlineTokens.clear();
    cancelSeen = false;
    cmdDepth = 0;
    inPump = false;
    opDepth = 0;
}

}  // namespace sim::host

using namespace sim::host;

// ---- Managers -----------------------------------------------------------------------------------

namespace {

class DocIterator : public AcApDocumentIterator {
public:
    std::vector<SimDocument*> list;
    size_t i = 0;
    bool done() const override { return i >= list.size(); }
    void step() override { ++i; }
    AcApDocument* document() override { return done() ? nullptr : list[i]; }
};

template <class R>
void addUnique(std::vector<R*>& list, R* r) {
    if (r && std::find(list.begin(), list.end(), r) == list.end()) list.push_back(r);
}

class DocManager : public AcApDocManager {
public:
    AcApDocument* curDocument() const override { return Host::get().current(); }
    AcApDocument* mdiActiveDocument() const override { return Host::get().active(); }
    int documentCount() const override { return int(Host::get().docs.size()); }
    AcApDocumentIterator* newAcApDocumentIterator() override {
        auto* it = new DocIterator;
        for (auto& d : Host::get().docs) it->list.push_back(d.get());
        return it;
    }
    bool isApplicationContext() const override { return Host::get().cmdDepth == 0; }
    Acad::ErrorStatus appContextOpenDocument(const std::string& path) override {
        Host& h = Host::get();
        if (h.cmdDepth > 0) return Acad::eInvalidContext;
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            print("\nCannot open \"" + path + "\": file not found.\n");
            return Acad::eFileNotFound;
        }
        return h.openFile(path, false) ? Acad::eOk : Acad::eInvalidInput;
    }
    Acad::ErrorStatus appContextNewDocument(const std::string& templateName) override {
        Host& h = Host::get();
        if (h.cmdDepth > 0) return Acad::eInvalidContext;
        return h.createNew(templateName) ? Acad::eOk : Acad::eInvalidInput;
    }
    // The callback runs once the host is back in application context (after the running command).
    void executeInApplicationContext(void (*callback)(void*), void* data) override {
        if (!callback) return;
        OpScope op;
        Host::get().deferred.push_back({[callback, data] { callback(data); }, reinterpret_cast<const void*>(callback)});
    }
    // Closing from application context discards the drawing's changes: no question, no save.
    Acad::ErrorStatus closeDocument(AcApDocument* doc) override {
        Host& h = Host::get();
        auto* d = static_cast<SimDocument*>(doc);
        if (h.cmdDepth > 0) return Acad::eInvalidContext;
        if (!doc || !h.isOpen(d)) return Acad::eInvalidInput;
        if (!d->isQuiescent()) return Acad::eInvalidContext;
        OpScope op;
        h.destroyDocument(d);
        return Acad::eOk;
    }
    Acad::ErrorStatus activateDocument(AcApDocument* doc, bool) override {
        Host& h = Host::get();
        SimDocWindow* win = h.windowOf(doc);
        if (!doc || !win) return Acad::eInvalidInput;
        win->activate();
        return Acad::eOk;
    }
    Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const std::string& text, bool activate, bool,
                                          bool echo) override {
        Host& h = Host::get();
        auto* d = static_cast<SimDocument*>(doc);
        if (!doc || !h.isOpen(d)) return Acad::eInvalidInput;
        OpScope op;
        h.queueText(d, text, echo, false);
        if (activate && h.activeWin != d->window) h.requestActivation(d->window);
        return Acad::eOk;
    }
    Acad::ErrorStatus setDefaultFormatForSave(AcApDocument::SaveFormat format) override {
        if (versionOfFormat(format) == AcDb::kDHL_Unknown) return Acad::eInvalidInput;
        Host::get().defaultFormat = format;
        return Acad::eOk;
    }
    AcApDocument::SaveFormat defaultFormatForSave() const override { return Host::get().defaultFormat; }
    void pushResourceHandle(HINSTANCE module) override { Host::get().resourceStack.push_back(module); }
    void popResourceHandle() override {
        auto& s = Host::get().resourceStack;
        if (!s.empty()) s.pop_back();
    }
    void addReactor(AcApDocManagerReactor* r) override { addUnique(Host::get().docReactors, r); }
    void removeReactor(AcApDocManagerReactor* r) override { std::erase(Host::get().docReactors, r); }
    AcApDocument* document(const AcDbDatabase* db) const override {
        for (auto& d : Host::get().docs) {
            if (d->db.get() == db) return d.get();
        }
        return nullptr;
    }
    Acad::ErrorStatus lockDocument(AcApDocument* doc) override {
        auto* d = static_cast<SimDocument*>(doc);
        if (!Host::get().isOpen(d)) return Acad::eInvalidInput;
        ++d->locks;
        return Acad::eOk;
    }
    Acad::ErrorStatus unlockDocument(AcApDocument* doc) override {
        auto* d = static_cast<SimDocument*>(doc);
        if (!Host::get().isOpen(d) || d->locks == 0) return Acad::eNotApplicable;
        --d->locks;
        return Acad::eOk;
    }
};

class Editor : public AcEditor {
public:
    void addReactor(AcEditorReactor* r) override { addUnique(Host::get().edReactors, r); }
    void removeReactor(AcEditorReactor* r) override { std::erase(Host::get().edReactors, r); }
};

class WindowManager : public AcApDocWindowManager {
public:
    int documentWindowCount() const override { return int(Host::get().wins.size()); }
    AcApDocWindow* activeDocumentWindow() const override { return Host::get().activeWin; }
    std::vector<AcApDocWindow*> documentWindows() const override { return sim::host::windows(); }
    AcApDocWindow* documentWindow(const AcApDocument* doc) const override { return Host::get().windowOf(doc); }
    void addReactor(AcApDocWindowManagerReactor* r) override { addUnique(Host::get().winReactors, r); }
    void removeReactor(AcApDocWindowManagerReactor* r) override { std::erase(Host::get().winReactors, r); }
    void addReactor(AcApDocWindow* window, AcApDocWindowReactor* r) override {
        if (auto* w = find(window)) addUnique(w->reactors, r);
    }
    void removeReactor(AcApDocWindow* window, AcApDocWindowReactor* r) override {
        if (auto* w = find(window)) std::erase(w->reactors, r);
    }
    static SimDocWindow* find(AcApDocWindow* window) {
        for (auto& w : Host::get().wins) {
            if (w.get() == window) return w.get();
        }
        return nullptr;
    }
};

}  // namespace

AcApDocManager* acDocManagerPtr() {
    static DocManager manager;
    return &manager;
}

AcEditor* acedEditorPtr() {
    static Editor editor;
    return &editor;
}

AcApDocWindowManager* acDocWindowManagerPtr() {
    static WindowManager manager;
    return &manager;
}

Acad::ErrorStatus acedSyncFileOpen(const std::string& path) {
    Host& h = Host::get();
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        print("\nCannot open \"" + path + "\": file not found.\n");
        return Acad::eFileNotFound;
    }
    return h.openFile(path, false) ? Acad::eOk : Acad::eInvalidInput;
}

int acdbGetDbmod(AcDbDatabase* db) { return db ? static_cast<SimDatabase*>(db)->dbmod : 0; }

int acdbSetDbmod(AcDbDatabase* db, int value) {
    if (!db) return 0;
    auto* sdb = static_cast<SimDatabase*>(db);
    const int before = sdb->dbmod;
    sdb->dbmod = value;
    return before;
}

// ---- Sim API ------------------------------------------------------------------------------------

namespace sim::host {

bool openDrawing(const std::string& path) { return Host::get().openFile(path, false); }
bool newDrawing(const std::string& templatePath) { return Host::get().createNew(templatePath); }
void showStartPage() { Host::get().openStartPage(); }

void closeWindow(AcApDocWindow* window) {
    Host& h = Host::get();
    SimDocWindow* w = nullptr;
    for (auto& x : h.wins) {
        if (x.get() == window) w = x.get();
    }
    if (!w) return;
    OpScope op;
    if (!w->doc) {
        h.destroyStartPage(w);
        return;
    }
    if (!w->doc->isQuiescent()) {
        print("\n** " + w->caption + " is busy with " + w->doc->command + "; not closed.\n");
        return;
    }
    h.runCommand(w->doc, "_CLOSE");
}

std::vector<AcApDocWindow*> windows() {
    std::vector<AcApDocWindow*> out;
    for (auto& w : Host::get().wins) out.push_back(w.get());
    return out;
}

std::string autoSave(AcApDocument* doc) {
    Host& h = Host::get();
    auto* d = static_cast<SimDocument*>(doc);
    return h.isOpen(d) ? h.autoSave(d) : std::string();
}

void reset() {
    Host::get().resetAll();
    Desktop::get().clearAnswers();
}

}  // namespace sim::host
