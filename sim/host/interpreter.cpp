// The command line: text queued per document, read token by token when that document is current
// and idle; prompts; command and LISP invocation with the editor's events; acedCommandS/C.
//
// Tokens: a blank or a newline ends a token (each one is an Enter, so two in a row give an empty
// token); a prompt that allows spaces ends only at a newline; "quoted text" is one token without
// its quotes; at the command prompt "(...)" is one LISP expression. Text that ends in the middle
// of a token waits for more, as it does on the real command line. ESC (or Ctrl+C) cancels a
// prompt; a running timed command (DELAY) needs two.
//
// Command names: "_" asks for the global name, "." for the built-in command, "'" for transparent
// use; "-NAME" is the command-line form of NAME (the same command here when it has no own form).
#include <cmath>
#include <cstdarg>
#include <iostream>
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/host/host_internal.h"

namespace sim::host {

namespace {

bool isEscape(char c) { return c == '\x1b' || c == '\x03'; }

enum class Tok { None, Token, Cancel };

// The next token of a queue; see the rules at the top of the file.
Tok takeToken(std::deque<Segment>& q, bool allowSpaces, bool atCommand, std::string* out, bool* echo,
              bool* script) {
    while (!q.empty()) {
        Segment& s = q.front();
        while (s.pos < s.text.size() && s.text[s.pos] == '\r') ++s.pos;
        if (s.pos >= s.text.size()) {
            q.pop_front();
            continue;
        }
        *echo = s.echo;
        *script = s.script;
        const std::string& t = s.text;
        char c = t[s.pos];
        if (isEscape(c)) {
            ++s.pos;
            return Tok::Cancel;
        }
        size_t end = std::string::npos;   // one past the token
        size_t next = 0;                  // where reading goes on
        std::string token;
        if (c == '"') {
            size_t close = t.find('"', s.pos + 1);
            if (close != std::string::npos) {
                token = t.substr(s.pos + 1, close - s.pos - 1);
                end = close + 1;
                if (end < t.size() && (t[end] == ' ' || t[end] == '\n' || t[end] == '\t')) {
                    next = end + 1;
                } else if (end < t.size()) {
                    next = end;   // text glued to the closing quote starts the next token
                } else {
                    end = std::string::npos;   // the Enter after the quote has not come yet
                }
            }
        } else if (atCommand && c == '(') {
            int depth = 0;
            bool inString = false;
            for (size_t i = s.pos; i < t.size(); ++i) {
                if (t[i] == '"') inString = !inString;
                if (inString) continue;
                if (t[i] == '(') ++depth;
                if (t[i] == ')' && --depth == 0) {
                    end = i + 1;
                    break;
                }
            }
            if (end != std::string::npos) {
                token = t.substr(s.pos, end - s.pos);
                next = end < t.size() && (t[end] == ' ' || t[end] == '\n') ? end + 1 : end;
            }
        } else {
            size_t sep = allowSpaces ? t.find('\n', s.pos) : t.find_first_of(" \t\n", s.pos);
            if (sep != std::string::npos) {
                token = t.substr(s.pos, sep - s.pos);
                std::erase(token, '\r');
                end = sep;
                next = sep + 1;
            }
        }
        if (end == std::string::npos) {
            // Incomplete: the next queued text continues this token.
            if (q.size() < 2) return Tok::None;
            Segment more = std::move(q[1]);
            q.erase(q.begin() + 1);
            q.front().text += more.text.substr(more.pos);
            continue;
        }
        s.pos = next;
        *out = token;
        return Tok::Token;
    }
    return Tok::None;
}

std::string quoteToken(const std::string& t) {
    if (t.empty() || t.find_first_of(" \t\"") != std::string::npos) return "\"" + t + "\"";
    return t;
}

bool cmdEcho() {
    resbuf rb;
    return acedGetVar("CMDECHO", &rb) != RTNORM || rb.resval.rint != 0;
}

// Tokens of acedCommandS / acedCommandC: (type, value) pairs up to RTNONE.
bool collectTokens(int rtype, va_list args, std::vector<std::string>* out) {
    char buf[128];
    while (rtype != RTNONE && rtype != 0) {
        switch (rtype) {
        case RTSTR: {
            const char* s = va_arg(args, const char*);
            out->push_back(s ? s : "");
            break;
        }
        case RTSHORT:
        case RTLONG:
            out->push_back(std::to_string(va_arg(args, int)));
            break;
        case RTREAL:
            std::snprintf(buf, sizeof buf, "%.16g", va_arg(args, double));
            out->push_back(buf);
            break;
        case RTPOINT:
        case RT3DPOINT: {
            const double* p = va_arg(args, const double*);
            if (!p) return false;
            if (rtype == RTPOINT) {
                std::snprintf(buf, sizeof buf, "%.16g,%.16g", p[0], p[1]);
            } else {
                std::snprintf(buf, sizeof buf, "%.16g,%.16g,%.16g", p[0], p[1], p[2]);
            }
            out->push_back(buf);
            break;
        }
        default:
            return false;
        }
        rtype = va_arg(args, int);
    }
    return true;
}

}  // namespace

std::deque<Segment>& Host::queueOf(SimDocument* doc) { return doc ? doc->queue : appQueue; }

void Host::queueText(SimDocument* doc, const std::string& text, bool echo, bool script, bool front) {
    if (text.empty()) return;
    Segment s{text, 0, echo, script};
    auto& q = queueOf(doc);
    if (front) {
        q.push_front(std::move(s));
    } else {
        q.push_back(std::move(s));
    }
}

int Host::promptToken(const std::string& prompt, bool allowSpaces, std::string* out) {
    // 1. The tokens of an acedCommandS call.
    if (!inlineTokens.empty() && !inlineTokens.back().empty()) {
        *out = inlineTokens.back().front();
        inlineTokens.back().pop_front();
        if (cmdEcho()) print(prompt + *out + "\n");
        return RTNORM;
    }
    // 2. Text queued to the document's command line.
    bool echo = true, script = false;
    switch (takeToken(queueOf(current()), allowSpaces, false, out, &echo, &script)) {
    case Tok::Token:
        if (echo) print(prompt + *out + "\n");
        return RTNORM;
    case Tok::Cancel:
        print(prompt + "*Cancel*\n");
        cancelSeen = true;
        return RTCAN;
    case Tok::None:
        break;
    }
    // 3. The script's queued answers.
    if (!input.empty()) {
        *out = input.front();
        input.pop_front();
        print(prompt + *out + "\n");
        if (*out == "^C") {
            print("*Cancel*\n");
            cancelSeen = true;
            return RTCAN;
        }
        return RTNORM;
    }
    // 4. The person at the terminal.
    if (Desktop::get().interactive()) {
        if (auto line = Desktop::get().readLine(prompt)) {
            std::erase(*line, '\r');
            if (line->find("^C") == std::string::npos && line->find('\x1b') == std::string::npos) {
                *out = *line;
                return RTNORM;
            }
        }
        print("*Cancel*\n");
        cancelSeen = true;
        return RTCAN;
    }
    print(prompt + "*Cancel*\n");
    cancelSeen = true;
    return RTCAN;
}

void Host::runToken(SimDocument* doc, const std::string& token, bool echo, bool script) {
    const bool shown = std::exchange(shownAtPrompt, false);
    if (token.empty()) return;   // Enter at the command prompt
    if (echo && !shown) print("Command: " + token + "\n");
    if (token[0] == '(') {
        runLisp(doc, token);
        return;
    }
    if (!runCommand(doc, token) && script && (!doc || isOpen(doc))) {
        // A failing command stops the script: its remaining text is dropped.
        auto& q = queueOf(doc);
        while (!q.empty() && q.front().script) q.pop_front();
        print("*Script stopped*\n");
    }
}

bool Host::runCommand(SimDocument* doc, const std::string& typed) {
    size_t start = typed.find_first_not_of("_.'");
    if (start == std::string::npos) return false;
    const std::string name = upper(typed.substr(start));
    const RegisteredCommand* reg = nullptr;
    std::string global;
    Builtin builtin;
    auto it = builtins.find(name);
    if (it == builtins.end() && name.size() > 1 && name[0] == '-') it = builtins.find(name.substr(1));
    if (it != builtins.end()) {
        builtin = it->second;
        global = it->first;
    } else if ((reg = findRegisteredCommand(typed))) {
        global = reg->globalName;
    } else {
        // There is no F1 at a terminal: point to the simulator's own help instead.
        print("Unknown command \"" + name + "\".  Type @help for help.\n");
        return false;
    }
    OpScope op;
    SimDocument* savedCtx = ctxDoc;
    if (doc && doc != active()) ctxDoc = doc;   // a command runs in its own document's context
    const std::string savedCommand = doc ? doc->command : std::string();
    const bool savedCancel = cancelSeen;
    cancelSeen = false;
    if (doc) doc->command = global;
    ++cmdDepth;
    fireEd("commandWillStart", &AcEditorReactor::commandWillStart, global);
    CmdResult r = CmdResult::Ended;
    try {
        if (builtin) {
            r = builtin(doc);
        } else {
            Module* savedModule = callingModule;
            callingModule = reg->owner;
            reg->fn();
            callingModule = savedModule;
            r = cancelSeen ? CmdResult::Cancelled : CmdResult::Ended;
        }
    } catch (const std::exception& e) {
        print("\n; error: " + std::string(e.what()) + "\n");
        r = CmdResult::Failed;
    } catch (...) {
        print("\n; error: the command failed\n");
        r = CmdResult::Failed;
    }
    --cmdDepth;
    ctxDoc = savedCtx;
    cancelSeen = savedCancel;
    if (r == CmdResult::Timed && doc) {
        doc->timed = true;   // stays running; the pump ends it
        doc->escapes = 0;
        return true;
    }
    if (doc && isOpen(doc)) doc->command = global;
    finishCommand(doc, global, r);
    if (doc && isOpen(doc)) doc->command = savedCommand;
    // Drawings closed by the command go now; the active one last, so that no other is activated
    // in between.
    std::vector<SimDocument*> closing;
    for (auto& d : docs) {
        if (d->closePending && d.get() != active()) closing.push_back(d.get());
    }
    if (active() && active()->closePending) closing.push_back(active());
    for (SimDocument* d : closing) destroyDocument(d);
    // QUIT itself ends in the host's loop (pumpNow), where no module code is on the stack.
    return r == CmdResult::Ended;
}

void Host::finishCommand(SimDocument*, const std::string& name, CmdResult r) {
    switch (r) {
    case CmdResult::Ended:
    case CmdResult::Timed:
        fireEd("commandEnded", &AcEditorReactor::commandEnded, name);
        break;
    case CmdResult::Cancelled:
        fireEd("commandCancelled", &AcEditorReactor::commandCancelled, name);
        break;
    case CmdResult::Failed:
        fireEd("commandFailed", &AcEditorReactor::commandFailed, name);
        break;
    }
}

void Host::endTimedCommand(SimDocument* doc, bool cancelled) {
    OpScope op;
    const std::string name = doc->command;
    doc->timed = false;
    doc->escapes = 0;
    if (cancelled) print("*Cancel*\n");
    finishCommand(doc, name, cancelled ? CmdResult::Cancelled : CmdResult::Ended);
    doc->command.clear();
}

// A LISP call of a function a module defined: lispWillStart, the module's kInvkSubrMsg with the
// function code, lispEnded. This host evaluates calls of defined functions only.
void Host::runLisp(SimDocument* doc, const std::string& expr) {
    OpScope op;
    event("lispWillStart", expr);
    fire(edReactors, [&](AcEditorReactor* r) { r->lispWillStart(expr); });
    size_t b = expr.find_first_not_of(" \t", 1);
    size_t e = b == std::string::npos ? b : expr.find_first_of(" \t()", b);
    std::string name = b == std::string::npos ? std::string() : upper(expr.substr(b, e - b));
    if (!doc || !doc->lispFunctions.count(name)) {
        print("; error: no function definition: " + (name.empty() ? std::string("nil") : name) + "\n");
        event("lispCancelled", "");
        fire(edReactors, [&](AcEditorReactor* r) { r->lispCancelled(); });
        return;
    }
    auto [module, code] = doc->lispFunctions[name];
    const int savedCode = funCode;
    funCode = code;
    lispHasResult = false;
    ++cmdDepth;
    sendMessage(*module, AcRx::kInvkSubrMsg, doc);
    --cmdDepth;
    funCode = savedCode;
    if (lispHasResult) print(lispResult + "\n");
    event("lispEnded", "");
    fire(edReactors, [&](AcEditorReactor* r) { r->lispEnded(); });
}

// QUIT: every drawing goes without questions (the command asked them), then the start page, then
// every module. Only ever from the host's loop: a module unloaded here has no code on the stack.
void Host::finishQuit() {
    quitPending = false;
    closeAllDocuments(false);
    while (!wins.empty()) destroyStartPage(wins.back().get());
    while (!modules.empty()) unloadModuleImpl(*modules.back(), true);
    quit = true;
}

bool Host::atLoop() const { return !inPump && desk::WindowManager::dispatchDepth() == 0; }

// The host's command loop: runs whatever can run now; see host.h. It runs only when the stack has
// returned to the loop. Called from inside a window procedure or a message filter (a menu
// handler, a key, a click), or from a nested pump, it leaves everything queued: the text sent
// and the work handed to the application context then run after that handler has returned, as
// on the real host, where they wait for its command loop.
void Host::pumpNow() {
    if (!atLoop()) return;
    inPump = true;
    for (int guard = 0; guard < 1000000; ++guard) {
        if (quitPending) {
            OpScope op;
            finishQuit();
            continue;
        }
        if (!deferred.empty()) {
            auto work = std::move(deferred.front().work);
            deferred.pop_front();
            OpScope op;
            work();
            continue;
        }
        if (pendingActivation) {
            SimDocWindow* w = pendingActivation;
            pendingActivation = nullptr;
            OpScope op;
            activate(w);
            continue;
        }
        SimDocument* doc = active();
        auto& q = queueOf(doc);
        if (doc && doc->timed) {
            if (Desktop::get().nowMs() >= doc->busyUntil) {
                endTimedCommand(doc, false);
                continue;
            }
            // Escapes at the head of the queue reach the running command: two cancel it.
            while (!q.empty() && q.front().pos >= q.front().text.size()) q.pop_front();
            if (!q.empty() && isEscape(q.front().text[q.front().pos])) {
                Segment& s = q.front();
                ++s.pos;
                // The Enter typed after an Escape has nothing to end.
                while (s.pos < s.text.size() && (s.text[s.pos] == '\n' || s.text[s.pos] == '\r')) ++s.pos;
                if (++doc->escapes >= 2) endTimedCommand(doc, true);
                continue;
            }
            break;
        }
        std::string token;
        bool echo = true, script = false;
        Tok t = takeToken(q, false, true, &token, &echo, &script);
        if (t == Tok::None) break;
        if (t == Tok::Cancel) continue;   // ESC at the command prompt
        OpScope op;
        runToken(doc, token, echo, script);
    }
    inPump = false;
}

void pump() {
    OpScope op;
}

void idle() {
    auto& wm = desk::WindowManager::get();
    // Each round may post messages (window procedures) or queue commands (their handlers); a
    // plug-in that keeps posting to itself cannot hold the loop for ever.
    for (int round = 0; round < 1000; ++round) {
        wm.pump();
        pump();
        if (wm.pendingMessages() == 0) return;
    }
}

void typeLine(const std::string& text, bool shownAtPrompt) {
    std::string t;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && (text[i + 1] == 'C' || text[i + 1] == 'c')) {
            t += '\x03';
            ++i;
        } else {
            t += text[i];
        }
    }
    Host& h = Host::get();
    OpScope op;
    h.shownAtPrompt = shownAtPrompt;
    h.queueText(h.current(), t + "\n", true, false);
}

}  // namespace sim::host

using namespace sim::host;

// ---- Prompts ------------------------------------------------------------------------------------

namespace {
size_t codePoints(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

bool parseNumber(const std::string& s, double* v) {
    if (s.empty()) return false;
    char* end = nullptr;
    *v = std::strtod(s.c_str(), &end);
    return *end == 0 && std::isfinite(*v);
}
}  // namespace

int acedGetString(int allowSpaces, const std::string& prompt, std::string* result, size_t maxChars) {
    std::string s;
    int r = Host::get().promptToken(prompt, allowSpaces != 0, &s);
    if (r != RTNORM) return r;
    if (codePoints(s) > maxChars) {
        print("\n** Input longer than " + std::to_string(maxChars) + " characters.\n");
        return RTERROR;
    }
    if (result) *result = s;
    return RTNORM;
}

int acedGetInt(const std::string& prompt, int* result) {
    for (;;) {
        std::string s;
        int r = Host::get().promptToken(prompt, false, &s);
        if (r != RTNORM) return r;
        if (s.empty()) return RTNONE;
        char* end = nullptr;
        long v = std::strtol(s.c_str(), &end, 10);
        if (*end == 0 && v >= -32768 && v <= 32767) {
            if (result) *result = int(v);
            return RTNORM;
        }
        print("Requires an integer between -32768 and 32767.\n");
    }
}

int acedGetReal(const std::string& prompt, double* result) {
    for (;;) {
        std::string s;
        int r = Host::get().promptToken(prompt, false, &s);
        if (r != RTNORM) return r;
        if (s.empty()) return RTNONE;
        double v;
        if (parseNumber(s, &v)) {
            if (result) *result = v;
            return RTNORM;
        }
        print("Requires numeric value.\n");
    }
}

int acedGetPoint(const double* basePoint, const std::string& prompt, double result[3]) {
    for (;;) {
        std::string s;
        int r = Host::get().promptToken(prompt, false, &s);
        if (r != RTNORM) return r;
        if (s.empty()) return RTNONE;
        double p[3] = {0, 0, basePoint ? basePoint[2] : 0};
        size_t i = 0, from = 0;
        bool ok = true;
        for (; i < 3 && from <= s.size(); ++i) {
            size_t comma = s.find(',', from);
            std::string part = s.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            if (!parseNumber(part, &p[i])) ok = false;
            if (comma == std::string::npos) {
                ++i;
                break;
            }
            from = comma + 1;
            if (i == 2) ok = false;   // a fourth coordinate
        }
        if (ok && i >= 2) {
            if (result) {
                for (int k = 0; k < 3; ++k) result[k] = p[k];
            }
            return RTNORM;
        }
        print("Invalid point.\n");
    }
}

// The file prompt of the command-line form: an empty answer takes the default; a name without an
// extension gets the first one of `extension` ("dwg;dxf").
int acedGetFileD(const std::string& title, const std::string& defaultPath, const std::string& extension, int,
                 resbuf* result) {
    std::string prompt = "\n" + title + (defaultPath.empty() ? "" : " <" + defaultPath + ">") + ": ";
    std::string s;
    int r = Host::get().promptToken(prompt, true, &s);
    if (r != RTNORM) return r;
    if (s.empty()) s = defaultPath;
    if (s.empty()) return RTCAN;
    std::string ext = extension.substr(0, extension.find(';'));
    if (!ext.empty() && extensionOf(s).empty() && s.back() != '/') s += "." + ext;
    if (result) {
        result->restype = RTSTR;
        result->resval.rstring = s;
    }
    return RTNORM;
}

// ---- Command calls ------------------------------------------------------------------------------

// The subroutine form: the tokens feed the command line until they are used up; the commands run
// now, nested in the caller. RTNORM when the last command ended normally.
int acedCommandS(int rtype, ...) {
    std::vector<std::string> tokens;
    va_list args;
    va_start(args, rtype);
    bool ok = collectTokens(rtype, args, &tokens);
    va_end(args);
    if (!ok || tokens.empty()) return RTERROR;
    Host& h = Host::get();
    OpScope op;
    h.inlineTokens.emplace_back(tokens.begin(), tokens.end());
    int result = RTNORM;
    const bool echo = cmdEcho();
    while (!h.inlineTokens.back().empty()) {
        std::string name = h.inlineTokens.back().front();
        h.inlineTokens.back().pop_front();
        if (name.empty()) continue;
        if (echo) print("Command: " + name + "\n");
        SimDocument* doc = h.current();
        if (!h.runCommand(doc, name)) result = h.cancelSeen ? RTCAN : RTERROR;
        else result = RTNORM;
    }
    h.inlineTokens.pop_back();
    return result;
}

// The coroutine form: the tokens run after the calling command, ahead of other queued text.
int acedCommandC(AcEdCoroutineCallback callback, void* data, int rtype, ...) {
    std::vector<std::string> tokens;
    va_list args;
    va_start(args, rtype);
    bool ok = collectTokens(rtype, args, &tokens);
    va_end(args);
    if (!ok || tokens.empty()) return RTERROR;
    std::string text;
    for (const auto& t : tokens) text += quoteToken(t) + "\n";
    Host& h = Host::get();
    OpScope op;
    h.queueText(h.current(), text, cmdEcho(), false, true);
    if (callback) h.deferred.push_back({[callback, data] { callback(data); }, reinterpret_cast<const void*>(callback)});
    return RTNORM;
}
