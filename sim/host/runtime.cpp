// The host runtime the plug-in calls at start-up and from its commands: system variables, the
// transcript, LISP functions, the dynamic linker, the command stack, file search, the status-bar
// progress meter, the window-message filters and the product's registry root.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include "sim/desk/desktop.h"
#include "sim/host/host_internal.h"

namespace fs = std::filesystem;

namespace sim::host {

std::string upper(std::string s) {
    for (auto& c : s) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return s;
}

std::string baseName(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string extensionOf(const std::string& path) {
    std::string name = baseName(path);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (auto& c : ext) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return ext;
}

void print(const std::string& text) { Desktop::get().print(text); }

namespace {

resbuf makeShort(int v) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = short(v);
    return rb;
}
resbuf makeString(const std::string& v) {
    resbuf rb;
    rb.restype = RTSTR;
    rb.resval.rstring = v;
    return rb;
}

// Variables whose value comes from the current document.
const std::set<std::string> kDocumentVars = {"DWGNAME", "DWGPREFIX", "DWGTITLED", "DBMOD", "CTAB"};
// Variables the plug-in may read but not set (a script may set the global ones).
const std::set<std::string> kReadOnly = {"ACADVER", "DWGNAME", "DWGPREFIX", "DWGTITLED", "DBMOD", "FIBERWORLD"};

std::string dataFolder() {
    auto appdata = Desktop::get().env("APPDATA");
    if (!appdata || appdata->empty()) return {};
    std::string f = *appdata;
    if (f.back() != '/') f += '/';
    return f + "Stavlo/Korvane/";
}

bool getDocumentVar(const std::string& name, resbuf* value) {
    SimDocument* doc = Host::get().current();
    if (!doc) return false;
    if (name == "DWGNAME") {
        *value = makeString(baseName(doc->path));
    } else if (name == "DWGPREFIX") {
        std::string prefix = doc->titled ? folderOf(doc->path) : fs::current_path().string() + "/";
        *value = makeString(prefix);
    } else if (name == "DWGTITLED") {
        *value = makeShort(doc->titled ? 1 : 0);
    } else if (name == "DBMOD") {
        *value = makeShort(doc->db->dbmod);
    } else {
        *value = makeString(doc->db->content.currentLayout);
    }
    return true;
}

// Sets a variable without the read-only check; the caller decides who may.
int setVarUnchecked(const std::string& name, const resbuf& value) {
    Host& h = Host::get();
    SimDocument* doc = h.current();
    if (name == "SDI") {
        int v = value.restype == RTSTR ? std::atoi(value.resval.rstring.c_str()) : value.resval.rint;
        if (v < 0 || v > 3) return RTERROR;
        if (v != 0 && h.docs.size() > 1) {
            print("\nSDI cannot be set while more than one drawing is open.\n");
            h.fireSysVar(name, false);
            return RTERROR;
        }
        h.vars[name] = makeShort(v);
    } else if (name == "DBMOD") {
        if (!doc) return RTERROR;
        doc->db->dbmod = value.restype == RTSTR ? std::atoi(value.resval.rstring.c_str()) : value.resval.rint;
    } else if (name == "CTAB") {
        if (!doc || value.restype != RTSTR) return RTERROR;
        auto& c = doc->db->content;
        std::string want = upper(value.resval.rstring);
        bool found = false;
        for (auto& l : c.layouts) {
            if (upper(l) == want) {
                c.currentLayout = l;
                found = true;
            }
        }
        if (!found) return RTERROR;
    } else if (kDocumentVars.count(name)) {
        return RTERROR;   // follows the document
    } else {
        h.vars[name] = value;
    }
    h.fireSysVar(name, true);
    return RTNORM;
}

}  // namespace

// A value typed in a script: integers for the integer variables, else text.
int setVarFromText(const std::string& rawName, const std::string& text) {
    std::string name = upper(rawName);
    static const std::set<std::string> ints = {"SDI", "FIBERWORLD", "DBMOD", "FILEDIA", "CMDECHO", "TILEMODE"};
    resbuf rb;
    auto existing = Host::get().vars.find(name);
    bool isInt = ints.count(name) || (existing != Host::get().vars.end() && existing->second.restype == RTSHORT);
    if (isInt) {
        char* end = nullptr;
        long v = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end || v < -32768 || v > 32767) return RTREJ;
        rb = makeShort(int(v));
    } else {
        rb = makeString(text);
    }
    return setVarUnchecked(name, rb);
}

void resetVariables(std::map<std::string, resbuf>& v) {
    v.clear();
    v["SDI"] = makeShort(0);
    v["FIBERWORLD"] = makeShort(0);
    v["ACADVER"] = makeString("24.1s (Sim)");
    v["CPROFILE"] = makeString("<<Unnamed Profile>>");
    v["FILEDIA"] = makeShort(1);
    v["CMDECHO"] = makeShort(1);
}

}  // namespace sim::host

using namespace sim::host;

// ---- System variables --------------------------------------------------------------------------

int acedGetVar(const std::string& rawName, resbuf* value) {
    if (!value) return RTERROR;
    std::string name = upper(rawName);
    if (kDocumentVars.count(name)) return getDocumentVar(name, value) ? RTNORM : RTERROR;
    auto& vars = Host::get().vars;
    auto it = vars.find(name);
    if (it == vars.end()) return RTERROR;
    *value = it->second;
    return RTNORM;
}

int acedSetVar(const std::string& rawName, const resbuf* value) {
    if (!value) return RTERROR;
    std::string name = upper(rawName);
    if (kReadOnly.count(name)) return RTERROR;
    OpScope op;
    return setVarUnchecked(name, *value);
}

// ---- Transcript --------------------------------------------------------------------------------

int acutPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    sim::host::print(text);
    return n;
}

// ---- LISP functions ----------------------------------------------------------------------------
// Functions are defined per document, by the module whose entry point is running.

int acedDefun(const std::string& name, int funcCode) {
    Host& h = Host::get();
    SimDocument* doc = h.current();
    if (!doc || !h.callingModule || name.empty()) return RTERROR;
    doc->lispFunctions[upper(name)] = {h.callingModule, funcCode};
    return RTNORM;
}

int acedUndef(const std::string& name, int funcCode) {
    SimDocument* doc = Host::get().current();
    if (!doc) return RTERROR;
    auto it = doc->lispFunctions.find(upper(name));
    if (it == doc->lispFunctions.end() || it->second.second != funcCode) return RTERROR;
    doc->lispFunctions.erase(it);
    return RTNORM;
}

int acedRegFunc(int (*handler)(), int funcCode) {
    Host& h = Host::get();
    if (!h.callingModule) return RTERROR;
    if (handler) {
        h.callingModule->funcs[funcCode] = handler;
    } else {
        h.callingModule->funcs.erase(funcCode);
    }
    return RTNORM;
}

int acedGetFunCode() { return Host::get().funCode; }

int acedRetVoid() {
    Host::get().lispHasResult = false;
    return RTNORM;
}

int acedRetStr(const std::string& value) {
    Host::get().lispResult = "\"" + value + "\"";
    Host::get().lispHasResult = true;
    return RTNORM;
}

// ---- Dynamic linker ----------------------------------------------------------------------------

namespace {
class Linker : public AcRxDynamicLinker {
    static Module* find(void* appId) {
        for (auto& m : Host::get().modules) {
            if (m->appId() == appId) return m.get();
        }
        return nullptr;
    }

public:
    bool unlockApplication(void* appId) override {
        Module* m = find(appId);
        if (m) m->locked = false;
        return m != nullptr;
    }
    bool lockApplication(void* appId) override {
        Module* m = find(appId);
        if (m) m->locked = true;
        return m != nullptr;
    }
    bool registerAppMDIAware(void* appId) override {
        Module* m = find(appId);
        if (m) m->mdiAware = true;
        return m != nullptr;
    }
    bool isApplicationLocked(const std::string& appName) const override {
        std::string want = upper(appName);
        for (auto& m : Host::get().modules) {
            std::string base = upper(baseName(m->path));
            std::string stem = base.substr(0, base.rfind('.'));
            if (want == base || want == stem) return m->locked;
        }
        return false;
    }
};
}  // namespace

AcRxDynamicLinker* acrxDynamicLinkerPtr() {
    static Linker linker;
    return &linker;
}

// ---- Command stack -----------------------------------------------------------------------------

namespace {
std::string stripPrefixes(const std::string& name) {
    size_t i = 0;
    while (i < name.size() && (name[i] == '_' || name[i] == '.' || name[i] == '\'')) ++i;
    return upper(name.substr(i));
}

class CommandStack : public AcEdCommandStack {
public:
    Acad::ErrorStatus addCommand(const std::string& group, const std::string& globalName,
                                 const std::string& localName, int flags, AcRxFunctionPtr fn, void*, int,
                                 HINSTANCE) override {
        auto& cmds = Host::get().commands;
        if (group.empty() || globalName.empty() || !fn) return Acad::eInvalidInput;
        for (auto& c : cmds) {
            if (upper(c.group) == upper(group) && upper(c.globalName) == upper(globalName)) return Acad::eDuplicateKey;
        }
        cmds.push_back({group, upper(globalName), upper(localName.empty() ? globalName : localName), flags, fn,
                        Host::get().callingModule});
        return Acad::eOk;
    }
    Acad::ErrorStatus removeGroup(const std::string& group) override {
        auto& cmds = Host::get().commands;
        auto n = std::erase_if(cmds, [&](const RegisteredCommand& c) { return upper(c.group) == upper(group); });
        return n ? Acad::eOk : Acad::eKeyNotFound;
    }
    Acad::ErrorStatus removeCmd(const std::string& group, const std::string& globalName) override {
        auto& cmds = Host::get().commands;
        auto n = std::erase_if(cmds, [&](const RegisteredCommand& c) {
            return upper(c.group) == upper(group) && c.globalName == upper(globalName);
        });
        return n ? Acad::eOk : Acad::eKeyNotFound;
    }
    bool lookupCmd(const std::string& name, std::string* group, int* flags) const override {
        const RegisteredCommand* c = findCommand(name);
        if (!c) return false;
        if (group) *group = c->group;
        if (flags) *flags = c->flags;
        return true;
    }
    // "_NAME" asks for the global name only; a plain name matches the local name as well.
    static const RegisteredCommand* findCommand(const std::string& typed) {
        bool globalOnly = typed.find('_') != std::string::npos &&
                          typed.find('_') < typed.find_first_not_of("_.'");
        std::string name = stripPrefixes(typed);
        const auto& cmds = Host::get().commands;
        // The most recent registration wins, as later modules override earlier ones.
        for (auto it = cmds.rbegin(); it != cmds.rend(); ++it) {
            if (it->globalName == name || (!globalOnly && it->localName == name)) return &*it;
        }
        return nullptr;
    }
};
}  // namespace

AcEdCommandStack* acedRegCmdsPtr() {
    static CommandStack stack;
    return &stack;
}

namespace sim::host {
const RegisteredCommand* findRegisteredCommand(const std::string& typed) { return CommandStack::findCommand(typed); }
}  // namespace sim::host

// ---- Files, frame, filters ---------------------------------------------------------------------

namespace {
// File names in the host's folders match case-insensitively.
bool findIn(const std::string& folder, const std::string& name, std::string* result) {
    if (folder.empty()) return false;
    std::error_code ec;
    fs::path exact = fs::path(folder) / name;
    if (fs::is_regular_file(exact, ec)) {
        *result = exact.string();
        return true;
    }
    std::string want = upper(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && upper(it->path().filename().string()) == want) {
            *result = it->path().string();
            return true;
        }
    }
    return false;
}
}  // namespace

int acedFindFile(const std::string& fileName, std::string* result) {
    if (fileName.empty() || !result) return RTERROR;
    std::error_code ec;
    if (fileName.find('/') != std::string::npos) {
        if (!fs::is_regular_file(fileName, ec)) return RTERROR;
        *result = fileName;
        return RTNORM;
    }
    Host& h = Host::get();
    SimDocument* doc = h.current();
    const std::string folders[] = {h.moduleFolder, dataFolder(),
                                   doc && doc->titled ? folderOf(doc->path) : std::string()};
    for (const auto& f : folders) {
        if (findIn(f, fileName, result)) return RTNORM;
    }
    return RTERROR;
}

// The frame, the drawing view and the message filters belong to the desktop (sim/desk).

// ---- Status-bar progress meter: shown as progress lines on the transcript ---------------------

int acedSetStatusBarProgressMeter(const std::string& label, int minPos, int maxPos) {
    Host& h = Host::get();
    if (maxPos < minPos) return -1;
    h.meter = {true, label, minPos, maxPos, minPos};
    h.meterStep = 0;
    sim::host::print("[progress] " + label + " 0%\n");
    return 0;
}

int acedSetStatusBarProgressMeterPos(int pos) {
    Host& h = Host::get();
    if (!h.meter.shown) return -1;
    h.meter.pos = std::clamp(pos, h.meter.minPos, h.meter.maxPos);
    int span = h.meter.maxPos - h.meter.minPos;
    int percent = span > 0 ? int(100LL * (h.meter.pos - h.meter.minPos) / span) : 100;
    // One line per tenth, so long runs stay readable.
    if (percent / 10 > h.meterStep) {
        h.meterStep = percent / 10;
        sim::host::print("[progress] " + h.meter.label + " " + std::to_string(h.meterStep * 10) + "%\n");
    }
    return 0;
}

void acedRestoreStatusBar() {
    Host& h = Host::get();
    if (h.meter.shown) sim::host::print("[progress] " + h.meter.label + " done\n");
    h.meter = {};
    h.meterStep = -1;
}

std::string acdbHostUserProductRegistryRootKey() { return "Software\\SimHost\\R24.1\\SIM-0001:409"; }

// ---- Sim API -----------------------------------------------------------------------------------

namespace sim::host {

int setVariable(const std::string& name, const std::string& text) {
    OpScope op;
    return setVarFromText(name, text);
}
int resourceStackDepth() { return int(Host::get().resourceStack.size()); }
HINSTANCE resourceStackTop() {
    auto& s = Host::get().resourceStack;
    return s.empty() ? nullptr : s.back();
}
bool quitRequested() { return Host::get().quit; }
Progress progress() { return Host::get().meter; }
std::string moduleFolder() { return Host::get().moduleFolder; }
void setModuleFolder(const std::string& folder) {
    std::string f = folder;
    if (!f.empty() && f.back() != '/') f += '/';
    Host::get().moduleFolder = f;
}
void queueInput(const std::string& text) { Host::get().input.push_back(text); }
void clearInput() { Host::get().input.clear(); }
void setEventListener(EventListener l) { Host::get().listener = std::move(l); }
void setPrintEvents(bool on) { Host::get().printEvents = on; }

}  // namespace sim::host
