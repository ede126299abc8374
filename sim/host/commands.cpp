// The host's built-in commands: enough for the plug-in and for a person trying it. Each body runs
// between commandWillStart and commandEnded / commandCancelled / commandFailed (interpreter.cpp);
// work that needs application context (opening, the start page) runs right after the command.
#include <filesystem>
#include <fstream>
#include <sstream>
#include "sim/desk/desktop.h"
#include "sim/host/host_internal.h"

namespace fs = std::filesystem;

namespace sim::host {

namespace {

CmdResult needDrawing() {
    print("\nNo drawing is open.\n");
    return CmdResult::Failed;
}

CmdResult fromPrompt(int r) { return r == RTCAN ? CmdResult::Cancelled : CmdResult::Failed; }

// A keyword answer: matches when it is a prefix of the keyword of at least `min` letters.
bool keyword(const std::string& answer, const std::string& word, size_t min = 1) {
    std::string a = upper(answer);
    if (!a.empty() && a[0] == '_') a.erase(0, 1);   // the global keyword
    return a.size() >= min && a.size() <= word.size() && word.compare(0, a.size(), a) == 0;
}

bool findName(const std::vector<std::string>& list, const std::string& name, std::string* found) {
    for (const auto& n : list) {
        if (upper(n) == upper(name)) {
            if (found) *found = n;
            return true;
        }
    }
    return false;
}

CmdResult cmdOpen(SimDocument*) {
    resbuf rb;
    int r = acedGetFileD("Select File", "", "dwg", 0, &rb);
    if (r != RTNORM) return fromPrompt(r);
    std::string path;
    DrawingContent content;
    bool foreign = false;
    if (!readDrawing(rb.resval.rstring, &path, &content, &foreign)) return CmdResult::Failed;
    Host::get().deferred.push_back({[path, content, foreign] { openContent(path, content, foreign); }});
    return CmdResult::Ended;
}

CmdResult cmdNew(SimDocument*) {
    std::string answer;
    int r = acedGetString(1, "\nEnter template file name or [. (for none)] <.>: ", &answer);
    if (r != RTNORM) return fromPrompt(r);
    if (answer == ".") answer.clear();
    if (!answer.empty()) {
        std::string path;
        DrawingContent content;
        bool foreign = false;
        if (!readDrawing(answer, &path, &content, &foreign)) return CmdResult::Failed;
    }
    Host::get().deferred.push_back({[answer] { Host::get().createNew(answer); }});
    return CmdResult::Ended;
}

// SAVEAS: the format (release from the answer, kind from the file's extension), then the name.
CmdResult saveAs(SimDocument* doc, bool askFormat) {
    Host& h = Host::get();
    AcApDocument::SaveFormat current = doc->formatForSave();
    std::string release = formatName(current);
    if (askFormat) {
        std::string answer;
        int r = acedGetString(0, "\nCurrent file format: " + release +
                                     "\nEnter file format [R12/R13/R14/2000/2004/2007/2010/2013/2018] <" + release + ">: ",
                              &answer);
        if (r != RTNORM) return fromPrompt(r);
        if (!answer.empty()) release = answer;
    }
    std::string def = doc->titled ? doc->path : doc->path;
    resbuf rb;
    int r = acedGetFileD("Save drawing as", def, "dwg", 1, &rb);
    if (r != RTNORM) return fromPrompt(r);
    const std::string path = rb.resval.rstring;
    AcApDocument::SaveFormat format = formatFromName(release, extensionOf(path));
    if (format == AcApDocument::kUnknown) {
        print("\n** \"" + release + "\" cannot be saved as a " + extensionOf(path) + " file.\n");
        return CmdResult::Failed;
    }
    auto previous = doc->ownFormat;
    doc->ownFormat = format;   // formatForSave reports it from the save on
    if (!h.saveDocument(doc, path, format, true)) {
        doc->ownFormat = previous;
        return CmdResult::Failed;
    }
    return CmdResult::Ended;
}

CmdResult cmdQSave(SimDocument* doc) {
    if (!doc) return needDrawing();
    if (!doc->titled) return saveAs(doc, false);
    if (doc->readOnly) {
        print("\n** \"" + doc->docTitle() + "\" is read-only; use SAVEAS to save it under another name.\n");
        return CmdResult::Failed;
    }
    return Host::get().saveDocument(doc, doc->path, doc->formatForSave(), false) ? CmdResult::Ended
                                                                                   : CmdResult::Failed;
}

CmdResult cmdSave(SimDocument* doc) {
    if (!doc) return needDrawing();
    resbuf rb;
    int r = acedGetFileD("Save drawing as", doc->path, "dwg", 1, &rb);
    if (r != RTNORM) return fromPrompt(r);
    return Host::get().saveDocument(doc, rb.resval.rstring, doc->formatForSave(), true) ? CmdResult::Ended
                                                                                          : CmdResult::Failed;
}

CmdResult cmdSaveAs(SimDocument* doc) { return doc ? saveAs(doc, true) : needDrawing(); }

CmdResult cmdClose(SimDocument* doc) {
    if (!doc) return needDrawing();
    if (!Host::get().askSave(doc)) return CmdResult::Cancelled;
    doc->closePending = true;
    return CmdResult::Ended;
}

// Every drawing gets its question first; Cancel on any keeps them all open.
bool closeAll() {
    Host& h = Host::get();
    std::vector<SimDocument*> list;
    for (auto& d : h.docs) list.push_back(d.get());
    for (SimDocument* d : list) {
        if (!h.askSave(d)) return false;
    }
    for (SimDocument* d : list) d->closePending = true;
    return true;
}

CmdResult cmdCloseAll(SimDocument*) { return closeAll() ? CmdResult::Ended : CmdResult::Cancelled; }

CmdResult cmdQuit(SimDocument*) {
    if (!closeAll()) return CmdResult::Cancelled;
    Host::get().quitPending = true;
    return CmdResult::Ended;
}

// SCRIPT: the file's lines are typed next, ahead of anything queued; a failing command stops it.
CmdResult cmdScript(SimDocument* doc) {
    resbuf rb;
    int r = acedGetFileD("Select Script File", "", "scr", 0, &rb);
    if (r != RTNORM) return fromPrompt(r);
    std::ifstream in(rb.resval.rstring, std::ios::binary);
    if (!in) {
        print("\nCannot find script file \"" + rb.resval.rstring + "\".\n");
        return CmdResult::Failed;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    if (text.empty()) return CmdResult::Ended;
    if (text.back() != '\n') text += '\n';
    Host::get().queueText(doc, text, true, true, true);
    return CmdResult::Ended;
}

CmdResult cmdLayout(SimDocument* doc) {
    if (!doc) return needDrawing();
    auto& c = doc->db->content;
    std::string opt;
    int r = acedGetString(0, "\nEnter layout option [Copy/Delete/New/Template/Rename/SAveas/Set/?] <set>: ", &opt);
    if (r != RTNORM) return fromPrompt(r);
    if (opt == "?") {
        for (const auto& l : c.layouts) print("  " + l + "\n");
        return CmdResult::Ended;
    }
    bool set = opt.empty() || keyword(opt, "SET");
    bool make = keyword(opt, "NEW", 1);
    if (!set && !make) {
        print("\nThat layout option is not available here.\n");
        return CmdResult::Failed;
    }
    std::string name;
    r = acedGetString(1, set ? "\nEnter layout to make current <" + c.currentLayout + ">: " : "\nEnter name of new layout: ",
                      &name);
    if (r != RTNORM) return fromPrompt(r);
    if (set) {
        if (name.empty()) return CmdResult::Ended;
        std::string found;
        if (!findName(c.layouts, name, &found)) {
            print("\nLayout \"" + name + "\" not found.\n");
            return CmdResult::Failed;
        }
        if (found != c.currentLayout) {
            c.currentLayout = found;
            Host::get().fireSysVar("CTAB", true);
        }
        return CmdResult::Ended;
    }
    if (name.empty() || findName(c.layouts, name, nullptr)) {
        print("\nLayout \"" + name + "\" is not a new name.\n");
        return CmdResult::Failed;
    }
    c.layouts.push_back(name);
    doc->db->dbmod |= 1;
    return CmdResult::Ended;
}

CmdResult cmdView(SimDocument* doc) {
    if (!doc) return needDrawing();
    auto& c = doc->db->content;
    auto& views = c.currentLayout == "Model" ? c.modelViews : c.paperViews;
    std::string opt;
    int r = acedGetString(0, "\nEnter an option [?/Delete/Orthographic/Restore/Save/sEttings/Window]: ", &opt);
    if (r != RTNORM) return fromPrompt(r);
    if (opt == "?") {
        for (const auto& v : views) print("  " + v + "\n");
        return CmdResult::Ended;
    }
    const bool restore = keyword(opt, "RESTORE"), save = keyword(opt, "SAVE", 2), del = keyword(opt, "DELETE");
    if (!restore && !save && !del) {
        print("\nThat view option is not available here.\n");
        return CmdResult::Failed;
    }
    std::string name;
    r = acedGetString(1, restore ? "\nEnter view name to restore: " : save ? "\nEnter view name to save: "
                                                                            : "\nEnter view name(s) to delete: ",
                      &name);
    if (r != RTNORM) return fromPrompt(r);
    std::string found;
    bool exists = findName(views, name, &found);
    if (restore || del) {
        if (!exists) {
            print("\nCannot find view \"" + name + "\".\n");
            return CmdResult::Failed;
        }
        if (del) {
            std::erase(views, found);
            doc->db->dbmod |= 1;
        } else {
            print("Restoring view " + found + ".\n");
        }
        return CmdResult::Ended;
    }
    if (name.empty()) return CmdResult::Failed;
    if (!exists) views.push_back(name);
    doc->db->dbmod |= 1;
    return CmdResult::Ended;
}

CmdResult cmdPlot(SimDocument* doc) {
    if (!doc) return needDrawing();
    std::string answer;
    int r = acedGetString(0, "\nPlot \"" + doc->db->content.currentLayout + "\" of " + doc->docTitle() +
                                 "? [Yes/No] <Yes>: ",
                          &answer);
    if (r != RTNORM) return fromPrompt(r);
    if (keyword(answer, "NO")) return CmdResult::Cancelled;
    print("Plot finished.\n");
    return CmdResult::Ended;
}

// LINE: every segment is one object and marks the drawing modified; Enter ends, ESC cancels (the
// segments drawn so far stay).
CmdResult cmdLine(SimDocument* doc) {
    if (!doc) return needDrawing();
    auto& c = doc->db->content;
    double p[3];
    int r = acedGetPoint(nullptr, "\nSpecify first point: ", p);
    if (r == RTNONE) return CmdResult::Ended;
    if (r != RTNORM) return fromPrompt(r);
    auto grow = [&](const double* q) {
        for (int i = 0; i < 3; ++i) {
            if (c.objects == 0 && i == 0) {
                c.extMin = {q[0], q[1], q[2]};
                c.extMax = c.extMin;
            }
            c.extMin[i] = std::min(c.extMin[i], q[i]);
            c.extMax[i] = std::max(c.extMax[i], q[i]);
        }
    };
    for (;;) {
        double q[3];
        r = acedGetPoint(p, "\nSpecify next point or [Undo]: ", q);
        if (r == RTNONE) return CmdResult::Ended;
        if (r != RTNORM) return fromPrompt(r);
        grow(p);
        grow(q);
        c.lines.push_back({p[0], p[1], p[2], q[0], q[1], q[2]});
        ++c.objects;
        doc->db->dbmod |= 1;
        for (int i = 0; i < 3; ++i) p[i] = q[i];
    }
}

CmdResult cmdZoom(SimDocument* doc) {
    if (!doc) return needDrawing();
    std::string answer;
    int r = acedGetString(0, "\nSpecify corner of window, enter a scale factor (nX or nXP), or\n"
                             "[All/Center/Dynamic/Extents/Previous/Scale/Window/Object] <real time>: ",
                          &answer);
    if (r != RTNORM) return fromPrompt(r);
    if (keyword(answer, "EXTENTS") || keyword(answer, "ALL")) {
        // The view becomes the drawing's extents (a drawing without objects keeps its view).
        doc->db->updateExt(false);
        auto& c = doc->db->content;
        if (c.extMin[0] <= c.extMax[0] && c.extMin[1] <= c.extMax[1])
            c.view = {true, (c.extMin[0] + c.extMax[0]) / 2, (c.extMin[1] + c.extMax[1]) / 2, c.extMax[0] - c.extMin[0],
                      c.extMax[1] - c.extMin[1]};
        print("Regenerating model.\n");
    }
    return CmdResult::Ended;
}

// DELAY keeps the drawing busy on the host clock: the command runs until the time has passed or
// two Escapes arrive.
CmdResult cmdDelay(SimDocument* doc) {
    if (!doc) return needDrawing();
    int ms = 0;
    int r = acedGetInt("\nEnter delay time (in milliseconds): ", &ms);
    if (r == RTNONE) return CmdResult::Ended;
    if (r != RTNORM) return fromPrompt(r);
    if (ms <= 0) return CmdResult::Ended;
    doc->busyUntil = Desktop::get().nowMs() + std::uint64_t(ms);
    return CmdResult::Timed;
}

// HELP (and '?') at the simulator's command line: what a newcomer can type here.
CmdResult cmdHelp(SimDocument*) {
    print("Type the host's commands here (OPEN, NEW, QSAVE, CLOSE, LINE, ZOOM, ...) and the plug-in's\n"
          "KV_ commands (KV_ABOUT, KV_CFG, ...). @help lists them all, with the simulator's @ verbs.\n");
    return CmdResult::Ended;
}

CmdResult cmdNewTab(SimDocument*) {
    Host::get().deferred.push_back({[] { Host::get().openStartPage(); }});
    return CmdResult::Ended;
}

}  // namespace

void Host::registerBuiltins() {
    builtins = {
        {"OPEN", cmdOpen},       {"NEW", cmdNew},           {"QSAVE", cmdQSave},   {"SAVE", cmdSave},
        {"SAVEAS", cmdSaveAs},   {"CLOSE", cmdClose},       {"CLOSEALL", cmdCloseAll}, {"QUIT", cmdQuit},
        {"SCRIPT", cmdScript},   {"LAYOUT", cmdLayout},     {"-VIEW", cmdView},    {"PLOT", cmdPlot},
        {"LINE", cmdLine},       {"ZOOM", cmdZoom},         {"DELAY", cmdDelay},   {"NEWTAB", cmdNewTab},
        {"HELP", cmdHelp},       {"?", cmdHelp},
    };
}

}  // namespace sim::host
