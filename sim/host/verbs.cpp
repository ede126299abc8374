// Script verbs of the simulated host. See docs/script.md.
#include "sim/host/verbs.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include "sim/desk/desktop.h"
#include "sim/host/host_internal.h"

namespace fs = std::filesystem;
using sim::script::Args;
using sim::script::Runner;
using sim::script::VerbError;

namespace sim::host {

namespace {

std::vector<std::string> splitList(const std::string& text, char sep = ',') {
    std::vector<std::string> out;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, sep)) {
        if (!item.empty()) out.push_back(item);
    }
    return out;
}

double toNumber(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        double v = std::stod(text, &used);
        if (used == text.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    throw VerbError(what + " must be a number: '" + text + "'");
}

int toInt(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        int v = std::stoi(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    throw VerbError(what + " must be a whole number: '" + text + "'");
}

// A window by its 1-based position in @docs, or a drawing by its path.
SimDocWindow* windowArg(const std::string& arg) {
    Host& h = Host::get();
    if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos) {
        size_t n = size_t(toInt(arg, "window number"));
        if (n < 1 || n > h.wins.size()) throw VerbError("no window " + arg);
        return h.wins[n - 1].get();
    }
    std::error_code ec;
    SimDocument* doc = h.find(fs::absolute(arg, ec).lexically_normal().string());
    if (!doc) throw VerbError("no open drawing " + arg);
    return doc->window;
}

void makeDrawing(const Args& a) {
    if (a.empty()) throw VerbError("usage: @make-drawing PATH [format=...] [title=...] ...");
    const std::string path = a[0];
    auto opt = Runner::options(a, 1);
    const std::string release = opt.count("format") ? opt["format"] : "2018";
    const std::string ext = extensionOf(path);
    std::error_code ec;
    // The host keeps the file of an open drawing in use: no other program can write over it.
    if (Host::get().find(fs::absolute(path, ec).lexically_normal().string()))
        throw VerbError(path + ": the drawing is open in the host, which keeps its file in use");
    if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path(), ec);
    std::string error;
    if (opt.count("readonly")) {
        AcApDocument::SaveFormat f = formatFromName(release, ext == ".dxf" ? ".dxf" : ".dwg");
        AcDb::AcDbDwgVersion v = upper(release) == "R12" ? AcDb::kDHL_1009 : versionOfFormat(f);
        if (v == AcDb::kDHL_Unknown) throw VerbError("unknown format '" + release + "'");
        if (!drawingFiles().writeForeign(path, v, &error)) throw VerbError(path + ": " + error);
        return;
    }
    AcApDocument::SaveFormat format = formatFromName(release, ext);
    if (format == AcApDocument::kUnknown) throw VerbError("format '" + release + "' cannot be written as " + ext);
    DrawingContent c;
    c.originalVersion = c.lastSavedAsVersion = versionOfFormat(format);
    c.numberOfSaves = 1;
    if (opt.count("title")) c.summary.title = opt["title"];
    if (opt.count("author")) c.summary.author = opt["author"];
    if (opt.count("subject")) c.summary.subject = opt["subject"];
    if (opt.count("keywords")) c.summary.keywords = opt["keywords"];
    if (opt.count("comments")) c.summary.comments = opt["comments"];
    if (opt.count("layouts")) {
        c.layouts = {"Model"};
        // Model space is always there, first; naming it again does not add a second one.
        for (auto& l : splitList(opt["layouts"]))
            if (l != "Model") c.layouts.push_back(l);
    }
    if (opt.count("current")) c.currentLayout = opt["current"];
    if (opt.count("views")) c.modelViews = splitList(opt["views"]);
    if (opt.count("pviews")) c.paperViews = splitList(opt["pviews"]);
    if (opt.count("layerstates")) {
        for (auto& item : splitList(opt["layerstates"])) {
            auto colon = item.find(':');
            c.layerStates.emplace_back(item.substr(0, colon),
                                       colon == std::string::npos ? 0 : toInt(item.substr(colon + 1), "mask"));
        }
    }
    if (opt.count("objects")) c.objects = toInt(opt["objects"], "objects");
    if (opt.count("custom")) {
        for (auto& item : splitList(opt["custom"])) {
            auto colon = item.find(':');
            c.summary.custom.emplace_back(item.substr(0, colon),
                                          colon == std::string::npos ? "" : item.substr(colon + 1));
        }
    }
    if (c.objects > 0) c.extMax = {100, 100, 0};
    if (opt.count("box")) {
        // A rectangle W by H with its lower left corner at X,Y (default the origin).
        std::vector<double> v;
        for (const auto& part : splitList(opt["box"])) v.push_back(toNumber(part, "box"));
        if (v.size() != 2 && v.size() != 4) throw VerbError("box must be W,H or W,H,X,Y");
        const double x = v.size() == 4 ? v[2] : 0, y = v.size() == 4 ? v[3] : 0, w = v[0], hgt = v[1];
        c.lines.insert(c.lines.begin(), {{x, y, 0, x + w, y, 0},
                                         {x + w, y, 0, x + w, y + hgt, 0},
                                         {x + w, y + hgt, 0, x, y + hgt, 0},
                                         {x, y + hgt, 0, x, y, 0}});
        c.objects += 4;
    }
    if (!drawingFiles().write(path, c, format, &error)) throw VerbError(path + ": " + error);
}

void printDocs() {
    Host& h = Host::get();
    if (h.wins.empty()) {
        print("docs: none\n");
        return;
    }
    int i = 0;
    for (auto& w : h.wins) {
        ++i;
        std::string mark = w.get() == h.activeWin ? "*" : " ";
        if (!w->doc) {
            print(std::to_string(i) + " " + mark + " <start page>\n");
            continue;
        }
        SimDocument* d = w->doc;
        print(std::to_string(i) + " " + mark + " " + d->path + " format=" + formatName(d->formatForSave()) + "(" +
              std::to_string(int(d->formatForSave())) + ") dbmod=" + std::to_string(d->db->dbmod) +
              " readonly=" + (d->readOnly ? "yes" : "no") + " quiescent=" + (d->isQuiescent() ? "yes" : "no") + "\n");
    }
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v == 0 ? 0.0 : v);   // no "-0"
    return buf;
}
std::string point(const std::array<double, 3>& p) { return number(p[0]) + "," + number(p[1]) + "," + number(p[2]); }

// The model space of an open drawing (default: the current one) or of a drawing file: its own
// lines, its extents, the view it shows, and one line per attached reference.
void printModel(const Args& a) {
    Host& h = Host::get();
    DrawingContent content;
    std::string name;
    SimDocument* doc = nullptr;
    if (a.empty()) {
        doc = h.current();
        if (!doc) throw VerbError("no current drawing");
    } else if (a[0].find_first_not_of("0123456789") == std::string::npos) {
        doc = windowArg(a[0])->doc;
        if (!doc) throw VerbError("window " + a[0] + " is not a drawing");
    } else {
        std::error_code ec;
        doc = h.find(fs::absolute(a[0], ec).lexically_normal().string());
    }
    if (doc) {
        name = doc->path;
        content = doc->db->content;
    } else {
        std::string path;
        bool foreign = false;
        if (!readDrawing(a[0], &path, &content, &foreign)) throw VerbError("cannot read " + a[0]);
        name = path;
    }
    SimDatabase db;
    db.content = content;
    db.updateExt(false);
    const auto& c = db.content;
    const bool empty = c.extMin[0] > c.extMax[0];
    std::string line = "model " + name + " lines=" + std::to_string(c.lines.size()) +
                       " extents=" + (empty ? std::string("none") : point(c.extMin) + ".." + point(c.extMax));
    if (c.view.set)
        line += " view=" + number(c.view.centerX) + "," + number(c.view.centerY) + " " + number(c.view.width) + "x" +
                number(c.view.height);
    print(line + "\n");
    for (const auto& x : c.xrefs) {
        print("xref " + x.blockName + " " + x.path + " at=" + point(x.insertion) + " scale=" + point(x.scale) +
              " rotation=" + number(x.rotation) + "\n");
    }
}

std::string lastUnloaded;

}  // namespace

void registerHostVerbs(Runner& runner) {
    runner.typeLine = [](const std::string& line) { typeLine(line); };
    // After QUIT the host has ended: the rest of the script has no host to talk to.
    runner.afterLine = [](Runner& r) {
        idle();
        if (quitRequested()) r.exitRequested = true;
    };

    runner.addVerb("make-drawing", [](Runner&, const Args& a) { makeDrawing(a); },
                   "@make-drawing PATH [format=R12..2018] [title=] [author=] [layouts=a,b] [views=a,b] "
                   "[layerstates=name:mask,...] [objects=N] [box=W,H[,X,Y]] [custom=key:value,...] [readonly]");
    runner.addVerb("open", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @open PATH");
        if (!openDrawing(a[0])) throw VerbError("not opened: " + a[0]);
    }, "@open PATH");
    runner.addVerb("new", [](Runner&, const Args& a) {
        if (a.size() > 1) throw VerbError("usage: @new [TEMPLATE]");
        if (!newDrawing(a.empty() ? std::string() : a[0])) throw VerbError("no new drawing");
    }, "@new [TEMPLATE]");
    runner.addVerb("activate", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @activate N|PATH");
        windowArg(a[0])->activate();
    }, "@activate N|PATH");
    runner.addVerb("close", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @close N|PATH");
        closeWindow(windowArg(a[0]));
    }, "@close N|PATH");
    runner.addVerb("startpage", [](Runner&, const Args&) { showStartPage(); }, "@startpage");
    runner.addVerb("autosave", [](Runner&, const Args& a) {
        SimDocWindow* w = a.empty() ? Host::get().activeWin : windowArg(a[0]);
        if (!w || !w->doc) throw VerbError("no drawing to save");
        if (autoSave(w->doc).empty()) throw VerbError("automatic save failed");
    }, "@autosave [N|PATH]");
    runner.addVerb("docs", [](Runner&, const Args&) { printDocs(); }, "@docs");
    runner.addVerb("drawing-window", [](Runner&, const Args& a) {
        if (a.size() != 1 || (a[0] != "max" && a[0] != "min" && a[0] != "normal"))
            throw VerbError("usage: @drawing-window max|min|normal");
        SimDocWindow* w = Host::get().activeWin;
        if (!w) throw VerbError("no document window is active");
        w->maximized = a[0] == "max";
        w->minimized = a[0] == "min";
        print("drawing window " + w->caption + " " + (w->maximized ? "maximized" : w->minimized ? "minimized" : "normal") +
              "\n");
    }, "@drawing-window max|min|normal");
    runner.addVerb("model", [](Runner&, const Args& a) {
        if (a.size() > 1) throw VerbError("usage: @model [N|PATH]");
        printModel(a);
    }, "@model [N|PATH]");
    runner.addVerb("input", [](Runner&, const Args& a) {
        std::string text;
        for (size_t i = 0; i < a.size(); ++i) text += (i ? " " : "") + a[i];
        queueInput(text);
    }, "@input TEXT");
    runner.addVerb("events", [](Runner&, const Args& a) {
        if (a.size() != 1 || (a[0] != "on" && a[0] != "off")) throw VerbError("usage: @events on|off");
        setPrintEvents(a[0] == "on");
    }, "@events on|off");
    runner.addVerb("set", [](Runner&, const Args& a) {
        if (a.size() != 2) throw VerbError("usage: @set VAR VALUE");
        OpScope op;
        int r = setVarFromText(a[0], a[1]);
        if (r == RTREJ) throw VerbError(upper(a[0]) + " needs a whole number");
        if (r != RTNORM) throw VerbError(upper(a[0]) + " cannot be set to '" + a[1] + "'");
    }, "@set VAR VALUE");
    runner.addVerb("load", [](Runner&, const Args& a) {
        std::string path = a.empty() ? lastUnloaded : a[0];
        if (path.empty()) throw VerbError("usage: @load PATH");
        if (!loadModule(path)) throw VerbError("not loaded: " + path);
    }, "@load [PATH]");
    runner.addVerb("unload", [](Runner&, const Args& a) {
        auto mods = loadedModules();
        std::string path = a.empty() ? (mods.empty() ? std::string() : mods.back()) : a[0];
        if (!unloadModule(path)) throw VerbError("not unloaded");
        lastUnloaded = path;
    }, "@unload [PATH]");
    runner.addVerb("wait", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @wait MS");
        Desktop::get().advance(std::uint64_t(toInt(a[0], "MS")));
        pump();
    }, "@wait MS");
}

}  // namespace sim::host
